#ifndef RIGSCAN_LAYOUT_H
#define RIGSCAN_LAYOUT_H

namespace KV_Rigscan {

// Set while a block in the older member layout is read or written. A tree
// keeps the layout it was built for and sets this only for its own reads and
// writes (see RootComponent), so an earlier project's tree is never written
// in a later project's layout.
extern bool legacyLayout;

// Set while a project's tree is rendered as text; it leaves the motherboard's
// AGP capabilities out of the rendering, never out of a block's bytes.
extern bool textExport;

// Sets a switch for one scope and puts the previous value back, also when an
// exception passes.
class SwitchGuard {
public:
    SwitchGuard(bool &switch_, bool value_) : flag(switch_), saved(switch_) { flag = value_; }
    ~SwitchGuard() { flag = saved; }
    SwitchGuard(const SwitchGuard &) = delete;
    SwitchGuard &operator=(const SwitchGuard &) = delete;

private:
    bool &flag;
    bool saved;
};

} // namespace KV_Rigscan

#endif
