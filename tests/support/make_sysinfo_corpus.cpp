// Writes the seed corpus of the system-information fuzz target into the
// folder named on the command line: the sample machine in both layouts, an
// empty tree, and broken variants of them.
#include <cstdio>
#include <string>
#include <vector>

#include "samplemachine.h"

namespace {

void save(const std::string &dir, const char *name, const std::vector<unsigned char> &bytes)
{
    const std::string path = dir + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::vector<unsigned char> current = sample::machineBlock(false);
    const std::vector<unsigned char> legacy = sample::machineBlock(true);
    KV_Rigscan::SystemInfoTree empty;
    save(dir, "machine_current", current);
    save(dir, "machine_legacy", legacy);
    save(dir, "empty_tree", sample::blockOf(empty));
    save(dir, "machine_cut_in_half", std::vector<unsigned char>(current.begin(), current.begin() + current.size() / 2));
    std::vector<unsigned char> hugeChunk = current;
    // The first chunk header follows the root's members: version (9 + text), id, text.
    const std::size_t firstHeader = 4 + 4 + 4 + 1 + 4 + std::string("Scorvista Lab Rig 7").size() + 1;
    hugeChunk[firstHeader + 4] = hugeChunk[firstHeader + 5] = hugeChunk[firstHeader + 6] = hugeChunk[firstHeader + 7] = 0xFF;
    save(dir, "machine_huge_chunk_length", hugeChunk);
    std::vector<unsigned char> hugeCount = sample::blockOf(empty);
    hugeCount[14 + 8] = hugeCount[14 + 9] = hugeCount[14 + 10] = hugeCount[14 + 11] = 0xFF; // processor list count
    save(dir, "empty_tree_huge_list_count", hugeCount);
    return 0;
}
