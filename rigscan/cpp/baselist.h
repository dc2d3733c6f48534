#ifndef RIGSCAN_BASELIST_H
#define RIGSCAN_BASELIST_H

#include "basecontainer.h"
#include "datatype.h"

namespace KV_Rigscan {

// A named list of elements; on the block an element count, then the elements.
class BaseList : public BaseContainer {
public:
    // The element count as it travels ahead of the elements.
    class Length : public Datatype {
    public:
        explicit Length(unsigned count_ = 0) : count(count_) {}

        std::string toString() const override { return std::string(); }
        void write(KVS_streamOutputBase &out_) const override { out_ << count; }
        void read(KVS_streamInputBase &in_) override { in_ >> count; }

        unsigned get() const { return count; }

    private:
        unsigned count;
    };
};

} // namespace KV_Rigscan

#endif
