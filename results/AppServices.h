#pragma once

#include "changes.h"
#include "datawindows.h"
#include "libraries.h"
#include "messages.h"
#include "resulttree.h"

// One object that serves every role of the seam at once: the window layer's
// services and the tests' recording stand-in are such objects.
class CAppServices : public CMessages, public CResultTree, public CDataWindows, public CLibraries {
public:
    ~CAppServices() override = default;

    // Holders of project pointers outside the databases (the clipboard's
    // transfer object, a drag, the selection) follow the change notification.
};

// Installs the object in every role (null puts back the silent ones);
// returns the object installed before.
CAppServices *setAppServices(CAppServices *services_);
