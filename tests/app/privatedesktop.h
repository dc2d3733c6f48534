#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

// A desktop of a helper process's own: its home, data and configuration
// folders, the system's file types read only and none of its applications
// but, when types are given, one that takes them and writes down what it
// was started on (into opened, through a file first, so a reader never
// sees half of it).
struct PrivateDesktop {
    QTemporaryDir home;
    QString opened = home.filePath("opened");

    // types_: the MIME types and URL schemes ("x-scheme-handler/https") of
    // the one application, started with argument_ ("%f" a file, "%u" an
    // address); none: no application at all.
    bool setUp(const QStringList &types_, const char *argument_)
    {
        const QString data = home.filePath("data");
        const QString system = home.filePath("system");
        if (!QDir().mkpath(data + "/applications") || !QDir().mkpath(home.filePath("config")) || !QDir().mkpath(system)
            || !QFile::link("/usr/share/mime", system + "/mime"))
            return false;
        if (types_.isEmpty())
            return true;
        const QString program = home.filePath("application.sh");
        QFile script(program);
        if (!script.open(QIODevice::WriteOnly))
            return false;
        script.write(QString("#!/bin/sh\nprintf '%s' \"$1\" > '%1.part' && mv '%1.part' '%1'\n").arg(opened).toUtf8());
        script.close();
        if (!script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
        QFile entry(data + "/applications/application.desktop");
        if (!entry.open(QIODevice::WriteOnly))
            return false;
        entry.write(QString("[Desktop Entry]\nType=Application\nName=Application\nExec=\"%1\" %2\nMimeType=%3;\n")
                        .arg(program, QString::fromLatin1(argument_), types_.join(';'))
                        .toUtf8());
        entry.close();
        QFile cache(data + "/applications/mimeinfo.cache");
        if (!cache.open(QIODevice::WriteOnly))
            return false;
        QByteArray lines = "[MIME Cache]\n";
        for (const QString &type : types_)
            lines += type.toUtf8() + "=application.desktop;\n";
        return cache.write(lines) == lines.size();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_DATA_DIRS", home.filePath("system"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_CONFIG_DIRS", home.filePath("config"));
        environment.insert("HOME", home.path());
        environment.insert("LANGUAGE", "C");
        environment.insert("LC_ALL", "C.UTF-8");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove("BROWSER");
        return environment;
    }

    // The lines the help helper printed with its arguments on this desktop,
    // and what it wrote to its error output; no lines when it did not end.
    struct Run {
        QStringList lines;
        QString errors;
    };
    Run runHelpHelper(const QStringList &arguments_) const
    {
        QProcess helper;
        helper.setProcessEnvironment(environment());
        helper.start(SCORVISTA_HELP_HELPER, arguments_);
        if (!helper.waitForFinished(60000))
            return {{}, "the help helper did not end"};
        return {QString::fromUtf8(helper.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
                QString::fromUtf8(helper.readAllStandardError())};
    }
};
