#pragma once

#include <QString>

#include "Advform.h"

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;

// The printer set-up: which printer Print and the reports use, chosen from
// what the print dialog lists, its entry for a PDF file included. The pages
// stay the reports' own. OK gives the printer the choice.
class TFPrinterSetup : public TFBasicForm {
    Q_OBJECT
public:
    explicit TFPrinterSetup(QPrinter &printer_, QWidget *owner_ = nullptr);

    // The PDF file's entry, worded as the print dialog words it.
    static QString pdfEntryText();

    QComboBox *PrinterName = nullptr;
    QLabel *PrinterType = nullptr;
    QLabel *PrinterWhere = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

public slots:
    void accept() override;

private:
    void showPrinter(int index_);
    bool isPdfEntry(int index_) const;

    QPrinter &printer;
};

// Shows the set-up for the printer modally; true when the user confirmed it.
bool RunPrinterSetup(QPrinter &printer_, QWidget *owner_);
