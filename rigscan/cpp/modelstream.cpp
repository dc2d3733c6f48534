#include "modelstream.h"

namespace KV_Rigscan {

FeedthroughAdapter::StreamOutput::StreamOutput(KVS_streamOutputBase *target_, const FeedthroughAdapter &)
    : target(target_)
{
    if (!target_)
        throw KVS_exceptionZeroPointer("KV_Rigscan::FeedthroughAdapter::StreamOutput",
                                       "StreamOutput(KVS_streamOutputBase *target_)");
}

BaseOutputStream &FeedthroughAdapter::StreamOutput::operator<<(const BaseContainer &container_)
{
    container_.writeToStream(*this);
    return *this;
}

BaseOutputStream &FeedthroughAdapter::StreamOutput::operator<<(const Datatype &value_)
{
    value_.write(*target);
    return *this;
}

BaseOutputStream &FeedthroughAdapter::StreamOutput::operator<<(const ChunkHeader &header_)
{
    *target << header_.id << header_.length;
    return *this;
}

BaseOutputStream &FeedthroughAdapter::StreamOutput::operator<<(const BaseList &list_)
{
    list_.writeToStream(*this);
    return *this;
}

BaseOutputStream &FeedthroughAdapter::StreamOutput::operator<<(const BaseList::Length &length_)
{
    length_.write(*target);
    return *this;
}

bool writesBlockBytes(const BaseOutputStream &out_)
{
    return dynamic_cast<const FeedthroughAdapter::StreamOutput *>(&out_) != nullptr;
}

void readChunkHeader(KVS_streamInputBase &in_, ChunkHeader &header_)
{
    header_.id = 0;
    header_.length = 0;
    in_ >> header_.id >> header_.length;
}

FeedthroughAdapter::StreamInput::StreamInput(KVS_streamInputBase *source_, const FeedthroughAdapter &)
    : ByteSourceInput(source_)
{
    if (!source_)
        throw KVS_exceptionZeroPointer("KV_Rigscan::FeedthroughAdapter::StreamInput",
                                       "StreamInput(KVS_streamInputBase *source_)");
}

BaseInputStream &ByteSourceInput::operator>>(BaseContainer &container_)
{
    container_.readFromStream(*this);
    return *this;
}

BaseInputStream &ByteSourceInput::operator>>(Datatype &value_)
{
    value_.read(*source);
    return *this;
}

BaseInputStream &ByteSourceInput::operator>>(ChunkHeader &header_)
{
    readChunkHeader(*source, header_);
    return *this;
}

BaseInputStream &ByteSourceInput::operator>>(BaseList &list_)
{
    list_.readFromStream(*this);
    return *this;
}

BaseInputStream &ByteSourceInput::operator>>(BaseList::Length &length_)
{
    length_.read(*source);
    return *this;
}

// The sub-stream is a member built after the base; the base only keeps its address.
SubInputStream::SubInputStream(KVS_streamInputBase *base_, unsigned length_)
    : ByteSourceInput(&sub), sub(base_, length_)
{
}

SubInputStream::~SubInputStream()
{
    sub.close();
}

} // namespace KV_Rigscan
