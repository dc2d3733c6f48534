#include "Shell.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace {

class QtDesktopOpener : public DesktopOpener {
public:
    bool openUrl(const QUrl &url_) override { return QDesktopServices::openUrl(url_); }
};

QtDesktopOpener realOpener;
DesktopOpener *current = nullptr;

DesktopOpener &opener()
{
    return current ? *current : realOpener;
}

ShellResult failure(int code_, const QString &text_)
{
    ShellResult r;
    r.errorCode = code_;
    r.errorText = text_;
    return r;
}

} // namespace

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
        return failure(ShellErrorFileNotFound, QStringLiteral("The system cannot find the file specified."));
    if (!info.isReadable())
        return failure(ShellErrorAccessDenied, QStringLiteral("Access is denied."));
    if (!opener().openUrl(QUrl::fromLocalFile(info.absoluteFilePath())))
        return failure(ShellErrorNoAssociation,
                       QStringLiteral("No application is associated with the specified file for this operation."));
    return ShellResult{true, ShellErrorNone, QString()};
}

ShellResult shellOpenUrl(const QUrl &url_)
{
    if (!url_.isValid() || url_.scheme().isEmpty())
        return failure(ShellErrorFileNotFound, QStringLiteral("The address is not valid."));
    if (!opener().openUrl(url_))
        return failure(ShellErrorNoAssociation,
                       QStringLiteral("No application is associated with the specified file for this operation."));
    return ShellResult{true, ShellErrorNone, QString()};
}
