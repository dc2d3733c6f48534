#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decoders.h"
#include "kvs_streammemory.h"

using namespace KV_Rigscan;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes streamed(const Datatype &value)
{
    KVS_streamOutputMemory out(256);
    value.write(out);
    return Bytes(out.getBuffer(), out.getBuffer() + out.getLength());
}

template <class D>
std::string textOf(unsigned code)
{
    D decoder;
    static_cast<ValueCode &>(decoder).assign(code);
    return static_cast<const Datatype &>(decoder).toString();
}

struct CodeCase {
    const char *name;
    std::string (*text)(unsigned);
    unsigned code;
    std::string want;
};

TEST(CodeDecoders, Texts)
{
    const std::vector<CodeCase> cases = {
        {"processor type 0", textOf<ValueProcessorType>, 0, "<unknown>"},
        {"processor type first", textOf<ValueProcessorType>, 1, "Central"},
        {"processor type last", textOf<ValueProcessorType>, 4, "Video"},
        {"processor type past", textOf<ValueProcessorType>, 5, "<unknown>"},
        {"processor type max", textOf<ValueProcessorType>, 0xFFFFFFFFu, "<unknown>"},

        {"upgrade 0", textOf<ValueProcessorUpgrade>, 0, "<unknown>"},
        {"upgrade first", textOf<ValueProcessorUpgrade>, 1, "None"},
        {"upgrade 7", textOf<ValueProcessorUpgrade>, 7, "Replaceable Piggy Back"},
        {"upgrade last", textOf<ValueProcessorUpgrade>, 12, "Socket A"},
        {"upgrade past", textOf<ValueProcessorUpgrade>, 13, "<unknown>"},

        {"caps 0", textOf<ValueProcessorCap>, 0, "none"},
        {"caps first", textOf<ValueProcessorCap>, 1, "MMX"},
        {"caps last named", textOf<ValueProcessorCap>, 64, "SSE2"},
        {"caps unnamed alone", textOf<ValueProcessorCap>, 128, "none"},
        {"caps bit 31 alone", textOf<ValueProcessorCap>, 0x80000000u, "none"},
        {"caps with an unnamed bit", textOf<ValueProcessorCap>, 1 + 128, "MMX"},
        {"caps mixed", textOf<ValueProcessorCap>, 1 + 32 + 64, "MMX, SSE, SSE2"},
        {"caps all", textOf<ValueProcessorCap>, 0xFFFFFFFFu,
         "MMX, CMov, RDTSC, 3DNow!, Extended 3DNow!, SSE, SSE2"},

        {"cache type 0", textOf<ValueCacheType>, 0, "<unknown>"},
        {"cache type first", textOf<ValueCacheType>, 1, "Instruction"},
        {"cache type last named", textOf<ValueCacheType>, 512, "IO-Determinant"},
        {"cache type unnamed alone", textOf<ValueCacheType>, 1024, "<unknown>"},
        {"cache type in bit order", textOf<ValueCacheType>, 32 + 8 + 2, "Data, Write Back, Internal"},
        {"cache type all", textOf<ValueCacheType>, 0xFFFFFFFFu,
         "Instruction, Data, Write Through, Write Back, Disabled at Boot, Internal, External, Socketed, "
         "Variant, IO-Determinant"},

        {"associativity 0", textOf<ValueCacheAssociativity>, 0, "<unknown>"},
        {"associativity first", textOf<ValueCacheAssociativity>, 1, "Direct Mapped"},
        {"associativity 5 is 8-way", textOf<ValueCacheAssociativity>, 5, "8-way Set-Associative"},
        {"associativity last", textOf<ValueCacheAssociativity>, 6, "16-way Set-Associative"},
        {"associativity past", textOf<ValueCacheAssociativity>, 7, "<unknown>"},

        {"location 0", textOf<ValueMemoryLocation>, 0, "<unknown>"},
        {"location first", textOf<ValueMemoryLocation>, 1, "System Board"},
        {"location last", textOf<ValueMemoryLocation>, 13, "PC-98/Card slot add-on card"},
        {"location past", textOf<ValueMemoryLocation>, 14, "<unknown>"},

        {"use 0", textOf<ValueMemoryUse>, 0, "<unknown>"},
        {"use first", textOf<ValueMemoryUse>, 1, "System"},
        {"use last", textOf<ValueMemoryUse>, 5, "Cache"},
        {"use past", textOf<ValueMemoryUse>, 6, "<unknown>"},

        {"ect 0", textOf<ValueMemoryECT>, 0, "<unknown>"},
        {"ect first", textOf<ValueMemoryECT>, 1, "None"},
        {"ect last named", textOf<ValueMemoryECT>, 32, "CRC"},
        {"ect unnamed alone", textOf<ValueMemoryECT>, 64, "<unknown>"},
        {"ect all", textOf<ValueMemoryECT>, 0xFFFFFFFFu,
         "None, Parity, Single-bit ECC, Multi-bit ECC, Error Scrubbing, CRC"},

        {"form factor 0", textOf<ValueMemoryFormFactor>, 0, "<unknown>"},
        {"form factor first", textOf<ValueMemoryFormFactor>, 1, "SIMM"},
        {"form factor last", textOf<ValueMemoryFormFactor>, 12, "SRIMM"},
        {"form factor past", textOf<ValueMemoryFormFactor>, 13, "<unknown>"},

        {"memory type 0", textOf<ValueMemoryType>, 0, "<unknown>"},
        {"memory type first", textOf<ValueMemoryType>, 1, "DRAM"},
        {"memory type 13", textOf<ValueMemoryType>, 13, "SDRAM"},
        {"memory type last", textOf<ValueMemoryType>, 16, "DDR"},
        {"memory type past", textOf<ValueMemoryType>, 17, "<unknown>"},

        {"type detail 0", textOf<ValueMemoryTypeDetail>, 0, "<unknown>"},
        {"type detail first", textOf<ValueMemoryTypeDetail>, 1, "Standard"},
        {"type detail last named", textOf<ValueMemoryTypeDetail>, 1048576, "SDRAM"},
        {"type detail unnamed alone", textOf<ValueMemoryTypeDetail>, 2097152, "<unknown>"},
        {"type detail pair", textOf<ValueMemoryTypeDetail>, 128 + 1048576, "Synchronous, SDRAM"},
        {"type detail all", textOf<ValueMemoryTypeDetail>, 0xFFFFFFFFu,
         "Standard, Parity, ECC, Fast-paged, Static Column, Pseudo-static, RAMBUS, Synchronous, "
         "Asynchronous, CMOS, EDO, Non-burst, Burst, Pipeline Burst, Burst EDO, Window DRAM, Cache DRAM, "
         "Non-volatile, SIMM, DIMM, SDRAM"},

        {"speed 0", textOf<ValueMemorySpeed>, 0, "<unknown>"},
        {"speed first", textOf<ValueMemorySpeed>, 1, "70ns"},
        {"speed last named", textOf<ValueMemorySpeed>, 4, "50ns"},
        {"speed unnamed alone", textOf<ValueMemorySpeed>, 8, "<unknown>"},
        {"speed all", textOf<ValueMemorySpeed>, 0xFFFFFFFFu, "70ns, 60ns, 50ns"},

        {"voltage 0", textOf<ValueMemoryVoltage>, 0, "<unknown>"},
        {"voltage first", textOf<ValueMemoryVoltage>, 1, "2.9V"},
        {"voltage last named", textOf<ValueMemoryVoltage>, 4, "5.0V"},
        {"voltage unnamed alone", textOf<ValueMemoryVoltage>, 8, "<unknown>"},
        {"voltage all", textOf<ValueMemoryVoltage>, 0xFFFFFFFFu, "2.9V, 3.3V, 5.0V"},

        {"slot type 0", textOf<ValueCardSlotType>, 0, "<unknown>"},
        {"slot type first", textOf<ValueCardSlotType>, 1, "ISA"},
        {"slot type 12", textOf<ValueCardSlotType>, 12, "PCI - 66MHz Capable"},
        {"slot type last", textOf<ValueCardSlotType>, 21, "PC-98/Card"},
        {"slot type past", textOf<ValueCardSlotType>, 22, "<unknown>"},

        {"slot chars 0", textOf<ValueCardSlotChars>, 0, "<unknown>"},
        {"slot chars first", textOf<ValueCardSlotChars>, 1, "5.0V"},
        {"slot chars last named", textOf<ValueCardSlotChars>, 512, "SMBus Signal"},
        {"slot chars unnamed alone", textOf<ValueCardSlotChars>, 1024, "<unknown>"},
        {"slot chars all", textOf<ValueCardSlotChars>, 0xFFFFFFFFu,
         "5.0V, 3.3V, Shared, PC Card-16, CardBus, Zoom Video, Modem Ring Resume, PME Signal, Hot-Plugs, "
         "SMBus Signal"},

        {"slot detail 0", textOf<ValueCardSlotDetail>, 0, "<unknown>"},
        {"slot detail first", textOf<ValueCardSlotDetail>, 1, "Available"},
        {"slot detail last named", textOf<ValueCardSlotDetail>, 8, "Long"},
        {"slot detail unnamed alone", textOf<ValueCardSlotDetail>, 16, "<unknown>"},
        {"slot detail all", textOf<ValueCardSlotDetail>, 0xFFFFFFFFu, "Available, In Use, Short, Long"},

        {"device class 0", textOf<ValueDeviceClass>, 0, "<unknown>"},
        {"device class first", textOf<ValueDeviceClass>, 1, "1394 BUS Controller"},
        {"device class 14", textOf<ValueDeviceClass>, 14, "Sound, Video or Game Controller"},
        {"device class last", textOf<ValueDeviceClass>, 36, "Universal Serial Bus Controller"},
        {"device class past", textOf<ValueDeviceClass>, 37, "<unknown>"},

        {"bios 0 is empty", textOf<ValueBIOSChar>, 0, ""},
        {"bios first", textOf<ValueBIOSChar>, 1, "Plug and Play"},
        {"bios last named", textOf<ValueBIOSChar>, 4, "AGP"},
        {"bios unnamed alone is empty", textOf<ValueBIOSChar>, 8, ""},
        {"bios pair", textOf<ValueBIOSChar>, 1 + 4, "Plug and Play, AGP"},
        {"bios all", textOf<ValueBIOSChar>, 0xFFFFFFFFu, "Plug and Play, Flash, AGP"},
    };
    for (const CodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.text(c.code), c.want);
    }
}

struct TextCase {
    const char *name;
    std::function<std::unique_ptr<Datatype>()> make;
    std::string want;
};

TEST(CodeDecoders, FamilyChemistryAgpAndAvailabilityTexts)
{
    auto family = [](unsigned code, const char *text) {
        return [=] { return std::make_unique<ValueProcessorFamily>(code, text); };
    };
    auto chemistry = [](unsigned code, const char *text) {
        return [=] {
            auto p = std::make_unique<ValueBatteryChemistry>();
            p->set(code, text);
            return p;
        };
    };
    auto agp = [](unsigned supported, unsigned enabled) {
        return [=] {
            auto p = std::make_unique<ValueAGPRate>();
            p->set(supported, enabled);
            return p;
        };
    };
    auto availability = [](unsigned code) {
        return [=] {
            auto p = std::make_unique<ValueEnumAvailability>();
            p->set(code);
            return p;
        };
    };
    const std::vector<TextCase> cases = {
        {"family 0", family(0, ""), "<unknown>"},
        {"family first", family(1, ""), "8086"},
        {"family 9", family(9, ""), "Pentium\xAE Family"},
        {"family 23", family(23, ""), "Athlon(tm)"},
        {"family 42", family(42, ""), "Pentium\xAE 4"},
        {"family 45 repeats 23", family(45, ""), "Athlon(tm)"},
        {"family 79", family(79, ""), "Pentium\xAE III with Intel\xAE SpeedStep(tm) Technology"},
        {"family 94", family(94, ""), "DSP"},
        {"family 98", family(98, ""), "VIA C3"},
        {"family 99", family(99, ""), "Athlon XP/MP/4"},
        {"family last", family(109, ""), "Celeron"},
        {"family past", family(110, ""), "<unknown>"},
        {"family max", family(0xFFFFFFFFu, ""), "<unknown>"},
        {"family text wins", family(42, "AMD Athlon(tm) XP 1800+"), "AMD Athlon(tm) XP 1800+"},
        {"family blank text wins", family(42, " "), " "},
        {"family text over unknown code", family(0, "Geode"), "Geode"},
        {"family null text", family(42, nullptr), "Pentium\xAE 4"},

        {"chemistry 0", chemistry(0, ""), "<unknown>"},
        {"chemistry first", chemistry(1, ""), "Lead Acid"},
        {"chemistry text never shown", chemistry(4, "LION"), "Lithium-ion"},
        {"chemistry last", chemistry(6, ""), "Lithium Polymer"},
        {"chemistry past", chemistry(7, "Alkaline"), "<unknown>"},

        {"agp none", agp(0, 0), "<unknown>"},
        {"agp none but enabled", agp(0, 4), "<unknown>"},
        {"agp one rate", agp(2, 0), "2x"},
        {"agp gap", agp(5, 0), "1x, 4x"},
        {"agp enabled", agp(7, 4), "1x, 2x, 4x (4x enabled)"},
        {"agp enabled 1", agp(1, 1), "1x (1x enabled)"},
        {"agp enabled 2", agp(3, 2), "1x, 2x (2x enabled)"},
        {"agp enabled 8", agp(15, 8), "1x, 2x, 4x, 8x (8x enabled)"},
        {"agp enabled not a rate", agp(15, 3), "1x, 2x, 4x, 8x"},
        {"agp enabled 16 has no text", agp(16, 16), "16x"},
        {"agp bit 31", agp(0x80000000u, 0), "2147483648x"},
        {"agp all", agp(0xFFFFFFFFu, 0xFFFFFFFFu),
         "1x, 2x, 4x, 8x, 16x, 32x, 64x, 128x, 256x, 512x, 1024x, 2048x, 4096x, 8192x, 16384x, "
         "32768x, 65536x, 131072x, 262144x, 524288x, 1048576x, 2097152x, 4194304x, 8388608x, "
         "16777216x, 33554432x, 67108864x, 134217728x, 268435456x, 536870912x, 1073741824x, "
         "2147483648x"},

        {"availability 0", availability(0), "<unknown>"},
        {"availability first", availability(1), "not supported"},
        {"availability 2", availability(2), "supported"},
        {"availability 3", availability(3), "supported (disabled)"},
        {"availability last", availability(4), "supported (enabled)"},
        {"availability past", availability(5), ""},
        {"availability max", availability(0xFFFFFFFFu), ""},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.make()->toString(), c.want);
    }
}

struct StreamCase {
    const char *name;
    std::function<std::unique_ptr<Datatype>()> make;
    std::function<std::unique_ptr<Datatype>()> makeOther;
    Bytes bytes;
};

TEST(CodeDecoders, StreamFormsAndRoundTrips)
{
    const std::vector<StreamCase> cases = {
        {"code",
         [] {
             auto p = std::make_unique<ValueMemoryType>();
             p->set(0x01020310u);
             return p;
         },
         [] {
             auto p = std::make_unique<ValueMemoryType>();
             p->set(13);
             return p;
         },
         {0x10, 3, 2, 1}},
        {"family without text", [] { return std::make_unique<ValueProcessorFamily>(42, ""); },
         [] { return std::make_unique<ValueProcessorFamily>(7, "old"); }, {42, 0, 0, 0, 0}},
        {"family with text", [] { return std::make_unique<ValueProcessorFamily>(0x102, "K7\xAE"); },
         [] { return std::make_unique<ValueProcessorFamily>(); }, {2, 1, 0, 0, 'K', '7', 0xAE, 0}},
        {"chemistry",
         [] {
             auto p = std::make_unique<ValueBatteryChemistry>(4);
             p->set(4, "LiOn");
             return p;
         },
         [] { return std::make_unique<ValueBatteryChemistry>(2); }, {4, 0, 0, 0, 'L', 'i', 'O', 'n', 0}},
        {"agp rate",
         [] {
             auto p = std::make_unique<ValueAGPRate>();
             p->set(0x80000007u, 4);
             return p;
         },
         [] {
             auto p = std::make_unique<ValueAGPRate>();
             p->set(1, 1);
             return p;
         },
         {7, 0, 0, 0x80, 4, 0, 0, 0}},
        {"availability",
         [] {
             auto p = std::make_unique<ValueEnumAvailability>();
             p->set(4);
             return p;
         },
         [] { return std::make_unique<ValueEnumAvailability>(); }, {4, 0, 0, 0}},
    };
    for (const StreamCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto value = c.make();
        const Bytes bytes = streamed(*value);
        EXPECT_EQ(bytes, c.bytes);
        auto back = c.makeOther();
        KVS_streamInputMemory in(bytes.data(), static_cast<unsigned>(bytes.size()));
        back->read(in);
        EXPECT_EQ(in.getRemaining(), 0u);
        EXPECT_EQ(back->toString(), value->toString());
        EXPECT_EQ(streamed(*back), bytes);
    }
}

TEST(CodeDecoders, ChemistryKeepsItsTextThroughARead)
{
    const Bytes bytes = {1, 0, 0, 0, 'P', 'b', 0};
    ValueBatteryChemistry chemistry(3);
    KVS_streamInputMemory in(bytes.data(), static_cast<unsigned>(bytes.size()));
    chemistry.read(in);
    EXPECT_EQ(chemistry.getCode(), 1u);
    EXPECT_EQ(chemistry.getText(), "Pb");
    EXPECT_EQ(chemistry.toString(), "Lead Acid");
}

TEST(CodeDecoders, ShortReadsKeepWhatWasReadAndTheRestAsItWas)
{
    // The text lacks its terminating 0: the code is new, the text the old one.
    const Bytes cutText = {9, 0, 0, 0, 'a', 'b'};
    ValueProcessorFamily family(42, "old");
    KVS_streamInputMemory familyIn(cutText.data(), static_cast<unsigned>(cutText.size()));
    EXPECT_THROW(family.read(familyIn), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(family.getCode(), 9u);
    EXPECT_EQ(family.getText(), "old");

    const Bytes codeOnly = {5, 0, 0, 0};
    ValueProcessorFamily bare(42, "");
    KVS_streamInputMemory bareIn(codeOnly.data(), static_cast<unsigned>(codeOnly.size()));
    EXPECT_THROW(bare.read(bareIn), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(bare.toString(), "8087");

    ValueAGPRate rate;
    rate.set(1, 8);
    KVS_streamInputMemory rateIn(codeOnly.data(), static_cast<unsigned>(codeOnly.size()));
    EXPECT_THROW(rate.read(rateIn), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(rate.getSupported(), 5u);
    EXPECT_EQ(rate.getEnabled(), 8u);

    ValueCacheType cache;
    cache.set(2);
    const Bytes cutCode = {1, 0};
    KVS_streamInputMemory cacheIn(cutCode.data(), static_cast<unsigned>(cutCode.size()));
    EXPECT_THROW(cache.read(cacheIn), KVS_exceptionStreamUnderflow);
    EXPECT_EQ(cache.toString(), "Data");
}

// Counts the clears that set and assign run through the virtual call.
class CountingUpgrade : public ValueProcessorUpgrade {
public:
    void clear() override
    {
        ++clears;
        ValueProcessorUpgrade::clear();
    }
    int clears = 0;
};

TEST(CodeDecoders, SetClearsFirstAndAssignDoesNot)
{
    CountingUpgrade upgrade;
    EXPECT_STREQ(upgrade.getName(), "");
    EXPECT_EQ(upgrade.getState(), 0u);
    EXPECT_EQ(upgrade.get(), 0u);

    Value<unsigned> &asValue = upgrade;
    asValue.set(9);
    EXPECT_EQ(upgrade.clears, 1);
    EXPECT_EQ(asValue.toString(), "Slot A");

    ValueCode &asCode = upgrade;
    asCode.assign(12);
    EXPECT_EQ(upgrade.clears, 1);
    EXPECT_EQ(upgrade.get(), 12u);

    asValue.clear();
    EXPECT_EQ(upgrade.toString(), "<unknown>");
}

} // namespace
