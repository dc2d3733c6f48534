// The load and save of a database file tell their outcome; the data layer
// itself neither asks nor shows anything on these roads.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "imagebuilder.h"
#include "kvs_bytereader.h"
#include "openimage.h"
#include "resultfiles_fixture.h"
#include "uPolyraDatabase.h"

namespace {

using Answer = CMessages::Answer;

Bytes databaseBytes(const std::string &name, const std::vector<std::string> &projects)
{
    KVS_byteWriter out(KVS_byteOrder::little);
    out.writeString("Scorvista2001 Database\n");
    out.writeU8(0);
    out.writeU32(static_cast<std::uint32_t>(name.size()));
    out.writeString(name);
    out.writeU32(static_cast<std::uint32_t>(projects.size()));
    for (const std::string &p : projects) {
        image::Options o;
        o.record = true;
        const Bytes record = image::build(image::basicItems(p), o);
        out.writeU32(static_cast<std::uint32_t>(record.size()));
        out.writeBytes(record.data(), record.size());
    }
    return out.take();
}

class LoadOutcome : public ResultFilesTest {
protected:
    bool stillOpen(const CBasicDatabase *database)
    {
        const auto &open = CBasicDatabase::openDatabases();
        return std::find(open.begin(), open.end(), database) != open.end();
    }
};

TEST_F(LoadOutcome, ANameClashIsAQuestionForTheCallerToAsk)
{
    const std::string path = write("clash.prb", databaseBytes("Lab", {"Loaded"}));
    struct Case {
        const char *what;
        bool otherChanged;
        std::vector<Answer> answers;
        std::vector<std::string> questions;
        COutcome::Kind end;
        bool otherSurvives;
        std::string name;
    };
    const std::string clash = "Database Name :\"Lab\" already Exists. Overwrite ?";
    const std::string save = "Do you want to save the changes to Database : \"Lab\" ?";
    const Case cases[] = {
        {"Cancel", false, {Answer::Cancel}, {clash}, COutcome::Kind::Refused, true, ""},
        {"No keeps both", false, {Answer::No}, {clash}, COutcome::Kind::Done, true, "Lab1"},
        {"Yes replaces it", false, {Answer::Yes}, {clash}, COutcome::Kind::Done, false, "Lab"},
        {"Yes, then not saved", true, {Answer::Yes, Answer::No}, {clash, save}, COutcome::Kind::Done, false, "Lab"},
        {"Yes, then Cancel", true, {Answer::Yes, Answer::Cancel}, {clash, save}, COutcome::Kind::Refused, true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto *other = new CPolyraDatabase;
        other->rename("Lab", nullptr);
        if (c.otherChanged)
            other->addProject(projectOfImage(image::build(image::basicItems("Unsaved"))));
        else
            other->setModified(false);
        auto *loading = new CPolyraDatabase;
        std::vector<std::string> asked;
        COutcome outcome = loading->beginLoad(path);
        for (Answer a : c.answers) {
            ASSERT_TRUE(outcome.asks());
            asked.push_back(outcome.message);
            if (asked.size() == 1) {
                EXPECT_EQ(outcome.caption, "Warning");
            }
            outcome = loading->answer(a);
        }
        EXPECT_EQ(asked, c.questions);
        EXPECT_EQ(outcome.kind, c.end);
        EXPECT_EQ(stillOpen(other), c.otherSurvives);
        if (outcome.done()) {
            EXPECT_EQ(loading->getName(), c.name);
            EXPECT_EQ(loading->getProjectCount(), 1);
        } else {
            EXPECT_TRUE(loading->wasCancelled());
            EXPECT_TRUE(outcome.message.empty());
        }
        EXPECT_TRUE(services.questions.empty());
        EXPECT_TRUE(services.messages.empty());
        CBasicDatabase::deleteAll();
    }
}

TEST_F(LoadOutcome, BrokenRecordsAreANoteOfTheDoneLoad)
{
    Bytes bytes = databaseBytes("Part", {"One", "Two"});
    // A third record the count claims but the file does not hold.
    bytes[23 + 1 + 4 + 4] = 3;
    const std::string path = write("short.prb", bytes);
    CPolyraDatabase db;
    const COutcome outcome = db.beginLoad(path);
    ASSERT_TRUE(outcome.done());
    EXPECT_EQ(outcome.message, "1 of 3 records of the database \"Part\" could not be read.");
    EXPECT_EQ(db.getProjectCount(), 2);
    EXPECT_TRUE(services.messages.empty());

    CPolyraDatabase none;
    EXPECT_EQ(none.beginLoad((dir / "missing.prb").string()).kind, COutcome::Kind::Refused);
    EXPECT_FALSE(none.wasCancelled());
}

TEST_F(LoadOutcome, ASaveSaysWhyItFailed)
{
    CPolyraDatabase db;
    db.addProject(projectOfImage(image::build(image::basicItems("Saved"))));
    const std::string locked = write("locked.prb", Bytes{1, 2, 3});
    ::chmod(locked.c_str(), 0444);
    struct Case {
        std::string file;
        COutcome::Kind kind;
        std::string message;
    };
    const std::string missing = (dir / "no-folder" / "x.prb").string();
    const Case cases[] = {
        {locked, COutcome::Kind::Refused, "File could not be opened"},
        {missing, COutcome::Kind::Refused, "Error writing to file " + missing + "."},
        {(dir / "fine.prb").string(), COutcome::Kind::Done, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const COutcome outcome = db.save(c.file);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(db.isUntitled(), !outcome.done());
    }
    EXPECT_TRUE(services.messages.empty());
}

} // namespace
