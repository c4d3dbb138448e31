// A named list of element UUIDs. The same record serves as a page's layout
// layer, an element group and a linked-text chain; the role is whatever field
// refers to it. Records are shared by reference (a layer is one object for
// its page and for each of its elements), so holders keep them through
// QSharedPointer and compare them by identity.
#pragma once

#include "platform/object/KVObject.h"

#include <QList>
#include <QSharedPointer>
#include <QStringList>
#include <QWeakPointer>

class ZVPuttyView;

class ZVPuttyViewGroup : public ql::KVObject {
    Q_OBJECT
public:
    using Ref = QSharedPointer<ZVPuttyViewGroup>;

    // A new record with the defaults: no members, "Layer", visible, printable.
    static Ref create();
    static Ref create(const QString& name);
    // The shared handle of a record, creating it for a record that has none
    // yet (one made by a reader); null for null.
    static Ref adopt(ZVPuttyViewGroup* group);

    ZVPuttyViewGroup();
    const ql::PropertyTable& properties() const override;

    void initialize();

    const QStringList& groupedViews() const { return m_groupedViews; }
    void setGroupedViews(const QStringList& uuids);
    void appendUuid(const QString& uuid);
    void insertUuid(qsizetype index, const QString& uuid);
    void removeUuid(const QString& uuid);
    bool listsUuid(const QString& uuid) const { return m_groupedViews.contains(uuid); }

    QString groupName() const { return m_groupName; }
    void setGroupName(const QString& name);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    bool printable() const { return m_printable; }
    void setPrintable(bool printable);

    // The elements of `elements` this record lists, in the record's order
    // (a UUID listed twice gives the element twice; unknown UUIDs are
    // skipped).
    QList<ZVPuttyView*> puttyViewsObjects(const QList<ZVPuttyView*>& elements) const;

private:
    QStringList m_groupedViews;
    QString m_groupName;
    bool m_visible = true;
    bool m_printable = true;
    QWeakPointer<ZVPuttyViewGroup> m_self;
};

using ZVPuttyViewGroupList = QList<ZVPuttyViewGroup::Ref>;

Q_DECLARE_METATYPE(ZVPuttyViewGroupList)
