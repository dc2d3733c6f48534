// Stands in for the viewer library: each build is one behaviour, chosen by
// a definition, under the real library's file name.
#include <stdexcept>

#include "kvs_exception.h"

namespace {
int calls = 0;
const void *lastData = nullptr;
unsigned lastSize = 0;
} // namespace

extern "C" {

#if defined(STANDIN_NOFUNCTION)
void RigscanGUI_Other(const void *, unsigned) {}
#else
void RigscanGUI_ShowDialog(const void *data_, unsigned size_)
{
    ++calls;
    lastData = data_;
    lastSize = size_;
#if defined(STANDIN_THROWKVS)
    throw KVS_exceptionBase("viewer", "showDialog", "Stream underflow");
#elif defined(STANDIN_THROWOTHER)
    throw std::runtime_error("not a stream error");
#endif
}
#endif

int StandIn_CallCount() { return calls; }
const void *StandIn_LastData() { return lastData; }
unsigned StandIn_LastSize() { return lastSize; }
}
