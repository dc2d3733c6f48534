#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "TemporarySettings.h"
#include "toolbaricons.h"
#include "defaultfolder.h"

namespace {

int drawnPixels(const QIcon &icon_, int size_)
{
    const QImage image = icon_.pixmap(size_, size_).toImage();
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += qAlpha(image.pixel(x, y)) != 0;
    return drawn;
}

} // namespace

TEST(ToolbarIcons, EveryButtonHasAnIconThatDraws)
{
    const char *buttons[] = {"ToolButton1", "ToolButton2", "ToolButton5",  "ToolButton7",  "ToolButton8",
                             "ToolButton9", "ToolButton4", "ToolButton11", "ToolButton12", "Bonline"};
    for (const char *button : buttons) {
        const QIcon icon = toolbarIcon(button);
        ASSERT_FALSE(icon.isNull()) << button;
        for (int size : {16, 24, 32})
            EXPECT_GT(drawnPixels(icon, size), size) << button << " at " << size;
    }
    // Not a null icon for a name it does not know either.
    EXPECT_GT(drawnPixels(toolbarIcon("NoSuchButton"), 16), 0);
}

// A theme of its own for one test: document-new drawn in red, document-save
// a file that cannot be drawn.
class TestIconTheme {
public:
    TestIconTheme()
    {
        const QString theme = folder.path() + "/testtheme";
        QDir().mkpath(theme + "/24x24/actions");
        QFile index(theme + "/index.theme");
        if (index.open(QIODevice::WriteOnly))
            index.write("[Icon Theme]\nName=testtheme\nDirectories=24x24/actions\n\n"
                        "[24x24/actions]\nSize=24\nType=Fixed\n");
        index.close();
        QImage red(24, 24, QImage::Format_ARGB32);
        red.fill(Qt::red);
        red.save(theme + "/24x24/actions/document-new.png");
        QFile broken(theme + "/24x24/actions/document-save.png");
        if (broken.open(QIODevice::WriteOnly))
            broken.write("not a picture");
        QIcon::setThemeSearchPaths({folder.path()});
        QIcon::setThemeName("testtheme");
    }
    ~TestIconTheme()
    {
        QIcon::setThemeName(oldName);
        QIcon::setThemeSearchPaths(oldPaths);
    }
    TestIconTheme(const TestIconTheme &) = delete;
    TestIconTheme &operator=(const TestIconTheme &) = delete;

private:
    QString oldName = QIcon::themeName();
    QStringList oldPaths = QIcon::themeSearchPaths();
    QTemporaryDir folder;
};

TEST(ToolbarIcons, TheDesktopThemeComesFirstWhenItDraws)
{
    TestIconTheme theme;
    const QIcon themed = toolbarIcon("ToolButton1");
    EXPECT_EQ(themed.name(), "document-new");
    EXPECT_EQ(themed.pixmap(24, 24).toImage().pixelColor(12, 12), QColor(Qt::red));
    // A theme file that cannot be drawn, and a name the theme lacks.
    for (const char *button : {"ToolButton5", "ToolButton7", "Bonline"}) {
        const QIcon icon = toolbarIcon(button);
        EXPECT_TRUE(icon.name().isEmpty()) << button;
        EXPECT_GT(drawnPixels(icon, 24), 24) << button;
    }
}

// The program's own pictures, drawn without any theme's help.
TEST(ToolbarIcons, TheEmbeddedPicturesDraw)
{
    for (const char *name : {"document-new", "document-open", "document-save", "edit-cut", "edit-copy", "edit-paste",
                             "edit-delete", "document-print-preview", "document-print",
                             "online-compare", "scorvista2001se", "application-x-polyra-project",
                             "application-x-polyra-database"}) {
        const QIcon icon(QStringLiteral(":/icons/%1.svg").arg(name));
        EXPECT_GT(drawnPixels(icon, 24), 24) << name;
        // Drawn for the size asked, not scaled from one bitmap.
        EXPECT_EQ(icon.pixmap(48, 48).size(), QSize(48, 48)) << name;
    }
}

TEST(DefaultFolder, FallsBackToHomeWhenTheDocumentsFolderIsMissing)
{
    struct Case {
        const char *name;
        bool makeDocuments;
        const char *stored;
        const char *expected; // below the temporary home; null: the stored value
    };
    const Case cases[] = {
        {"documents there", true, nullptr, "/Documents"},
        {"documents missing", false, nullptr, ""},
        {"a stored folder is not checked", false, "/nowhere/results", nullptr},
        {"an empty stored value", false, "", ""},
    };
    for (const Case &c : cases) {
        TemporarySettings root;
        QTemporaryDir home;
        ScopedEnvironment homeVariable("HOME", home.path().toUtf8());
        // Without user-dirs.dirs the documents folder is $HOME/Documents.
        ScopedEnvironment config("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), home.path() + "/Documents");
        if (c.makeDocuments) {
            ASSERT_TRUE(QDir(home.path()).mkdir("Documents"));
        }
        if (c.stored)
            SetDefaultFolder(c.stored);
        const QString expected = c.expected ? home.path() + c.expected : QString(c.stored);
        EXPECT_EQ(GetDefaultFolder(), expected) << c.name;
    }
}
