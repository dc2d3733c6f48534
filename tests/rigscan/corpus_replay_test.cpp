// Every seed of the system-information fuzz target goes through the fuzz
// body here too, each as a case of its own, so the ordinary (sanitized)
// suite covers the broken blocks.

#include <gtest/gtest.h>

#include "corpus_cases.h"
#include "sysinfo_body.h"

namespace {

TEST(SystemInfoCorpus, HoldsSeeds)
{
    EXPECT_FALSE(corpus::seeds("sysinfo").empty()) << corpus::folderPath("sysinfo");
}

class SystemInfoSeed : public ::testing::TestWithParam<corpus::Seed> {};

TEST_P(SystemInfoSeed, ReadsOrFailsCleanly) { corpus::replay(GetParam(), fuzzbody::readSystemInfo); }

INSTANTIATE_TEST_SUITE_P(Corpus, SystemInfoSeed, ::testing::ValuesIn(corpus::seeds("sysinfo")), corpus::caseName);

} // namespace
