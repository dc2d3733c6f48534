#ifndef RIGSCAN_TEXTFORMAT_H
#define RIGSCAN_TEXTFORMAT_H

#include <charconv>
#include <cstdint>
#include <string>

// Number texts as printf prints them in the C locale, whatever the process
// locale is.
namespace KV_Rigscan::Text {

inline void appendInt(std::string &out_, std::int64_t value_)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value_);
    out_.append(buf, res.ptr);
}

inline void appendUnsigned(std::string &out_, std::uint64_t value_)
{
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value_);
    out_.append(buf, res.ptr);
}

// "%0.Nf"
inline void appendFixed(std::string &out_, double value_, int decimals_)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value_, std::chars_format::fixed, decimals_);
    if (res.ec == std::errc())
        out_.append(buf, res.ptr);
}

// "%i" of a 32-bit quantity held in an unsigned field, as the C call sees it.
inline void appendI32(std::string &out_, std::uint32_t value_)
{
    appendInt(out_, static_cast<std::int32_t>(value_));
}

inline std::string intText(std::int64_t value_)
{
    std::string s;
    appendInt(s, value_);
    return s;
}

} // namespace KV_Rigscan::Text

#endif
