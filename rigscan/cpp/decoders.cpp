#include "decoders.h"

#include <cstddef>
#include <cstdint>

#include "layout.h"
#include "textformat.h"

namespace KV_Rigscan {

namespace {

const char unknownText[] = "<unknown>";

// Lists count from 1 in table order; bit sets name bit 0 first.

const char *const processorTypeTexts[] = {
    "Central", // 1
    "Math", // 2
    "DSP", // 3
    "Video", // 4
};

const char *const processorUpgradeTexts[] = {
    "None", // 1
    "Slot 1", // 2
    "Slot 2", // 3
    "Daughter Board", // 4
    "ZIF Socket", // 5
    "LIF Socket", // 6
    "Replaceable Piggy Back", // 7
    "370 Pin Socket", // 8
    "Slot A", // 9
    "Slot M", // 10
    "Socket 423", // 11
    "Socket A", // 12
};

const char *const processorFamilyTexts[] = {
    "8086", // 1
    "80286", // 2
    "Intel386", // 3
    "Intel486", // 4
    "8087", // 5
    "80287", // 6
    "80387", // 7
    "80487", // 8
    "Pentium\xAE Family", // 9
    "Pentium\xAE Pro", // 10
    "Pentium\xAE II", // 11
    "Pentium\xAE with MMX(tm) technology", // 12
    "Celeron(tm)", // 13
    "Pentium\xAE II Xeon(tm)", // 14
    "Pentium\xAE III", // 15
    "Pentium\xAE III Xeon(tm)", // 16
    "M1 Family", // 17
    "K5", // 18
    "K6", // 19
    "K6-2", // 20
    "K6-2+", // 21
    "K6-3", // 22
    "Athlon(tm)", // 23
    "Power PC Family", // 24
    "Power PC 601", // 25
    "Power PC 603", // 26
    "Power PC 603+", // 27
    "Power PC 604", // 28
    "Alpha Family", // 29
    "MIPS Family", // 30
    "SPARC Family", // 31
    "68040 Family", // 32
    "68xxx", // 33
    "68000", // 34
    "68010", // 35
    "68020", // 36
    "68030", // 37
    "Hobbit Family", // 38
    "Weitek", // 39
    "PA-RISC Family", // 40
    "V30 Family", // 41
    "Pentium\xAE 4", // 42
    "Duron(tm)", // 43
    "M2", // 44
    "Athlon(tm)", // 45
    "AMD29000", // 46
    "Power PC 620", // 47
    "Power PC X704", // 48
    "Power PC 750", // 49
    "Alpha 21064", // 50
    "Alpha 21066", // 51
    "Alpha 21164", // 52
    "Alpha 21164PC", // 53
    "Alpha 21164a", // 54
    "Alpha 21264", // 55
    "Alpha 21364", // 56
    "MIPS R4000", // 57
    "MIPS R4200", // 58
    "MIPS R4400", // 59
    "MIPS R4600", // 60
    "MIPS R10000", // 61
    "SuperSPARC", // 62
    "microSPARC II", // 63
    "microSPARC IIep", // 64
    "UltraSPARC", // 65
    "UltraSPARC II", // 66
    "UltraSPARC IIi", // 67
    "UltraSPARC III", // 68
    "UltraSPARC IIIi", // 69
    "Crusoe(tm) TM5000", // 70
    "Crusoe(tm) TM3000", // 71
    "Itanium(tm)", // 72
    "PA-RISC 8500", // 73
    "PA-RISC 8000", // 74
    "PA-RISC 7300LC", // 75
    "PA-RISC 7200", // 76
    "PA-RISC 7100LC", // 77
    "PA-RISC 7100", // 78
    "Pentium\xAE III with Intel\xAE SpeedStep(tm) Technology", // 79
    "AS400", // 80
    "IBM390", // 81
    "G4", // 82
    "G5", // 83
    "i860", // 84
    "i960", // 85
    "SH-3", // 86
    "SH-4", // 87
    "ARM", // 88
    "StrongARM", // 89
    "6x86", // 90
    "MediaGX", // 91
    "MII", // 92
    "WinChip", // 93
    "DSP", // 94
    "Video", // 95
    "VIA C3", // 96
    "VIA C3", // 97
    "VIA C3", // 98
    "Athlon XP/MP/4", // 99
    "5x86", // 100
    "6x86MX", // 101
    "WinChip C6", // 102
    "WinChip 2", // 103
    "WinChip 2-3D", // 104
    "Mobile K6-3P", // 105
    "Mobile K6-3+", // 106
    "Mobile Pentium III-M", // 107
    "Duron", // 108
    "Celeron", // 109
};

const char *const processorCapBits[] = {
    "MMX", // bit 0
    "CMov", // bit 1
    "RDTSC", // bit 2
    "3DNow!", // bit 3
    "Extended 3DNow!", // bit 4
    "SSE", // bit 5
    "SSE2", // bit 6
};

const char *const cacheTypeBits[] = {
    "Instruction", // bit 0
    "Data", // bit 1
    "Write Through", // bit 2
    "Write Back", // bit 3
    "Disabled at Boot", // bit 4
    "Internal", // bit 5
    "External", // bit 6
    "Socketed", // bit 7
    "Variant", // bit 8
    "IO-Determinant", // bit 9
};

const char *const cacheAssociativityTexts[] = {
    "Direct Mapped", // 1
    "2-way Set-Associative", // 2
    "4-way Set-Associative", // 3
    "Fully Associative", // 4
    "8-way Set-Associative", // 5
    "16-way Set-Associative", // 6
};

const char *const memoryLocationTexts[] = {
    "System Board", // 1
    "ISA add-on card", // 2
    "EISA add-on card", // 3
    "PCI add-on card", // 4
    "MCA add-on card", // 5
    "PCMCIA add-on card", // 6
    "Proprietary add-on card", // 7
    "NuBus", // 8
    "PC-98/C20 add-on card", // 9
    "PC-98/C24 add-on card", // 10
    "PC-98/E add-on card", // 11
    "PC-98/Local Bus add-on card", // 12
    "PC-98/Card slot add-on card", // 13
};

const char *const memoryUseTexts[] = {
    "System", // 1
    "Video", // 2
    "Flash", // 3
    "Non-volatile", // 4
    "Cache", // 5
};

const char *const memoryEctBits[] = {
    "None", // bit 0
    "Parity", // bit 1
    "Single-bit ECC", // bit 2
    "Multi-bit ECC", // bit 3
    "Error Scrubbing", // bit 4
    "CRC", // bit 5
};

const char *const memoryFormFactorTexts[] = {
    "SIMM", // 1
    "SIP", // 2
    "Chip", // 3
    "DIP", // 4
    "ZIP", // 5
    "Proprietary", // 6
    "DIMM", // 7
    "TSOP", // 8
    "Row of Chips", // 9
    "RIMM", // 10
    "SODIMM", // 11
    "SRIMM", // 12
};

const char *const memoryTypeTexts[] = {
    "DRAM", // 1
    "EDRAM", // 2
    "VRAM", // 3
    "SRAM", // 4
    "RAM", // 5
    "ROM", // 6
    "FLASH", // 7
    "EEPROM", // 8
    "FEPROM", // 9
    "EPROM", // 10
    "CDRAM", // 11
    "3DRAM", // 12
    "SDRAM", // 13
    "SGRAM", // 14
    "RDRAM", // 15
    "DDR", // 16
};

const char *const memoryTypeDetailBits[] = {
    "Standard", // bit 0
    "Parity", // bit 1
    "ECC", // bit 2
    "Fast-paged", // bit 3
    "Static Column", // bit 4
    "Pseudo-static", // bit 5
    "RAMBUS", // bit 6
    "Synchronous", // bit 7
    "Asynchronous", // bit 8
    "CMOS", // bit 9
    "EDO", // bit 10
    "Non-burst", // bit 11
    "Burst", // bit 12
    "Pipeline Burst", // bit 13
    "Burst EDO", // bit 14
    "Window DRAM", // bit 15
    "Cache DRAM", // bit 16
    "Non-volatile", // bit 17
    "SIMM", // bit 18
    "DIMM", // bit 19
    "SDRAM", // bit 20
};

const char *const memorySpeedBits[] = {
    "70ns", // bit 0
    "60ns", // bit 1
    "50ns", // bit 2
};

const char *const memoryVoltageBits[] = {
    "2.9V", // bit 0
    "3.3V", // bit 1
    "5.0V", // bit 2
};

const char *const cardSlotTypeTexts[] = {
    "ISA", // 1
    "MCA", // 2
    "EISA", // 3
    "PCI", // 4
    "PCMCIA", // 5
    "VL-VESA", // 6
    "Proprietary", // 7
    "Processor", // 8
    "Proprietary Memory", // 9
    "I/O Riser", // 10
    "NuBus", // 11
    "PCI - 66MHz Capable", // 12
    "AGP", // 13
    "AGP 2X", // 14
    "AGP 4X", // 15
    "PCI-X", // 16
    "PC-98/C20", // 17
    "PC-98/C24", // 18
    "PC-98/E", // 19
    "PC-98/Local Bus", // 20
    "PC-98/Card", // 21
};

const char *const cardSlotCharsBits[] = {
    "5.0V", // bit 0
    "3.3V", // bit 1
    "Shared", // bit 2
    "PC Card-16", // bit 3
    "CardBus", // bit 4
    "Zoom Video", // bit 5
    "Modem Ring Resume", // bit 6
    "PME Signal", // bit 7
    "Hot-Plugs", // bit 8
    "SMBus Signal", // bit 9
};

const char *const cardSlotDetailBits[] = {
    "Available", // bit 0
    "In Use", // bit 1
    "Short", // bit 2
    "Long", // bit 3
};

const char *const biosCharBits[] = {
    "Plug and Play", // bit 0
    "Flash", // bit 1
    "AGP", // bit 2
};

const char *const deviceClassTexts[] = {
    "1394 BUS Controller", // 1
    "Battery", // 2
    "CDROM", // 3
    "Disk Drive", // 4
    "Display Adapter", // 5
    "Floppy Disk Controller", // 6
    "Floppy Disk Drive", // 7
    "Global Positioning Device", // 8
    "Hard Disk Controller", // 9
    "Human Interface Device", // 10
    "Imaging Device", // 11
    "Infrared Device", // 12
    "Keyboard", // 13
    "Sound, Video or Game Controller", // 14
    "Medium Changer", // 15
    "Modem", // 16
    "Monitor", // 17
    "Mouse/Pointer Device", // 18
    "Memory Technology Driver", // 19
    "Multi-Function Adapter", // 20
    "Multi-Port Serial Adapter", // 21
    "Network Adapter", // 22
    "Network Client", // 23
    "Network Service", // 24
    "Network Protocol", // 25
    "Non-Plug and Play Device", // 26
    "NT Apm/Legacy Support", // 27
    "PCMCIA Socket", // 28
    "Port (COM/LPT)", // 29
    "Printer", // 30
    "SCSI Controller", // 31
    "Smart Card Reader", // 32
    "Storage Volume", // 33
    "System Device", // 34
    "Tape Drive", // 35
    "Universal Serial Bus Controller", // 36
};

const char *const batteryChemistryTexts[] = {
    "Lead Acid", // 1
    "Nickel Cadmium", // 2
    "Nickel Metal Hydride", // 3
    "Lithium-ion", // 4
    "Zinc Air", // 5
    "Lithium Polymer", // 6
};

// Code 0 and codes past the table are unknown.
template <std::size_t N>
std::string listText(const char *const (&texts_)[N], unsigned code_)
{
    return code_ >= 1 && code_ <= N ? texts_[code_ - 1] : unknownText;
}

// Set bits above the table have no name and add nothing.
template <std::size_t N>
std::string bitsText(const char *const (&names_)[N], unsigned bits_, const char *none_)
{
    static_assert(N <= 32, "a bit set has 32 bits");
    std::string s;
    for (unsigned bit = 0; bit < N; ++bit) {
        if ((bits_ & (1u << bit)) == 0)
            continue;
        if (!s.empty())
            s += ", ";
        s += names_[bit];
    }
    return s.empty() ? std::string(none_) : s;
}

void writeCodeText(KVS_streamOutputBase &out_, unsigned code_, const std::string &text_)
{
    out_ << code_ << text_.c_str();
}

// A text cut off by the end of the input leaves the old text, not a piece of
// the new one.
void readCodeText(KVS_streamInputBase &in_, unsigned &code_, std::string &text_)
{
    in_ >> code_;
    std::string newText;
    in_ >> newText;
    text_.swap(newText);
}

} // namespace

std::string ValueProcessorType::toString() const
{
    return listText(processorTypeTexts, value);
}

std::string ValueProcessorUpgrade::toString() const
{
    return listText(processorUpgradeTexts, value);
}

std::string ValueProcessorCap::toString() const
{
    return bitsText(processorCapBits, value, "none");
}

std::string ValueCacheType::toString() const
{
    return bitsText(cacheTypeBits, value, unknownText);
}

std::string ValueCacheAssociativity::toString() const
{
    return listText(cacheAssociativityTexts, value);
}

std::string ValueMemoryLocation::toString() const
{
    return listText(memoryLocationTexts, value);
}

std::string ValueMemoryUse::toString() const
{
    return listText(memoryUseTexts, value);
}

std::string ValueMemoryECT::toString() const
{
    return bitsText(memoryEctBits, value, unknownText);
}

std::string ValueMemoryFormFactor::toString() const
{
    return listText(memoryFormFactorTexts, value);
}

std::string ValueMemoryType::toString() const
{
    return listText(memoryTypeTexts, value);
}

std::string ValueMemoryTypeDetail::toString() const
{
    return bitsText(memoryTypeDetailBits, value, unknownText);
}

std::string ValueMemorySpeed::toString() const
{
    return bitsText(memorySpeedBits, value, unknownText);
}

std::string ValueMemoryVoltage::toString() const
{
    return bitsText(memoryVoltageBits, value, unknownText);
}

std::string ValueCardSlotType::toString() const
{
    return listText(cardSlotTypeTexts, value);
}

std::string ValueCardSlotChars::toString() const
{
    return bitsText(cardSlotCharsBits, value, unknownText);
}

std::string ValueCardSlotDetail::toString() const
{
    return bitsText(cardSlotDetailBits, value, unknownText);
}

std::string ValueDeviceClass::toString() const
{
    return listText(deviceClassTexts, value);
}

std::string ValueBIOSChar::toString() const
{
    return bitsText(biosCharBits, value, "");
}

void ValueCodeText::write(KVS_streamOutputBase &out_) const
{
    writeCodeText(out_, code, text);
}

void ValueCodeText::read(KVS_streamInputBase &in_)
{
    readCodeText(in_, code, text);
}

std::string ValueProcessorFamily::toString() const
{
    return text.empty() ? listText(processorFamilyTexts, code) : text;
}

void ValueProcessorFamily::write(KVS_streamOutputBase &out_) const
{
    if (legacyLayout)
        out_ << code;
    else
        ValueCodeText::write(out_);
}

void ValueProcessorFamily::read(KVS_streamInputBase &in_)
{
    if (legacyLayout)
        in_ >> code;
    else
        ValueCodeText::read(in_);
}

std::string ValueBatteryChemistry::toString() const
{
    return listText(batteryChemistryTexts, code);
}

std::string ValueAGPRate::toString() const
{
    if (supported == 0)
        return unknownText;
    std::string s;
    // Unsigned and 64-bit: bit 31 stands for 2147483648x, which a signed
    // rate could not hold, and a signed set would never shift down to 0.
    std::uint64_t rate = 1;
    for (unsigned rest = supported; rest != 0; rest >>= 1, rate *= 2) {
        if ((rest & 1) == 0)
            continue;
        Text::appendUnsigned(s, rate);
        s += 'x';
        if ((rest >> 1) != 0)
            s += ", ";
    }
    switch (enabled) {
    case 1:
        s += " (1x enabled)";
        break;
    case 2:
        s += " (2x enabled)";
        break;
    case 4:
        s += " (4x enabled)";
        break;
    case 8:
        s += " (8x enabled)";
        break;
    default:
        break;
    }
    return s;
}

void ValueAGPRate::write(KVS_streamOutputBase &out_) const
{
    out_ << supported << enabled;
}

void ValueAGPRate::read(KVS_streamInputBase &in_)
{
    in_ >> supported >> enabled;
}

std::string ValueEnumAvailability::toString() const
{
    switch (code) {
    case 0:
        return unknownText;
    case 1:
        return "not supported";
    case 2:
        return "supported";
    case 3:
        return "supported (disabled)";
    case 4:
        return "supported (enabled)";
    default:
        return std::string();
    }
}

void ValueEnumAvailability::write(KVS_streamOutputBase &out_) const
{
    out_ << code;
}

void ValueEnumAvailability::read(KVS_streamInputBase &in_)
{
    in_ >> code;
}

} // namespace KV_Rigscan
