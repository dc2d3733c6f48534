#include "programprinter.h"

#include <QPrinter>
#include <memory>

namespace {

std::unique_ptr<QPrinter> printer;
bool chosen = false;

} // namespace

QPrinter &ProgramPrinter()
{
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

void ReleaseProgramPrinter()
{
    if (chosen)
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
