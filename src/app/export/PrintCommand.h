// Prints the shown pages (booklet sheets when the document says so) through
// the print dialog. Every sheet prints at its actual size, centred on the
// paper, and turned a quarter when its orientation is not the paper's. The
// dialog starts from the document's print settings and leaves its choices
// there for the next print.
#pragma once

#include "app/export/OutputCommand.h"

class QPrinter;

namespace ql {

class SheetDocument;

class PrintCommand : public OutputCommand {
    Q_OBJECT
public:
    using OutputCommand::OutputCommand;

    void printDocument();

    // Draws the sheets on the printer, one sheet a page; false when the
    // printer could not be started.
    static bool printSheets(const SheetDocument& sheets, QPrinter& printer);

private:
    void print();
};

} // namespace ql
