#include "uMDIForm.h"

#include <QCloseEvent>
#include <QCoreApplication>

void postRefreshView(QWidget *window_)
{
    // Qt drops events posted to an object when the object is deleted.
    if (window_)
        QCoreApplication::postEvent(window_, new RefreshViewEvent);
}

TFMDIChildForm::TFMDIChildForm(QWidget *owner_) : TFBasicForm(owner_)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool TFMDIChildForm::event(QEvent *event_)
{
    if (event_->type() == RefreshViewEvent::type) {
        RefreshView();
        return true;
    }
    return TFBasicForm::event(event_);
}

void TFMDIChildForm::closeEvent(QCloseEvent *event_)
{
    event_->accept();
}

TFDataViewForm::TFDataViewForm(QWidget *owner_) : TFMDIChildForm(owner_) {}
