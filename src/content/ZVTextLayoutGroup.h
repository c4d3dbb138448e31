// A list of element UUIDs that older documents may hold for a linked-text
// chain. Nothing makes one any more; it is read and written so that such
// documents open and save unchanged.
#pragma once

#include "platform/archive/Codable.h"

#include <QObject>
#include <QStringList>

class ZVTextLayoutGroup : public QObject, public ql::Codable {
    Q_OBJECT
public:
    explicit ZVTextLayoutGroup(QObject* parent = nullptr) : QObject(parent) {}

    const QStringList& groupedViews() const { return m_groupedViews; }
    void setGroupedViews(const QStringList& uuids) { m_groupedViews = uuids; }

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    QStringList m_groupedViews;
};
