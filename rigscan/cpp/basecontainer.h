#ifndef RIGSCAN_BASECONTAINER_H
#define RIGSCAN_BASECONTAINER_H

namespace KV_Rigscan {

class BaseOutputStream;
class BaseInputStream;

// Anything that has a name and an identifier and streams itself: components,
// records and lists.
class BaseContainer {
public:
    virtual ~BaseContainer() = default;
    virtual const char *getName() const = 0;
    virtual void writeToStream(BaseOutputStream &out_) const = 0;
    virtual void readFromStream(BaseInputStream &in_) = 0;
    virtual int getID() const { return 0; }
};

} // namespace KV_Rigscan

#endif
