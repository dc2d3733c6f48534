#include "filetypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <utility>
#include <vector>

#include "RegistryStore.h"

namespace {

// ---- the registry ----

const QString classesKey = QStringLiteral("Software\\Classes");
const QString projectCommandKey = QStringLiteral("Polyra.Project\\Shell\\Open\\command");
const QString databaseIconKey = QStringLiteral("Polyra.Database\\DefaultIcon");
const QString databaseCommandKey = QStringLiteral("Polyra.Database\\Shell\\Open\\command");

std::vector<std::pair<QString, QString>> associationTable(const QString &exe_)
{
    const QString command = registryOpenCommand(exe_);
    return {
        {QStringLiteral(".prb"), QStringLiteral("Polyra.Database")},
        {QStringLiteral("Polyra.Database"), QStringLiteral("Polyra Database File")},
        {databaseIconKey, exe_ + QStringLiteral(",3")},
        {QStringLiteral("Polyra.Database\\Shell"), QString()},
        {QStringLiteral("Polyra.Database\\Shell\\Open"), QString()},
        {databaseCommandKey, command},
        {QStringLiteral(".prp"), QStringLiteral("Polyra.Project")},
        {QStringLiteral("Polyra.Project"), QStringLiteral("Polyra Project File")},
        {QStringLiteral("Polyra.Project\\DefaultIcon"), exe_ + QStringLiteral(",2")},
        {QStringLiteral("Polyra.Project\\Shell"), QString()},
        {QStringLiteral("Polyra.Project\\Shell\\Open"), QString()},
        {projectCommandKey, command},
    };
}

bool registryNeedsRewrite(const RegistryStore &classes_, const QString &exe_)
{
    if (!classes_.keyExists(projectCommandKey))
        return true;
    const QString projectCommand = classes_.readString(projectCommandKey, QString());
    if (projectCommand.isEmpty() || !projectCommand.contains(exe_))
        return true;

    if (!classes_.keyExists(databaseIconKey))
        return true;
    const QString icon = classes_.readString(databaseIconKey, QString());
    if (icon.isEmpty())
        return false;
    if (!icon.endsWith(QLatin1Char('3')))
        return true;

    if (!classes_.keyExists(databaseCommandKey))
        return true;
    const QString databaseCommand = classes_.readString(databaseCommandKey, QString());
    return !databaseCommand.isEmpty() && databaseCommand != registryOpenCommand(exe_);
}

// ---- the desktop ----

const QString desktopEntryGroup = QStringLiteral("Desktop Entry");

struct DesktopEntry {
    bool found = false;
    QString exec;
    QStringList mimeTypes;
};

// The string escapes of desktop entry values.
QString unescapeValue(const QString &raw_)
{
    QString value;
    for (qsizetype i = 0; i < raw_.size(); ++i) {
        if (raw_[i] != QLatin1Char('\\') || i + 1 >= raw_.size()) {
            value += raw_[i];
            continue;
        }
        const QChar next = raw_[++i];
        if (next == QLatin1Char('s'))
            value += QLatin1Char(' ');
        else if (next == QLatin1Char('n'))
            value += QLatin1Char('\n');
        else if (next == QLatin1Char('t'))
            value += QLatin1Char('\t');
        else if (next == QLatin1Char('r'))
            value += QLatin1Char('\r');
        else if (next == QLatin1Char('\\'))
            value += QLatin1Char('\\');
        else
            value += QLatin1Char('\\') + QString(next);
    }
    return value;
}

DesktopEntry readDesktopEntry(const QString &path_)
{
    DesktopEntry entry;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inGroup = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + desktopEntryGroup + QLatin1Char(']');
            entry.found = entry.found || inGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("MimeType"))
            entry.mimeTypes = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return entry;
}

struct MimePackage {
    bool opened = false;
    QString databaseIcon;
};

MimePackage readMimePackage(const QString &path_)
{
    MimePackage package;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return package;
    QXmlStreamReader xml(&file);
    bool inDatabase = false;
    bool foundDatabase = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("mime-type")) {
                inDatabase = xml.attributes().value(QLatin1String("type")) == databaseMimeType;
                foundDatabase = foundDatabase || inDatabase;
            } else if (inDatabase && xml.name() == QLatin1String("icon")) {
                package.databaseIcon = xml.attributes().value(QLatin1String("name")).toString();
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("mime-type")) {
            inDatabase = false;
        }
    }
    // A damaged package counts as missing.
    package.opened = foundDatabase && !xml.hasError();
    return package;
}

bool desktopNeedsRewrite(const QString &exe_)
{
    // Both types open through the one desktop entry.
    const DesktopEntry entry = readDesktopEntry(desktopEntryPath());
    if (!entry.found || !entry.mimeTypes.contains(projectMimeType) || entry.exec.isEmpty())
        return true;
    bool namesProgram = false;
    for (const QString &argument : splitDesktopExec(entry.exec))
        namesProgram = namesProgram || argument.contains(exe_);
    if (!namesProgram || defaultApplicationFor(projectMimeType) != desktopFileId)
        return true;

    const MimePackage package = readMimePackage(mimePackagePath());
    if (!package.opened)
        return true;
    if (package.databaseIcon.isEmpty())
        return false;
    // A package of earlier versions names another icon (the program's, or
    // one that was never installed); and a file of the icons may be gone.
    if (package.databaseIcon != databaseIconName)
        return true;
    const QString icons[] = {applicationIconPath(), fileTypeIconPath(projectIconName),
                             fileTypeIconPath(databaseIconName)};
    for (const QString &icon : icons)
        if (!QFileInfo::exists(icon))
            return true;

    if (!entry.mimeTypes.contains(databaseMimeType) || defaultApplicationFor(databaseMimeType) != desktopFileId)
        return true;
    return entry.exec != desktopExecLine(exe_);
}

QString escapeValue(const QString &value_)
{
    return QString(value_).replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

bool writeFile(const QString &path_, const QByteArray &content_)
{
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(content_);
    return file.commit();
}

QByteArray mimePackageText()
{
    struct Type {
        const QString &name;
        const char *comment;
        const QString &icon;
        const char *glob;
    };
    const Type types[] = {
        {databaseMimeType, "Polyra Database File", databaseIconName, "*.prb"},
        {projectMimeType, "Polyra Project File", projectIconName, "*.prp"},
    };
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    xml.writeStartElement(QStringLiteral("mime-info"));
    for (const Type &type : types) {
        xml.writeStartElement(QStringLiteral("mime-type"));
        xml.writeAttribute(QStringLiteral("type"), type.name);
        xml.writeTextElement(QStringLiteral("comment"), QString::fromLatin1(type.comment));
        xml.writeEmptyElement(QStringLiteral("icon"));
        xml.writeAttribute(QStringLiteral("name"), type.icon);
        xml.writeEmptyElement(QStringLiteral("glob"));
        xml.writeAttribute(QStringLiteral("pattern"), QString::fromLatin1(type.glob));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

QByteArray desktopEntryText(const QString &exe_)
{
    const QString text = QLatin1Char('[') + desktopEntryGroup + QStringLiteral("]\n")
                         + QStringLiteral("Type=Application\n"
                                          "Name=Scorvista2001 SE\n"
                                          "Comment=Polyra2001 result projects and databases\n")
                         + QStringLiteral("Exec=") + escapeValue(desktopExecLine(exe_)) + QLatin1Char('\n')
                         + QStringLiteral("Icon=") + applicationIconName + QLatin1Char('\n')
                         + QStringLiteral("MimeType=") + databaseMimeType + QLatin1Char(';') + projectMimeType
                         + QStringLiteral(";\n"
                                          "Terminal=false\n"
                                          // A file handler, not a launcher of its own.
                                          "NoDisplay=true\n");
    return text.toUtf8();
}

// ---- the user's default applications ----

const QString defaultApplicationsGroup = QStringLiteral("Default Applications");

// The lines of a text file, without the last line's newline.
QStringList readLines(const QString &path_)
{
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The group a "[name]" line opens; null when the line opens none.
QString groupOf(const QString &line_)
{
    const QString line = line_.trimmed();
    if (!line.startsWith(QLatin1Char('[')) || !line.endsWith(QLatin1Char(']')))
        return QString();
    return line.mid(1, line.size() - 2);
}

bool splitKeyLine(const QString &line_, QString &key_, QString &value_)
{
    const QString line = line_.trimmed();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (line.startsWith(QLatin1Char('#')) || equals <= 0)
        return false;
    key_ = line.left(equals).trimmed();
    value_ = line.mid(equals + 1).trimmed();
    return true;
}

QStringList applicationsOf(const QString &value_)
{
    QStringList applications;
    for (const QString &part : value_.split(QLatin1Char(';')))
        if (!part.trimmed().isEmpty())
            applications.append(part.trimmed());
    return applications;
}

// The program first; the user's other choices stay behind it.
QString defaultValueBefore(const QString &value_)
{
    QString value = desktopFileId + QLatin1Char(';');
    for (const QString &application : applicationsOf(value_))
        if (application != desktopFileId)
            value += application + QLatin1Char(';');
    return value;
}

// Sets the program as the default of both types and leaves every other
// line as it was.
bool writeDefaultApplications()
{
    const QString path = mimeAppsListPath();
    QStringList lines = readLines(path);
    const QStringList types = {databaseMimeType, projectMimeType};
    QStringList missing = types;
    // New entries go after the last line of the first such group.
    qsizetype insertAt = -1;
    int groupsSeen = 0;
    bool inGroup = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString group = groupOf(lines[i]);
        if (!group.isNull()) {
            inGroup = group == defaultApplicationsGroup;
            if (inGroup && ++groupsSeen == 1)
                insertAt = i + 1;
            continue;
        }
        if (!inGroup)
            continue;
        if (groupsSeen == 1 && !lines[i].trimmed().isEmpty())
            insertAt = i + 1;
        QString key;
        QString value;
        if (splitKeyLine(lines[i], key, value) && types.contains(key)) {
            lines[i] = key + QLatin1Char('=') + defaultValueBefore(value);
            missing.removeAll(key);
        }
    }
    if (insertAt < 0) {
        lines.append(QLatin1Char('[') + defaultApplicationsGroup + QLatin1Char(']'));
        insertAt = lines.size();
    }
    for (const QString &type : missing)
        lines.insert(insertAt++, type + QLatin1Char('=') + defaultValueBefore(QString()));

    // A linked file (kept with the user's other settings) stays linked.
    const QFileInfo info(path);
    const QString target = info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath() : path;
    return writeFile(target, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

// Embedded, so a program run from its build folder has its icons too.
QByteArray iconData(const QString &iconName_)
{
    QFile icon(QStringLiteral(":/icons/") + iconName_ + QStringLiteral(".svg"));
    return icon.open(QIODevice::ReadOnly) ? icon.readAll() : QByteArray();
}

bool hasControlCharacters(const QString &text_)
{
    for (const QChar c : text_)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

} // namespace

QString registryOpenCommand(const QString &exePath_)
{
    // Quoted, so a path with blanks cannot start a program at a prefix of it.
    return QLatin1Char('"') + exePath_ + QStringLiteral("\" \"%1\"");
}

bool RegisterFileTypesInRegistry(const QString &exePath_)
{
    RegistryStore classes(classesKey);
    if (!registryNeedsRewrite(classes, exePath_))
        return false;
    for (const auto &[key, value] : associationTable(exePath_))
        classes.writeString(key, QString(), value);
    return true;
}

QString xdgDataHome()
{
    // Relative values are invalid by the XDG rules and are ignored.
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString mimePackagePath()
{
    return xdgDataHome() + QStringLiteral("/mime/packages/scorvista2001se.xml");
}

QString desktopEntryPath()
{
    return xdgDataHome() + QStringLiteral("/applications/scorvista2001se.desktop");
}

QString applicationIconPath()
{
    return xdgDataHome() + QStringLiteral("/icons/hicolor/scalable/apps/") + applicationIconName
           + QStringLiteral(".svg");
}

QString fileTypeIconPath(const QString &iconName_)
{
    return xdgDataHome() + QStringLiteral("/icons/hicolor/scalable/mimetypes/") + iconName_ + QStringLiteral(".svg");
}

QString xdgConfigHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString mimeAppsListPath()
{
    return xdgConfigHome() + QStringLiteral("/mimeapps.list");
}

QString defaultApplicationFor(const QString &mimeType_)
{
    // A key given twice counts with its last value, as GLib reads it.
    QString value;
    bool inGroup = false;
    for (const QString &line : readLines(mimeAppsListPath())) {
        const QString group = groupOf(line);
        if (!group.isNull()) {
            inGroup = group == defaultApplicationsGroup;
            continue;
        }
        QString key;
        QString lineValue;
        if (inGroup && splitKeyLine(line, key, lineValue) && key == mimeType_)
            value = lineValue;
    }
    const QStringList applications = applicationsOf(value);
    return applications.isEmpty() ? QString() : applications.first();
}

QString desktopExecLine(const QString &exePath_)
{
    QString quoted;
    for (const QChar c : exePath_) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QStringLiteral("\" %f");
}

QStringList splitDesktopExec(const QString &exec_)
{
    QStringList arguments;
    qsizetype i = 0;
    const qsizetype n = exec_.size();
    for (;;) {
        while (i < n && exec_[i] == QLatin1Char(' '))
            ++i;
        if (i >= n)
            break;
        QString argument;
        while (i < n && exec_[i] != QLatin1Char(' ')) {
            if (exec_[i] != QLatin1Char('"')) {
                argument += exec_[i++];
                continue;
            }
            ++i;
            while (i < n && exec_[i] != QLatin1Char('"')) {
                if (exec_[i] == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                argument += exec_[i++];
            }
            if (i >= n)
                return {};
            ++i;
        }
        arguments.append(argument.replace(QStringLiteral("%%"), QStringLiteral("%")));
    }
    return arguments;
}

bool RegisterFileTypesOnDesktop(const QString &exePath_, const DesktopToolRunner &runTool_)
{
    // Such a path cannot be written into a desktop entry safely.
    if (exePath_.isEmpty() || hasControlCharacters(exePath_))
        return false;
    if (!desktopNeedsRewrite(exePath_))
        return false;
    // Write failures are ignored; the next start tries again.
    writeFile(mimePackagePath(), mimePackageText());
    writeFile(desktopEntryPath(), desktopEntryText(exePath_));
    const std::pair<QString, QString> icons[] = {{applicationIconName, applicationIconPath()},
                                                 {projectIconName, fileTypeIconPath(projectIconName)},
                                                 {databaseIconName, fileTypeIconPath(databaseIconName)}};
    for (const auto &[name, path] : icons)
        if (const QByteArray icon = iconData(name); !icon.isEmpty())
            writeFile(path, icon);
    writeDefaultApplications();
    if (runTool_) {
        runTool_(QStringLiteral("update-mime-database"), {xdgDataHome() + QStringLiteral("/mime")});
        runTool_(QStringLiteral("update-desktop-database"), {xdgDataHome() + QStringLiteral("/applications")});
    }
    return true;
}

bool RegisterFileTypes(const QString &exePath_, const DesktopToolRunner &runTool_)
{
#ifdef Q_OS_WIN
    (void)runTool_;
    return RegisterFileTypesInRegistry(exePath_);
#else
    return RegisterFileTypesOnDesktop(exePath_, runTool_);
#endif
}

namespace {

DesktopToolRunner programToolRunner;

} // namespace

void SetDesktopToolRunner(DesktopToolRunner runner_)
{
    programToolRunner = std::move(runner_);
}

bool RegisterFileTypes()
{
    const QString exe = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    if (exe.isEmpty())
        return false;
    if (programToolRunner)
        return RegisterFileTypes(exe, programToolRunner);
    // Started, not waited for: the tools may be missing or slow, and the
    // program's start must not depend on them.
    return RegisterFileTypes(exe, [](const QString &program_, const QStringList &arguments_) {
        return QProcess::startDetached(program_, arguments_);
    });
}
