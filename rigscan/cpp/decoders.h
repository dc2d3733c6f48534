#ifndef RIGSCAN_DECODERS_H
#define RIGSCAN_DECODERS_H

#include <string>

#include "datatype.h"

namespace KV_Rigscan {

// A code or a set of flag bits as the stream carries it; subclasses give it
// its display text.
class ValueCode : public Value<unsigned> {
public:
    ValueCode() = default;
    ValueCode(const ValueCode &) = default;
    ValueCode &operator=(const ValueCode &) = default;
    ~ValueCode() override { value = 0; }

    // Stores the code as it is, without the clear() that set() runs first.
    virtual void assign(unsigned code_) { value = code_; }
};

// Processor and cache codes.

class ValueProcessorType : public ValueCode {
public:
    std::string toString() const override;
};

class ValueProcessorUpgrade : public ValueCode {
public:
    std::string toString() const override;
};

class ValueProcessorCap : public ValueCode {
public:
    std::string toString() const override;
};

class ValueCacheType : public ValueCode {
public:
    std::string toString() const override;
};

class ValueCacheAssociativity : public ValueCode {
public:
    std::string toString() const override;
};

// Memory codes.

class ValueMemoryLocation : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryUse : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryECT : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryFormFactor : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryType : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryTypeDetail : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemorySpeed : public ValueCode {
public:
    std::string toString() const override;
};

class ValueMemoryVoltage : public ValueCode {
public:
    std::string toString() const override;
};

// Expansion slots, devices and BIOS.

class ValueCardSlotType : public ValueCode {
public:
    std::string toString() const override;
};

class ValueCardSlotChars : public ValueCode {
public:
    std::string toString() const override;
};

class ValueCardSlotDetail : public ValueCode {
public:
    std::string toString() const override;
};

class ValueDeviceClass : public ValueCode {
public:
    std::string toString() const override;
};

// With no known flag set the text is empty rather than "<unknown>".
class ValueBIOSChar : public ValueCode {
public:
    std::string toString() const override;
};

// A code and a text, streamed as the code's 4 bytes and the text with its
// terminating 0.
class ValueCodeText : public Datatype {
public:
    explicit ValueCodeText(unsigned code_ = 0, const char *text_ = "") : code(code_), text(text_ ? text_ : "") {}

    void write(KVS_streamOutputBase &out_) const override;
    // A text cut by the end of the data leaves the old text.
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned code_, const std::string &text_ = std::string())
    {
        code = code_;
        text = text_;
    }
    void clear()
    {
        code = 0;
        text.clear();
    }
    unsigned getCode() const { return code; }
    const std::string &getText() const { return text; }

protected:
    unsigned code = 0;
    std::string text;
};

// A processor family: the code, and the name the scan found, which wins over
// the code's own text when there is one.
class ValueProcessorFamily : public ValueCodeText {
public:
    explicit ValueProcessorFamily(unsigned code_ = 0, const char *text_ = "") : ValueCodeText(code_, text_) {}

    std::string toString() const override;
    // The older layout carries the code alone.
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;
};

// A battery chemistry: shown by its code only; the stored text is carried
// along and never displayed.
class ValueBatteryChemistry : public ValueCodeText {
public:
    explicit ValueBatteryChemistry(unsigned code_ = 0) : ValueCodeText(code_) {}

    std::string toString() const override;
};

// AGP transfer rates: bit n of the supported set stands for the rate 2^n x;
// the enabled rate is the plain multiplier (1, 2, 4 or 8).
class ValueAGPRate : public Datatype {
public:
    ValueAGPRate() = default;

    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned supported_, unsigned enabled_)
    {
        supported = supported_;
        enabled = enabled_;
    }
    void clear() { supported = enabled = 0; }
    unsigned getSupported() const { return supported; }
    unsigned getEnabled() const { return enabled; }

private:
    unsigned supported = 0;
    unsigned enabled = 0;
};

// Whether an optional feature is there and switched on.
class ValueEnumAvailability : public Datatype {
public:
    ValueEnumAvailability() = default;

    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(unsigned code_) { code = code_; }
    void clear() { code = 0; }
    unsigned get() const { return code; }

private:
    unsigned code = 0;
};

} // namespace KV_Rigscan

#endif
