#include "content/text/Hyphenator.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>

#include <hyphen.h>

#include <cstdlib>
#include <vector>

namespace ql::text {

namespace {

// Where Debian's hyphen-* packages put their patterns, one
// "hyph_<language>[_<REGION>].dic" each.
const char* const kPatternFolder = "/usr/share/hyphen";
const QString kFallbackLanguage = QStringLiteral("en_US");

// Words shorter than this are never broken.
constexpr int kMinimumWord = 5;
// Longer "words" (a run of letters pasted without spaces) are left to the
// layout's own breaking; patterns cost time on them for nothing.
constexpr int kMaximumWord = 64;

struct Language {
    QString code;   // "de"
    QString region; // "CH", or empty
};

// "de", "de-CH", "de_CH.UTF-8@euro", "sr-Latn-RS": language and region, or
// an empty code for anything else, C and POSIX included. Only letters and
// digits get through, since the result becomes part of a file name.
Language parseLanguage(const QString& name)
{
    static const QRegularExpression code(QStringLiteral("^[a-z]{2,3}$"));
    static const QRegularExpression region(QStringLiteral("^([A-Z]{2}|[0-9]{3})$"));
    QString bare = name.section(u'.', 0, 0).section(u'@', 0, 0);
    bare.replace(u'-', u'_');
    const QStringList parts = bare.split(u'_');
    Language language;
    const QString first = parts.value(0).toLower();
    if (!code.match(first).hasMatch())
        return {};
    language.code = first;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString part = parts[i].toUpper();
        if (region.match(part).hasMatch()) {
            language.region = part;
            break;
        }
    }
    return language;
}

// Pattern files to try for a language, most fitting first.
QStringList candidateFiles(const Language& language)
{
    const QDir folder(QString::fromLatin1(kPatternFolder));
    QStringList names;
    if (!language.code.isEmpty()) {
        if (!language.region.isEmpty())
            names << language.code + u'_' + language.region;
        names << language.code << language.code + u'_' + language.code.toUpper();
        // Spanish, for one, comes only by country.
        for (const QString& file :
             folder.entryList({QStringLiteral("hyph_%1_*.dic").arg(language.code)}, QDir::Files, QDir::Name))
            names << file.mid(5, file.size() - 9);
    }
    names << kFallbackLanguage << QStringLiteral("en");
    QStringList files;
    for (const QString& name : std::as_const(names)) {
        const QString file = folder.filePath(QStringLiteral("hyph_%1.dic").arg(name));
        if (!files.contains(file))
            files << file;
    }
    return files;
}

} // namespace

struct Hyphenator::Dictionary {
    HyphenDict* dict = nullptr;
    bool utf8 = true;
    ~Dictionary() { hnj_hyphen_free(dict); }
};

Hyphenator& Hyphenator::shared()
{
    static Hyphenator hyphenator;
    return hyphenator;
}

Hyphenator::Hyphenator() = default;
Hyphenator::~Hyphenator() = default;

QString Hyphenator::userLanguage()
{
    // The order in which the C library picks the language of messages.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const Language language = parseLanguage(QString::fromLocal8Bit(value));
        if (language.code.isEmpty())
            return {};
        return language.region.isEmpty() ? language.code : language.code + u'_' + language.region;
    }
    return {};
}

const Hyphenator::Dictionary* Hyphenator::dictionary(const QString& language) const
{
    const Language parsed = parseLanguage(language.isEmpty() ? userLanguage() : language);
    const QString key = parsed.code + u'_' + parsed.region;
    QMutexLocker lock(&m_mutex);
    auto known = m_files.constFind(key);
    if (known == m_files.constEnd()) {
        QString chosen;
        for (const QString& candidate : candidateFiles(parsed)) {
            // Regions share their language's file through links: it is
            // loaded once, which for German takes seconds.
            const QString file = QFileInfo(candidate).canonicalFilePath();
            if (file.isEmpty())
                continue;
            if (m_dictionaries.contains(file)) {
                chosen = file;
                break;
            }
            if (HyphenDict* dict = hnj_hyphen_load(QFile::encodeName(file).constData())) {
                auto loaded = std::make_unique<Dictionary>();
                loaded->dict = dict;
                loaded->utf8 = qstrnicmp(dict->cset, "UTF-8", 5) == 0;
                m_dictionaries.emplace(file, std::move(loaded));
                chosen = file;
                break;
            }
        }
        known = m_files.insert(key, chosen);
    }
    const auto found = m_dictionaries.find(*known);
    return found == m_dictionaries.end() ? nullptr : found->second.get();
}

QString Hyphenator::dictionaryFile(const QString& language) const
{
    const Dictionary* found = dictionary(language);
    QMutexLocker lock(&m_mutex);
    for (const auto& [file, loaded] : m_dictionaries) {
        if (loaded.get() == found)
            return file;
    }
    return {};
}

QList<int> Hyphenator::wordPoints(const Dictionary& dictionary, QStringView word)
{
    QList<int> points;
    const QString lower = word.toString().toLower();
    // Byte offsets of the encoded word back to character offsets.
    QByteArray bytes;
    std::vector<int> charAtByte;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        if (!dictionary.utf8 && lower[i].unicode() > 0xFF)
            return points;
        const QByteArray encoded = dictionary.utf8 ? QString(lower[i]).toUtf8() : QString(lower[i]).toLatin1();
        bytes += encoded;
        charAtByte.insert(charAtByte.end(), size_t(encoded.size()), int(i));
    }
    std::vector<char> hyphens(size_t(bytes.size()) + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    const HyphenDict* dict = dictionary.dict;
    if (hnj_hyphen_hyphenate3(dictionary.dict, bytes.constData(), int(bytes.size()), hyphens.data(), nullptr, &rep,
                              &pos, &cut, std::max<int>(dict->lhmin, 2), std::max<int>(dict->rhmin, 3), 0, 0)
        == 0) {
        for (qsizetype b = 0; b + 1 < bytes.size(); ++b) {
            // A break after this byte, when it ends a character. Breaks that
            // change the spelling around them ("ck" to "k-k") would need the
            // text rewritten: they are left out rather than drawn wrong.
            if ((hyphens[size_t(b)] & 1) && charAtByte[size_t(b)] != charAtByte[size_t(b + 1)]
                && !(rep && rep[b]))
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

QList<int> Hyphenator::hyphenationPoints(QStringView text, const LanguageAt& languageAt) const
{
    QList<int> points;
    // Words of one language in a row share their patterns.
    QString lastLanguage;
    const Dictionary* patterns = nullptr;
    bool looked = false;
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
            const QString language = languageAt ? languageAt(i) : QString();
            if (!looked || language != lastLanguage) {
                patterns = dictionary(language);
                lastLanguage = language;
                looked = true;
            }
            if (patterns) {
                for (int point : wordPoints(*patterns, text.mid(i, length)))
                    points.append(int(i) + point);
            }
        }
        i = end;
    }
    return points;
}

} // namespace ql::text
