// The length a database record must have before it is read as a project.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "imagebuilder.h"
#include "openimage.h"
#include "resultfiles_fixture.h"
#include "uBasicDatabase.h"

namespace {

Bytes le32(std::uint32_t v)
{
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

Bytes databaseOf(const std::vector<Bytes> &records)
{
    Bytes out = text("Scorvista2001 Database\n");
    out.push_back(0);
    out = cat({out, le32(5), text("Short"), le32(static_cast<std::uint32_t>(records.size()))});
    for (const Bytes &r : records)
        out = cat({out, le32(static_cast<std::uint32_t>(r.size())), r});
    return out;
}

class DatabaseRecords : public ResultFilesTest {};

TEST_F(DatabaseRecords, ARecordNeedsTheFlagByteAndTheFixedParts)
{
    image::Options asRecord;
    asRecord.record = true;
    // A whole project image of 38 bytes, its items empty: it would open as
    // a file, but a record is one byte longer, so it is not one.
    const Bytes fileImage = image::build({});
    ASSERT_EQ(fileImage.size(), 38u);
    std::unique_ptr<CPolyraProject>(projectOfImage(fileImage));
    const Bytes smallestRecord = image::build({}, asRecord);
    ASSERT_EQ(smallestRecord.size(), 39u);
    struct Case {
        const char *name;
        std::vector<Bytes> records;
        int projects;
    };
    const Case cases[] = {
        {"image without its flag byte", {fileImage}, 0},
        {"image without its flag byte before a good record", {fileImage, image::build(image::basicItems("One"), asRecord)}, 1},
        {"the smallest record", {smallestRecord}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        std::unique_ptr<CBasicDatabase> db(openDatabaseFile(write("short.prb", databaseOf(c.records))));
        ASSERT_TRUE(db);
        EXPECT_EQ(db->getProjectCount(), c.projects);
        const int unread = static_cast<int>(c.records.size()) - c.projects;
        std::vector<std::string> expected;
        if (unread > 0)
            expected.push_back(std::to_string(unread) + " of " + std::to_string(c.records.size()) +
                               " records of the database \"Short\" could not be read.");
        EXPECT_EQ(services.messages, expected);
    }
}

} // namespace
