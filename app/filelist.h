#pragma once

#include <QString>
#include <memory>
#include <vector>

// Named entries whose nodes link to each other. Links are kept on both
// sides, and a node that goes always removes itself from every node it links
// to, also while its whole list goes (a link may lead into another list).
class TFileList {
public:
    class Node {
    public:
        Node(const Node &) = delete;
        Node &operator=(const Node &) = delete;
        ~Node();

        // Links both ways; a node does not link to itself or twice.
        void Link(Node *other_);
        void Unlink(Node *other_);
        const std::vector<Node *> &Links() const { return links; }

    private:
        friend class TFileList;
        Node() = default;
        std::vector<Node *> links;
    };

    TFileList() = default;
    TFileList(const TFileList &) = delete;
    TFileList &operator=(const TFileList &) = delete;
    ~TFileList();

    int Add(const QString &name_);
    // Frees the entry's node, which leaves every node it linked to; nothing
    // for an index out of range.
    void Delete(int index_);
    void Clear();

    int Count() const { return static_cast<int>(entries.size()); }
    const QString &Name(int index_) const { return entries.at(static_cast<std::size_t>(index_)).name; }
    Node *Object(int index_) const { return entries.at(static_cast<std::size_t>(index_)).node.get(); }

private:
    struct Entry {
        QString name;
        std::unique_ptr<Node> node;
    };
    std::vector<Entry> entries;
};

