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

    // While one is alive, texts drawn stay laid out past the budget, up to
    // kLiveBytes: a gesture that changes many boxes draws the same ones at
    // every step, and letting go of each after drawing it would make it
    // again at the next. Past that ceiling a text drawn is let go of at
    // once, so that those kept stay kept. The budget holds again once the
    // last one ends.
    class LiveChange {
    public:
        explicit LiveChange(LaidOutTexts& texts = LaidOutTexts::shared());
        ~LiveChange();
        LiveChange(const LiveChange&) = delete;
        LiveChange& operator=(const LiveChange&) = delete;

    private:
        LaidOutTexts& m_texts;
    };
    // Some 12,000 small boxes laid out.
    static constexpr qint64 kLiveBytes = qint64(192) << 20;

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
    qint64 limit() const;

    Order m_order; // least recently drawn first
    QHash<QObject*, Order::iterator> m_index;
    qint64 m_bytes = 0;
    // A thousand small boxes or a few hundred thousand characters laid out:
    // little next to the pictures of a page.
    qint64 m_maxBytes = qint64(16) << 20;
    int m_liveChanges = 0;
};

} // namespace ql::text
