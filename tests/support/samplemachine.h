#ifndef TESTS_SAMPLEMACHINE_H
#define TESTS_SAMPLEMACHINE_H

#include <vector>

#include "components.h"

namespace sample {

// Fills a tree with a plausible machine: one processor with L1 and L2 caches,
// two memory modules, an AGP display adapter with modes, texture formats and
// 3D capabilities, card slots, system devices, a monitor, a battery and a disk.
void fillMachine(KV_Rigscan::SystemInfoTree &tree_);

// The block of that machine in the tree's layout.
std::vector<unsigned char> machineBlock(bool legacy_ = false);

// The block of any tree.
std::vector<unsigned char> blockOf(const KV_Rigscan::SystemInfoTree &tree_);

} // namespace sample

#endif
