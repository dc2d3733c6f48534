#include "programprinter.h"

#include <QPrinter>
#include <memory>

namespace {

std::unique_ptr<QPrinter> printer;
bool chosen = false;
int holds = 0;

} // namespace

QPrinter &ProgramPrinter()
{
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

void ReleaseProgramPrinter()
{
    if (chosen || holds > 0)
        return;
    printer.reset();
}

void KeepChosenPrinter()
{
    chosen = true;
}

void FreeProgramPrinter()
{
    printer.reset();
    chosen = false;
}

ProgramPrinterHold::ProgramPrinterHold()
{
    ++holds;
}

ProgramPrinterHold::~ProgramPrinterHold()
{
    --holds;
}
