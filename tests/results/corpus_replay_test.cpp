// Runs the committed fuzz corpus through the fuzz bodies, so the ordinary
// (sanitizer) build checks the same invariants as the fuzzers; each seed is
// a case of its own.

#include "corpus_cases.h"
#include "fuzz_bodies.h"

#include <gtest/gtest.h>

namespace {

TEST(CorpusFolders, HoldSeeds)
{
    for (const char *folder : {"datavector", "crypt"})
        EXPECT_FALSE(corpus::seeds(folder).empty()) << corpus::folderPath(folder);
}

class DataVectorSeed : public ::testing::TestWithParam<corpus::Seed> {};

TEST_P(DataVectorSeed, KeepsTheInvariants) { corpus::replay(GetParam(), fuzzbody::dataVector); }

INSTANTIATE_TEST_SUITE_P(Corpus, DataVectorSeed, ::testing::ValuesIn(corpus::seeds("datavector")), corpus::caseName);

class CryptSeed : public ::testing::TestWithParam<corpus::Seed> {};

TEST_P(CryptSeed, KeepsTheInvariants) { corpus::replay(GetParam(), fuzzbody::crypt); }

INSTANTIATE_TEST_SUITE_P(Corpus, CryptSeed, ::testing::ValuesIn(corpus::seeds("crypt")), corpus::caseName);

} // namespace
