#include "kvs_filtertext.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace {

const char *const filterContext = "KVS_filterText::StreamOutput";

// The printf format of each element type; only the conversion letter matters
// to the formatter below, the texts are kept for the guard and for reading.
template <class T>
constexpr const char *formatOf()
{
    if constexpr (std::is_same_v<T, char>)
        return "%c%s";
    else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
        return "%f%s";
    else if constexpr (std::is_signed_v<T>)
        return "%i%s";
    else
        return "%u%s";
}

// Formats one element as printf would with the C locale. long and unsigned
// long are 32-bit quantities on the streams, so they print as such.
template <class T>
std::string_view formatValue(char *buf_, std::size_t size_, T value_)
{
    std::to_chars_result res;
    if constexpr (std::is_same_v<T, char>) {
        buf_[0] = value_;
        return std::string_view(buf_, 1);
    } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
        const double v = value_;
        res = std::to_chars(buf_, buf_ + size_, v, std::chars_format::fixed, 6);
    } else if constexpr (std::is_signed_v<T>) {
        res = std::to_chars(buf_, buf_ + size_, static_cast<std::int32_t>(value_));
    } else {
        res = std::to_chars(buf_, buf_ + size_, static_cast<std::uint32_t>(value_));
    }
    return std::string_view(buf_, res.ec == std::errc() ? std::size_t(res.ptr - buf_) : 0);
}

} // namespace

KVS_filterText::StreamOutput::StreamOutput(KVS_streamOutputBase *target_, const KVS_filterText &filter_)
    : target(target_), openCount(1), separator(filter_.getSeparator().c_str())
{
    if (!target_)
        throw KVS_exceptionZeroPointer(filterContext, "StreamOutput(KVS_streamOutputBase *target_, const KVS_filterText &filter_)");
}

KVS_filterText::StreamOutput::~StreamOutput()
{
    close();
}

bool KVS_filterText::StreamOutput::open()
{
    return KVS_openCount(openCount);
}

bool KVS_filterText::StreamOutput::close()
{
    // Released to the empty separator, never to a null one.
    if (KVS_closeCount(openCount))
        separator = "";
    return openCount != 0;
}

KVS_streamOutputBase &KVS_filterText::StreamOutput::operator<<(const char *string_)
{
    if (!string_)
        throw KVS_exceptionZeroPointer(filterContext, "operator<<(const char *string_)");
    target->writeStr(string_, static_cast<unsigned>(std::strlen(string_)));
    return *this;
}

template <class T>
void KVS_filterText::StreamOutput::formatStream(const char *string_, const T *value_, unsigned rep_)
{
    if (!string_ || !value_)
        throw KVS_exceptionZeroPointer(filterContext, "formatStream(const char *string_, T *value_, unsigned rep_=1)");
    // Large enough for any double in fixed notation with six decimals.
    char number[400];
    std::string element;
    for (unsigned i = 0; i < rep_; ++i) {
        element.assign(formatValue(number, sizeof number, value_[i]));
        element.append(separator);
        target->writeStr(element.data(), static_cast<unsigned>(element.size()));
    }
}

#define KVS_X(T)                                                                                   \
    void KVS_filterText::StreamOutput::writeStr(const T *string_, unsigned units_)                \
    {                                                                                              \
        formatStream(formatOf<T>(), string_, units_);                                              \
    }
KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X
