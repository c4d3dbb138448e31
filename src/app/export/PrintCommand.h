// Prints the shown pages (booklet sheets when the document says so) through
// the print dialog. Every sheet prints at its actual size, centred on the
// paper, and turned a quarter when its orientation is not the paper's. The
// dialog's range, copies, collation and page order are kept to. The dialog
// starts from the document's print settings and leaves its choices there
// for the next print (the range starts at all pages each time).
#pragma once

#include "app/export/OutputCommand.h"
#include "platform/Error.h"

#include <QList>

class QPrinter;

namespace ql {

class SheetDocument;

class PrintCommand : public OutputCommand {
    Q_OBJECT
public:
    using OutputCommand::OutputCommand;

    void printDocument();

    // Draws the sheets the printer's range chooses on it, one sheet a page,
    // with the copies the print system does not make itself.
    static Status printSheets(const SheetDocument& sheets, QPrinter& printer);
    // The indexes of the sheets to draw, in order, copies included.
    static QList<int> sheetsToPrint(const QPrinter& printer, int sheetCount);

private:
    void print();
};

} // namespace ql
