// How much one document may hold. Every element costs memory while its
// document is open (its model, its text, its place on the canvas, its copy
// while saving): a file of hundreds of thousands of them is refused with a
// message before any is made, rather than running the program out of
// memory; so is a file of too many pages. The bounds are far above any real
// publication.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"

#include <QString>

namespace ql {

class KeyedUnarchiver;

class DocumentBudget {
public:
    // A document over a bound is whole and ours: its refusal is in a domain
    // of its own, not among the archive's errors, so no one calls it damaged.
    static inline const QString kErrorDomain = QStringLiteral("DocumentBudget");

    static constexpr qsizetype kMaxElements = 30000;
    // Pages, master pages included: each has its layers, guides and place in
    // the pages list even when empty.
    static constexpr qsizetype kMaxPages = 20000;
    // Larger files are refused before reading, so that a wrong file cannot
    // exhaust memory; a save that would pass it is refused (the archive's
    // own bound), so that every saved document opens again.
    static constexpr qint64 kMaxBytes = kLargestArchiveBytes;

    // An error saying so when the opened archive holds more element records
    // (of the archived class `elementClass`) than a document may.
    static Status checkElements(const KeyedUnarchiver& archive, const QString& elementClass);
    // The same for page records (of the archived class `pageClass`).
    static Status checkPages(const KeyedUnarchiver& archive, const QString& pageClass);
};

} // namespace ql
