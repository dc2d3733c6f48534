#pragma once

#include <functional>
#include <utility>

class QPrinter;
class QWidget;
class TFBasicForm;

// Forms that the program shows modally (the report preview, the about box)
// and the print dialog can be answered in place of a person: a test gets
// the form on screen, non-modal, and does with it what a user would.

// Called with the form shown; a form still open when it returns is closed.
using ModalFormAnswerer = std::function<void(TFBasicForm &form_)>;
// Installs an answerer (empty: the forms run modally); returns the previous one.
ModalFormAnswerer SetModalFormAnswerer(ModalFormAnswerer answerer_);
// Shows the form modally, or through the answerer; returns its result.
int ShowModalForm(TFBasicForm &form_);

class ModalFormAnswerScope {
public:
    explicit ModalFormAnswerScope(ModalFormAnswerer answerer_) : previous(SetModalFormAnswerer(std::move(answerer_))) {}
    ~ModalFormAnswerScope() { SetModalFormAnswerer(std::move(previous)); }
    ModalFormAnswerScope(const ModalFormAnswerScope &) = delete;
    ModalFormAnswerScope &operator=(const ModalFormAnswerScope &) = delete;

private:
    ModalFormAnswerer previous;
};

// The print dialog over a printer: true when the user confirmed it. The
// printer keeps what was chosen in it.
using PrintDialogRunner = std::function<bool(QPrinter &printer_, QWidget *parent_)>;
PrintDialogRunner SetPrintDialogRunner(PrintDialogRunner runner_);
bool RunPrintDialog(QPrinter &printer_, QWidget *parent_);

class PrintDialogScope {
public:
    explicit PrintDialogScope(PrintDialogRunner runner_) : previous(SetPrintDialogRunner(std::move(runner_))) {}
    ~PrintDialogScope() { SetPrintDialogRunner(std::move(previous)); }
    PrintDialogScope(const PrintDialogScope &) = delete;
    PrintDialogScope &operator=(const PrintDialogScope &) = delete;

private:
    PrintDialogRunner previous;
};
