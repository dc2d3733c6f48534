#include "AppServices.h"

#include <algorithm>
#include <vector>

namespace {

template <class Role>
struct Installed {
    Role silent;
    Role *current = nullptr;
    Role &get() { return current ? *current : silent; }
    Role *set(Role *role_)
    {
        Role *previous = current;
        current = role_;
        return previous;
    }
};

Installed<CMessages> messages;
Installed<CResultTree> tree;
Installed<CDataWindows> windows;
Installed<CLibraries> libraries;
CAppServices *currentServices = nullptr;

std::vector<CChangeObserver *> &observers()
{
    static std::vector<CChangeObserver *> list;
    return list;
}

} // namespace

CMessages &appMessages() { return messages.get(); }
CMessages *setAppMessages(CMessages *messages_) { return messages.set(messages_); }
CResultTree &appResultTree() { return tree.get(); }
CResultTree *setAppResultTree(CResultTree *tree_) { return tree.set(tree_); }
CDataWindows &appWindows() { return windows.get(); }
CDataWindows *setAppWindows(CDataWindows *windows_) { return windows.set(windows_); }
CLibraries &appLibraries() { return libraries.get(); }
CLibraries *setAppLibraries(CLibraries *libraries_) { return libraries.set(libraries_); }

CAppServices *setAppServices(CAppServices *services_)
{
    CAppServices *previous = currentServices;
    currentServices = services_;
    setAppMessages(services_);
    setAppResultTree(services_);
    setAppWindows(services_);
    setAppLibraries(services_);
    return previous;
}

CChangeObserver::~CChangeObserver()
{
    unsubscribeChanges(this);
}

void subscribeChanges(CChangeObserver *observer_)
{
    auto &list = observers();
    if (observer_ && std::find(list.begin(), list.end(), observer_) == list.end())
        list.push_back(observer_);
}

void unsubscribeChanges(CChangeObserver *observer_)
{
    auto &list = observers();
    list.erase(std::remove(list.begin(), list.end(), observer_), list.end());
}

void notifyChanged(const CChange &change_)
{
    // A copy, so observers may come and go while they are told; one that
    // went is skipped.
    const std::vector<CChangeObserver *> snapshot = observers();
    for (CChangeObserver *observer : snapshot) {
        const auto &now = observers();
        if (std::find(now.begin(), now.end(), observer) != now.end())
            observer->dataChanged(change_);
    }
}
