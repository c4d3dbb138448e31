// Hands pictures of the shown pages (booklet sheets when the document says
// so), drawn at 72 dpi in RGB, to a sharing service, all at once, and ends
// when the service has said how that went.
#pragma once

#include "app/export/OutputCommand.h"

namespace ql {

class SharingService;

class ShareCommand : public OutputCommand {
    Q_OBJECT
public:
    using OutputCommand::OutputCommand;

    void shareFromService(SharingService& service);

private:
    void share(SharingService& service);
};

} // namespace ql
