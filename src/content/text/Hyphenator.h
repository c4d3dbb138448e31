// Where words may break with a hyphen, from the US English patterns that
// libhyphen reads. Layout asks it only for paragraphs that allow
// hyphenation; the text itself never changes.
#pragma once

#include <QList>
#include <QStringView>
#include <memory>

namespace ql::text {

class Hyphenator {
public:
    static Hyphenator& shared();
    ~Hyphenator();

    // False when the patterns are not installed: nothing is hyphenated.
    bool isAvailable() const { return m_dictionary != nullptr; }
    // Offsets in the text before which a hyphen may break a word.
    QList<int> hyphenationPoints(QStringView text) const;

private:
    Hyphenator();
    QList<int> wordPoints(QStringView word) const;

    struct Dictionary;
    Dictionary* m_dictionary = nullptr;
};

} // namespace ql::text
