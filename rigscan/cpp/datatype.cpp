#include "datatype.h"

#include <unordered_set>

#include "textformat.h"

namespace KV_Rigscan {

Datatype::~Datatype() = default;

const char *internedName(const char *name_)
{
    if (!name_ || !*name_)
        return "";
    // Node-based: the texts never move once stored.
    static std::unordered_set<std::string> names;
    return names.emplace(name_).first->c_str();
}

void String::write(KVS_streamOutputBase &out_) const
{
    out_ << value.c_str();
}

void String::read(KVS_streamInputBase &in_)
{
    in_ >> value;
}

Version::Version(int major_, int minor_, const char *text_)
{
    reset();
    set(major_, minor_, text_);
}

void Version::reset()
{
    major = 0;
    minor = 0;
    text.clear();
    setLabel("Version");
}

void Version::set(int major_, int minor_, const char *text_)
{
    major = major_;
    minor = minor_;
    text = text_ ? text_ : "";
}

std::string Version::toString() const
{
    for (unsigned char c : text)
        if (c >= 0x21 && c <= 0x7E)
            return text;
    if (major == 0 && minor == 0)
        return "N/A";
    std::string s;
    Text::appendInt(s, major);
    s.push_back('.');
    Text::appendInt(s, minor);
    return s;
}

void Version::write(KVS_streamOutputBase &out_) const
{
    out_ << static_cast<unsigned>(major) << static_cast<unsigned>(minor) << text.c_str();
}

void Version::read(KVS_streamInputBase &in_)
{
    major = 0;
    minor = 0;
    text.clear();
    unsigned ma = 0, mi = 0;
    in_ >> ma;
    major = static_cast<int>(ma);
    in_ >> mi;
    minor = static_cast<int>(mi);
    in_ >> text;
}

std::string IntUnit::toString() const
{
    std::string s;
    Text::appendInt(s, value);
    return s + unit;
}

} // namespace KV_Rigscan
