#pragma once

// Caps the size of the files this process writes, so a write past the cap
// comes back short (EFBIG) instead of raising SIGXFSZ; lifts the cap
// afterwards. The one way to make a write fail for root, whom read-only
// folders do not stop.

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit capped = old;
        capped.rlim_cur = bytes;
        active = ::setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active = false;

private:
    rlimit old{};
    void (*oldHandler)(int) = SIG_DFL;
};
