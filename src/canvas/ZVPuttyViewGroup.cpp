#include "canvas/ZVPuttyViewGroup.h"

#include "canvas/ZVPuttyView.h"
#include "platform/archive/ArchiveFields.h"

#include <algorithm>

ZVPuttyViewGroup::ZVPuttyViewGroup(QObject* owner) : KVObject(owner)
{
    initialize();
}

ZVPuttyViewGroup::ZVPuttyViewGroup(const QString& name, QObject* owner) : ZVPuttyViewGroup(owner)
{
    m_groupName = name;
}

const ql::PropertyTable& ZVPuttyViewGroup::properties() const
{
    static const ql::PropertyTable table = ql::PropertyTableBuilder<ZVPuttyViewGroup>(&baseTable())
                                               .property("groupedViews", &ZVPuttyViewGroup::groupedViews,
                                                         &ZVPuttyViewGroup::setGroupedViews)
                                               .field("groupName", &ZVPuttyViewGroup::m_groupName)
                                               .field("visible", &ZVPuttyViewGroup::m_visible)
                                               .field("printable", &ZVPuttyViewGroup::m_printable)
                                               .build();
    return table;
}

void ZVPuttyViewGroup::initialize()
{
    m_groupedViews.clear();
    m_listed.clear();
    m_groupName = QStringLiteral("Layer");
    m_visible = true;
    m_printable = true;
}

void ZVPuttyViewGroup::setGroupedViews(const QStringList& uuids)
{
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews = uuids;
    reindex();
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::reindex()
{
    m_listed.clear();
    m_listed.reserve(m_groupedViews.size());
    for (const QString& uuid : std::as_const(m_groupedViews))
        ++m_listed[uuid];
}

void ZVPuttyViewGroup::appendUuid(const QString& uuid)
{
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.append(uuid);
    ++m_listed[uuid];
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::insertUuid(qsizetype index, const QString& uuid)
{
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.insert(std::clamp<qsizetype>(index, 0, m_groupedViews.size()), uuid);
    ++m_listed[uuid];
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::removeUuid(const QString& uuid)
{
    if (!listsUuid(uuid))
        return;
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.removeAll(uuid);
    m_listed.remove(uuid);
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::removeUuids(const QSet<QString>& uuids)
{
    if (std::none_of(uuids.cbegin(), uuids.cend(), [this](const QString& uuid) { return listsUuid(uuid); }))
        return;
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.removeIf([&uuids](const QString& uuid) { return uuids.contains(uuid); });
    for (const QString& uuid : uuids)
        m_listed.remove(uuid);
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::setGroupName(const QString& name)
{
    changeValue(QStringLiteral("groupName"), m_groupName, name);
}

void ZVPuttyViewGroup::setVisible(bool visible)
{
    changeValue(QStringLiteral("visible"), m_visible, visible);
}

void ZVPuttyViewGroup::setPrintable(bool printable)
{
    changeValue(QStringLiteral("printable"), m_printable, printable);
}

ZVPuttyViewGroup* ZVPuttyViewGroup::copyAsRead(QObject* owner) const
{
    auto* copy = new ZVPuttyViewGroup(m_groupName, owner);
    copy->m_groupedViews = copy->m_readGroupedViews = m_readGroupedViews;
    copy->reindex();
    copy->m_visible = m_visible;
    copy->m_printable = m_printable;
    return copy;
}

QList<ZVPuttyView*> ZVPuttyViewGroup::puttyViewsObjects(const QList<ZVPuttyView*>& elements) const
{
    // Indexed once, so that stacking a page stays linear in its elements.
    return puttyViewsObjectsByUuid(indexByUuid(elements));
}

ZVPuttyViewGroup::ElementIndex ZVPuttyViewGroup::indexByUuid(const QList<ZVPuttyView*>& elements)
{
    ElementIndex byUuid;
    byUuid.reserve(elements.size());
    for (ZVPuttyView* element : elements) {
        if (element)
            byUuid[element->uuid()].append(element);
    }
    return byUuid;
}

QList<ZVPuttyView*> ZVPuttyViewGroup::puttyViewsObjectsByUuid(const ElementIndex& elements) const
{
    QList<ZVPuttyView*> result;
    result.reserve(m_groupedViews.size());
    for (const QString& uuid : m_groupedViews) {
        if (auto it = elements.constFind(uuid); it != elements.constEnd())
            result.append(*it);
    }
    return result;
}

const ql::fields::Record<ZVPuttyViewGroup>& ZVPuttyViewGroup::archiveRecord()
{
    using G = ZVPuttyViewGroup;
    static const auto keys = ql::fields::Record<G>()
        .custom("groupedViews",
                [](const G& group, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, QVariant(group.groupedViews()));
                },
                [](G& group, ql::KeyedUnarchiver& coder, const QString& key) {
                    QStringList uuids;
                    if (!ql::fields::readStrings(coder, key, uuids))
                        return;
                    group.setGroupedViews(uuids);
                    group.m_readGroupedViews = uuids;
                })
        .string("groupName", &G::m_groupName)
        .boolean("visible", &G::m_visible)
        .boolean("printable", &G::m_printable);
    return keys;
}

QStringList ZVPuttyViewGroup::archiveClassChain() const
{
    return {QStringLiteral("ZVPuttyViewGroup"), QStringLiteral("NSObject")};
}

void ZVPuttyViewGroup::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZVPuttyViewGroup::initWithCoder(ql::KeyedUnarchiver& coder)
{
    archiveRecord().decode(*this, coder);
}
