// The frames and angles of the elements a gesture may change, taken at the
// press. At the release it records one undo step for exactly the elements
// that changed (a click without a drag records nothing), each restoring its
// frame and angle bit for bit.
#pragma once

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSet>

class ZVPuttyView;

namespace ql {

class GeometrySnapshot {
public:
    GeometrySnapshot() = default;
    explicit GeometrySnapshot(const QList<ZVPuttyView*>& elements);

    // Adds an element not yet in the snapshot.
    void add(ZVPuttyView* element);
    // Registers the undo of every element that moved, resized or turned.
    // Returns how many changed.
    int recordUndo() const;

private:
    struct Entry {
        QPointer<ZVPuttyView> element;
        QRectF frame;
        double rotation;
    };
    QList<Entry> m_entries;
    QSet<const ZVPuttyView*> m_taken;
};

} // namespace ql
