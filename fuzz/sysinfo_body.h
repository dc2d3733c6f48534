#pragma once

// Body of the system-information fuzz target, shared with the corpus replay
// of the unit tests: any bytes read into the machine tree in both layouts.
// A read either fails with a stream or model exception or gives a tree that
// writes a block which reads back to the same block.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "check_body.h"
#include "components.h"
#include "kvs_streammemory.h"

namespace fuzzbody {

inline std::vector<unsigned char> blockOfTree(const KV_Rigscan::SystemInfoTree &tree)
{
    KVS_streamOutputMemory memory(tree.size());
    tree.write(memory);
    return std::vector<unsigned char>(memory.getBuffer(), memory.getBuffer() + memory.getLength());
}

inline void sysinfoCheck(bool ok, const char *what)
{
    if (!ok)
        checkFailed(__FILE__, __LINE__, what);
}

inline void readSystemInfo(const std::uint8_t *data, std::size_t size)
{
    if (size > 1u << 20)
        return;
    // An exact-size heap copy, so any read past the end is an ASan report.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size ? size : 1]);
    if (size)
        std::memcpy(copy.get(), data, size);
    for (bool legacy : {false, true}) {
        KV_Rigscan::SystemInfoTree tree(legacy);
        try {
            tree.read(copy.get(), static_cast<unsigned>(size));
        } catch (const KVS_exceptionBase &) {
            sysinfoCheck(!KV_Rigscan::legacyLayout, "layout switch restored after a failed read");
            continue;
        }
        sysinfoCheck(!KV_Rigscan::legacyLayout, "layout switch restored after a read");
        const std::vector<unsigned char> block = blockOfTree(tree);
        KV_Rigscan::SystemInfoTree again(legacy);
        again.read(block.data(), static_cast<unsigned>(block.size()));
        sysinfoCheck(blockOfTree(again) == block, "a written block reads back to itself");
    }
}

} // namespace fuzzbody
