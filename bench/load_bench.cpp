// Builds databases of 100, 1,000 and 10,000 projects (and 10,000 of one
// name), each with a realistic system-information block and every result,
// and measures loading (every project parsed, its system information built),
// saving, exporting every project's text, and as the floor reading the same
// file and running only the unscrambler and CRC over its records. Each size
// runs in a child process, so the peak memory is that size's own; it is also
// shown above the child's start per byte of the file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "FileUtil.h"
#include "U2001crypt.h"
#include "benchdatabase.h"
#include "imagebuilder.h"
#include "itemrecorder.h"
#include "samplemachine.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A database file of n projects built byte by byte: distinct names (or one
// name for all when sameName_ is set), seeds, clocks and results.

// Reads the file and unscrambles and checks every record: the least any load must do.
double floorMs(const std::string &path)
{
    const auto start = Clock::now();
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes))
        std::abort();
    std::size_t at = 23 + 1;
    std::uint32_t nameLength;
    std::memcpy(&nameLength, &bytes[at], 4);
    at += 4 + nameLength;
    std::uint32_t count;
    std::memcpy(&count, &bytes[at], 4);
    at += 4;
    unsigned failures = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length;
        std::memcpy(&length, &bytes[at], 4);
        at += 4;
        unsigned char *record = bytes.data() + at;
        const std::size_t region = 1 + 26 + 4;
        std::uint32_t seed = (std::uint32_t(record[27]) << 24) | (std::uint32_t(record[28]) << 16) |
                             (std::uint32_t(record[29]) << 8) | record[30];
        unscrambleBuffer(record + region, static_cast<int>(length - region), seed);
        const unsigned char *c = record + length - 4;
        const std::uint32_t stored = (std::uint32_t(c[0]) << 24) | (std::uint32_t(c[1]) << 16) | (std::uint32_t(c[2]) << 8) | c[3];
        failures += crc32Buffer(record + region, static_cast<unsigned>(length - region - 4)) != stored;
        at += length;
    }
    if (failures)
        std::abort();
    return msSince(start);
}

// Resident memory of this process now, in KiB.
long residentKiB()
{
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void runSize(int n, bool sameName, const std::string &path, double fileMiB)
{
    const std::string copy = path + "-saved.prb";
    const long startKiB = residentKiB();
    auto start = Clock::now();
    auto *db = new CPolyraDatabase;
    if (!db->loadFromFile(path) || db->getProjectCount() != n)
        std::abort();
    const double load = msSince(start);

    start = Clock::now();
    if (!db->saveToFile(copy))
        std::abort();
    const double save = msSince(start);

    start = Clock::now();
    std::size_t lines = 0;
    for (int i = 0; i < db->getProjectCount(); ++i) {
        std::vector<std::string> text;
        if (!db->getProject(i)->exportText(text))
            std::abort();
        lines += text.size();
    }
    const double exportMs = msSince(start);
    delete db;

    double floor = 1e300;
    for (int r = 0; r < 3; ++r)
        floor = std::min(floor, floorMs(path));

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double peakMiB = usage.ru_maxrss / 1024.0;
    const std::string label = std::to_string(n) + (sameName ? "=" : "");
    std::printf("%8s %10.1f %10.1f %10.1f %10.1f %9.2f %12.1f %12.1f %10.1f %9.2f %10.2f\n", label.c_str(), load, save,
                exportMs, floor, load / floor, 1000.0 * load / n, 1000.0 * exportMs / n, peakMiB, fileMiB,
                (peakMiB - startKiB / 1024.0) / fileMiB);
    std::fflush(stdout);
    (void)lines;
    std::remove(copy.c_str());
}

} // namespace

// Arguments: project counts; a count followed by "=" gives every project the
// same name. Without arguments: 100, 1,000, 10,000 and 10,000 of one name.
int main(int argc, char **argv)
{
    std::vector<std::pair<int, bool>> sizes = {{100, false}, {1000, false}, {10000, false}, {10000, true}};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            sizes.emplace_back(std::atoi(arg.c_str()), !arg.empty() && arg.back() == '=');
        }
    }
    std::string pattern = (fs::temp_directory_path() / "scvbenchXXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const fs::path dir = pattern;
    std::printf("%8s %10s %10s %10s %10s %9s %12s %12s %10s %9s %10s\n", "projects", "load ms", "save ms", "export ms",
                "floor ms", "load/floor", "load us/proj", "export us/p", "peak MiB", "file MiB", "peak/file");
    std::fflush(stdout);
    int status = 0;
    for (const auto &[n, sameName] : sizes) {
        // The file is made before the child starts, so its making is not in
        // the child's peak; the peak is counted from the child's start.
        const std::string path = (dir / ("bench" + std::to_string(n) + (sameName ? "same" : "") + ".prb")).string();
        double fileMiB = 0;
        {
            const std::vector<unsigned char> bytes = benchDatabaseBytes(n, sameName);
            if (!writeFileAtomically(path, bytes.data(), bytes.size()))
                return 1;
            fileMiB = bytes.size() / 1048576.0;
        }
        const pid_t child = fork();
        if (child == 0) {
            runSize(n, sameName, path, fileMiB);
            std::_Exit(0);
        }
        int childStatus = 0;
        waitpid(child, &childStatus, 0);
        if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) {
            std::fprintf(stderr, "size %d failed\n", n);
            status = 1;
        }
        std::remove(path.c_str());
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return status;
}
