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

// The machines of the sample result files, each the one its name tells:
// processor, graphics card with what that card can do, memory and the board
// that takes them, and an operating system and drivers of their time. They
// are desktops: no battery. The Pentium III has fillMachine's processor and
// board.
enum class SampleRig {
    Athlon1400GeForce3,
    PentiumIII1000GeForce2,
    Pentium4_2000GeForce3Ti,
    Celeron800RivaTnt2,
};
void fillSampleRig(KV_Rigscan::SystemInfoTree &tree_, SampleRig rig_);

// The block of any tree.
std::vector<unsigned char> blockOf(const KV_Rigscan::SystemInfoTree &tree_);

} // namespace sample

#endif
