#include "modalforms.h"

#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include "Advform.h"

namespace {

ModalFormAnswerer formAnswerer;
PrintDialogRunner printDialogRunner;

} // namespace

ModalFormAnswerer SetModalFormAnswerer(ModalFormAnswerer answerer_)
{
    return std::exchange(formAnswerer, std::move(answerer_));
}

int ShowModalForm(TFBasicForm &form_)
{
    if (!formAnswerer)
        return form_.exec();
    // A copy, so an answerer that installs another stays alive meanwhile.
    const ModalFormAnswerer answer = formAnswerer;
    QPointer<TFBasicForm> form(&form_);
    form_.show();
    answer(form_);
    if (!form)
        return 0;
    const int result = form->result();
    if (form->isVisible())
        form->close();
    return result;
}

PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner_)
{
    return std::exchange(printDialogRunner, std::move(runner_));
}

bool RunPrintDialog(QPrinter &printer_, QWidget *parent_)
{
    if (printDialogRunner) {
        const PrintDialogRunner run = printDialogRunner;
        return run(printer_, parent_);
    }
    QPrintDialog dialog(&printer_, parent_);
    return dialog.exec() == QDialog::Accepted;
}
