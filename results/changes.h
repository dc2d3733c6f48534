#pragma once

class CBasicDatabase;
class CBasicProject;

// What changed in a database or project.
enum class CChangeKind {
    Added,   // a project joined the database (null project: several at once)
    Removed, // a project left the database, or goes away
    Renamed, // the project, or the database itself when project is null
    Values,  // contents: statistics, settings, description
    Order,   // the projects' positions
    Hidden,  // a project's hidden flag
};

struct CChange {
    CChangeKind kind;
    CBasicDatabase *database = nullptr; // null for a project of no database
    CBasicProject *project = nullptr;   // null when the database itself changed
    // With Removed: the project is being destroyed, not only taken out;
    // without a project, the database itself is being destroyed.
    bool released = false;
};

// A view of the data: told of every change as it happens, before anything
// that was removed is freed. An observer unsubscribes itself when it goes.
class CChangeObserver {
public:
    CChangeObserver() = default;
    CChangeObserver(const CChangeObserver &) = delete;
    CChangeObserver &operator=(const CChangeObserver &) = delete;
    virtual ~CChangeObserver();
    virtual void dataChanged(const CChange &change_) = 0;
};

void subscribeChanges(CChangeObserver *observer_);
void unsubscribeChanges(CChangeObserver *observer_);
// Tells every observer, in the order they subscribed. One that unsubscribes
// (or subscribes another) meanwhile is honoured at once.
void notifyChanged(const CChange &change_);
