#include "content/text/Hyphenator.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <hyphen.h>

#include <vector>

namespace ql::text {

namespace {

const char* const kPatternFiles[] = {
    "/usr/share/hyphen/hyph_en_US.dic",
    "/usr/share/hyphen/hyph_en.dic",
};

// Words shorter than this are never broken.
constexpr int kMinimumWord = 5;
// Longer "words" (a run of letters pasted without spaces) are left to the
// layout's own breaking; patterns cost time on them for nothing.
constexpr int kMaximumWord = 64;

} // namespace

struct Hyphenator::Dictionary {
    HyphenDict* dict = nullptr;
    bool utf8 = true;
};

Hyphenator& Hyphenator::shared()
{
    static Hyphenator hyphenator;
    return hyphenator;
}

Hyphenator::Hyphenator()
{
    for (const char* file : kPatternFiles) {
        if (!QFile::exists(QString::fromLatin1(file)))
            continue;
        if (HyphenDict* dict = hnj_hyphen_load(file)) {
            m_dictionary = new Dictionary {dict, qstrnicmp(dict->cset, "UTF-8", 5) == 0};
            break;
        }
    }
}

Hyphenator::~Hyphenator()
{
    if (m_dictionary) {
        hnj_hyphen_free(m_dictionary->dict);
        delete m_dictionary;
    }
}

QList<int> Hyphenator::wordPoints(QStringView word) const
{
    QList<int> points;
    const QString lower = word.toString().toLower();
    // Byte offsets of the encoded word back to character offsets.
    QByteArray bytes;
    std::vector<int> charAtByte;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const QByteArray encoded = m_dictionary->utf8 ? QString(lower[i]).toUtf8() : QString(lower[i]).toLatin1();
        if (!m_dictionary->utf8 && lower[i].unicode() > 0xFF)
            return points;
        bytes += encoded;
        charAtByte.insert(charAtByte.end(), size_t(encoded.size()), int(i));
    }
    std::vector<char> hyphens(size_t(bytes.size()) + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const HyphenDict* dict = m_dictionary->dict;
    if (hnj_hyphen_hyphenate3(m_dictionary->dict, bytes.constData(), int(bytes.size()), hyphens.data(), nullptr, &rep,
                              &pos, &cut, std::max<int>(dict->lhmin, 2), std::max<int>(dict->rhmin, 3), 0, 0)
        == 0) {
        for (qsizetype b = 0; b + 1 < bytes.size(); ++b) {
            // A break after this byte, when it ends a character.
            if ((hyphens[size_t(b)] & 1) && charAtByte[size_t(b)] != charAtByte[size_t(b + 1)])
                points.append(charAtByte[size_t(b)] + 1);
        }
    }
    if (rep) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            free(rep[i]);
        free(rep);
    }
    free(pos);
    free(cut);
    return points;
}

QList<int> Hyphenator::hyphenationPoints(QStringView text) const
{
    QList<int> points;
    if (!m_dictionary)
        return points;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetter()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        const qsizetype length = end - i;
        if (length >= kMinimumWord && length <= kMaximumWord) {
            for (int point : wordPoints(text.mid(i, length)))
                points.append(int(i) + point);
        }
        i = end;
    }
    return points;
}

} // namespace ql::text
