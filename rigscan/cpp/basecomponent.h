#ifndef RIGSCAN_BASECOMPONENT_H
#define RIGSCAN_BASECOMPONENT_H

#include "kvs_exception.h"
#include "modelstream.h"

namespace KV_Rigscan {

// The model's exception: context, function and message are static texts.
class SIException : public KVS_exceptionBase {
public:
    SIException(const char *context_, const char *function_, const char *message_)
        : KVS_exceptionBase(context_, function_, message_)
    {
    }
};

// Intrusive parent/child/sibling links. A node owns nothing it links to; it
// never leaves a link to itself behind when it is detached or destroyed.
template <class T>
class BaseTreeNode {
public:
    BaseTreeNode() = default;
    BaseTreeNode(const BaseTreeNode &) = delete;
    BaseTreeNode &operator=(const BaseTreeNode &) = delete;

    virtual T *prependChild(T *child_);
    virtual T *appendChild(T *child_);
    virtual T *detach();
    virtual T *getParent() const { return parent; }
    virtual T *getFirstChild() const { return firstChild; }
    virtual T *getLastChild() const { return lastChild; }
    virtual T *getPrevSibling() const { return prevSibling; }
    virtual T *getNextSibling() const { return nextSibling; }

    // True when node_ is this node or one of its ancestors.
    bool isSelfOrAncestor(const T *node_) const;

protected:
    ~BaseTreeNode() { unlink(); }

private:
    static BaseTreeNode *node(T *t_) { return t_; }
    void refuseCycle(T *child_, const char *function_) const;
    void unlink();

    T *parent = nullptr;
    T *firstChild = nullptr;
    T *lastChild = nullptr;
    T *prevSibling = nullptr;
    T *nextSibling = nullptr;
};

class BaseComponent : public BaseContainer, public BaseTreeNode<BaseComponent> {
public:
    BaseComponent() = default;
    ~BaseComponent() override = default;

    // Writes the children as chunks, each sized before it is written.
    void writeToStream(BaseOutputStream &out_) const override;
    // Reads the children the tree already holds from their chunks, in order.
    void readFromStream(BaseInputStream &in_) override;
    virtual void reset() = 0;
    virtual void visitChildren();

    // Appends a child; refuses an identifier a present child already has.
    void add(BaseComponent &child_);
};

template <class T>
bool BaseTreeNode<T>::isSelfOrAncestor(const T *node_) const
{
    for (const BaseTreeNode *n = this; n; n = n->parent ? node(n->parent) : nullptr)
        if (n == static_cast<const BaseTreeNode *>(node_))
            return true;
    return false;
}

template <class T>
void BaseTreeNode<T>::refuseCycle(T *child_, const char *function_) const
{
    if (isSelfOrAncestor(child_))
        throw SIException("KV_Rigscan::BaseTreeNode", function_,
                          "Unable to add a component to itself or to one of its descendants");
}

template <class T>
T *BaseTreeNode<T>::appendChild(T *child_)
{
    if (!child_)
        return nullptr;
    refuseCycle(child_, "appendChild(T *child_)");
    BaseTreeNode *c = node(child_);
    c->detach();
    if (lastChild)
        node(lastChild)->nextSibling = child_;
    else
        firstChild = child_;
    c->prevSibling = lastChild;
    c->parent = static_cast<T *>(this);
    lastChild = child_;
    return child_;
}

template <class T>
T *BaseTreeNode<T>::prependChild(T *child_)
{
    if (!child_)
        return nullptr;
    refuseCycle(child_, "prependChild(T *child_)");
    BaseTreeNode *c = node(child_);
    c->detach();
    if (firstChild)
        node(firstChild)->prevSibling = child_;
    else
        lastChild = child_;
    c->nextSibling = firstChild;
    c->parent = static_cast<T *>(this);
    firstChild = child_;
    return child_;
}

template <class T>
void BaseTreeNode<T>::unlink()
{
    if (prevSibling)
        node(prevSibling)->nextSibling = nextSibling;
    else if (parent)
        node(parent)->firstChild = nextSibling;
    if (nextSibling)
        node(nextSibling)->prevSibling = prevSibling;
    else if (parent)
        node(parent)->lastChild = prevSibling;
    // The children are cut off whole: none keeps a link to this node.
    for (T *c = firstChild; c;) {
        BaseTreeNode *n = node(c);
        c = n->nextSibling;
        n->parent = n->prevSibling = n->nextSibling = nullptr;
    }
    parent = prevSibling = nextSibling = firstChild = lastChild = nullptr;
}

template <class T>
T *BaseTreeNode<T>::detach()
{
    T *former = nextSibling ? nextSibling : parent;
    unlink();
    return former;
}

} // namespace KV_Rigscan

#endif
