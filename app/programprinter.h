#pragma once

#include <QString>

class QPrinter;

// The printer that Print, Page Setup and the reports share, made on first
// use with the system's default printer.
QPrinter &ProgramPrinter();

// Called when the program becomes active again: a printer nobody chose
// follows the system's current default; one chosen in Print or Page Setup
// is kept for the reports that come later.
void ReleaseProgramPrinter();

// Print and Page Setup call this after the user accepted their dialog.
void KeepChosenPrinter();

// The main window frees it before the application object goes.
void FreeProgramPrinter();

// While a report prints or previews on the printer, it is not released
// (the preview keeps painting on it).
class ProgramPrinterHold {
public:
    ProgramPrinterHold();
    ~ProgramPrinterHold();
    ProgramPrinterHold(const ProgramPrinterHold &) = delete;
    ProgramPrinterHold &operator=(const ProgramPrinterHold &) = delete;
};
