// The texts output drew and kept laid out, so that the next export of an
// unchanged page, or the screen, reuses their lines instead of laying them
// out again. A layout follows its text's edits and its boxes' geometry by
// itself, so what is kept never goes stale; only its size is bounded: once
// more texts or characters are kept than the budget allows, the least
// recently drawn let go of their lines (a long page is not held in full).
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

    // `owner` was just drawn and holds the lines of `characters`
    // characters; `release` lets go of them when the budget needs room. A
    // text kept already moves to the most recent end with its new size.
    void keep(QObject* owner, qsizetype characters, std::function<void()> release);

    qsizetype keptTexts() const { return qsizetype(m_order.size()); }
    qsizetype keptCharacters() const { return m_characters; }
    qsizetype maxTexts() const { return m_maxTexts; }
    qsizetype maxCharacters() const { return m_maxCharacters; }
    void setBudget(qsizetype texts, qsizetype characters);

private:
    struct Entry {
        QObject* owner = nullptr;
        qsizetype characters = 0;
        std::function<void()> release;
        QMetaObject::Connection destroyed;
    };
    using Order = std::list<Entry>;

    void drop(Order::iterator entry, bool release);
    void trim();

    Order m_order; // least recently drawn first
    QHash<QObject*, Order::iterator> m_index;
    qsizetype m_characters = 0;
    // Enough for dozens of pages of long text, little next to their pictures.
    qsizetype m_maxTexts = 2000;
    qsizetype m_maxCharacters = 1'000'000;
};

} // namespace ql::text
