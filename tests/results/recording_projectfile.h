#pragma once

// A ProjectFile that remembers every set call in order and answers gets from
// a map of items. A set also updates the map, so a model saved into it can be
// loaded back from it.

#include "uDataVector.h"

#include <charconv>
#include <map>
#include <string>
#include <variant>
#include <vector>

class RecordingProjectFile : public ProjectFile {
public:
    // Alternatives in the order of the item type bytes: bool, int, float, string, block.
    using Value = std::variant<bool, int, float, std::string, std::vector<unsigned char>>;

    struct Call {
        unsigned id;
        Value value;
        bool nullData = false;  // setData was handed a null pointer
    };

    // Gets of absent items answer like the binary store: false, -1, -1.0, "".
    // getData leaves the length alone then, as the text store does.
    bool getBool(unsigned id) const override
    {
        const Value* v = lookup(id);
        if (v && std::holds_alternative<bool>(*v))
            return std::get<bool>(*v);
        return false;
    }
    int getInt(unsigned id) const override
    {
        const Value* v = lookup(id);
        if (v && std::holds_alternative<int>(*v))
            return std::get<int>(*v);
        if (v && std::holds_alternative<bool>(*v))
            return std::get<bool>(*v) ? 1 : 0;
        return -1;
    }
    float getFloat(unsigned id) const override
    {
        const Value* v = lookup(id);
        if (v && std::holds_alternative<float>(*v))
            return std::get<float>(*v);
        if (v && std::holds_alternative<int>(*v))
            return static_cast<float>(std::get<int>(*v));
        return -1.0f;
    }
    std::string getString(unsigned id) const override
    {
        const Value* v = lookup(id);
        if (v && std::holds_alternative<std::string>(*v))
            return std::get<std::string>(*v);
        return {};
    }
    const unsigned char* getData(unsigned id, unsigned& length) const override
    {
        const Value* v = lookup(id);
        if (!v || !std::holds_alternative<std::vector<unsigned char>>(*v))
            return nullptr;
        const auto& bytes = std::get<std::vector<unsigned char>>(*v);
        length = static_cast<unsigned>(bytes.size());
        return bytes.data();
    }

    void setBool(unsigned id, bool value) override { record(id, value); }
    void setInt(unsigned id, int value) override { record(id, value); }
    void setFloat(unsigned id, float value) override { record(id, value); }
    void setString(unsigned id, const std::string& text) override { record(id, text); }
    void setData(unsigned id, const unsigned char* data, unsigned length) override
    {
        std::vector<unsigned char> bytes;
        if (data)
            bytes.assign(data, data + length);
        record(id, bytes, data == nullptr);
    }

    // The calls as short texts: "s0=My Benchmark", "i24=1", "b7=0",
    // "f180=-1", "d6=3" (block size) or "d6=null".
    std::vector<std::string> trace() const
    {
        std::vector<std::string> out;
        for (const Call& c : calls)
            out.push_back(describe(c));
        return out;
    }

    static std::string describe(const Call& c)
    {
        static const char kinds[] = "bifsd";
        std::string s(1, kinds[c.value.index()]);
        s += std::to_string(c.id) + "=";
        switch (c.value.index()) {
        case 0: s += std::get<bool>(c.value) ? "1" : "0"; break;
        case 1: s += std::to_string(std::get<int>(c.value)); break;
        case 2: {
            char buffer[32];
            auto end = std::to_chars(buffer, buffer + sizeof buffer, std::get<float>(c.value)).ptr;
            s.append(buffer, end);
            break;
        }
        case 3: s += std::get<std::string>(c.value); break;
        default:
            s += c.nullData ? std::string("null")
                            : std::to_string(std::get<std::vector<unsigned char>>(c.value).size());
        }
        return s;
    }

    std::map<unsigned, Value> items;
    std::vector<Call> calls;

private:
    const Value* lookup(unsigned id) const
    {
        auto it = items.find(id);
        return it == items.end() ? nullptr : &it->second;
    }

    void record(unsigned id, Value value, bool nullData = false)
    {
        calls.push_back({id, value, nullData});
        items[id] = std::move(value);
    }
};
