#include "components.h"

#include "kvs_streammemory.h"
#include "layout.h"
#include "readbudget.h"

namespace KV_Rigscan {

bool legacyLayout = false;
bool textExport = false;

void RootComponent::writeToStream(BaseOutputStream &out_) const
{
    SwitchGuard layout(legacyLayout, legacy);
    Component::writeToStream(out_);
}

void RootComponent::readFromStream(BaseInputStream &in_)
{
    SwitchGuard layout(legacyLayout, legacy);
    Component::readFromStream(in_);
}

void MotherboardComponent::reset()
{
    Component::reset();
    agp.reset();
}

void MotherboardComponent::writeToStream(BaseOutputStream &out_) const
{
    writeMembers(*this, out_);
    // A text rendering leaves the AGP record out; a block always carries it.
    if (!legacyLayout && !(textExport && !writesBlockBytes(out_)))
        out_ << static_cast<const BaseContainer &>(agp);
    BaseComponent::writeToStream(out_);
}

void MotherboardComponent::readFromStream(BaseInputStream &in_)
{
    reset();
    readMembers(*this, in_);
    if (!legacyLayout)
        in_ >> static_cast<BaseContainer &>(agp);
    BaseComponent::readFromStream(in_);
}

void WindowsComponent::reset()
{
    Component::reset();
    servicePack.set("<unknown>");
    locale.set("<unknown>");
}

SystemInfoTree::SystemInfoTree(bool legacy_) : root(legacy_)
{
    root.add(cpu);
    root.add(directX);
    directX.add(directDraw);
    directX.add(directShow);
    root.add(memory);
    root.add(motherboard);
    root.add(monitor);
    if (!legacy_)
        root.add(battery);
    root.add(windows);
    if (!legacy_)
        root.add(hdd);
}

void SystemInfoTree::read(KVS_streamInputBase &in_)
{
    auto adapter = in_.applyFilter(FeedthroughAdapter());
    adapter >> static_cast<BaseContainer &>(root);
}

void SystemInfoTree::read(const void *data_, unsigned size_)
{
    KVS_streamInputMemory memory(data_, size_);
    ReadBudget budget(ReadBudget::forBlock(size_));
    read(memory);
}

void SystemInfoTree::write(KVS_streamOutputBase &out_) const
{
    auto adapter = out_.applyFilter(FeedthroughAdapter());
    adapter << static_cast<const BaseContainer &>(root);
}

unsigned SystemInfoTree::size() const
{
    KVS_streamOutputCounter counter;
    write(counter);
    return counter.getSize();
}

} // namespace KV_Rigscan
