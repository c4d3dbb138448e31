// The texts drawn lately and kept laid out, so that the next drawing of an
// unchanged text (an export, a thumbnail, the window's next picture) reuses
// their lines instead of laying them out again. A layout follows its text's
// edits and its boxes' geometry by itself, so what is kept never goes stale;
// only the memory it takes is bounded: once the kept layouts take more than
// the budget allows, the least recently drawn let go of their lines (a long
// or crowded page is not held laid out in full).
#pragma once

#include <QHash>
#include <QObject>
#include <functional>
#include <list>

namespace ql::text {

class LaidOutTexts {
public:
    // The program's one list, on the thread that draws for output.
    static LaidOutTexts& shared();

    LaidOutTexts() = default;
    LaidOutTexts(const LaidOutTexts&) = delete;
    LaidOutTexts& operator=(const LaidOutTexts&) = delete;
    ~LaidOutTexts();

    // `owner` was just drawn and its lines take about `bytes`; `release`
    // lets go of them when the budget needs room. A text kept already moves
    // to the most recent end with its new size.
    void keep(QObject* owner, qint64 bytes, std::function<void()> release);

    qsizetype keptTexts() const { return qsizetype(m_order.size()); }
    qint64 keptBytes() const { return m_bytes; }
    qint64 maxBytes() const { return m_maxBytes; }
    void setBudget(qint64 bytes);

private:
    struct Entry {
        QObject* owner = nullptr;
        qint64 bytes = 0;
        std::function<void()> release;
        QMetaObject::Connection destroyed;
    };
    using Order = std::list<Entry>;

    void drop(Order::iterator entry, bool release);
    void trim();

    Order m_order; // least recently drawn first
    QHash<QObject*, Order::iterator> m_index;
    qint64 m_bytes = 0;
    // A thousand small boxes or a few hundred thousand characters laid out:
    // little next to the pictures of a page.
    qint64 m_maxBytes = qint64(16) << 20;
};

} // namespace ql::text
