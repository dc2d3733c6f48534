#ifndef TESTS_APP_OPENFIXTURE_H
#define TESTS_APP_OPENFIXTURE_H

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "MessageSink.h"
#include "TemporarySettings.h"
#include "Ucommoncalls.h"
#include "imagebuilder.h"
#include "openimage.h"
#include "qtappservices.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"
#include "uMDIForm.h"
#include "uMainForm.h"
#include "modes.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"
#include "treenode.h"
#include "ufiles.h"
#include "projectload.h"

// A child window that shows a database, as the database window does.
class FakeDatabaseWindow : public TFDataViewForm {
public:
    explicit FakeDatabaseWindow(CBasicDatabase *database_) : database(database_) {}
    CBasicDatabase *GetDatabase() override { return database; }
    void UpdateViews(const void *) override {}
    void BeginRename() override {}
    CBasicDatabase *database;
};

// Rejects any dialog that runs modally of its own (exec(), not through an
// answerer), so a test never waits for a person; keeps their titles.
class StrayDialogCloser {
public:
    StrayDialogCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                closed << dialog->windowTitle();
                dialog->reject();
            }
        });
        timer.start(50);
    }
    QStringList closed;

private:
    QTimer timer;
};

// A main window with its own settings, desktop folder, program directory
// and message sink, and a folder for result files.
class OpenFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        gSubmitMode = gHwUpgradeMode = false;
        SetViewerLibraryDirectory(QString(SCORVISTA_STANDINS) + "/record");
        TFMainForm::SetProgramDirectory(programDirectory.path());
        prepareProgramDirectory();
        main = std::make_unique<TFMainForm>();
        main->show();
        QApplication::processEvents();
        startMessages = messages();
        sink.requests.clear();
    }
    void TearDown() override
    {
        QApplication::clipboard()->clear();
        SetFileDialogRunner({});
        main.reset();
        TFMainForm::SetProgramDirectory(QString());
        SetViewerLibraryDirectory(QString());
        gSubmitMode = gHwUpgradeMode = false;
    }
    static void closeEverything()
    {
        CBasicDatabase::deleteAll();
        deleteAllProjects();
    }
    // Before the main window is made.
    virtual void prepareProgramDirectory() {}

    QString writeFile(const QString &name, const Bytes &bytes)
    {
        const QString path = files.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
        return QDir::toNativeSeparators(path);
    }
    QString writeText(const QString &name, const QByteArray &text)
    {
        const QString path = files.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
    QString writeProject(const QString &fileName, const std::string &name, std::int32_t version = 202)
    {
        return writeFile(fileName, image::build(image::basicItems(name, "A test", 1000.0f, version)));
    }
    static CPolyraProject *makeProject(const std::string &name, std::int32_t version = 202)
    {
        return projectOfImage(image::build(image::basicItems(name, "A test", 1000.0f, version)));
    }
    // A database window for the database, made the active child.
    FakeDatabaseWindow *showWindowOf(CBasicDatabase *database)
    {
        auto *window = new FakeDatabaseWindow(database);
        QMdiSubWindow *child = main->mdiArea()->addSubWindow(window);
        child->show();
        main->mdiArea()->setActiveSubWindow(child);
        QApplication::processEvents();
        return window;
    }
    void select(QTreeWidgetItem *node)
    {
        main->tree()->setCurrentItem(node);
        main->tree()->setFocus();
        QApplication::processEvents();
    }
    static std::vector<std::string> namesIn(const CBasicDatabase *database)
    {
        std::vector<std::string> names;
        for (int i = 0; i < database->getProjectCount(); ++i)
            names.push_back(database->getProject(i)->getName());
        return names;
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const MessageRequest &r : sink.requests)
            texts << r.text;
        return texts;
    }

    TemporarySettings settings;
    QTemporaryDir desktop;
    ScopedEnvironment xdg{"XDG_DATA_HOME", desktop.path().toUtf8()};
    QTemporaryDir programDirectory;
    QTemporaryDir files;
    RecordingMessageSink sink;
    TQtAppServices services;
    std::unique_ptr<TFMainForm> main;
    // What the main window said while it was made.
    QStringList startMessages;
};

#endif
