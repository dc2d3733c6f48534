#include "projectwindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Cp1252.h"
#include "databasewindow.h"
#include "uBasicDatabase.h"
#include "uBasicProject.h"

namespace {

// Descriptions keep Windows line ends; the memo works with bare ones.
QString memoText(const std::string &description_)
{
    QString text = fromCp1252(description_);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

std::string descriptionText(const QString &memo_)
{
    QString text = memo_;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return toCp1252(text);
}

} // namespace

TFProject::TFProject(QWidget *owner_, CBasicProject *project_) : TFDataViewForm(owner_)
{
    setObjectName("FProject");
    // A tool window of its own over the main window, not an MDI child.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("Project");
    resize(330, 290);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    TabProperties = new QWidget(PageControl);
    TabProperties->setObjectName("TabProperties");
    PageControl->addTab(TabProperties, "Properties");
    auto *page = new QVBoxLayout(TabProperties);
    Info = new QGroupBox("Info", TabProperties);
    Info->setObjectName("Info");
    auto *grid = new QGridLayout(Info);
    auto *nameLabel = new QLabel("Description:", Info);
    EDescription = new QLineEdit(Info);
    EDescription->setObjectName("EDescription");
    nameLabel->setBuddy(EDescription);
    auto *commentsLabel = new QLabel("Comments:", Info);
    MComments = new QPlainTextEdit(Info);
    MComments->setObjectName("MComments");
    commentsLabel->setBuddy(MComments);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(EDescription, 0, 1);
    grid->addWidget(commentsLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(MComments, 1, 1);
    page->addWidget(Info, 1);
    Lversion = new QLabel(TabProperties);
    Lversion->setObjectName("Lversion");
    page->addWidget(Lversion);
    layout->addWidget(PageControl, 1);

    auto *panel = new QHBoxLayout;
    panel->addStretch(1);
    Button1 = new QPushButton("&OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    panel->addWidget(Button1);
    panel->addWidget(Button2);
    layout->addLayout(panel);
    connect(Button1, &QPushButton::clicked, this, &TFProject::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFProject::Button2Click);

    shownProject = project_;
    if (shownProject)
        shownProject->setWindow(this);
    subscribeChanges(this);
    postRefreshView(this);
}

TFProject::~TFProject()
{
    FormDestroy();
}

void TFProject::leaveDatabaseWindows()
{
    for (CBasicDatabase *database : CBasicDatabase::openDatabases())
        if (TFDatabase *window = database->getWindow(); window && window->projectWindow() == this)
            window->setProjectWindow(nullptr);
}

void TFProject::FormDestroy()
{
    unsubscribeChanges(this);
    leaveDatabaseWindows();
    CBasicProject *project = shownProject;
    shownProject = nullptr;
    if (!project)
        return;
    if (project->getWindow() == this)
        project->setWindow(nullptr);
    if (!project->getDatabase())
        delete project;
}

void TFProject::forgetProject()
{
    if (shownProject && shownProject->getWindow() == this)
        shownProject->setWindow(nullptr);
    shownProject = nullptr;
    leaveDatabaseWindows();
}

void TFProject::dataChanged(const CChange &change_)
{
    if (!shownProject || change_.project != shownProject)
        return;
    if (change_.kind == CChangeKind::Removed && change_.released) {
        // The project is about to be freed: nothing of it is read again.
        shownProject = nullptr;
        leaveDatabaseWindows();
        hide();
        deleteLater();
        return;
    }
    if (change_.kind == CChangeKind::Values)
        postRefreshView(this);
}

void TFProject::RefreshView()
{
    if (!shownProject)
        return;
    Lversion->setText(fromCp1252(shownProject->getVersionText()));
    UpdateViews(this);
    showName();
    MComments->setPlainText(memoText(shownProject->getDescription()));
}

void TFProject::SetProject(CBasicProject *project_)
{
    if (shownProject && shownProject != project_ && shownProject->getWindow() == this)
        shownProject->setWindow(nullptr);
    shownProject = project_;
    if (shownProject)
        shownProject->setWindow(this);
    postRefreshView(this);
}

void TFProject::UpdateViews(const void *sender_)
{
    if (!shownProject)
        return;
    if (sender_ != EDescription)
        showName();
    setWindowTitle(QStringLiteral("Project:") + fromCp1252(shownProject->getName()));
}

void TFProject::showName()
{
    EDescription->setText(fromCp1252(shownProject->getName()));
    if (EDescription->hasFocus())
        EDescription->selectAll();
}

void TFProject::BeginRename()
{
    show();
    raise();
    activateWindow();
    EDescription->selectAll();
    EDescription->setFocus();
}

void TFProject::Button1Click()
{
    if (CBasicProject *project = shownProject) {
        const bool renamed = EDescription->isModified();
        const bool described = MComments->document()->isModified();
        const std::string name = toCp1252(EDescription->text());
        const std::string description = descriptionText(MComments->toPlainText());
        if (renamed)
            project->rename(name, EDescription);
        // The rename's views may have let the project go.
        if (described && shownProject == project) {
            project->setDescription(description);
            ::notifyChanged({CChangeKind::Values, project->getDatabase(), project});
        }
    }
    EDescription->setModified(false);
    MComments->document()->setModified(false);
    setResult(1);
    close();
}

void TFProject::Button2Click()
{
    setResult(2);
    close();
}

void TFProject::reject()
{
    Button2Click();
}

void TFProject::showEvent(QShowEvent *event_)
{
    TFDataViewForm::showEvent(event_);
    if (placed || event_->spontaneous())
        return;
    placed = true;
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
