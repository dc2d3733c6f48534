#include "filelist.h"

#include <algorithm>

namespace {
void removeFrom(std::vector<TFileList::Node *> &links_, TFileList::Node *node_)
{
    links_.erase(std::remove(links_.begin(), links_.end(), node_), links_.end());
}
} // namespace

TFileList::Node::~Node()
{
    for (Node *other : links)
        removeFrom(other->links, this);
}

void TFileList::Node::Link(Node *other_)
{
    if (!other_ || other_ == this || std::find(links.begin(), links.end(), other_) != links.end())
        return;
    links.push_back(other_);
    other_->links.push_back(this);
}

void TFileList::Node::Unlink(Node *other_)
{
    if (!other_)
        return;
    removeFrom(links, other_);
    removeFrom(other_->links, this);
}

TFileList::~TFileList()
{
    Clear();
}

int TFileList::Add(const QString &name_)
{
    entries.push_back(Entry{name_, std::unique_ptr<Node>(new Node)});
    return Count() - 1;
}

void TFileList::Delete(int index_)
{
    if (index_ < 0 || index_ >= Count())
        return;
    entries.erase(entries.begin() + index_);
}

void TFileList::Clear()
{
    // The last first.
    while (!entries.empty())
        entries.pop_back();
}
