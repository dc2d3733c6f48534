#pragma once

// Stands in for the desktop while it lives: answers every request with
// `result` and keeps what was asked.

#include <QUrl>
#include <vector>

#include "Shell.h"

class RecordingDesktop : public DesktopOpener {
public:
    RecordingDesktop() { previous = setDesktopOpener(this); }
    ~RecordingDesktop() override { setDesktopOpener(previous); }
    RecordingDesktop(const RecordingDesktop &) = delete;
    RecordingDesktop &operator=(const RecordingDesktop &) = delete;
    bool openUrl(const QUrl &url_) override
    {
        opened.push_back(url_);
        return result;
    }
    std::vector<QUrl> opened;
    bool result = true;

private:
    DesktopOpener *previous = nullptr;
};
