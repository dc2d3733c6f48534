#ifndef APP_UEXCEPTION_H
#define APP_UEXCEPTION_H

#include <QString>
#include <exception>
#include <functional>
#include <utility>

#include "Advform.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The dialog for an exception that reached the application.
class TFexception : public TFBasicForm {
    Q_OBJECT
public:
    // The dialog's results.
    static constexpr int ContinueResult = 1;
    static constexpr int ExitResult = 2;

    explicit TFexception(QWidget *owner_ = nullptr);

    // Fatal: only "&Exit program" is offered; otherwise "&Continue" too, as
    // the default button.
    void setException(const QString &message_, bool fatal_);

    QLabel *Label1 = nullptr;
    QPlainTextEdit *Mexception = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *BContinue = nullptr;

public slots:
    void Button1Click();
    void BContinueClick();
};

// Shows the dialog; true when the program is to end (Exit, or the dialog
// closed), false for Continue. An access violation offers only Exit. While
// the dialog is up, a further exception returns true at once.
bool ShowExceptionDialog(const QString &message_, bool accessViolation_);

// Classifies what a handler caught: the message of the program's exceptions
// and of std::exception; std::bad_alloc counts as an access violation (the
// memory the program needs is gone, so only Exit is offered); anything else
// is an unknown exception, after which the program can still go on, since
// the stack was unwound in order.
struct ExceptionReport {
    QString message;
    bool fatal = false;
};
ExceptionReport DescribeException(std::exception_ptr error_);
bool ShowExceptionDialog(std::exception_ptr error_);

// The dialog while it is shown, else null.
TFexception *ShownExceptionDialog();

// Answers the dialog in place of a person: called with the dialog on
// screen, it clicks one of its buttons or closes it (left alone, the dialog
// counts as closed). Without one, the dialog runs modally.
using ExceptionDialogAnswerer = std::function<void(TFexception &dialog_)>;
// Installs an answerer (empty puts back the modal dialog); returns the
// previous one.
ExceptionDialogAnswerer SetExceptionDialogAnswerer(ExceptionDialogAnswerer answerer_);

// Installs an answerer for its lifetime.
class ExceptionDialogAnswerScope {
public:
    explicit ExceptionDialogAnswerScope(ExceptionDialogAnswerer answerer_)
        : previous(SetExceptionDialogAnswerer(std::move(answerer_)))
    {
    }
    ~ExceptionDialogAnswerScope() { SetExceptionDialogAnswerer(std::move(previous)); }
    ExceptionDialogAnswerScope(const ExceptionDialogAnswerScope &) = delete;
    ExceptionDialogAnswerScope &operator=(const ExceptionDialogAnswerScope &) = delete;

private:
    ExceptionDialogAnswerer previous;
};

#endif
