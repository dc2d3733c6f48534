#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <memory>
#include <vector>

#include "RegistryStore.h"
#include "TemporarySettings.h"
#include "recentfilelist.h"
#include "settingskeys.h"

namespace {

const char *const section = "Recent File List";

void storeEntries(const QStringList &values_, const QString &maxSize_ = QString())
{
    RegistryStore store(programKey());
    if (!maxSize_.isNull())
        store.writeString(section, "MaxSize", maxSize_);
    for (int i = 0; i < values_.size(); ++i)
        store.writeString(section, QStringLiteral("File%1").arg(i + 1), values_[i]);
}

// The captions under the anchor up to the next item that is not the list's.
QStringList itemsUnder(QMenu &menu_, QAction *anchor_)
{
    QStringList captions;
    const QList<QAction *> items = menu_.actions();
    for (qsizetype i = items.indexOf(anchor_) + 1; i < items.size(); ++i) {
        if (items[i]->property(TRecentFileList::tagProperty).toInt() < TRecentFileList::firstMenuTag)
            break;
        captions.append(items[i]->data().toString());
    }
    return captions;
}

struct FileMenu {
    QMenu menu;
    QAction *open = menu.addAction("Open");
    QAction *anchor = menu.addSeparator();
    QAction *exit = menu.addAction("Exit");
};

} // namespace

TEST(RecentFileList, AddingFiles)
{
    struct Case {
        const char *name;
        QStringList added;
        QStringList expected;
    };
    const Case cases[] = {
        {"newest first", {"a.prp", "b.prb", "c.prp"}, {"c.prp", "b.prb", "a.prp"}},
        {"a repeat in other case moves to the top", {"C:\\R\\a.prp", "b.prb", "c:\\r\\A.PRP"}, {"c:\\r\\A.PRP", "b.prb"}},
        {"a repeat of the newest stays alone", {"a.prp", "a.prp"}, {"a.prp"}},
        {"temporary files never enter", {"x.tmp", "a.prp", "y.TMP", "/t/z.Tmp"}, {"a.prp"}},
        {"only the file name's extension counts", {"/data.tmp/run.prp", "run.tmp.prb"}, {"run.tmp.prb", "/data.tmp/run.prp"}},
        {"the oldest goes beyond the maximum", {"1.prp", "2.prp", "3.prp", "4.prp", "5.prp"},
         {"5.prp", "4.prp", "3.prp", "2.prp"}},
        {"a repeat does not push out the oldest", {"1.prp", "2.prp", "3.prp", "4.prp", "2.PRP"},
         {"2.PRP", "4.prp", "3.prp", "1.prp"}},
        {"empty paths are ignored", {"", "a.prp", ""}, {"a.prp"}},
    };
    for (const Case &c : cases) {
        TemporarySettings root;
        TRecentFileList list;
        for (const QString &path : c.added)
            list.AddFile(path);
        EXPECT_EQ(list.files(), c.expected) << c.name;
    }
}

TEST(RecentFileList, LoadingFromTheStore)
{
    struct Case {
        const char *name;
        QString maxSize;
        QStringList stored;
        int expectedMax;
        QStringList expected;
    };
    const Case cases[] = {
        {"no section", QString(), {}, 4, {}},
        {"empty values are gaps", QString(), {"", "b.prp"}, 4, {"b.prp"}},
        {"gaps anywhere", "6", {"a.prp", "", "", "d.prp", "", "f.prp"}, 6, {"a.prp", "d.prp", "f.prp"}},
        {"default maximum reads four", QString(), {"1", "2", "3", "4", "5"}, 4, {"1", "2", "3", "4"}},
        {"a smaller maximum", "2", {"1", "2", "3"}, 2, {"1", "2"}},
        {"zero lists nothing", "0", {"1", "2"}, 0, {}},
        {"the largest maximum", "16", {"1", "2", "3"}, 16, {"1", "2", "3"}},
        {"too large", "17", {"1", "2", "3", "4", "5"}, 4, {"1", "2", "3", "4"}},
        {"negative", "-1", {"1"}, 4, {"1"}},
        {"huge", "1000000000", {"1"}, 4, {"1"}},
        {"no number", "many", {"1"}, 4, {"1"}},
        {"hand-edited repeats and temporary files", QString(), {"a.prp", "A.PRP", "b.tmp", "c.prb"}, 4,
         {"a.prp", "c.prb"}},
    };
    for (const Case &c : cases) {
        TemporarySettings root;
        storeEntries(c.stored, c.maxSize);
        TRecentFileList list;
        EXPECT_EQ(TRecentFileList::MaxSize, c.expectedMax) << c.name;
        EXPECT_EQ(list.files(), c.expected) << c.name;
    }
}

TEST(RecentFileList, SavesWhatItHoldsAndNothingElse)
{
    TemporarySettings root;
    storeEntries({"1.prp", "2.prp", "3.prp", "4.prp", "5.prp", "6.prp"}, "6");
    {
        TRecentFileList list;
        list.AddFile("7.prp");
        list.AddFile("3.prp");
    }
    const RegistryStore store(programKey());
    EXPECT_EQ(store.readInteger(section, "MaxSize", -1), 6);
    const QStringList expected = {"3.prp", "7.prp", "1.prp", "2.prp", "4.prp", "5.prp"};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(store.readString(section, QStringLiteral("File%1").arg(i + 1)), expected[i]);
    EXPECT_FALSE(store.valueExists(section, "File7"));

    TRecentFileList reloaded;
    EXPECT_EQ(reloaded.files(), expected);
}

TEST(RecentFileList, AShorterListLeavesNoStaleEntries)
{
    TemporarySettings root;
    storeEntries({"1.prp", "2.prp", "3.prp", "4.prp", "5.prp"}, "17");
    { TRecentFileList list; }
    const RegistryStore store(programKey());
    EXPECT_EQ(store.readInteger(section, "MaxSize", -1), 4);
    EXPECT_EQ(store.readString(section, "File4"), "4.prp");
    EXPECT_FALSE(store.valueExists(section, "File5"));
}

TEST(RecentFileList, AnAddedFileIsSavedAtOnce)
{
    TemporarySettings root;
    TRecentFileList list;
    list.AddFile("/results/a.prp");
    EXPECT_EQ(RegistryStore(programKey()).readString(section, "File1"), "/results/a.prp");
}

TEST(RecentFileList, TheMenuListsNewestFirst)
{
    TemporarySettings root;
    storeEntries({"c.prp", "b.prp", "a.prp"});
    FileMenu file;
    TRecentFileList list;
    list.AttachMenu(file.anchor);

    // Each step: the file added, then the items under the anchor.
    struct Step {
        const char *added;
        QStringList expected;
    };
    const Step steps[] = {
        {nullptr, {"c.prp", "b.prp", "a.prp"}},
        {"d.prp", {"d.prp", "c.prp", "b.prp", "a.prp"}},
        {"e.prp", {"e.prp", "d.prp", "c.prp", "b.prp"}},
        {"B.PRP", {"B.PRP", "e.prp", "d.prp", "c.prp"}},
        {"x.tmp", {"B.PRP", "e.prp", "d.prp", "c.prp"}},
    };
    for (const Step &step : steps) {
        if (step.added)
            list.AddFile(step.added);
        EXPECT_EQ(itemsUnder(file.menu, file.anchor), step.expected) << (step.added ? step.added : "attached");
        EXPECT_EQ(itemsUnder(file.menu, file.anchor), list.files());
        EXPECT_EQ(file.menu.actions().first(), file.open);
        EXPECT_EQ(file.menu.actions().last(), file.exit);
    }
    for (int i = 0; i < list.count(); ++i)
        ASSERT_NE(list.menuItem(i), nullptr);
}

TEST(RecentFileList, AttachingAgainReplacesTheEarlierItems)
{
    TemporarySettings root;
    storeEntries({"b.prp", "a.prp"});
    FileMenu file;
    // An item of an earlier attachment, and a plain item after it.
    QAction *stale = new QAction("stale.prp", &file.menu);
    stale->setProperty(TRecentFileList::tagProperty, TRecentFileList::firstMenuTag + 3);
    file.menu.insertAction(file.exit, stale);
    QAction *plain = new QAction("plain", &file.menu);
    plain->setProperty(TRecentFileList::tagProperty, 5);
    file.menu.insertAction(file.exit, plain);

    TRecentFileList list;
    list.AttachMenu(file.anchor);
    list.AttachMenu(file.anchor);
    EXPECT_EQ(itemsUnder(file.menu, file.anchor), QStringList({"b.prp", "a.prp"}));
    EXPECT_FALSE(file.menu.actions().contains(stale));
    EXPECT_TRUE(file.menu.actions().contains(plain));
    EXPECT_EQ(file.menu.actions().size(), 6);
}

TEST(RecentFileList, AnAnchorAtTheEndOfTheMenu)
{
    TemporarySettings root;
    storeEntries({"b.prp", "a.prp"});
    QMenu menu;
    QAction *anchor = menu.addSeparator();
    TRecentFileList list;
    list.AttachMenu(anchor);
    list.AddFile("c.prp");
    EXPECT_EQ(itemsUnder(menu, anchor), QStringList({"c.prp", "b.prp", "a.prp"}));
}

TEST(RecentFileList, ItemsShowPathsAsTheyAreAndCarryTags)
{
    TemporarySettings root;
    storeEntries({"/r/Tom & Jerry.prp", "/r/b.prp"});
    FileMenu file;
    TRecentFileList list;
    list.AttachMenu(file.anchor);
    EXPECT_EQ(list.menuItem(0)->text(), "/r/Tom && Jerry.prp");
    for (int i = 0; i < list.count(); ++i)
        EXPECT_GE(list.menuItem(i)->property(TRecentFileList::tagProperty).toInt(), TRecentFileList::firstMenuTag);
}

TEST(RecentFileList, ClickingAnItemOpensItsPath)
{
    TemporarySettings root;
    storeEntries({"/r/Tom & Jerry.prp", "/r/b.prp"});
    std::vector<QString> opened;
    FileMenu file;
    auto list = std::make_unique<TRecentFileList>();
    TRecentFileList *self = nullptr;
    list = std::make_unique<TRecentFileList>([&](const QString &path_) {
        opened.push_back(path_);
        // Opening adds the file again, which replaces the clicked item.
        self->AddFile(path_);
    });
    self = list.get();
    list->AttachMenu(file.anchor);
    list->menuItem(1)->trigger();
    list->menuItem(1)->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "/r/b.prp");
    EXPECT_EQ(opened[1], "/r/Tom & Jerry.prp");
    EXPECT_EQ(itemsUnder(file.menu, file.anchor), QStringList({"/r/Tom & Jerry.prp", "/r/b.prp"}));
}

TEST(RecentFileList, ClickingWithoutHandlerDoesNothing)
{
    TemporarySettings root;
    storeEntries({"a.prp"});
    FileMenu file;
    TRecentFileList list;
    list.AttachMenu(file.anchor);
    list.menuItem(0)->trigger();
    EXPECT_EQ(list.files(), QStringList({"a.prp"}));
}

TEST(RecentFileList, TheListGoesBeforeOrAfterItsMenu)
{
    TemporarySettings root;
    storeEntries({"a.prp", "b.prp"});
    {
        auto menu = std::make_unique<FileMenu>();
        TRecentFileList list;
        list.AttachMenu(menu->anchor);
        menu.reset();
        list.AddFile("c.prp");
        EXPECT_EQ(list.count(), 3);
    }
    FileMenu file;
    {
        TRecentFileList list;
        list.AttachMenu(file.anchor);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(file.menu.actions().size(), 3);
}
