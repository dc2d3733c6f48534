#include "kvs_stream.h"

#include <cstring>

KVS_streamInputBase &KVS_streamInputBase::operator>>(std::string &string_)
{
    string_.clear();
    readUntilZero(string_, UINT64_MAX);
    return *this;
}

bool KVS_streamInputBase::readUntilZero(std::string &string_, std::uint64_t limit_)
{
    for (std::uint64_t i = 0; i < limit_; ++i) {
        char c;
        *this >> c;
        if (c == 0)
            return true;
        string_.push_back(c);
    }
    return false;
}

KVS_streamOutputBase &KVS_streamOutputBase::operator<<(const char *string_)
{
    if (!string_)
        throw KVS_exceptionZeroPointer("KVS_streamOutputBase", "operator<<(const char *string_)");
    const std::size_t length = std::strlen(string_);
    if (length >= 0xFFFFFFFFu)
        throw KVS_exceptionStreamOverflow(0, "KVS_streamOutputBase", "operator<<(const char *string_)");
    writeStr(string_, static_cast<unsigned>(length + 1));
    return *this;
}
