#ifndef KVS_STREAMOBJECT_H
#define KVS_STREAMOBJECT_H

// Marks a class as an object that streams itself; carries no data.
template <class T>
class KVS_streamObject {
};

#endif
