#include "kvs_exception.h"

#include <charconv>

namespace {

// Entries no operation of the program reads are left empty.
const char *const messageTable[KVS_messageCount] = {
    "Not implemented",
    "Unable to allocate memory",
    "",
    "Unable to reconstruct object due to multiple references",
    "",
    "",
    "0-pointer assignment",
    "Stream underflow",
    "Stream overflow",
    "Unable to open file for reading",
    "",
    "",
    "File not open",
};

std::string bytesText(unsigned size_)
{
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, size_);
    return std::string(buf, res.ptr) + " bytes";
}

} // namespace

const char *KVS_messageText(unsigned index_)
{
    if (index_ >= KVS_messageCount || !messageTable[index_])
        return "";
    return messageTable[index_];
}

KVS_exceptionBase::KVS_exceptionBase(const char *context_, const char *function_, const char *message_,
                                     std::string detail_)
    : context(context_ ? context_ : ""), function(function_ ? function_ : ""),
      message(message_ ? message_ : ""), detail(std::move(detail_))
{
}

KVS_exceptionZeroPointer::KVS_exceptionZeroPointer(const char *context_, const char *function_)
    : KVS_exceptionBase(context_, function_, KVS_messageText(KVS_msgZeroPointer))
{
}

KVS_exceptionMemAllocation::KVS_exceptionMemAllocation(unsigned size_, const char *context_,
                                                       const char *function_)
    : KVS_exceptionBase(context_, function_, KVS_messageText(KVS_msgMemAllocation), bytesText(size_))
{
}

KVS_exceptionStreamUnderflow::KVS_exceptionStreamUnderflow(unsigned count_, const char *context_,
                                                           const char *function_)
    : KVS_exceptionStream(context_, function_, KVS_messageText(KVS_msgStreamUnderflow)), count(count_)
{
}

KVS_exceptionStreamOverflow::KVS_exceptionStreamOverflow(unsigned count_, const char *context_,
                                                         const char *function_)
    : KVS_exceptionStream(context_, function_, KVS_messageText(KVS_msgStreamOverflow)), count(count_)
{
}
