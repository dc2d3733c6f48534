#ifndef APP_UMDIFORM_H
#define APP_UMDIFORM_H

#include <QEvent>
#include <QPointer>

#include "Advform.h"

class CBasicDatabase;
class CBasicProject;

// The message a data window gets after its data changed; it rebuilds its
// views only then. Posted, never sent, so the change finishes first.
class RefreshViewEvent : public QEvent {
public:
    static constexpr QEvent::Type type = static_cast<QEvent::Type>(QEvent::User + 0x0E);
    RefreshViewEvent() : QEvent(type) {}
};

// Posts the refresh; a window that is gone by the time it would arrive is
// simply skipped.
void postRefreshView(QWidget *window_);

// An MDI child window; closing it frees it.
class TFMDIChildForm : public TFBasicForm {
    Q_OBJECT
public:
    explicit TFMDIChildForm(QWidget *owner_ = nullptr);

    virtual void RefreshView() {}

protected:
    bool event(QEvent *event_) override;
    void closeEvent(QCloseEvent *event_) override;
    bool closesOnEscape() const override { return false; }
};

// Base of the database window and the project window.
class TFDataViewForm : public TFMDIChildForm {
    Q_OBJECT
public:
    explicit TFDataViewForm(QWidget *owner_ = nullptr);

    virtual void SetProject(CBasicProject *project_) { (void)project_; }
    virtual void UpdateViews(const void *sender_) = 0;
    virtual void BeginRename() = 0;
    virtual CBasicDatabase *GetDatabase() { return nullptr; }
};

#endif
