// A document's print settings: the paper and its orientation and margins,
// and the printer's choices, as the print dialog left them last.
#pragma once

#include <QPageLayout>
#include <QString>
#include <optional>

namespace ql {

struct PrintInfo {
    // None until the document was printed: the printer's own paper then.
    std::optional<QPageLayout> pageLayout;
    QString printerName;
    // Printing into a file instead of to a printer.
    QString outputFileName;
    int copyCount = 1;
    bool collateCopies = true;
    int duplexMode = 0;
    int colorMode = 1;
};

} // namespace ql
