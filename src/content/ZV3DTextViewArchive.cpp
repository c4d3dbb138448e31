#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZV3DTextView.h"

const ql::fields::Record<ZV3DTextView>& ZV3DTextView::archiveRecord()
{
    using V = ZV3DTextView;
    static const auto keys = ql::fields::Record<V>()
        .boolean("innerShadowEnabled", &V::m_innerShadowEnabled)
        .rect("frame", &V::m_frame)
        .string("string", &V::m_string);
    return keys;
}

QStringList ZV3DTextView::archiveClassChain() const
{
    return ql::fields::viewClassChain(QStringLiteral("ZV3DTextView"), {QStringLiteral("SCNView")});
}

void ZV3DTextView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZV3DTextView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    archiveRecord().decode(*this, coder);
}
