#ifndef VIEWER_RIGSCANGUIAPP_H
#define VIEWER_RIGSCANGUIAPP_H

#include <string>

// The library's application object: the host's QApplication when it has one,
// else one of the library's own, made on first need and kept for the process.
class RigscanGUIApp {
public:
    // True when widgets can be shown; otherwise why_ says why not.
    static bool ensure(std::string &why_);
};

#endif
