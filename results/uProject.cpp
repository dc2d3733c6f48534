#include "uProject.h"

#include "uDataVector.h"

void Project::save(ProjectFile& store)
{
    using namespace ItemId;
    store.setString(Name, name);
    store.setString(Description, description);
    store.setInt(Score, score);
    store.setInt(Version, version);
    store.setData(SystemInfo, getSystemInfo(), getSystemInfoSize());
    store.setBool(Flag7, flag7);
    store.setBool(Flag8, flag8);
    if (hasCurrentLayout()) {
        store.setBool(Flag9, flag9);
        store.setBool(Flag10, flag10);
    }
    display.save(store);
    batch.save(store);
    options.save(store);
    tests.save(store);
}

bool Project::load(const ProjectFile& store)
{
    using namespace ItemId;
    name = store.getString(Name);
    description = store.getString(Description);
    score = store.getInt(Score);
    version = store.getInt(Version);

    // Some stores leave the length alone when the item is absent.
    unsigned size = 0;
    const unsigned char* data = store.getData(SystemInfo, size);
    clearSystemInfo();
    if (data != nullptr && size != 0) {
        sharedBlock = data;
        sharedSize = size;
    }

    flag7 = store.getBool(Flag7);
    flag8 = store.getBool(Flag8);
    if (hasCurrentLayout()) {
        flag9 = store.getBool(Flag9);
        flag10 = store.getBool(Flag10);
    }

    if (!display.load(store))
        return false;
    if (!batch.load(store))
        return false;
    if (!options.load(store))
        return false;
    return tests.load(store);
}

void Project::setSystemInfo(const unsigned char* data, unsigned size)
{
    // Copy before letting the old block go: data may point into it.
    std::vector<unsigned char> copy;
    if (data != nullptr && size != 0)
        copy.assign(data, data + size);
    ownBlock.swap(copy);
    sharedBlock = nullptr;
    sharedSize = 0;
}

void Project::clearSystemInfo()
{
    std::vector<unsigned char>().swap(ownBlock);
    sharedBlock = nullptr;
    sharedSize = 0;
}
