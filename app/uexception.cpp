#include "uexception.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <new>
#include <utility>

#include "Cp1252.h"
#include "Exception.h"
#include "Ucommoncalls.h"
#include "kvs_exception.h"

namespace {
QPointer<TFexception> shownDialog;
ExceptionDialogAnswerer dialogAnswerer;
} // namespace

TFexception::TFexception(QWidget *owner_) : TFBasicForm(owner_)
{
    setObjectName(QStringLiteral("Fexception"));
    setWindowTitle(QStringLiteral("Exception"));
    // System menu only, above the other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    resize(354, 187);

    auto *layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Unfortunately the following exception has occured in the program :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    layout->addWidget(Label1);

    Mexception = new QPlainTextEdit(this);
    Mexception->setObjectName(QStringLiteral("Mexception"));
    Mexception->setReadOnly(true);
    Mexception->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Mexception->setFocusPolicy(Qt::NoFocus);
    Mexception->setBackgroundRole(QPalette::Button);
    QPalette pal = Mexception->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    Mexception->setPalette(pal);
    layout->addWidget(Mexception, 1);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    layout->addWidget(Label2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BContinue = new QPushButton(QStringLiteral("&Continue"), this);
    BContinue->setObjectName(QStringLiteral("BContinue"));
    BContinue->setAutoDefault(false);
    BContinue->hide();
    buttons->addWidget(BContinue);
    Button1 = new QPushButton(QStringLiteral("&Exit program"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TFexception::Button1Click);
    connect(BContinue, &QPushButton::clicked, this, &TFexception::BContinueClick);
}

void TFexception::setException(const QString &message_, bool fatal_)
{
    Mexception->appendPlainText(message_);
    if (fatal_) {
        Label2->setText(QStringLiteral("The application will terminate."));
        BContinue->hide();
        BContinue->setDefault(false);
        Button1->setDefault(true);
        Button1->setFocus();
    } else {
        Label2->setText(QStringLiteral("The application could continue. You can also terminate the program."));
        BContinue->show();
        Button1->setDefault(false);
        BContinue->setDefault(true);
        BContinue->setFocus();
    }
}

void TFexception::Button1Click()
{
    done(ExitResult);
}

void TFexception::BContinueClick()
{
    done(ContinueResult);
}

bool ShowExceptionDialog(const QString &message_, bool accessViolation_)
{
    if (shownDialog)
        return true;
    TFexception dialog(ProgramMainWindow());
    shownDialog = &dialog;
    dialog.setException(message_, accessViolation_);
    int result = 0;
    if (dialogAnswerer) {
        // A copy, so an answerer that installs another stays alive meanwhile.
        const ExceptionDialogAnswerer answer = dialogAnswerer;
        dialog.show();
        answer(dialog);
        result = dialog.isVisible() ? 0 : dialog.result();
    } else {
        result = dialog.exec();
    }
    shownDialog = nullptr;
    return result != TFexception::ContinueResult;
}

ExceptionReport DescribeException(std::exception_ptr error_)
{
    ExceptionReport report;
    if (!error_) {
        report.message = QStringLiteral("Unknown exception.");
        return report;
    }
    try {
        std::rethrow_exception(error_);
    } catch (const KVS_exceptionBase &e) {
        report.message = fromCp1252(e.getContext()) + QStringLiteral("::") + fromCp1252(e.getFunction())
                         + QStringLiteral("\n\n") + fromCp1252(e.getMessage());
    } catch (const Exception &e) {
        report.message = fromCp1252(e.Message);
    } catch (const std::bad_alloc &e) {
        report.message = fromCp1252(e.what());
        report.fatal = true;
    } catch (const std::exception &e) {
        report.message = fromCp1252(e.what());
    } catch (...) {
        report.message = QStringLiteral("Unknown exception.");
    }
    return report;
}

bool ShowExceptionDialog(std::exception_ptr error_)
{
    const ExceptionReport report = DescribeException(error_);
    return ShowExceptionDialog(report.message, report.fatal);
}

TFexception *ShownExceptionDialog()
{
    return shownDialog;
}

ExceptionDialogAnswerer SetExceptionDialogAnswerer(ExceptionDialogAnswerer answerer_)
{
    return std::exchange(dialogAnswerer, std::move(answerer_));
}
