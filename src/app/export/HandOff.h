// A share handed to another program that may still refuse it. Its first
// word within the grace time settles the share; silence means it took the
// share, since a mail composer stays open while the user writes and is not
// waited for. The hand-off goes once settled.
#pragma once

#include "app/export/SharingService.h"

#include <QObject>
#include <QTimer>

namespace ql {

class HandOff : public QObject {
    Q_OBJECT
public:
    HandOff(int graceMilliseconds, SharingService::Completion completion, QObject* parent);

    // The first call settles the share; later ones change nothing.
    void settle(const Status& shared);

private:
    SharingService::Completion m_completion;
    QTimer m_grace;
    bool m_settled = false;
};

} // namespace ql
