#include "readbudget.h"

#include "kvs_exception.h"

namespace KV_Rigscan {

namespace {
thread_local ReadBudget *active = nullptr;
} // namespace

ReadBudget::ReadBudget(std::size_t bytes_) : left(bytes_), previous(active)
{
    active = this;
}

ReadBudget::~ReadBudget()
{
    active = previous;
}

void ReadBudget::charge(std::size_t bytes_)
{
    if (!active)
        return;
    if (bytes_ > active->left) {
        active->left = 0;
        throw KVS_exceptionStreamUnderflow(0, "KV_Rigscan::ReadBudget", "charge(std::size_t bytes_)");
    }
    active->left -= bytes_;
}

} // namespace KV_Rigscan
