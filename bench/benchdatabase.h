#pragma once

// The database files the benchmarks load: n projects, each with a full
// system-information block and every result, or n minimal records.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imagebuilder.h"
#include "itemrecorder.h"
#include "kvs_bytereader.h"
#include "samplemachine.h"

// The file's header: its signature, the database name and the record count.
inline void writeDatabaseHeader(KVS_byteWriter &out_, const std::string &name_, int count_)
{
    out_.writeString("Scorvista2001 Database\n");
    out_.writeU8(0);
    out_.writeU32(static_cast<std::uint32_t>(name_.size()));
    out_.writeString(name_);
    out_.writeU32(static_cast<std::uint32_t>(count_));
}

// sameName_: every project is called "Rig"; otherwise every tenth name
// repeats an earlier one, so names must still be made unique. Every tenth
// project is hidden, and the processor clocks differ.
inline std::vector<unsigned char> benchDatabaseBytes(int n_, bool sameName_ = false)
{
    KVS_byteWriter out(KVS_byteOrder::little);
    const std::string name = "Bench " + std::to_string(n_);
    writeDatabaseHeader(out, name, n_);
    KV_Rigscan::SystemInfoTree tree;
    sample::fillMachine(tree);
    for (int i = 0; i < n_; ++i) {
        tree.cpu.slots.begin()->internalClock.set64(std::uint64_t(700 + i % 1500) << 20);
        std::vector<float> results;
        for (int t = 0; t < 17; ++t)
            results.push_back(10.0f + float((i * 7 + t * 13) % 900) / 3.0f);
        image::Options o;
        o.record = true;
        o.seed = 0x9E3779B9u * static_cast<std::uint32_t>(i + 1);
        o.hidden = i % 10 == 0;
        const std::string projectName = sameName_ ? "Rig" : "Rig " + std::to_string(i % 10 == 9 ? i - 1 : i);
        const Bytes record = image::build(
            image::completeItems(projectName, "bench project", 3000 + i % 4000, 202, sample::blockOf(tree), results), o);
        out.writeU32(static_cast<std::uint32_t>(record.size()));
        out.writeBytes(record.data(), record.size());
    }
    return out.take();
}

// n of the smallest records a file can hold: the version item alone, no
// name, no results, no system information; all of them load as "Unnamed",
// "Unnamed(1)", ... The footprint per project is then all fixed cost.
inline std::vector<unsigned char> minimalDatabaseBytes(int n_)
{
    KVS_byteWriter out(KVS_byteOrder::little);
    const std::string name = "Minimal " + std::to_string(n_);
    writeDatabaseHeader(out, name, n_);
    for (int i = 0; i < n_; ++i) {
        image::Options o;
        o.record = true;
        o.seed = 0x9E3779B9u * static_cast<std::uint32_t>(i + 1);
        const Bytes record = image::build(intItem(5, 202), o);
        out.writeU32(static_cast<std::uint32_t>(record.size()));
        out.writeBytes(record.data(), record.size());
    }
    return out.take();
}

// The same database written to a file; false when it could not be written.
inline bool writeBenchDatabase(const std::filesystem::path &path_, int n_, bool sameName_ = false)
{
    const std::vector<unsigned char> bytes = benchDatabaseBytes(n_, sameName_);
    std::ofstream file(path_, std::ios::binary);
    file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
