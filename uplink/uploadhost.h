#pragma once

#include <QRegularExpression>
#include <QString>

// The Host setting as the program and the library both read it.

// The longest upload address that is sent, and the longest Host setting the
// network settings keep: far beyond any real one, and far below what
// libcurl's request line holds (1 MiB) or its address option takes (8 MB).
// A host within its limit leaves room for "http://" and the service's path.
inline constexpr qsizetype uploadAddressLimit = 2048;
inline constexpr qsizetype uploadHostLimit = 1024;

// How long the setting's scheme is with the slashes after it ("http://" 7,
// "http:/x" 6, "http:" 5), or 0 when it has none ("example.com",
// "localhost:8080", "[::1]:80").
inline qsizetype uploadHostSchemeLength(const QString &host_)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?=/|$)/{0,2}"));
    const QRegularExpressionMatch match = scheme.match(host_);
    return match.hasMatch() ? match.capturedLength() : 0;
}

// Without blanks and trailing slashes, but for those of its scheme: "http://"
// stays an address that names no host rather than becoming the host "http".
inline QString trimmedUploadHost(QString host_)
{
    host_ = host_.trimmed();
    const qsizetype keep = uploadHostSchemeLength(host_);
    while (host_.size() > keep && host_.endsWith(QLatin1Char('/')))
        host_.chop(1);
    return host_;
}
