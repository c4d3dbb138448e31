// A named list of element UUIDs. The same record serves as a page's layout
// layer, an element group and a linked-text chain; the role is whatever field
// refers to it. Records are shared by reference (a layer is one object for
// its page and for each of its elements) and compared by identity. A layer
// belongs to its page, a group or chain to the first element that took it in;
// every other holder keeps a guarded pointer.
#pragma once

#include "platform/archive/Codable.h"
#include "platform/object/KVObject.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QStringList>

class ZVPuttyView;
namespace ql::fields {
template <class C>
class Record;
}

class ZVPuttyViewGroup : public ql::KVObject, public ql::Codable {
    Q_OBJECT
public:
    // A new record with the defaults: no members, "Layer", visible, printable.
    explicit ZVPuttyViewGroup(QObject* owner = nullptr);
    ZVPuttyViewGroup(const QString& name, QObject* owner);
    const ql::PropertyTable& properties() const override;

    void initialize();

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

    const QStringList& groupedViews() const { return m_groupedViews; }
    void setGroupedViews(const QStringList& uuids);
    void appendUuid(const QString& uuid);
    void insertUuid(qsizetype index, const QString& uuid);
    void removeUuid(const QString& uuid);
    // Every listing of any of `uuids`, in one pass over the list.
    void removeUuids(const QSet<QString>& uuids);
    bool listsUuid(const QString& uuid) const { return m_listed.contains(uuid); }

    QString groupName() const { return m_groupName; }
    void setGroupName(const QString& name);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    bool printable() const { return m_printable; }
    void setPrintable(bool printable);

    // A new record with this one's name and flags and the members it was
    // read with (before any page repaired it): what a page gets that finds
    // its layer already taken by another page of the file.
    ZVPuttyViewGroup* copyAsRead(QObject* owner) const;

    // The elements of `elements` this record lists, in the record's order
    // (a UUID listed twice gives the element twice; unknown UUIDs are
    // skipped).
    QList<ZVPuttyView*> puttyViewsObjects(const QList<ZVPuttyView*>& elements) const;
    // Elements by UUID, each list in the elements' order: built once, it
    // resolves any number of records against the same elements.
    using ElementIndex = QHash<QString, QList<ZVPuttyView*>>;
    static ElementIndex indexByUuid(const QList<ZVPuttyView*>& elements);
    QList<ZVPuttyView*> puttyViewsObjectsByUuid(const ElementIndex& elements) const;

private:
    static const ql::fields::Record<ZVPuttyViewGroup>& archiveRecord();
    void reindex();

    QStringList m_groupedViews;
    // How often each UUID is listed, kept beside the list so that asking
    // whether one is listed does not walk it.
    QHash<QString, int> m_listed;
    QStringList m_readGroupedViews;
    QString m_groupName;
    bool m_visible = true;
    bool m_printable = true;
};

using ZVPuttyViewGroupList = QList<QPointer<ZVPuttyViewGroup>>;

Q_DECLARE_METATYPE(ZVPuttyViewGroupList)
