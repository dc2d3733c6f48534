#include "printersetup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "modalforms.h"

TFPrinterSetup::TFPrinterSetup(QPrinter &printer_, QWidget *owner_) : TFBasicForm(owner_), printer(printer_)
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(QStringLiteral("Print Setup"));

    PrinterName = new QComboBox(this);
    PrinterName->setObjectName(QStringLiteral("PrinterName"));
    PrinterType = new QLabel(this);
    PrinterType->setObjectName(QStringLiteral("PrinterType"));
    PrinterWhere = new QLabel(this);
    PrinterWhere->setObjectName(QStringLiteral("PrinterWhere"));

    // The print dialog's list: the system's printers, then the PDF file.
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    for (const QString &name : printers)
        PrinterName->addItem(name, name);
    if (!printers.isEmpty())
        PrinterName->insertSeparator(PrinterName->count());
    PrinterName->addItem(pdfEntryText());

    int current = PrinterName->count() - 1;
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const int named = PrinterName->findData(printer.printerName());
        if (named >= 0)
            current = named;
    }
    PrinterName->setCurrentIndex(current);
    showPrinter(current);
    connect(PrinterName, &QComboBox::currentIndexChanged, this, &TFPrinterSetup::showPrinter);

    auto *group = new QGroupBox(QStringLiteral("Printer"), this);
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Name:"), PrinterName);
    form->addRow(QStringLiteral("Type:"), PrinterType);
    form->addRow(QStringLiteral("Where:"), PrinterWhere);

    auto *buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TFPrinterSetup::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFPrinterSetup::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    PrinterName->setMinimumWidth(260);
}

QString TFPrinterSetup::pdfEntryText()
{
    return QCoreApplication::translate("QPrintDialog", "Print to File (PDF)");
}

bool TFPrinterSetup::isPdfEntry(int index_) const
{
    return index_ == PrinterName->count() - 1;
}

void TFPrinterSetup::showPrinter(int index_)
{
    if (isPdfEntry(index_)) {
        PrinterType->setText(QStringLiteral("PDF file"));
        PrinterWhere->setText(QStringLiteral("The file is named when the report is printed"));
        return;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(PrinterName->itemData(index_).toString());
    PrinterType->setText(info.makeAndModel());
    PrinterWhere->setText(info.location());
}

void TFPrinterSetup::accept()
{
    const int index = PrinterName->currentIndex();
    if (isPdfEntry(index))
        printer.setOutputFormat(QPrinter::PdfFormat);
    else if (index >= 0)
        printer.setPrinterName(PrinterName->itemData(index).toString());
    TFBasicForm::accept();
}

bool RunPrinterSetup(QPrinter &printer_, QWidget *owner_)
{
    TFPrinterSetup form(printer_, owner_);
    return ShowModalForm(form) == QDialog::Accepted;
}
