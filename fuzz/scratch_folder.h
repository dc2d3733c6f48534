#pragma once

// A private folder for the files the file-reading fuzz bodies make, and for
// the temporary files of the readers (TMPDIR points there while a body runs),
// so a temporary file a reader forgets to remove shows up.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

namespace fuzzbody {

inline const std::string &scratchFolder()
{
    // Heap-held so the exit handler can still read it after static destructors.
    static const std::string *folder = [] {
        const char *env = std::getenv("TMPDIR");
        std::string pattern = std::string(env && *env ? env : "/tmp") + "/scvfuzzXXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror(pattern.c_str());
            std::abort();
        }
        auto *path = new std::string(pattern);
        static const std::string *forExit = path;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*forExit, ignored);
        });
        return path;
    }();
    return *folder;
}

inline std::size_t scratchEntries()
{
    std::size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(scratchFolder()); it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

// Points TMPDIR at the scratch folder for one body run, then puts it back, so
// a test suite running the bodies keeps its own TMPDIR.
class ScratchTmpdirScope {
public:
    ScratchTmpdirScope()
    {
        if (const char *old = std::getenv("TMPDIR"))
            saved = old;
        ::setenv("TMPDIR", scratchFolder().c_str(), 1);
    }
    ~ScratchTmpdirScope()
    {
        if (saved)
            ::setenv("TMPDIR", saved->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    ScratchTmpdirScope(const ScratchTmpdirScope &) = delete;
    ScratchTmpdirScope &operator=(const ScratchTmpdirScope &) = delete;

private:
    std::optional<std::string> saved;
};

} // namespace fuzzbody
