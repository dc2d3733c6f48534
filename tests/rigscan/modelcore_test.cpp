#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "List.h"
#include "basecomponent.h"
#include "blockbuilder.h"
#include "kvs_streammemory.h"

using namespace KV_Rigscan;

namespace {

// A component with a number, a text and a list of texts, for trees built in tests.
class Probe : public BaseComponent {
public:
    explicit Probe(int id, const char *name = "Probe") : id(id), name(name) { reset(); }
    ~Probe() override { reset(); }

    const char *getName() const override { return name; }
    int getID() const override { return id; }
    void reset() override
    {
        number.set(0);
        number.setName("Number");
        text.set("");
        texts.clear();
        texts.setName("Texts");
    }
    void writeToStream(BaseOutputStream &out) const override
    {
        out << number << text << texts;
        BaseComponent::writeToStream(out);
    }
    void readFromStream(BaseInputStream &in) override
    {
        reset();
        in >> number >> text >> texts;
        BaseComponent::readFromStream(in);
    }

    int id;
    const char *name;
    Value<unsigned> number;
    String text;
    List<String, 31> texts;
};

String str(const char *s)
{
    String v;
    v.set(s);
    return v;
}

std::vector<const BaseComponent *> children(const BaseComponent &parent)
{
    std::vector<const BaseComponent *> out;
    for (const BaseComponent *c = parent.getFirstChild(); c; c = c->getNextSibling())
        out.push_back(c);
    return out;
}

std::vector<unsigned char> write(const BaseComponent &root)
{
    KVS_streamOutputMemory memory(4096);
    auto adapter = memory.applyFilter(FeedthroughAdapter());
    adapter << static_cast<const BaseContainer &>(root);
    return std::vector<unsigned char>(memory.getBuffer(), memory.getBuffer() + memory.getLength());
}

void read(BaseComponent &root, const unsigned char *data, unsigned size)
{
    KVS_streamInputMemory memory(data, size);
    auto adapter = memory.applyFilter(FeedthroughAdapter());
    adapter >> static_cast<BaseContainer &>(root);
}

TEST(Tree, AppendPrependAndDetachKeepTheWalkOrder)
{
    Probe parent(1), a(2), b(3), c(4), d(5);
    parent.add(a);
    parent.add(b);
    parent.add(c);
    EXPECT_EQ(children(parent), (std::vector<const BaseComponent *>{&a, &b, &c}));
    parent.prependChild(&d);
    EXPECT_EQ(children(parent), (std::vector<const BaseComponent *>{&d, &a, &b, &c}));
    EXPECT_EQ(d.getParent(), &parent);
    EXPECT_EQ(a.getPrevSibling(), &d);

    EXPECT_EQ(b.detach(), &c);
    EXPECT_EQ(children(parent), (std::vector<const BaseComponent *>{&d, &a, &c}));
    EXPECT_EQ(a.getNextSibling(), &c);
    EXPECT_EQ(c.getPrevSibling(), &a);
    EXPECT_EQ(b.getParent(), nullptr);
    EXPECT_EQ(c.detach(), &parent);
    EXPECT_EQ(parent.getLastChild(), &a);

    Probe lone(1), only(2);
    lone.add(only);
    only.detach();
    EXPECT_EQ(lone.getFirstChild(), nullptr);
    EXPECT_EQ(lone.getLastChild(), nullptr);
}

TEST(Tree, IdenticalIdentifiersAreRefused)
{
    Probe parent(1), zero(0), seven(7), otherSeven(7);
    parent.add(zero);
    parent.add(seven);
    try {
        parent.add(otherSeven);
        FAIL();
    } catch (const SIException &e) {
        EXPECT_STREQ(e.getMessage(), "Unable to add child component with identical ID with a child");
        EXPECT_STREQ(e.getContext(), "KV_Rigscan::BaseComponent");
        EXPECT_STREQ(e.getFunction(), "add(BaseComponent &child_)");
    }
    EXPECT_EQ(children(parent), (std::vector<const BaseComponent *>{&zero, &seven}));
    EXPECT_EQ(otherSeven.getParent(), nullptr);
}

TEST(Tree, MovingAComponentCutsOffItsChildrenCleanly)
{
    Probe oldParent(1), newParent(2), moved(3), grandchild(4);
    oldParent.add(moved);
    moved.add(grandchild);
    newParent.add(moved);
    EXPECT_EQ(moved.getParent(), &newParent);
    EXPECT_EQ(moved.getFirstChild(), nullptr);
    EXPECT_EQ(moved.getLastChild(), nullptr);
    EXPECT_EQ(oldParent.getFirstChild(), nullptr);
    // The cut-off child keeps no link to its former parent.
    EXPECT_EQ(grandchild.getParent(), nullptr);
}

TEST(Tree, DestroyedNodesLeaveNoDanglingLinks)
{
    Probe parent(1), first(2), last(4);
    {
        Probe middle(3);
        parent.add(first);
        parent.add(middle);
        parent.add(last);
    }
    EXPECT_EQ(children(parent), (std::vector<const BaseComponent *>{&first, &last}));
    EXPECT_EQ(last.getPrevSibling(), &first);

    Probe orphan1(5), orphan2(6);
    {
        Probe shortLived(9);
        shortLived.add(orphan1);
        shortLived.add(orphan2);
    }
    EXPECT_EQ(orphan1.getParent(), nullptr);
    EXPECT_EQ(orphan1.getNextSibling(), nullptr);
    EXPECT_EQ(orphan2.getPrevSibling(), nullptr);
    // Detaching the survivors afterwards touches nothing that is gone (ASan would see it).
    orphan1.detach();
    orphan2.detach();
}

TEST(Tree, CyclesAreRefused)
{
    Probe root(1), child(2), grandchild(3);
    root.add(child);
    child.add(grandchild);
    EXPECT_THROW(grandchild.add(root), SIException);
    EXPECT_THROW(child.appendChild(&child), SIException);
    EXPECT_THROW(grandchild.prependChild(&child), SIException);
    EXPECT_EQ(root.getFirstChild(), &child);
    EXPECT_EQ(child.getFirstChild(), &grandchild);
    EXPECT_EQ(grandchild.getFirstChild(), nullptr);
    EXPECT_EQ(child.appendChild(nullptr), nullptr);
}

TEST(Tree, VisitChildrenChangesNothing)
{
    Probe root(1), a(2), b(3), c(4);
    root.add(a);
    root.add(b);
    b.add(c);
    const auto before = write(root);
    root.visitChildren();
    EXPECT_EQ(children(root), (std::vector<const BaseComponent *>{&a, &b}));
    EXPECT_EQ(write(root), before);
}

// A probe's members on the block: number, text, list of texts.
Block probeMembers(unsigned number, const std::string &text, std::vector<std::string> texts = {})
{
    Block b;
    b.u32(number).text(text).u32(static_cast<unsigned>(texts.size()));
    for (const std::string &t : texts)
        b.text(t);
    return b;
}

struct SmallTree {
    Probe root{1, "Root"}, cpu{7, "CPU"}, directx{2, "DirectX"}, draw{3, "DirectDraw"}, memory{6, "Memory"};
    SmallTree()
    {
        root.add(cpu);
        root.add(directx);
        directx.add(draw);
        root.add(memory);
    }
};

Block smallTreeBlock(unsigned extraInDraw = 0)
{
    Block draw = probeMembers(33, "dd", {"ab", "c"});
    draw.zeros(extraInDraw);
    Block directx = probeMembers(2, "");
    directx.chunk(3, draw);
    Block b = probeMembers(1, "root");
    b.chunk(7, probeMembers(7, "cpu"));
    b.chunk(2, directx);
    b.chunk(6, probeMembers(6, "mem", {"x"}));
    return b;
}

void fill(SmallTree &t)
{
    t.root.number.set(1);
    t.root.text.set("root");
    t.cpu.number.set(7);
    t.cpu.text.set("cpu");
    t.directx.number.set(2);
    t.draw.number.set(33);
    t.draw.text.set("dd");
    t.draw.texts.append(str("ab"));
    t.draw.texts.append(str("c"));
    t.memory.number.set(6);
    t.memory.text.set("mem");
    t.memory.texts.append(str("x"));
}

TEST(Block, WriterProducesTheHandBuiltLayout)
{
    SmallTree t;
    fill(t);
    EXPECT_EQ(write(t.root), smallTreeBlock().bytes);

    Probe alone(1);
    alone.number.set(5);
    EXPECT_EQ(write(alone), probeMembers(5, "").bytes);
}

TEST(Block, ReaderFillsTheTreeAndToleratesLongerChunks)
{
    for (unsigned extra : {0u, 12u}) {
        SCOPED_TRACE(extra);
        SmallTree t;
        t.memory.texts.append(str("stale"));
        const Block b = smallTreeBlock(extra);
        KVS_streamInputMemory memory(b.data(), b.size());
        auto adapter = memory.applyFilter(FeedthroughAdapter());
        adapter >> static_cast<BaseContainer &>(t.root);
        EXPECT_EQ(memory.getRemaining(), 0u);
        EXPECT_EQ(t.root.text.get(), "root");
        EXPECT_EQ(t.draw.number.get(), 33u);
        ASSERT_EQ(t.draw.texts.count(), 2u);
        EXPECT_EQ(t.draw.texts.back().get(), "c");
        EXPECT_EQ(t.memory.text.get(), "mem");
        ASSERT_EQ(t.memory.texts.count(), 1u) << "reset empties the list before the read";
        EXPECT_EQ(t.memory.texts.front().get(), "x");
    }
}

TEST(Block, BytesAfterTheLastChunkAreNotRead)
{
    SmallTree t;
    Block b = smallTreeBlock();
    b.raw({1, 2, 3});
    KVS_streamInputMemory memory(b.data(), b.size());
    auto adapter = memory.applyFilter(FeedthroughAdapter());
    adapter >> static_cast<BaseContainer &>(t.root);
    EXPECT_EQ(memory.getRemaining(), 3u);
}

TEST(Block, MismatchingIdentifierStopsTheRead)
{
    SmallTree t;
    Block b = probeMembers(1, "root");
    b.chunk(7, probeMembers(70, "cpu"));
    b.chunk(6, probeMembers(6, "mem"));
    try {
        read(t.root, b.data(), b.size());
        FAIL();
    } catch (const SIException &e) {
        EXPECT_STREQ(e.getMessage(), "Mismatching stream and container hierarchies");
        EXPECT_STREQ(e.getFunction(), "readFromStream(KV_Rigscan::BaseInputStream&)");
    }
    EXPECT_EQ(t.cpu.number.get(), 70u);
    EXPECT_EQ(t.directx.number.get(), 0u);
}

TEST(Block, ShortChunkUnderflowsInsideTheSubStream)
{
    SmallTree t;
    Block b = probeMembers(1, "root");
    Block cpu;
    cpu.u32(7); // text and list missing from the chunk although the block goes on
    b.chunk(7, cpu);
    b.append(probeMembers(0, "more bytes behind the chunk"));
    try {
        read(t.root, b.data(), b.size());
        FAIL();
    } catch (const KVS_exceptionStreamUnderflow &e) {
        EXPECT_STREQ(e.getContext(), "KVS_streamInputSub");
    }
    EXPECT_EQ(t.cpu.number.get(), 7u);
}

TEST(Block, EveryStrictPrefixFailsWithAStreamOrModelException)
{
    const Block full = smallTreeBlock();
    for (unsigned cut = 0; cut < full.size(); ++cut) {
        SCOPED_TRACE(cut);
        // An exact-size heap copy, so a read past the prefix is caught.
        std::unique_ptr<unsigned char[]> prefix(new unsigned char[cut ? cut : 1]);
        std::copy(full.data(), full.data() + cut, prefix.get());
        SmallTree t;
        EXPECT_THROW(read(t.root, prefix.get(), cut), KVS_exceptionBase);
    }
}

TEST(Block, ClaimsBeyondTheDataFailWithoutAllocatingForThem)
{
    struct Case {
        const char *name;
        Block block;
    };
    Block hugeList;
    hugeList.u32(1).text("root").u32(0xFFFFFFFFu).text("only one");
    Block hugeChunk = probeMembers(1, "root");
    hugeChunk.i32(7).u32(0xFFFFFFF0u).append(probeMembers(7, "cpu"));
    const std::vector<Case> cases = {{"list count", hugeList}, {"chunk length", hugeChunk}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SmallTree t;
        EXPECT_THROW(read(t.root, c.block.data(), c.block.size()), KVS_exceptionStreamUnderflow);
    }
}

TEST(Lists, StreamFormsAndIdentifiers)
{
    List<String, 31> texts;
    std::vector<unsigned char> bytes;
    {
        KVS_streamOutputMemory memory(64);
        auto adapter = memory.applyFilter(FeedthroughAdapter());
        adapter << static_cast<const BaseList &>(texts);
        EXPECT_EQ(memory.getLength(), 4u);
        texts.append(str("ab"));
        texts.append(str("c"));
        adapter << static_cast<const BaseList &>(texts);
        bytes.assign(memory.getBuffer() + 4, memory.getBuffer() + memory.getLength());
    }
    EXPECT_EQ(bytes, (std::vector<unsigned char>{2, 0, 0, 0, 'a', 'b', 0, 'c', 0}));

    // Reading appends: twice without a reset doubles the elements.
    List<String, 31> back;
    for (int i = 0; i < 2; ++i) {
        KVS_streamInputMemory memory(bytes.data(), static_cast<unsigned>(bytes.size()));
        auto adapter = memory.applyFilter(FeedthroughAdapter());
        adapter >> static_cast<BaseList &>(back);
    }
    EXPECT_EQ(back.count(), 4u);
    EXPECT_EQ((List<String, 17>().getID()), 17);
    EXPECT_EQ((List<String, 31>().getID()), 31);
}

// Records every call a tree makes on a view stream.
class RecordingView : public BaseOutputStream {
public:
    BaseOutputStream &operator<<(const BaseContainer &c) override
    {
        calls.push_back(std::string("container ") + c.getName());
        c.writeToStream(*this);
        return *this;
    }
    BaseOutputStream &operator<<(const Datatype &v) override
    {
        calls.push_back(std::string("value ") + v.getName());
        return *this;
    }
    BaseOutputStream &operator<<(const ChunkHeader &h) override
    {
        calls.push_back("header " + h.name + " " + std::to_string(h.length));
        return *this;
    }
    BaseOutputStream &operator<<(const BaseList &l) override
    {
        calls.push_back(std::string("list ") + l.getName());
        l.writeToStream(*this);
        return *this;
    }
    BaseOutputStream &operator<<(const BaseList::Length &) override
    {
        calls.push_back("count");
        return *this;
    }
    std::vector<std::string> calls;
};

TEST(Block, ViewStreamSeesEachHeaderRightBeforeItsChild)
{
    Probe root(1, "Root"), child(7, "CPU");
    root.add(child);
    child.texts.append(str("x"));
    RecordingView view;
    view << static_cast<const BaseContainer &>(root);
    const std::vector<std::string> expected = {
        "container Root", "value Number", "value ",      "list Texts",   "count",
        "header CPU 11",  "container CPU", "value Number", "value ",      "list Texts",
        "count",          "value ",
    };
    EXPECT_EQ(view.calls, expected);
}

} // namespace
