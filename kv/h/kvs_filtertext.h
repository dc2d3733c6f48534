#ifndef KVS_FILTERTEXT_H
#define KVS_FILTERTEXT_H

#include <string>

#include "kvs_stream.h"

// Turns typed writes into text: each scalar becomes its printf-style text and
// the separator. Numbers never depend on the process locale.
class KVS_filterText {
public:
    explicit KVS_filterText(const char *separator_ = " ") : separator(separator_ ? separator_ : "") {}

    const std::string &getSeparator() const { return separator; }

    class StreamOutput : public KVS_streamOutputBase {
    public:
        StreamOutput(KVS_streamOutputBase *target_, const KVS_filterText &filter_);
        ~StreamOutput() override;
        StreamOutput(const StreamOutput &) = default;
        StreamOutput &operator=(const StreamOutput &) = default;

        bool close() override;
        bool open() override;

        // The characters alone: no terminating 0 and no separator.
        KVS_streamOutputBase &operator<<(const char *string_) override;
        using KVS_streamOutputBase::operator<<;

#define KVS_X(T) void writeStr(const T *string_, unsigned units_) override;
        KVS_STREAM_SCALARS(KVS_X)
#undef KVS_X

    private:
        template <class T>
        void formatStream(const char *string_, const T *value_, unsigned rep_ = 1);

        KVS_streamOutputBase *target;
        unsigned openCount;
        const char *separator;
    };

private:
    std::string separator;
};

#endif
