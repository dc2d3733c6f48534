#pragma once

// Body of the database fuzz target, shared with the corpus replay of the unit
// tests: any bytes as a database file, and again with the CRCs of its records
// made right. A load either fails (false, or one of the errors a broken file
// may raise) and leaves the database as it was, or gives a database that
// saves, reopens to the same projects and saves again to the same bytes.
// Nothing outlives the run: databases, projects, files.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "FileUtil.h"
#include "U2001crypt.h"
#include "fuzz_bodies.h"
#include "kvs_bytereader.h"
#include "kvs_exception.h"
#include "layout.h"
#include "scratch_folder.h"
#include "uBasicProject.h"
#include "uDataVector.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"

namespace fuzzbody {

struct ProjectSnapshot {
    std::string name;
    std::string description;
    bool hidden = false;
    unsigned seed = 0;
    unsigned version = 0;
    std::vector<unsigned char> items;
    bool operator==(const ProjectSnapshot &) const = default;
};

struct DatabaseSnapshot {
    std::string name;
    unsigned version = 0;
    std::vector<ProjectSnapshot> projects;
    bool operator==(const DatabaseSnapshot &) const = default;
};

inline DatabaseSnapshot snapshotOf(const CPolyraDatabase &database)
{
    DatabaseSnapshot out;
    out.name = database.getRawName();
    out.version = database.getVersion();
    for (int i = 0; i < database.getProjectCount(); ++i) {
        auto *project = dynamic_cast<CPolyraProject *>(database.getProject(i));
        SCORVISTA_FUZZ_CHECK(project && project->getStore() && project->getDatabase() == &database);
        std::size_t length = 0;
        const auto region = project->getStore()->serialise(length, 0, 0);
        SCORVISTA_FUZZ_CHECK(region);
        out.projects.push_back({project->getName(), project->getDescription(), project->isHidden(),
                                project->getSeed(), project->getVersion(),
                                std::vector<unsigned char>(region.get(), region.get() + length)});
    }
    return out;
}

inline void touchDatabase(CPolyraDatabase &database)
{
    for (int id = 0; id <= 26; ++id) {
        const double maximum = database.getTestMaximum(id);
        // A chart axis needs a positive, finite top.
        SCORVISTA_FUZZ_CHECK(std::isfinite(maximum) && maximum > 0);
    }
    SCORVISTA_FUZZ_CHECK(database.getVisibleProjectCount() <= database.getProjectCount());
    (void)database.getName();
    (void)database.getVersionText();
}

inline bool loadQuietly(CPolyraDatabase &database, const std::string &path)
{
    try {
        return database.loadFromFile(path);
    } catch (const Exception &) {
    } catch (const KVS_exceptionBase &) {
    }
    return false;
}

inline std::vector<unsigned char> fileBytes(const std::string &path)
{
    std::vector<unsigned char> bytes;
    SCORVISTA_FUZZ_CHECK(readWholeFile(path, bytes));
    return bytes;
}

// The file with the CRC of every complete record made right, so mutated
// records get past the check into their items and names. False when no CRC
// needed it.
inline bool fixRecordCrcs(std::vector<unsigned char> &file)
{
    const std::size_t headerLength = std::strlen(CPolyraDatabase::fileHeader());
    KVS_byteReader in(file.data(), file.size(), KVS_byteOrder::little);
    std::uint32_t nameLength = 0;
    std::uint32_t count = 0;
    if (!in.skip(headerLength + 1) || !in.readU32(nameLength) || !in.skip(nameLength) || !in.readU32(count))
        return false;
    bool fixed = false;
    for (; count > 0 && in.remaining() >= 4; --count) {
        std::uint32_t length = 0;
        in.readU32(length);
        unsigned char *record = file.data() + in.offset();
        if (!in.skip(length))
            break;
        const std::size_t offset = length >= 2 && record[0] != 'P' && record[1] == 'P' ? 1 : 0;
        if (length < offset + 38)
            continue;
        std::uint32_t seed = 0;
        KVS_byteReader(record + offset + 26, 4, KVS_byteOrder::big).readU32(seed);
        unsigned char *region = record + offset + 30;
        const std::size_t n = length - offset - 30;
        unscrambleBuffer(region, static_cast<int>(n), seed);
        unsigned char want[4];
        KVS_byteWriter::putU32(want, crc32Buffer(region, static_cast<unsigned>(n - 4)), KVS_byteOrder::big);
        if (std::memcmp(region + n - 4, want, 4) != 0) {
            std::memcpy(region + n - 4, want, 4);
            fixed = true;
        }
        scrambleBuffer(region, static_cast<int>(n), seed);
    }
    return fixed;
}

inline void writeBytes(const std::string &path, const unsigned char *data, std::size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    SCORVISTA_FUZZ_CHECK(f);
    SCORVISTA_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    SCORVISTA_FUZZ_CHECK(std::fclose(f) == 0);
}

inline void checkDatabaseFile(const std::string &input)
{
    const std::string saved = scratchFolder() + "/saved.prb";
    const std::string resaved = scratchFolder() + "/resaved.prb";
    const std::size_t liveBefore = CBasicProject::liveProjects().size();
    const std::size_t openBefore = CBasicDatabase::openDatabases().size();

    bool loaded = false;
    DatabaseSnapshot first;
    {
        auto database = std::make_unique<CPolyraDatabase>();
        const std::string nameBefore = database->getRawName();
        loaded = loadQuietly(*database, input);
        if (!loaded) {
            // A failed load changes nothing of the database.
            SCORVISTA_FUZZ_CHECK(database->getProjectCount() == 0);
            SCORVISTA_FUZZ_CHECK(database->getRawName() == nameBefore);
            SCORVISTA_FUZZ_CHECK(database->getFileName().empty());
            SCORVISTA_FUZZ_CHECK(!database->wasCancelled());
        } else {
            SCORVISTA_FUZZ_CHECK(database->getFileName() == input && !database->isModified());
            touchDatabase(*database);
            SCORVISTA_FUZZ_CHECK(database->saveToFile(saved));
            first = snapshotOf(*database);
        }
        // Gone before the saved file opens, so its name clashes with nothing.
    }
    SCORVISTA_FUZZ_CHECK(CBasicDatabase::openDatabases().size() == openBefore);
    if (loaded) {
        auto database = std::make_unique<CPolyraDatabase>();
        bool reopened = false;
        try {
            reopened = database->loadFromFile(saved);
        } catch (const Exception &e) {
            checkFailed(__FILE__, __LINE__, std::string("saved database raised: ") + e.what());
        } catch (const KVS_exceptionBase &e) {
            checkFailed(__FILE__, __LINE__,
                        std::string("saved database raised: ") + e.getFunction() + " " + e.getMessage());
        }
        SCORVISTA_FUZZ_CHECK(reopened);
        SCORVISTA_FUZZ_CHECK(snapshotOf(*database) == first);
        SCORVISTA_FUZZ_CHECK(database->saveToFile(resaved));
        SCORVISTA_FUZZ_CHECK(fileBytes(resaved) == fileBytes(saved));
    }
    CBasicDatabase::deleteAll();
    SCORVISTA_FUZZ_CHECK(CBasicProject::liveProjects().size() == liveBefore);
    SCORVISTA_FUZZ_CHECK(!KV_Rigscan::legacyLayout);
    std::error_code ignored;
    std::filesystem::remove(saved, ignored);
    std::filesystem::remove(resaved, ignored);
}

inline void readDatabase(const std::uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return;
    ScratchTmpdirScope tmpdir;
    const std::string input = scratchFolder() + "/input.prb";
    writeBytes(input, data, size);
    checkDatabaseFile(input);
    std::vector<unsigned char> repaired(data, data + size);
    if (fixRecordCrcs(repaired)) {
        writeBytes(input, repaired.data(), repaired.size());
        checkDatabaseFile(input);
    }
    std::error_code ignored;
    std::filesystem::remove(input, ignored);
    // No temporary file of a load or a save is left behind.
    SCORVISTA_FUZZ_CHECK(scratchEntries() == 0);
}

} // namespace fuzzbody
