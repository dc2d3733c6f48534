#ifndef PLATFORM_SHELL_H
#define PLATFORM_SHELL_H

#include <QString>
#include <QUrl>

// Opening files and addresses through the desktop.

// The desktop call itself; tests put their own in.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    virtual bool openUrl(const QUrl &url_) = 0;
    // An existing local file with the desktop's application for its type;
    // when that fails, reason_ gets what the desktop said (may stay empty).
    virtual bool openFile(const QString &path_, QString &reason_)
    {
        (void)reason_;
        return openUrl(QUrl::fromLocalFile(path_));
    }
    // An address with the desktop's application for its scheme; when that
    // fails, reason_ gets what the desktop said (may stay empty).
    virtual bool openAddress(const QUrl &url_, QString &reason_)
    {
        (void)reason_;
        return openUrl(url_);
    }
};

// Installs an opener (null puts back QDesktopServices); returns the previous one.
DesktopOpener *setDesktopOpener(DesktopOpener *opener_);

// The codes are the Windows system error codes, so a message shows the same
// number on every platform.
enum ShellError : int {
    ShellErrorNone = 0,
    ShellErrorFileNotFound = 2,
    ShellErrorAccessDenied = 5,
    ShellErrorNoAssociation = 1155,
};

struct ShellResult {
    bool ok = false;
    int errorCode = ShellErrorNone;
    // Why, for the user: the desktop's own words where it gave some.
    QString errorText;
};

// The words for a code, where the desktop gave none.
QString shellErrorText(int code_);

// Opens an existing local file with the desktop's application for it. The
// name is always taken as a file, never as an address.
ShellResult shellOpenFile(const QString &path_);
// Opens an address (a web page, a mail address) with the desktop.
ShellResult shellOpenUrl(const QUrl &url_);

#endif
