#ifndef RIGSCAN_READBUDGET_H
#define RIGSCAN_READBUDGET_H

#include <cstddef>

namespace KV_Rigscan {

// The memory the lists of one block may take while it is read. A real
// machine's lists take a small multiple of their bytes on the block; a hostile
// block of a million empty entries would take a hundred times its size. Past
// the budget the block is refused as a truncated one is: with the stream's
// underflow. Without a budget in scope nothing is counted.
class ReadBudget {
public:
    explicit ReadBudget(std::size_t bytes_);
    ~ReadBudget();
    ReadBudget(const ReadBudget &) = delete;
    ReadBudget &operator=(const ReadBudget &) = delete;

    // Takes bytes_ from the budget in scope; throws KVS_exceptionStreamUnderflow
    // when it does not hold them.
    static void charge(std::size_t bytes_);

    // The budget for a block of size_ bytes: far above any real machine's.
    static std::size_t forBlock(std::size_t size_) { return perBlockByte * size_ + allowance; }
    static constexpr std::size_t perBlockByte = 4;
    static constexpr std::size_t allowance = std::size_t(1) << 20;

private:
    std::size_t left;
    ReadBudget *previous;
};

} // namespace KV_Rigscan

#endif
