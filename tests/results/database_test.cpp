#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "Exception.h"
#include "FileUtil.h"
#include "imagebuilder.h"
#include "openimage.h"
#include "recording_services.h"
#include "resultfiles_fixture.h"
#include "samplemachine.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "uTestList.h"

namespace fs = std::filesystem;

namespace {

class Databases : public ResultFilesTest {
protected:
    // A project parsed from a hand-built image, with one result per test id.
    CPolyraProject *project(const std::string &name, std::vector<std::pair<unsigned, float>> results = {},
                            std::uint32_t seed = 7, bool hidden = false)
    {
        Bytes items = image::basicItems(name, "about " + name, 1000.0f, 202);
        for (auto [item, value] : results)
            items = cat({items, floatItem(static_cast<std::uint16_t>(item), value)});
        image::Options o;
        o.seed = seed;
        o.record = true;
        o.hidden = hidden;
        return projectOfImage(image::build(items, o));
    }

    std::vector<std::string> names(const CBasicDatabase &db)
    {
        std::vector<std::string> out;
        for (int i = 0; i < db.getProjectCount(); ++i)
            out.push_back(db.getProject(i)->getName());
        return out;
    }

    Bytes fileBytes(const std::string &path)
    {
        std::vector<unsigned char> b;
        EXPECT_TRUE(readWholeFile(path, b));
        return b;
    }

};

Bytes le32(std::uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

Bytes databaseFile(const std::string &name, std::uint32_t count, const std::vector<Bytes> &records)
{
    Bytes out = text("Scorvista2001 Database\n");
    out.push_back(0);
    out = cat({out, le32(static_cast<std::uint32_t>(name.size())), text(name), le32(count)});
    for (const Bytes &r : records)
        out = cat({out, le32(static_cast<std::uint32_t>(r.size())), r});
    return out;
}

Bytes recordOf(const std::string &name, bool hidden = false)
{
    image::Options o;
    o.record = true;
    o.hidden = hidden;
    return image::build(image::basicItems(name), o);
}

// A bulk add does not search the list for every project it adds; it must
// still refuse one that is already in.
TEST_F(Databases, BulkAddRefusesProjectsAlreadyIn)
{
    CPolyraDatabase db;
    CPolyraProject *before = project("Before");
    ASSERT_EQ(db.addProject(before), 0);
    CPolyraProject *added = project("Added");
    CPolyraProject *removed = project("Removed");
    db.beginBulkAdd();
    EXPECT_EQ(db.addProject(before), 1);
    EXPECT_EQ(db.addProject(added), 0);
    EXPECT_EQ(db.addProject(added), 1);
    EXPECT_EQ(db.addProject(removed), 0);
    db.removeProject(removed);
    EXPECT_EQ(db.addProject(removed), 0) << "taken out and added again";
    db.endBulkAdd();
    ASSERT_EQ(db.getProjectCount(), 3);
    EXPECT_EQ(db.getProject(0), before);
    EXPECT_EQ(db.getProject(1), added);
    EXPECT_EQ(db.getProject(2), removed);
    EXPECT_EQ(db.addProject(added), 1);
}

TEST_F(Databases, AddingRemovingAndOwnership)
{
    CPolyraDatabase a, b;
    EXPECT_EQ(a.getName(), "Database1");
    EXPECT_EQ(b.getName(), "Database2");
    CPolyraProject *p = project("P");
    EXPECT_EQ(a.addProject(p), 0);
    EXPECT_EQ(a.addProject(p), 1);
    EXPECT_EQ(a.getProjectCount(), 1);
    EXPECT_EQ(a.getVersion(), 202u);
    EXPECT_TRUE(p->isCurrent());
    // Moving to another database takes it out of the first.
    EXPECT_EQ(b.addProject(p), 0);
    EXPECT_EQ(a.getProjectCount(), 0);
    EXPECT_EQ(a.getVersion(), 0u);
    EXPECT_EQ(p->getDatabase(), &b);
    b.removeProject(p);
    EXPECT_EQ(p->getDatabase(), nullptr);
    delete p;
    EXPECT_EQ(b.getProjectCount(), 0);

    // Deleting a database deletes its projects, each exactly once.
    auto *c = new CPolyraDatabase;
    c->addProject(project("X"));
    c->addProject(project("Y"));
    EXPECT_EQ(CBasicProject::liveProjects().size(), 2u);
    delete c;
    EXPECT_TRUE(CBasicProject::liveProjects().empty());
}

TEST_F(Databases, UniqueNames)
{
    struct Case {
        std::string open, joining, result;
    };
    for (const Case &c : {Case{"Database1", "Database1", "Database2"}, Case{"Results", "results", "results1"},
                          Case{"5", "5", "2"}, Case{"Run9", "Run9", "Run10"}}) {
        CPolyraDatabase first;
        first.rename(c.open, nullptr);
        CPolyraDatabase second;
        second.rename(c.joining, nullptr);
        second.makeNameUnique();
        EXPECT_EQ(second.getName(), c.result);
    }
}

TEST_F(Databases, SortsTurnRoundOnTheSecondRun)
{
    struct Case {
        std::vector<float> values;
        std::vector<std::string> first, second;
    };
    const std::vector<Case> cases = {
        {{30, 20, 10}, {"v10", "v20", "v30"}, {"v30", "v20", "v10"}},
        {{10, 30, 20}, {"v30", "v20", "v10"}, {"v10", "v20", "v30"}},
        {{10, 10, 10}, {"v10", "v10(1)", "v10(2)"}, {"v10", "v10(1)", "v10(2)"}},
    };
    for (const Case &c : cases) {
        CPolyraDatabase db;
        for (float v : c.values)
            db.addProject(project("v" + std::to_string(int(v)), {{180, v}}));
        db.sortByTestResult(2);
        EXPECT_EQ(names(db), c.first);
        db.sortByTestResult(2);
        EXPECT_EQ(names(db), c.second);
        for (int i = 0; i < db.getProjectCount(); ++i)
            EXPECT_EQ(db.getProject(i)->getPosition(), i);
    }
    // Equal keys may change their order: 20, 20, 30 puts 30 first.
    CPolyraDatabase db;
    db.addProject(project("a", {{180, 20}}));
    db.addProject(project("b", {{180, 20}}));
    db.addProject(project("c", {{180, 30}}));
    db.sortByTestResult(2);
    EXPECT_EQ(names(db), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(Databases, StatisticsMarkLowestAndHighest)
{
    struct Case {
        std::vector<float> values;
        std::vector<bool> lowest, highest;
        double maximum;
    };
    const std::vector<Case> cases = {
        {{10, 0, -2}, {false, false, false}, {false, false, false}, 10},
        {{10, 30, 30}, {true, false, false}, {false, true, true}, 30},
        {{5, 5}, {false, false}, {false, false}, 5},
        {{42}, {false}, {false}, 42},
    };
    for (const Case &c : cases) {
        CPolyraDatabase db;
        for (std::size_t i = 0; i < c.values.size(); ++i)
            db.addProject(project("p" + std::to_string(i), {{181, c.values[i]}}));
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const TTestValue *v = db.getProject(static_cast<int>(i))->getTestValue(3);
            EXPECT_EQ(v->isLowest(), c.lowest[i]) << i;
            EXPECT_EQ(v->isHighest(), c.highest[i]) << i;
        }
        EXPECT_DOUBLE_EQ(db.getTestRanges()->findByTestId(3)->getObservedMaximum(), c.maximum);
    }
}

TEST_F(Databases, NormaliseOrderPutsEveryProjectAtItsPosition)
{
    const std::vector<std::vector<int>> permutations = {{2, 0, 1}, {1, 2, 0}, {3, 2, 1, 0}, {1, 0, 3, 2}, {0, 0, 1}};
    for (const auto &positions : permutations) {
        CPolyraDatabase db;
        for (std::size_t i = 0; i < positions.size(); ++i)
            db.addProject(project("p" + std::to_string(i)));
        for (std::size_t i = 0; i < positions.size(); ++i)
            db.getProject(static_cast<int>(i))->setPosition(positions[i]);
        db.normaliseOrder();
        for (int i = 0; i < db.getProjectCount(); ++i)
            EXPECT_EQ(db.getProject(i)->getPosition(), i);
        if (positions == std::vector<int>{2, 0, 1}) {
            EXPECT_EQ(names(db), (std::vector<std::string>{"p1", "p2", "p0"}));
        }
    }
}

TEST_F(Databases, CpuSortTogglesWhenOnlyTheClocksDiffer)
{
    auto withClock = [this](const std::string &name, unsigned mhz) {
        KV_Rigscan::SystemInfoTree tree;
        sample::fillMachine(tree);
        KV_Rigscan::CpuSlot &cpu = *tree.cpu.slots.begin();
        cpu.internalClock.set64(std::uint64_t(mhz) << 20);
        const Bytes items = cat({image::basicItems(name), blockItem(6, sample::blockOf(tree))});
        return projectOfImage(image::build(items));
    };
    CPolyraDatabase db;
    db.addProject(withClock("slow", 800));
    db.addProject(withClock("fast", 1400));
    db.sortByCpu();
    EXPECT_EQ(names(db), (std::vector<std::string>{"fast", "slow"}));
    db.sortByCpu();
    EXPECT_EQ(names(db), (std::vector<std::string>{"slow", "fast"}));
    db.sortByCpuSpeed();
    EXPECT_EQ(names(db), (std::vector<std::string>{"fast", "slow"}));
}

TEST_F(Databases, EmptyDatabaseFileIsFortyOneBytes)
{
    const std::string path = (dir / "empty.prb").string();
    {
        CPolyraDatabase db;
        ASSERT_TRUE(db.saveToFile(path));
    }
    EXPECT_EQ(fileBytes(path), databaseFile("Database1", 0, {}));
    EXPECT_EQ(fileBytes(path).size(), 41u);
    CPolyraDatabase back;
    ASSERT_TRUE(back.loadFromFile(path));
    EXPECT_EQ(back.getProjectCount(), 0);
    EXPECT_FALSE(back.isModified());
}

TEST_F(Databases, SaveAndLoadKeepEverything)
{
    const std::string path = (dir / "full.prb").string();
    {
        CPolyraDatabase db;
        db.rename("Lab machines", nullptr);
        db.addProject(project("Alpha", {{180, 50}}, 11));
        db.addProject(project("Beta", {{180, 60}}, 0xFFFFFFFFu, true));
        db.addProject(project("Gamma", {{180, 70}}, 0));
        db.getProject(0)->setDescription("renamed notes");
        ASSERT_TRUE(db.saveToFile(path));
        EXPECT_FALSE(db.isModified());
        EXPECT_EQ(db.getFileName(), path);
        EXPECT_EQ(db.getProject(1)->getFolder(), dir.string() + "/");
        // The file is the hand-built layout of the three records.
        std::vector<Bytes> records;
        for (int i = 0; i < 3; ++i) {
            std::size_t length = 0;
            auto r = buildProjectImage(dynamic_cast<CPolyraProject &>(*db.getProject(i)), length, true);
            records.emplace_back(r.get(), r.get() + length);
        }
        EXPECT_EQ(fileBytes(path), databaseFile("Lab machines", 3, records));
    }
    CBasicDatabase *back = openDatabaseFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getName(), "Lab machines");
    EXPECT_EQ(names(*back), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(back->getProject(0)->getDescription(), "renamed notes");
    EXPECT_TRUE(back->getProject(1)->isHidden());
    EXPECT_FALSE(back->getProject(2)->isHidden());
    EXPECT_EQ(dynamic_cast<CPolyraProject *>(back->getProject(1))->getSeed(), 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(back->getProject(2)->getTestValue(2)->getValue(), 70.0);
    EXPECT_FALSE(back->isModified());
    EXPECT_EQ(services.recentFiles, (std::vector<std::string>{path}));
}

// What the file keeps is a change to save: the hidden flag, the order and
// the name. Setting what is already there, or what the file does not hold,
// is none.
TEST_F(Databases, ChangesTheFileKeepsMarkTheDatabaseModified)
{
    const std::string path = (dir / "kept.prb").string();
    {
        CPolyraDatabase db;
        db.rename("Lab", nullptr);
        db.addProject(project("Alpha", {{180, 10}}));
        db.addProject(project("Beta", {{180, 30}}, 7, true));
        db.addProject(project("Gamma", {{180, 20}}));
        ASSERT_TRUE(db.saveToFile(path));
    }
    struct Case {
        const char *change;
        std::function<void(CBasicDatabase &)> apply;
        bool modified;
    };
    const std::vector<Case> cases = {
        {"nothing", [](CBasicDatabase &) {}, false},
        {"hide the first visible project", [](CBasicDatabase &db) { db.getProject(0)->setHidden(true); }, true},
        {"show the hidden project", [](CBasicDatabase &db) { db.getProject(1)->setHidden(false); }, true},
        {"hide the hidden project again", [](CBasicDatabase &db) { db.getProject(1)->setHidden(true); }, false},
        {"show a shown project", [](CBasicDatabase &db) { db.getProject(2)->setHidden(false); }, false},
        {"rename the database", [](CBasicDatabase &db) { db.rename("Lab 2", nullptr); }, true},
        {"rename it to its name", [](CBasicDatabase &db) { db.rename("Lab", nullptr); }, false},
        {"sort by a result", [](CBasicDatabase &db) { db.sortByTestResult(2); }, true},
        {"sort by a test no project ran", [](CBasicDatabase &db) { db.sortByTestResult(3); }, false},
        {"move a project to the front",
         [](CBasicDatabase &db) {
             db.getProject(2)->setPosition(0);
             db.getProject(0)->setPosition(1);
             db.getProject(1)->setPosition(2);
             EXPECT_TRUE(db.takeOrderOfPositions());
         },
         true},
        {"take the order it has",
         [](CBasicDatabase &db) { EXPECT_FALSE(db.takeOrderOfPositions()); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.change);
        CBasicDatabase *db = openDatabaseFile(path);
        ASSERT_TRUE(db);
        ASSERT_FALSE(db->isModified()) << "just loaded";
        c.apply(*db);
        EXPECT_EQ(db->isModified(), c.modified);
        delete db;
    }

    // A moved project stays where it was put through a save, as the
    // current one.
    CBasicDatabase *db = openDatabaseFile(path);
    ASSERT_TRUE(db);
    CBasicProject *current = db->getCurrentProject();
    db->getProject(2)->setPosition(0);
    db->getProject(0)->setPosition(1);
    db->getProject(1)->setPosition(2);
    ASSERT_TRUE(db->takeOrderOfPositions());
    EXPECT_EQ(names(*db), (std::vector<std::string>{"Gamma", "Alpha", "Beta"}));
    EXPECT_EQ(db->getCurrentProject(), current);
    db->getProject(0)->setHidden(true);
    ASSERT_TRUE(db->saveToFile(path));
    delete db;
    db = openDatabaseFile(path);
    ASSERT_TRUE(db);
    EXPECT_EQ(names(*db), (std::vector<std::string>{"Gamma", "Alpha", "Beta"}));
    EXPECT_TRUE(db->getProject(0)->isHidden());
}

TEST_F(Databases, BrokenFilesAreRejectedOrLoadTheirReadableRecords)
{
    const Bytes good = databaseFile("Good", 2, {recordOf("One"), recordOf("Two")});
    struct Case {
        const char *name;
        Bytes bytes;
        int projects; // -1: not a database file
        int unread;   // records told as unreadable
    };
    Bytes noZero = good;
    noZero[23] = 1;
    Bytes hugeName = databaseFile("Good", 0, {});
    hugeName[24] = hugeName[25] = hugeName[26] = hugeName[27] = 0xFF;
    Bytes hugeRecord = databaseFile("Good", 1, {});
    hugeRecord = cat({hugeRecord, le32(0xFFFFFFF0u), recordOf("One")});
    const Bytes tooShort(20, 'P');
    const std::vector<Case> cases = {
        {"empty", {}, -1, 0},
        {"header only", text("Scorvista2001 Database\n"), -1, 0},
        {"no zero byte", noZero, -1, 0},
        {"name longer than the file", hugeName, -1, 0},
        {"name of 256 characters", databaseFile(std::string(256, 'n'), 0, {}), -1, 0},
        {"name of 300 characters", databaseFile(std::string(300, 'n'), 0, {}), -1, 0},
        {"complete", good, 2, 0},
        {"count larger than the records", databaseFile("Good", 5, {recordOf("One"), recordOf("Two")}), 2, 3},
        {"cut inside the second record", Bytes(good.begin(), good.end() - 10), 1, 1},
        {"record length past the end", hugeRecord, 0, 1},
        {"record shorter than its fixed parts", databaseFile("Good", 1, {tooShort}), 0, 1},
        {"short records among good ones",
         databaseFile("Good", 4, {tooShort, recordOf("One"), Bytes(38, 'P'), recordOf("Two")}), 2, 2},
        {"empty record first", databaseFile("Good", 2, {Bytes{}, recordOf("One")}), 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        const std::string path = write("broken.prb", c.bytes);
        std::unique_ptr<CBasicDatabase> db(openDatabaseFile(path));
        if (c.projects < 0) {
            EXPECT_FALSE(db);
            EXPECT_EQ(services.messages,
                      (std::vector<std::string>{"File " + path + " couldn't be opened or is not a valid database file."}));
            continue;
        }
        ASSERT_TRUE(db);
        EXPECT_EQ(db->getProjectCount(), c.projects);
        std::vector<std::string> expected;
        if (c.unread > 0) {
            const int count = c.projects + c.unread;
            expected.push_back(std::to_string(c.unread) + " of " + std::to_string(count) +
                               " records of the database \"Good\" could not be read.");
        }
        EXPECT_EQ(services.messages, expected);
        db.reset();
    }
}

TEST_F(Databases, ANameOf255CharactersLoads)
{
    const std::string name(255, 'n');
    std::unique_ptr<CBasicDatabase> db(openDatabaseFile(write("long.prb", databaseFile(name, 1, {recordOf("One")}))));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->getName(), name);
    EXPECT_EQ(db->getProjectCount(), 1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Databases, ManyBrokenRecordsGiveOneMessageForTheFile)
{
    // Records of the smallest size that are not project images, and one good one among them.
    std::vector<Bytes> records(1000, Bytes(39, 'x'));
    records[500] = recordOf("Survivor");
    const std::string path = write("bad.prb", databaseFile("Bad", 1000, records));
    std::unique_ptr<CBasicDatabase> db(openDatabaseFile(path));
    ASSERT_TRUE(db);
    EXPECT_EQ(names(*db), (std::vector<std::string>{"Survivor"}));
    EXPECT_EQ(services.messages, (std::vector<std::string>{"999 of 1000 records of the database \"Bad\" could not be read."}));
    EXPECT_GT(services.workMessagesShown, 0) << "the load shows the work message";
    EXPECT_EQ(services.workMessageDepth, 0);
}

TEST_F(Databases, CrcFailureInARecordLeavesOpenDatabasesAlone)
{
    image::Options o;
    o.record = true;
    o.breakCrc = true;
    const std::string path = write("crc.prb", databaseFile("Same", 1, {image::build(image::basicItems(), o)}));
    CPolyraDatabase open;
    open.rename("Same", nullptr);
    open.addProject(project("Kept"));
    services.answers = {CAppServices::Answer::Yes};
    CPolyraDatabase loading;
    EXPECT_THROW(loading.loadFromFile(path), Exception);
    EXPECT_TRUE(services.questions.empty()) << "the file is checked before the clash is settled";
    EXPECT_EQ(open.getProjectCount(), 1);
    EXPECT_EQ(services.workMessageDepth, 0) << "the work message ends with the failed load";
}

TEST_F(Databases, NameClashes)
{
    const std::string path = write("clash.prb", databaseFile("Database1", 1, {recordOf("Loaded")}));
    struct Case {
        std::vector<CAppServices::Answer> answers;
        bool loads;
        bool otherSurvives;
        std::string name;
        std::size_t questions;
    };
    using A = CAppServices::Answer;
    const std::vector<Case> cases = {
        {{A::Cancel}, false, true, "", 1},
        {{A::No}, true, true, "Database2", 1},
        {{A::Yes}, true, false, "Database1", 1},
        // The other one has unsaved changes: the usual question follows.
        {{A::Yes, A::No}, true, false, "Database1", 2},
        {{A::Yes, A::Cancel}, false, true, "", 2},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(i);
        services.messages.clear();
        services.questions.clear();
        services.captions.clear();
        services.answers.assign(c.answers.begin(), c.answers.end());
        auto *other = new CPolyraDatabase;
        if (c.questions == 2)
            other->addProject(project("Unsaved"));
        else
            other->setModified(false);
        CBasicDatabase *loaded = openDatabaseFile(path);
        EXPECT_EQ(bool(loaded), c.loads);
        EXPECT_EQ(services.questions.size(), c.questions);
        if (!services.questions.empty()) {
            EXPECT_EQ(services.questions[0], "Database Name :\"Database1\" already Exists. Overwrite ?");
            EXPECT_EQ(services.captions, (std::vector<std::string>{"Warning"}));
        }
        EXPECT_TRUE(services.messages.empty()) << "Cancel and the answers show no error";
        const auto &open = CBasicDatabase::openDatabases();
        EXPECT_EQ(std::find(open.begin(), open.end(), other) != open.end(), c.otherSurvives);
        if (loaded) {
            EXPECT_EQ(loaded->getName(), c.name);
        }
        CBasicDatabase::deleteAll();
    }
}

TEST_F(Databases, SaveDialogProposesASafeFileName)
{
    struct Case {
        std::string name, proposed;
    };
    for (const Case &c : {Case{"My*Best|Runs", "My Best Runs.PRB"}, Case{"a/b\\c:d?e\"f<g>h", "a b c d e f g h.PRB"},
                          Case{std::string(130, 'x'), std::string(120, 'x') + ".PRB"}}) {
        CPolyraDatabase db;
        db.rename(c.name, nullptr);
        CSaveDialogSetup dialog;
        db.setupSaveDialog(dialog);
        EXPECT_EQ(dialog.filter, "Polyra2001 database (*.prb)|*.prb|Text file (*.txt)|*.TXT");
        EXPECT_EQ(dialog.defaultExt, "PRB");
        EXPECT_EQ(dialog.fileName, c.proposed);
        EXPECT_EQ(db.getFileName(), c.proposed);
    }
}

TEST_F(Databases, AFailedSaveKeepsTheOldFileAndState)
{
    const std::string path = write("kept.prb", text("old contents"));
    {
        CPolyraDatabase db;
        db.addProject(project("A"));
        // A project without items cannot be written.
        db.addProject(new CPolyraProject);
        EXPECT_FALSE(db.saveToFile(path));
        EXPECT_TRUE(db.isModified());
        EXPECT_TRUE(db.isUntitled());
        EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + path + "."}));
        EXPECT_EQ(fileBytes(path), text("old contents"));
    }
    services.messages.clear();
    const std::string missing = (dir / "no" / "such.prb").string();
    CPolyraDatabase db;
    db.addProject(project("A"));
    EXPECT_FALSE(db.saveToFile(missing));
    EXPECT_TRUE(db.isUntitled());
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + missing + "."}));
    EXPECT_TRUE(services.recentFiles.empty());
}

TEST_F(Databases, ATargetThatCannotBeOpenedRaisesBeforeWriting)
{
    const fs::path folder = dir / "folder.prb";
    fs::create_directory(folder);
    const std::string locked = write("locked.prb", text("locked"));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const std::string &target : {folder.string(), locked}) {
        SCOPED_TRACE(target);
        CPolyraDatabase db;
        db.addProject(project("A"));
        try {
            db.saveToFile(target);
            ADD_FAILURE() << "saved";
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message, "File could not be opened");
        }
        EXPECT_TRUE(db.isModified());
        EXPECT_TRUE(db.isUntitled());
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fileBytes(locked), text("locked"));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Databases, ChartRowsFollowPositionsThroughTheirRepair)
{
    struct Case {
        const char *name;
        std::vector<int> positions;
        std::vector<bool> hidden;
        std::vector<int> rows; // -1: given no row
        std::vector<int> positionsAfter;
        std::size_t messages;
    };
    const std::vector<Case> cases = {
        {"in order, one hidden", {0, 1, 2}, {false, true, false}, {0, -1, 1}, {0, 1, 2}, 0},
        // Position 2 is only found once the repeated 0 has been moved up.
        {"a repeated position", {0, 0, 1}, {false, false, false}, {0, -1, 2}, {0, 1, 2}, 0},
        {"a gap", {0, 2, 3}, {false, false, false}, {0, 1, -1}, {0, 2, 3}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        CPolyraDatabase db;
        for (std::size_t i = 0; i < c.positions.size(); ++i)
            db.addProject(project("P" + std::to_string(i)));
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            db.getProject(static_cast<int>(i))->setPosition(c.positions[i]);
            db.getProject(static_cast<int>(i))->setHidden(c.hidden[i]);
            db.getProject(static_cast<int>(i))->setChartRow(-1);
        }
        db.numberVisibleProjects();
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            EXPECT_EQ(db.getProject(static_cast<int>(i))->getChartRow(), c.rows[i]) << i;
            EXPECT_EQ(db.getProject(static_cast<int>(i))->getPosition(), c.positionsAfter[i]) << i;
        }
        EXPECT_EQ(services.messages, std::vector<std::string>(c.messages, "No project id found."));
    }
}

} // namespace

namespace {

TEST_F(Databases, LoadingManyProjectsNamesThemAsAddingOneByOne)
{
    const std::vector<std::string> stored = {"R", "R", "r", "R(1)", "Other", "other"};
    std::vector<Bytes> records;
    for (const std::string &n : stored)
        records.push_back(recordOf(n));
    const std::string path = write("dupes.prb", databaseFile("Dupes", static_cast<std::uint32_t>(records.size()), records));
    std::vector<std::string> oneByOne;
    {
        CPolyraDatabase db;
        for (const std::string &n : stored)
            db.addProject(project(n));
        oneByOne = names(db);
    }
    EXPECT_EQ(oneByOne, (std::vector<std::string>{"R", "R(1)", "r(2)", "R(3)", "Other", "other(1)"}));
    std::unique_ptr<CBasicDatabase> loaded(openDatabaseFile(path));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(names(*loaded), oneByOne);
}

} // namespace
