#ifndef KVS_EXCEPTION_H
#define KVS_EXCEPTION_H

#include <string>

// Fixed message table of the base library; exceptions point at its entries.
enum KVS_message : unsigned {
    KVS_msgNotImplemented = 0,
    KVS_msgMemAllocation = 1,
    KVS_msgMultipleReferences = 3,
    KVS_msgZeroPointer = 6,
    KVS_msgStreamUnderflow = 7,
    KVS_msgStreamOverflow = 8,
    KVS_msgFileOpenRead = 9,
    KVS_msgFileNotOpen = 12,
    KVS_messageCount = 33
};

const char *KVS_messageText(unsigned index_);

// Thrown and caught by value; the three C strings point at static texts.
class KVS_exceptionBase {
public:
    KVS_exceptionBase(const char *context_, const char *function_, const char *message_,
                      std::string detail_ = std::string());

    const char *getContext() const { return context; }
    const char *getFunction() const { return function; }
    const char *getMessage() const { return message; }
    const std::string &getDetail() const { return detail; }

private:
    const char *context;
    const char *function;
    const char *message;
    std::string detail;
};

class KVS_exceptionZeroPointer : public KVS_exceptionBase {
public:
    KVS_exceptionZeroPointer(const char *context_, const char *function_);
};

class KVS_exceptionMemAllocation : public KVS_exceptionBase {
public:
    KVS_exceptionMemAllocation(unsigned size_, const char *context_, const char *function_);
};

class KVS_exceptionStream : public KVS_exceptionBase {
public:
    using KVS_exceptionBase::KVS_exceptionBase;
};

class KVS_exceptionStreamUnderflow : public KVS_exceptionStream {
public:
    KVS_exceptionStreamUnderflow(unsigned count_, const char *context_, const char *function_);
    unsigned getCount() const { return count; }

private:
    unsigned count;
};

class KVS_exceptionStreamOverflow : public KVS_exceptionStream {
public:
    KVS_exceptionStreamOverflow(unsigned count_, const char *context_, const char *function_);
    unsigned getCount() const { return count; }

private:
    unsigned count;
};

#endif
