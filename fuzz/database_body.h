#pragma once

// Body of the database fuzz target, shared with the corpus replay of the unit
// tests: any bytes as a database file. A load either fails (false, or one of
// the errors a broken file may raise) and leaves the database as it was, or
// gives a database that saves, reopens to the same projects and saves again
// to the same bytes. Nothing outlives the run: databases, projects, files.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "FileUtil.h"
#include "fuzz_bodies.h"
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

inline void readDatabase(const std::uint8_t *data, std::size_t size)
{
    if (size > (1u << 20))
        return;
    ScratchTmpdirScope tmpdir;
    const std::string input = scratchFolder() + "/input.prb";
    const std::string saved = scratchFolder() + "/saved.prb";
    const std::string resaved = scratchFolder() + "/resaved.prb";
    {
        std::FILE *f = std::fopen(input.c_str(), "wb");
        SCORVISTA_FUZZ_CHECK(f);
        SCORVISTA_FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
        SCORVISTA_FUZZ_CHECK(std::fclose(f) == 0);
    }
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
            std::fprintf(stderr, "saved database raised: %s\n", e.what());
            std::abort();
        } catch (const KVS_exceptionBase &e) {
            std::fprintf(stderr, "saved database raised: %s %s\n", e.getFunction(), e.getMessage());
            std::abort();
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
    for (const std::string *path : {&input, &saved, &resaved})
        std::filesystem::remove(*path, ignored);
    // No temporary file of a load or a save is left behind.
    SCORVISTA_FUZZ_CHECK(scratchEntries() == 0);
}

} // namespace fuzzbody
