// The copies of its master's page-number boxes that a page shows on the
// canvas, each showing this page's own number and count. A copy follows the
// page count by itself (its text hears "AutoUpdateText"); when its box
// changes, a fresh copy replaces it and `replaced` asks the page to restack.
#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <memory>
#include <unordered_map>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class PageNumberCopies : public QObject {
    Q_OBJECT
public:
    explicit PageNumberCopies(ZVCanvasView& page);
    ~PageNumberCopies() override;

    // The copy standing in for `box` on the page, made when missing; null
    // when the box cannot be copied.
    ZVPuttyView* copyFor(ZVPuttyView& box);
    // Lets go of the copies of every box not in `boxes`.
    void keepOnly(const QSet<const ZVPuttyView*>& boxes);

signals:
    void replaced();

private:
    struct Entry {
        std::unique_ptr<ZVPuttyView> copy;
        QList<QMetaObject::Connection> watches;
    };
    void watch(ZVPuttyView& box, Entry& entry);
    void scheduleRefresh(const ZVPuttyView* box);
    void refresh();
    void drop(const ZVPuttyView* box);

    QPointer<ZVCanvasView> m_page;
    std::unordered_map<const ZVPuttyView*, Entry> m_entries;
    QSet<const ZVPuttyView*> m_stale;
};

} // namespace ql
