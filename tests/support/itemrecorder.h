#pragma once

// A store that records every item the model saves, in the file's wire
// format, so a test can make the complete item region a benchmark writes.

#include <functional>
#include <map>

#include "item_bytes.h"
#include "uDataVector.h"
#include "uProject.h"

class ItemRecorder : public ProjectFile {
public:
    bool getBool(unsigned) const override { return false; }
    int getInt(unsigned) const override { return -1; }
    float getFloat(unsigned) const override { return -1.0f; }
    std::string getString(unsigned) const override { return {}; }
    const unsigned char *getData(unsigned, unsigned &length) const override
    {
        length = 0;
        return nullptr;
    }
    void setBool(unsigned id, bool v) override { put(id, boolItem(id16(id), v ? 1 : 0)); }
    void setInt(unsigned id, int v) override { put(id, intItem(id16(id), v)); }
    void setFloat(unsigned id, float v) override { put(id, floatItem(id16(id), v)); }
    void setString(unsigned id, const std::string &s) override { put(id, stringItem(id16(id), s)); }
    void setData(unsigned id, const unsigned char *d, unsigned n) override
    {
        put(id, blockItem(id16(id), d ? Bytes(d, d + n) : Bytes()));
    }

    // The items in the order they were saved, with replacements.
    Bytes bytes() const
    {
        Bytes out;
        for (const auto &[id, b] : items)
            out.insert(out.end(), b.begin(), b.end());
        return out;
    }
    void replace(unsigned id, const Bytes &item)
    {
        for (auto &entry : items)
            if (entry.first == id)
                entry.second = item;
    }

private:
    static std::uint16_t id16(unsigned id) { return static_cast<std::uint16_t>(id); }
    void put(unsigned id, const Bytes &b) { items.emplace_back(id, b); }
    std::vector<std::pair<unsigned, Bytes>> items;
};

namespace image {

// The full item region of a result as the benchmark writes it: every
// setting at its default unless adjust_ changes it, the given texts, score,
// version and block, and the results of tests 1 to 17 (a value below zero
// is a status code).
inline Bytes completeItems(const std::string &name, const std::string &description, int score, int version,
                           const Bytes &block, const std::vector<float> &results = {},
                           const std::function<void(Project &)> &adjust_ = nullptr)
{
    Project model;
    for (std::size_t i = 0; i < results.size(); ++i)
        model.getTests().find(static_cast<int>(i) + 1).result.value = results[i];
    if (adjust_)
        adjust_(model);
    ItemRecorder recorder;
    model.save(recorder);
    recorder.replace(0, stringItem(0, name));
    recorder.replace(1, stringItem(1, description));
    recorder.replace(4, intItem(4, score));
    recorder.replace(5, intItem(5, version));
    recorder.replace(6, blockItem(6, block));
    Bytes items = recorder.bytes();
    // Version 202 and up carries flags 9 and 10, which a model of version 0 does not save.
    if (version >= 202)
        items = cat({items, boolItem(9, 0), boolItem(10, 0)});
    return items;
}

} // namespace image
