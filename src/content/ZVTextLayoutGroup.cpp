#include "content/ZVTextLayoutGroup.h"

#include "platform/archive/ArchiveFields.h"

namespace {

const QString kGroupedViews = QStringLiteral("groupedViews");

} // namespace

QStringList ZVTextLayoutGroup::archiveClassChain() const
{
    return {QStringLiteral("ZVTextLayoutGroup"), QStringLiteral("NSObject")};
}

void ZVTextLayoutGroup::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    coder.encodeObject(kGroupedViews, QVariant(m_groupedViews));
}

void ZVTextLayoutGroup::initWithCoder(ql::KeyedUnarchiver& coder)
{
    m_groupedViews.clear();
    ql::fields::readStrings(coder, kGroupedViews, m_groupedViews);
}
