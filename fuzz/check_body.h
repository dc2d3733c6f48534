#pragma once

// How a fuzz body reports a broken invariant: the fuzzers abort, so
// libFuzzer keeps the input; the corpus replay of the unit tests makes it
// throw, so one input fails as one test case.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzbody {

// A broken invariant, raised instead of aborting while failures throw.
struct CheckFailure {
    std::string what;
};

// False (the fuzzers): a broken invariant aborts. True (the corpus replay of
// the unit tests): it throws CheckFailure, so one input fails as one case.
inline bool &failuresThrow()
{
    static bool on = false;
    return on;
}

[[noreturn]] inline void checkFailed(const char *file, int line, const std::string &what)
{
    const std::string text = std::string(file) + ":" + std::to_string(line) + ": check failed: " + what;
    if (failuresThrow())
        throw CheckFailure{text};
    std::fprintf(stderr, "%s\n", text.c_str());
    std::abort();
}

} // namespace fuzzbody

#define SCORVISTA_FUZZ_CHECK(cond)                                     \
    do {                                                               \
        if (!(cond))                                                   \
            ::fuzzbody::checkFailed(__FILE__, __LINE__, #cond);        \
    } while (0)

