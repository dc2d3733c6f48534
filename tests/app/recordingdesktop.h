#pragma once

// Stands in for the desktop while it lives: answers every request with
// `result` (and `reason` when it fails) and keeps what was asked.

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
    bool openFile(const QString &path_, QString &reason_) override
    {
        if (!result)
            reason_ = reason;
        return openUrl(QUrl::fromLocalFile(path_));
    }
    bool openAddress(const QUrl &url_, QString &reason_) override
    {
        if (!result)
            reason_ = reason;
        return openUrl(url_);
    }
    std::vector<QUrl> opened;
    bool result = true;
    // What the desktop says when it fails (result false).
    QString reason;

private:
    DesktopOpener *previous = nullptr;
};
