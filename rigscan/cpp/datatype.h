#ifndef RIGSCAN_DATATYPE_H
#define RIGSCAN_DATATYPE_H

#include <string>
#include <type_traits>

#include "kvs_filtertext.h"
#include "kvs_stream.h"
#include "kvs_streammemory.h"
#include "kvs_streamobject.h"

namespace KV_Rigscan {

// A lasting copy of a name, shared by every equal one; "" for null.
const char *internedName(const char *name_);

// A named member value of the model. The state tags the member's role for the
// viewer's summary; it is given by the owner's reset and never streamed.
class Datatype : public KVS_streamObject<Datatype> {
public:
    Datatype() = default;
    Datatype(const Datatype &) = default;
    Datatype &operator=(const Datatype &) = default;
    virtual ~Datatype();

    virtual unsigned getState() const { return state; }
    virtual unsigned setState(unsigned state_) { return state = state_; }
    // Keeps its own copy of the text.
    virtual void setName(const char *name_) { name = internedName(name_); }
    virtual const char *getName() const { return name; }
    // For labels that live as long as the program (string literals): only
    // the pointer is kept, so the many values of a tree cost no copies.
    void setLabel(const char *label_) { name = label_ ? label_ : ""; }
    virtual std::string toString() const = 0;
    virtual void write(KVS_streamOutputBase &out_) const = 0;
    virtual void read(KVS_streamInputBase &in_) = 0;

private:
    const char *name = "";
    unsigned state = 0;
};

// Text of a plain number: its decimal digits and one blank, made the way every
// model number is made, through the text filter over a small memory stream.
template <class T>
std::string numberText(T value_)
{
    KVS_streamOutputMemory memory(32);
    KVS_filterText filter(" ");
    {
        auto text = memory.applyFilter(filter);
        text << value_;
    }
    memory << '\0';
    return std::string(reinterpret_cast<const char *>(memory.getBuffer()));
}

template <class T>
class Value : public Datatype {
public:
    Value() = default;

    std::string toString() const override { return numberText(value); }
    void write(KVS_streamOutputBase &out_) const override { out_ << value; }
    void read(KVS_streamInputBase &in_) override { in_ >> value; }

    virtual void set(T value_)
    {
        clear();
        value = value_;
    }
    virtual void clear() { value = 0; }

    T get() const { return value; }

protected:
    T value = 0;
};

template <class T>
class ValueHex : public Value<T> {
public:
    std::string toString() const override
    {
        static const char digits[] = "0123456789abcdef";
        using U = std::make_unsigned_t<T>;
        const U bits = static_cast<U>(this->value);
        std::string s = "0x";
        for (int nibble = int(sizeof(T)) * 2 - 1; nibble >= 0; --nibble)
            s.push_back(digits[(bits >> (4 * nibble)) & 0xF]);
        return s;
    }
};

class String : public Datatype {
public:
    String() = default;

    std::string toString() const override { return value; }
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(const std::string &value_) { value = value_; }
    // Every record's reset empties its texts: without a temporary string.
    void clear() { value.clear(); }
    const std::string &get() const { return value; }

private:
    std::string value;
};

class Version : public Datatype {
public:
    Version(int major_ = 0, int minor_ = 0, const char *text_ = nullptr);

    void reset();
    std::string toString() const override;
    void write(KVS_streamOutputBase &out_) const override;
    void read(KVS_streamInputBase &in_) override;

    void set(int major_, int minor_, const char *text_);
    int getMajor() const { return major; }
    int getMinor() const { return minor; }
    const std::string &getText() const { return text; }

private:
    int major = 0;
    int minor = 0;
    std::string text;
};

// A number shown directly followed by its unit ("4400mAHr"); the unit is not streamed.
class IntUnit : public Value<int> {
public:
    std::string toString() const override;

    void setUnit(const char *unit_) { unit = unit_ ? unit_ : ""; }
    const std::string &getUnit() const { return unit; }

private:
    std::string unit;
};

} // namespace KV_Rigscan

#endif
