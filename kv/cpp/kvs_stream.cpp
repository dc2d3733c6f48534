#include "kvs_stream.h"

#include <cstring>

KVS_streamInputBase &KVS_streamInputBase::operator>>(std::string &string_)
{
    string_.clear();
    char c;
    *this >> c;
    while (c != 0) {
        string_.push_back(c);
        *this >> c;
    }
    return *this;
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
