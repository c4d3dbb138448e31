// Shows the shown pages (booklet sheets when the document says so) in the
// desktop's PDF viewer: they are written as "sample.pdf" in the per-user
// cache folder, replacing the last preview, and that file is opened.
#pragma once

#include "app/export/OutputCommand.h"

namespace ql {

class PreviewCommand : public OutputCommand {
    Q_OBJECT
public:
    using OutputCommand::OutputCommand;

    void preview();

    // Where previews are written.
    static QString previewFilePath();

private:
    void writeAndOpen();
};

} // namespace ql
