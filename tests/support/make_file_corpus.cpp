// Writes the seed corpora of the project and database fuzz targets into the
// folders "project" and "database" under the folder named on the command
// line. Project seeds are 4 seed bytes and an item region (the fuzz body
// wraps them into an image), and a few whole images for the raw path;
// database seeds are whole database files, valid and broken.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imagebuilder.h"
#include "itemrecorder.h"
#include "samplemachine.h"

namespace {

void save(const std::string &path, const Bytes &bytes)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

Bytes le32(std::uint32_t v)
{
    KVS_byteWriter w(KVS_byteOrder::little);
    w.writeU32(v);
    return w.take();
}

Bytes databaseHead(const std::string &name, std::uint32_t count)
{
    Bytes out = text("Scorvista2001 Database\n");
    out.push_back(0);
    return cat({out, le32(static_cast<std::uint32_t>(name.size())), text(name), le32(count)});
}

Bytes withRecords(Bytes head, const std::vector<Bytes> &records)
{
    for (const Bytes &r : records)
        head = cat({head, le32(static_cast<std::uint32_t>(r.size())), r});
    return head;
}

Bytes record(const Bytes &items, std::uint32_t seed, bool hidden = false, bool breakCrc = false)
{
    image::Options o;
    o.record = true;
    o.hidden = hidden;
    o.seed = seed;
    o.breakCrc = breakCrc;
    return image::build(items, o);
}

// Test results 1 to 17, two of them status codes (not run, not supported).
const std::vector<float> results = {4321.0f, 88.5f, 61.25f, 140.0f, 97.5f, 75.0f, -1.0f, 33.3f, 512.0f,
                                    1024.5f, 12.0f, 3.5f, -3.0f, 250.0f, 180.0f, 44.0f, 21.75f};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string projects = std::string(argv[1]) + "/project/";
    const std::string databases = std::string(argv[1]) + "/database/";
    const Bytes seed = be32(0x2001ABCDu);

    const Bytes current = image::completeItems("Lab Rig 7", "Evening run", 4321, 202, sample::machineBlock(false), results);
    const Bytes legacy = image::completeItems("Old Rig", "Older layout", 2100, 201, sample::machineBlock(true), results);
    const Bytes basic = image::basicItems();

    save(projects + "realistic_current", cat({seed, current}));
    save(projects + "realistic_legacy", cat({be32(0), legacy}));
    save(projects + "empty", {});
    save(projects + "seed_only", seed);
    save(projects + "basic_items", cat({be32(0xFFFFFFFFu), basic}));
    save(projects + "truncated_in_an_item", cat({seed, Bytes(current.begin(), current.begin() + current.size() / 3)}));
    save(projects + "string_length_past_end", cat({seed, basic, item(1, 3, be32(0x7FFFFFF0u)), text("ab")}));
    const Bytes block = sample::machineBlock(false);
    save(projects + "block_cut_in_half",
         cat({seed, basic, blockItem(6, Bytes(block.begin(), block.begin() + block.size() / 2))}));
    // Version 202 says current layout; the block is of the older one.
    save(projects + "legacy_block_as_current", cat({seed, image::basicItems("Mixed", "", 1.0f, 202),
                                                    blockItem(6, sample::machineBlock(true))}));
    // Name cut at its zero byte, name item not a string, ids repeated.
    save(projects + "odd_name_items", cat({seed, stringItem(0, std::string("Rig\0Seven", 9)), intItem(0, 5),
                                           stringItem(1, "d"), intItem(5, 202), intItem(5, 150)}));
    save(projects + "no_name_items", cat({seed, intItem(5, 202), floatItem(4, 10.0f), boolItem(9, 1)}));
    save(projects + "status_code_results", cat({seed, basic, floatItem(180, -2.0f), floatItem(181, 1e38f),
                                            item(182, 2, be32(0x7FC00000u)), item(183, 2, be32(0x7F800000u))}));
    // Whole images for the raw path.
    save(projects + "image_file", image::build(basic));
    save(projects + "image_record_hidden", record(basic, 99, true));
    image::Options broken;
    broken.breakCrc = true;
    save(projects + "image_bad_crc", image::build(basic, broken));
    const Bytes file = image::build(Bytes());
    save(projects + "image_fixed_parts_only", file);
    save(projects + "image_one_short", Bytes(file.begin(), file.end() - 1));

    const Bytes a = record(image::completeItems("Rig A", "first", 3000, 202, sample::machineBlock(false), results), 7);
    const Bytes b = record(image::basicItems("Rig B", "second", 2500.0f, 202), 0x80000001u, true);
    const Bytes good = withRecords(databaseHead("Lab Results", 2), {a, b});
    save(databases + "two_records", good);
    save(databases + "legacy_record", withRecords(databaseHead("Old", 1), {record(legacy, 3)}));
    save(databases + "empty", {});
    save(databases + "no_projects", databaseHead("", 0));
    save(databases + "count_exceeds_records", withRecords(databaseHead("Short", 5), {b, b}));
    Bytes badHeader = good;
    badHeader[0] = 's';
    save(databases + "bad_header", badHeader);
    Bytes flag = good;
    flag[23] = 1; // the byte after the header text must be zero
    save(databases + "bad_flag_byte", flag);
    save(databases + "name_length_past_end", cat({Bytes(good.begin(), good.begin() + 24), le32(0x100), text("Lab")}));
    save(databases + "record_length_too_small", cat({databaseHead("Small", 1), le32(38), Bytes(b.begin(), b.begin() + 38)}));
    save(databases + "record_length_too_large", cat({databaseHead("Large", 1), le32(static_cast<std::uint32_t>(b.size() + 1)), b}));
    save(databases + "record_bad_crc", withRecords(databaseHead("Crc", 2), {b, record(basic, 5, false, true)}));
    // A record that is no project image is skipped.
    Bytes notImage = b;
    notImage[1] = 'Q';
    save(databases + "record_not_an_image", withRecords(databaseHead("Skip", 2), {notImage, b}));
    // Names that clash ignoring case and one already numbered.
    save(databases + "clashing_names",
         withRecords(databaseHead("Names9", 4), {record(image::basicItems("Rig"), 1), record(image::basicItems("rig"), 2),
                                                 record(image::basicItems("Rig(1)"), 3), record(image::basicItems(""), 4)}));
    return 0;
}
