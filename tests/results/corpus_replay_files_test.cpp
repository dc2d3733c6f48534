// Runs the committed project and database seeds through the fuzz bodies, so
// the ordinary (sanitizer) build checks the same invariants as the fuzzers;
// each seed is a case of its own.

#include "corpus_cases.h"
#include "database_body.h"
#include "project_body.h"

#include <gtest/gtest.h>

namespace {

TEST(FileCorpusFolders, HoldSeeds)
{
    for (const char *folder : {"project", "database"})
        EXPECT_FALSE(corpus::seeds(folder).empty()) << corpus::folderPath(folder);
}

class FileSeed : public ::testing::TestWithParam<corpus::Seed> {
protected:
    void SetUp() override
    {
        // An open database of the same name would make a reload ask, and fail.
        ASSERT_TRUE(CBasicDatabase::openDatabases().empty());
    }
    // A body stopped by a broken invariant leaves its databases open.
    void TearDown() override { CBasicDatabase::deleteAll(); }
};

class ProjectSeed : public FileSeed {};

TEST_P(ProjectSeed, KeepsTheInvariants) { corpus::replay(GetParam(), fuzzbody::readProject); }

INSTANTIATE_TEST_SUITE_P(Corpus, ProjectSeed, ::testing::ValuesIn(corpus::seeds("project")), corpus::caseName);

class DatabaseSeed : public FileSeed {};

TEST_P(DatabaseSeed, KeepsTheInvariants) { corpus::replay(GetParam(), fuzzbody::readDatabase); }

INSTANTIATE_TEST_SUITE_P(Corpus, DatabaseSeed, ::testing::ValuesIn(corpus::seeds("database")), corpus::caseName);

} // namespace
