#include "units.h"

#include "textformat.h"

namespace KV_Rigscan {

namespace {
const char *const byteUnits[7] = {" bytes", "KB", "MB", "GB", "TB", "PB", "HB"};
const char *const hertzUnits[7] = {"Hz", "KHz", "MHz", "GHz", "THz", "PHz", "HHz"};
} // namespace

std::string unitLadderText(std::uint64_t value_, const char *const (&units_)[7])
{
    std::uint64_t v = value_;
    double f = 0.0;
    unsigned n = 0;
    // 2^64 steps down at most six times, so n stays within the seven units.
    while (v >= 1024) {
        f = double(v % 1024) / 1024.0 + f / 1024.0;
        v >>= 10;
        ++n;
    }
    std::string s;
    if (f < 0.005 || f >= 0.995)
        Text::appendInt(s, static_cast<std::int64_t>(double(v) + f + 0.005));
    else
        Text::appendFixed(s, double(v) + f, 2);
    s.push_back(' ');
    s += units_[n];
    return s;
}

Capacity::Capacity()
{
    reset();
}

Capacity::Capacity(unsigned low_, unsigned high_)
{
    reset();
    set(low_, high_);
}

void Capacity::reset()
{
    setLabel("Capacity");
    low = high = 0;
}

std::string Capacity::toString() const
{
    return unitLadderText(get64(), byteUnits);
}

void WordPair::write(KVS_streamOutputBase &out_) const
{
    out_ << low << high;
}

void Capacity::read(KVS_streamInputBase &in_)
{
    in_ >> low >> high;
}

std::string Frequency::toString() const
{
    return unitLadderText(get64(), hertzUnits);
}

void Frequency::read(KVS_streamInputBase &in_)
{
    low = high = 0;
    in_ >> low >> high;
}

} // namespace KV_Rigscan
