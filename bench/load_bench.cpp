// Builds databases of 100, 1,000 and 10,000 projects (and 10,000 of one
// name), each with a realistic system-information block and every result,
// and one of 20,000 minimal records (no name, no results, no system
// information), and measures loading (every project parsed, its system
// information built), saving, exporting every project's text, and as the
// floor reading the same file and running only the unscrambler and CRC over
// its records. Each size runs in a child process, so the peak memory is that
// size's own; it is also shown above the child's start per byte of the file,
// the peak started anew after the child's warm-up.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <string>
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

// The peak resident memory of this process since the last reset, in KiB,
// or -1 where the system does not tell it.
long highWaterKiB()
{
    long kib = -1;
    if (std::FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
                break;
        std::fclose(f);
    }
    return kib;
}

// Starts the peak anew at the memory resident now.
bool resetHighWater()
{
    std::FILE *f = std::fopen("/proc/self/clear_refs", "w");
    if (!f)
        return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}

// What one row loads: n generated projects of a kind, or a file as it is.
struct Case {
    enum Kind { Distinct, SameName, Minimal, File };
    Case(int n_ = 0, Kind kind_ = Distinct) : n(n_), kind(kind_) {}
    int n = 0;
    Kind kind = Distinct;
    std::string path;

    // A generated row's count and kind; a file's row shows the count it holds.
    std::string label() const { return std::to_string(n) + (kind == SameName ? "=" : kind == Minimal ? "m" : ""); }
};

// Loads, saves and exports two small databases, of full and of minimal
// projects, once. A child of fork() maps the program's code afresh as it
// first runs it; after this the code the measured run needs is in, and
// what the warm-up freed is given back, so the start counted from is the
// process's fixed start.
void warmUp(const std::vector<std::string> &paths_, const std::string &copy_)
{
    for (const std::string &path : paths_) {
        CPolyraDatabase db;
        if (!db.loadFromFile(path) || !db.saveToFile(copy_))
            std::abort();
        for (int i = 0; i < db.getProjectCount(); ++i) {
            std::vector<std::string> text;
            db.getProject(i)->exportText(text);
        }
    }
    std::remove(copy_.c_str());
    ::malloc_trim(0);
}

// The copy is saved to copy, never beside a file given by the user.
void runSize(const Case &row, const std::string &path, const std::string &copy,
             const std::vector<std::string> &warm, double fileMiB)
{
    warmUp(warm, copy);
    // The start and the peak are read from the one high-water mark: the
    // kernel counts resident pages per processor and folds them in batches,
    // so the current count and the peak, read as different figures, can
    // differ by more than a small file's whole load takes.
    const long startKiB = resetHighWater() ? highWaterKiB() : -1;
    auto start = Clock::now();
    auto *db = new CPolyraDatabase;
    if (!db->loadFromFile(path) || (row.kind != Case::File && db->getProjectCount() != row.n))
        std::abort();
    const double load = msSince(start);
    const int n = std::max(1, db->getProjectCount());

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
    // The peak of the database's own work: the floor's reading of the file
    // afterwards is no part of it.
    const long peakKiB = highWaterKiB();
    const std::string label = row.kind == Case::File ? std::to_string(db->getProjectCount()) : row.label();
    delete db;

    double floor = 1e300;
    for (int r = 0; r < 3; ++r)
        floor = std::min(floor, floorMs(path));

    // Without a peak that starts anew after the warm-up there is no figure
    // per byte: the peak of the child's whole life would count the warm-up.
    char peak[32] = "-", perFile[32] = "-";
    if (peakKiB >= 0)
        std::snprintf(peak, sizeof peak, "%.1f", peakKiB / 1024.0);
    if (startKiB >= 0 && peakKiB >= 0)
        std::snprintf(perFile, sizeof perFile, "%.2f", (peakKiB - startKiB) / 1024.0 / fileMiB);
    std::printf("%8s %10.1f %10.1f %10.1f %10.1f %9.2f %12.1f %12.1f %10s %9.2f %10s\n", label.c_str(), load, save,
                exportMs, floor, load / floor, 1000.0 * load / n, 1000.0 * exportMs / n, peak, fileMiB, perFile);
    std::fflush(stdout);
    (void)lines;
    std::remove(copy.c_str());
}

// Runs work_ in a child process; true when it returned true and the child
// ended normally.
template <class Work>
bool runInChild(Work work_)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const bool ok = work_();
        std::fflush(stdout);
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Arguments: project counts; a count followed by "=" gives every project the
// same name, one followed by "m" makes that many minimal records; a path to
// an existing file loads that file. Without arguments: 100, 1,000, 10,000,
// 10,000 of one name and 20,000 minimal records.
int main(int argc, char **argv)
{
    std::vector<Case> cases = {{100}, {1000}, {10000}, {10000, Case::SameName}, {20000, Case::Minimal}};
    if (argc > 1) {
        cases.clear();
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            Case row;
            std::error_code error;
            if (fs::is_regular_file(arg, error)) {
                row.kind = Case::File;
                row.path = arg;
            } else {
                const std::size_t digits = arg.find_first_not_of("0123456789");
                const std::string rest = digits == std::string::npos ? "" : arg.substr(digits);
                if (arg.empty() || digits == 0 || (rest != "" && rest != "=" && rest != "m")) {
                    std::fprintf(stderr, "%s: neither a file nor a count (100, 100= or 100m)\n", arg.c_str());
                    return 2;
                }
                row.n = std::atoi(arg.c_str());
                row.kind = rest == "=" ? Case::SameName : rest == "m" ? Case::Minimal : Case::Distinct;
            }
            cases.push_back(row);
        }
    }
    std::string pattern = (fs::temp_directory_path() / "scvbenchXXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const fs::path dir = pattern;
    std::printf("%8s %10s %10s %10s %10s %9s %12s %12s %10s %9s %10s\n", "projects", "load ms", "save ms", "export ms",
                "floor ms", "load/floor", "load us/proj", "export us/p", "peak MiB", "file MiB", "peak/file");
    std::fflush(stdout);
    // Two full projects and two minimal ones, for every child's warm-up.
    const std::vector<std::string> warm = {(dir / "warmfull.prb").string(), (dir / "warmminimal.prb").string()};
    const bool warmMade = runInChild([&] {
        const std::vector<unsigned char> full = benchDatabaseBytes(2);
        const std::vector<unsigned char> minimal = minimalDatabaseBytes(2);
        return writeFileAtomically(warm[0], full.data(), full.size()) &&
               writeFileAtomically(warm[1], minimal.data(), minimal.size());
    });
    if (!warmMade)
        return 1;
    int status = 0;
    for (const Case &row : cases) {
        // The file is made in a child of its own, so neither its making nor
        // the heap it leaves behind counts in the measuring child: that one
        // starts from this small process, and its peak is counted from there.
        std::string path = row.path;
        if (row.kind != Case::File) {
            path = (dir / ("bench" + row.label() + ".prb")).string();
            const bool made = runInChild([&] {
                const std::vector<unsigned char> bytes = row.kind == Case::Minimal
                                                             ? minimalDatabaseBytes(row.n)
                                                             : benchDatabaseBytes(row.n, row.kind == Case::SameName);
                return writeFileAtomically(path, bytes.data(), bytes.size());
            });
            if (!made)
                return 1;
        }
        std::error_code error;
        const double fileMiB = static_cast<double>(fs::file_size(path, error)) / 1048576.0;
        if (!runInChild([&] { return runSize(row, path, (dir / "saved.prb").string(), warm, fileMiB), true; })) {
            std::fprintf(stderr, "%s failed\n", row.kind == Case::File ? row.path.c_str() : row.label().c_str());
            status = 1;
        }
        if (row.kind != Case::File)
            std::remove(path.c_str());
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return status;
}
