#include "AppServices.h"

namespace {
CAppServices silentServices;
CAppServices *current = nullptr;
} // namespace

CAppServices &appServices()
{
    return current ? *current : silentServices;
}

CAppServices *setAppServices(CAppServices *services_)
{
    CAppServices *previous = current;
    current = services_;
    return previous;
}
