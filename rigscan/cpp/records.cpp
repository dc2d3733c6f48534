#include "records.h"

#include "textformat.h"

namespace KV_Rigscan {

void CpuCache::reset()
{
    resetMembers(*this);
    name = "Cache Module";
}

const char *CpuCache::getName() const
{
    name = "L" + Text::intText(level.get()) + " Cache";
    return name.c_str();
}

const char *CpuSlot::getName() const
{
    // Sockets without a processor report a clock below 1 MHz.
    if (static_cast<std::uint32_t>(internalClock.get64() >> 20) == 0)
        name = "<free>";
    else
        name = manufacturer.get() + " " + family.toString();
    return name.c_str();
}

void DisplayDevice::reset()
{
    resetMembers(*this);
    whqlCertified.set("N/A");
}

void MemorySlot::reset()
{
    resetMembers(*this);
    name = "Memory Slot";
}

const char *MemorySlot::getName() const
{
    if (installedSize.get64() == 0)
        name = "<free>";
    else
        name = installedSize.toString() + " " + formFactor.toString();
    return name.c_str();
}

const char *CardSlot::getName() const
{
    name = type.toString();
    if (!designation.get().empty())
        name += " [" + designation.get() + "]";
    return name.c_str();
}

void PhysicalHDD::reset()
{
    resetMembers(*this);
    for (String *text : {&name, &manufacturer, &model, &interfaceType})
        text->set("<unknown>");
}

void Battery::reset()
{
    resetMembers(*this);
    designCapacity.setUnit("mAHr");
    designVoltage.setUnit("mV");
}

} // namespace KV_Rigscan
