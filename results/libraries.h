#pragma once

#include <string>

// The run-time libraries the program calls for a project: the viewer
// libraries of the system information and the submission library.
class CLibraries {
public:
    virtual ~CLibraries() = default;

    // The viewer library: the current layout's, or the older one's.
    virtual void showSystemInfoDialog(const void *data_, unsigned size_) { (void)data_; (void)size_; }
    virtual void showOldSystemInfoDialog(const void *data_, unsigned size_) { (void)data_; (void)size_; }
    // The submission library's details view of a project's text.
    virtual void showDetailsData(const std::string &text_) { (void)text_; }
};

CLibraries &appLibraries();
CLibraries *setAppLibraries(CLibraries *libraries_);
