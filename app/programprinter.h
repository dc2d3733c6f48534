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
