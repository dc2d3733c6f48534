// Every seed of the picture fuzz target goes through the fuzz body here too,
// each as a case of its own: read as PNG and as BMP, whole and fitted,
// opaque and not, its header and its combination; a refused read carries
// its reason.

#include <gtest/gtest.h>

#include "corpus_cases.h"
#include "picture_body.h"

namespace {

TEST(PictureCorpus, HoldsSeeds)
{
    EXPECT_FALSE(corpus::seeds("picture").empty()) << corpus::folderPath("picture");
}

class PictureSeed : public ::testing::TestWithParam<corpus::Seed> {};

TEST_P(PictureSeed, ReadsOrFailsWithAReason) { corpus::replay(GetParam(), fuzzbody::readPicture); }

INSTANTIATE_TEST_SUITE_P(Corpus, PictureSeed, ::testing::ValuesIn(corpus::seeds("picture")), corpus::caseName);

} // namespace
