#include "basecomponent.h"

#include "kvs_streamsub.h"

namespace KV_Rigscan {

namespace {
const char *const componentContext = "KV_Rigscan::BaseComponent";
} // namespace

void BaseComponent::add(BaseComponent &child_)
{
    for (BaseComponent *c = getFirstChild(); c; c = c->getNextSibling())
        if (c->getID() == child_.getID())
            throw SIException(componentContext, "add(BaseComponent &child_)",
                              "Unable to add child component with identical ID with a child");
    appendChild(&child_);
}

void BaseComponent::writeToStream(BaseOutputStream &out_) const
{
    for (const BaseComponent *child = getFirstChild(); child; child = child->getNextSibling()) {
        KVS_streamOutputCounter counter;
        {
            auto sizing = counter.applyFilter(FeedthroughAdapter());
            child->writeToStream(sizing);
        }
        ChunkHeader header(child->getID(), counter.getSize());
        const char *name = child->getName();
        header.name = name ? name : "";
        out_ << header;
        out_ << static_cast<const BaseContainer &>(*child);
    }
}

void BaseComponent::readFromStream(BaseInputStream &in_)
{
    for (BaseComponent *child = getFirstChild(); child; child = child->getNextSibling()) {
        ChunkHeader header;
        in_ >> header;
        if (header.id != child->getID())
            throw SIException(componentContext, "readFromStream(KV_Rigscan::BaseInputStream&)",
                              "Mismatching stream and container hierarchies");
        SubInputStream chunk(in_.getStream(), header.length);
        chunk >> static_cast<BaseContainer &>(*child);
    }
}

void BaseComponent::visitChildren()
{
    for (BaseComponent *child = getFirstChild(); child; child = child->getNextSibling())
        child->visitChildren();
}

} // namespace KV_Rigscan
