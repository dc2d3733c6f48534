#ifndef RIGSCAN_MODELSTREAM_H
#define RIGSCAN_MODELSTREAM_H

#include <string>

#include "baselist.h"
#include "kvs_streamsub.h"

namespace KV_Rigscan {

// The header in front of each child component on the block. The name is for
// views only; it is never stored.
struct ChunkHeader {
    ChunkHeader() { clear(); }
    ChunkHeader(int id_, unsigned length_)
    {
        set(id_, length_);
    }
    void clear()
    {
        id = 0;
        length = 0;
        name = "Chunk header";
    }
    void set(int id_, unsigned length_)
    {
        clear();
        id = id_;
        length = length_;
    }

    int id;
    unsigned length;
    std::string name;
};

// What the model sends when it writes itself; a byte writer and a tree view
// both take the same five calls.
class BaseOutputStream {
public:
    virtual BaseOutputStream &operator<<(const BaseContainer &container_) = 0;
    virtual BaseOutputStream &operator<<(const Datatype &value_) = 0;
    virtual BaseOutputStream &operator<<(const ChunkHeader &header_) = 0;
    virtual BaseOutputStream &operator<<(const BaseList &list_) = 0;
    virtual BaseOutputStream &operator<<(const BaseList::Length &length_) = 0;

protected:
    ~BaseOutputStream() = default;
};

class BaseInputStream {
public:
    virtual BaseInputStream &operator>>(BaseContainer &container_) = 0;
    virtual BaseInputStream &operator>>(Datatype &value_) = 0;
    virtual BaseInputStream &operator>>(ChunkHeader &header_) = 0;
    virtual BaseInputStream &operator>>(BaseList &list_) = 0;
    virtual BaseInputStream &operator>>(BaseList::Length &length_) = 0;
    virtual KVS_streamInputBase *getStream() = 0;

protected:
    ~BaseInputStream() = default;
};

// Ties the model streams to the typed byte streams; values go straight through.
class FeedthroughAdapter {
public:
    class StreamOutput : public BaseOutputStream {
    public:
        StreamOutput(KVS_streamOutputBase *target_, const FeedthroughAdapter &);
        virtual ~StreamOutput() = default;

        BaseOutputStream &operator<<(const BaseContainer &container_) override;
        BaseOutputStream &operator<<(const Datatype &value_) override;
        BaseOutputStream &operator<<(const ChunkHeader &header_) override;
        BaseOutputStream &operator<<(const BaseList &list_) override;
        BaseOutputStream &operator<<(const BaseList::Length &length_) override;

    private:
        KVS_streamOutputBase *target;
    };

    class StreamInput;
};

// A model input stream that reads its values from one typed byte stream.
class ByteSourceInput : public BaseInputStream {
public:
    explicit ByteSourceInput(KVS_streamInputBase *source_) : source(source_) {}

    BaseInputStream &operator>>(BaseContainer &container_) override;
    BaseInputStream &operator>>(Datatype &value_) override;
    BaseInputStream &operator>>(ChunkHeader &header_) override;
    BaseInputStream &operator>>(BaseList &list_) override;
    BaseInputStream &operator>>(BaseList::Length &length_) override;
    KVS_streamInputBase *getStream() override { return source; }

protected:
    ~ByteSourceInput() = default;

private:
    KVS_streamInputBase *source;
};

class FeedthroughAdapter::StreamInput : public ByteSourceInput {
public:
    StreamInput(KVS_streamInputBase *source_, const FeedthroughAdapter &);
    virtual ~StreamInput() = default;
};

// Reads one chunk: bounded to the chunk's length; closing it skips whatever
// the chunk still holds.
class SubInputStream : public ByteSourceInput {
public:
    SubInputStream(KVS_streamInputBase *base_, unsigned length_);
    virtual ~SubInputStream();
    SubInputStream(const SubInputStream &) = delete;
    SubInputStream &operator=(const SubInputStream &) = delete;

private:
    KVS_streamInputSub sub;
};

// True when the stream writes a block's bytes (or counts them), not a view.
bool writesBlockBytes(const BaseOutputStream &out_);

// Reads a chunk header from a typed byte stream.
void readChunkHeader(KVS_streamInputBase &in_, ChunkHeader &header_);

} // namespace KV_Rigscan

#endif
