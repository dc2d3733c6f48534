#include "Advform.h"

#include <QApplication>

#include "toolbaricons.h"

TAdvForm::TAdvForm(QWidget *owner_) : QDialog(owner_)
{
    extraPlacementText.clear();
}

void TAdvForm::reject()
{
    if (closesOnEscape())
        QDialog::reject();
}

TFBasicForm::TFBasicForm(QWidget *owner_) : TAdvForm(owner_)
{
    // The program's look: the system's dialog font and colours.
    setFont(QApplication::font("QMessageBox"));
    setWindowIcon(programIcon());
}
