#include "app/export/HandOff.h"

namespace ql {

HandOff::HandOff(int graceMilliseconds, SharingService::Completion completion, QObject* parent)
    : QObject(parent), m_completion(std::move(completion))
{
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, [this] { settle({}); });
    m_grace.start(graceMilliseconds);
}

void HandOff::settle(const Status& shared)
{
    if (m_settled)
        return;
    m_settled = true;
    m_grace.stop();
    deleteLater();
    if (m_completion)
        m_completion(shared);
}

} // namespace ql
