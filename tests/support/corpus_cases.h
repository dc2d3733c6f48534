#pragma once

// The seeds of one fuzz corpus folder as cases of a value-parameterised
// test: each seed is a named case, and a broken invariant of the fuzz body
// fails that case instead of ending the test program.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "check_body.h"

namespace corpus {

struct Seed {
    std::string folder;
    std::filesystem::path path;
};

inline void PrintTo(const Seed &seed, std::ostream *out)
{
    *out << seed.path.string();
}

inline std::filesystem::path folderPath(const std::string &folder)
{
    return std::filesystem::path(SCORVISTA_CORPUS) / folder;
}

// The seeds of the folder, by name; none when it is missing.
inline std::vector<Seed> seeds(const std::string &folder)
{
    std::vector<Seed> out;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folderPath(folder), error), end; !error && it != end;
         it.increment(error))
        if (it->is_regular_file())
            out.push_back({folder, it->path()});
    std::sort(out.begin(), out.end(), [](const Seed &a, const Seed &b) { return a.path < b.path; });
    return out;
}

// The case name: the seed's file name in letters, digits and underscores.
inline std::string caseName(const ::testing::TestParamInfo<Seed> &info)
{
    std::string name = info.param.path.filename().string();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

inline std::vector<std::uint8_t> bytesOf(const Seed &seed)
{
    std::ifstream in(seed.path, std::ios::binary);
    EXPECT_TRUE(in) << seed.path;
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the body on the seed's bytes; true when every invariant held.
template <typename Body>
bool replay(const Seed &seed, Body body)
{
    const std::vector<std::uint8_t> bytes = bytesOf(seed);
    struct Throwing {
        bool was = fuzzbody::failuresThrow();
        Throwing() { fuzzbody::failuresThrow() = true; }
        ~Throwing() { fuzzbody::failuresThrow() = was; }
    } throwing;
    try {
        body(bytes.data(), bytes.size());
    } catch (const fuzzbody::CheckFailure &failure) {
        ADD_FAILURE() << seed.path.string() << "\n" << failure.what;
        return false;
    }
    return true;
}

} // namespace corpus
