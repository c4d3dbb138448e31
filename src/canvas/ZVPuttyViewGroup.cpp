#include "canvas/ZVPuttyViewGroup.h"

#include "canvas/ZVPuttyView.h"

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
    m_groupName = QStringLiteral("Layer");
    m_visible = true;
    m_printable = true;
}

void ZVPuttyViewGroup::setGroupedViews(const QStringList& uuids)
{
    changeValue(QStringLiteral("groupedViews"), m_groupedViews, uuids);
}

void ZVPuttyViewGroup::appendUuid(const QString& uuid)
{
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.append(uuid);
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::insertUuid(qsizetype index, const QString& uuid)
{
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.insert(std::clamp<qsizetype>(index, 0, m_groupedViews.size()), uuid);
    didChangeValueForKey(QStringLiteral("groupedViews"));
}

void ZVPuttyViewGroup::removeUuid(const QString& uuid)
{
    if (!m_groupedViews.contains(uuid))
        return;
    willChangeValueForKey(QStringLiteral("groupedViews"));
    m_groupedViews.removeAll(uuid);
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

QList<ZVPuttyView*> ZVPuttyViewGroup::puttyViewsObjects(const QList<ZVPuttyView*>& elements) const
{
    QList<ZVPuttyView*> result;
    for (const QString& uuid : m_groupedViews) {
        for (ZVPuttyView* element : elements) {
            if (element && element->uuid() == uuid)
                result.append(element);
        }
    }
    return result;
}
