#ifdef SCORVISTA_HAVE_GIO
// Before any of Qt's headers, whose keywords GLib's headers use as names.
#include <gio/gio.h>
#endif

#include "Shell.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace {

class QtDesktopOpener : public DesktopOpener {
public:
    bool openUrl(const QUrl &url_) override { return QDesktopServices::openUrl(url_); }
#ifdef SCORVISTA_HAVE_GIO
    // Qt only starts a launcher and cannot tell when no application takes
    // the file; GIO, which keeps the desktop's associations, says why.
    bool openFile(const QString &path_, QString &reason_) override
    {
        return launchDefault(QUrl::fromLocalFile(path_), reason_);
    }
    bool openAddress(const QUrl &url_, QString &reason_) override { return launchDefault(url_, reason_); }

private:
    static bool launchDefault(const QUrl &url_, QString &reason_)
    {
        const QByteArray uri = url_.toEncoded();
        GError *error = nullptr;
        if (g_app_info_launch_default_for_uri(uri.constData(), nullptr, &error))
            return true;
        if (error)
            reason_ = QString::fromUtf8(error->message);
        g_clear_error(&error);
        return false;
    }
#endif
};

QtDesktopOpener realOpener;
DesktopOpener *current = nullptr;

DesktopOpener &opener()
{
    return current ? *current : realOpener;
}

ShellResult failure(int code_, const QString &text_ = QString())
{
    ShellResult r;
    r.errorCode = code_;
    r.errorText = text_.isEmpty() ? shellErrorText(code_) : text_;
    return r;
}

} // namespace

QString shellErrorText(int code_)
{
    switch (code_) {
    case ShellErrorFileNotFound:
        return QStringLiteral("The system cannot find the file specified.");
    case ShellErrorAccessDenied:
        return QStringLiteral("Access is denied.");
    case ShellErrorNoAssociation:
        return QStringLiteral("No application is associated with the specified file for this operation.");
    default:
        return QString();
    }
}

DesktopOpener *setDesktopOpener(DesktopOpener *opener_)
{
    DesktopOpener *previous = current;
    current = opener_;
    return previous;
}

ShellResult shellOpenFile(const QString &path_)
{
    const QFileInfo info(path_);
    if (path_.isEmpty() || !info.exists())
        return failure(ShellErrorFileNotFound);
    if (!info.isReadable())
        return failure(ShellErrorAccessDenied);
    QString reason;
    if (!opener().openFile(info.absoluteFilePath(), reason))
        return failure(ShellErrorNoAssociation, reason);
    return ShellResult{true, ShellErrorNone, QString()};
}

ShellResult shellOpenUrl(const QUrl &url_)
{
    if (!url_.isValid() || url_.scheme().isEmpty())
        return failure(ShellErrorFileNotFound, QStringLiteral("The address is not valid."));
    QString reason;
    if (!opener().openAddress(url_, reason))
        return failure(ShellErrorNoAssociation, reason);
    return ShellResult{true, ShellErrorNone, QString()};
}
