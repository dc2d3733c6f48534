#pragma once

#include "changes.h"
#include "uMDIForm.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// The small tool window that shows and edits one project's name and
// description. A database shows its projects in one such window, switched
// from project to project; a project of no database lives as long as it.
class TFProject : public TFDataViewForm, public CChangeObserver {
    Q_OBJECT
public:
    TFProject(QWidget *owner_, CBasicProject *project_);
    ~TFProject() override;

    void RefreshView() override;
    void SetProject(CBasicProject *project_) override;
    void UpdateViews(const void *sender_) override;
    void BeginRename() override;

    CBasicProject *project() const { return shownProject; }
    // The data layer closes the window: it lets go of the project without
    // deleting it, and no database window keeps it.
    void forgetProject();

    void dataChanged(const CChange &change_) override;

    QTabWidget *PageControl = nullptr;
    QWidget *TabProperties = nullptr;
    QGroupBox *Info = nullptr;
    QLineEdit *EDescription = nullptr;
    QPlainTextEdit *MComments = nullptr;
    QLabel *Lversion = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

public slots:
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event_) override;
    // Escape: the Cancel button.
    void reject() override;

private:
    void FormDestroy();
    void showName();
    void leaveDatabaseWindows();

    CBasicProject *shownProject = nullptr;
    bool placed = false;
};
