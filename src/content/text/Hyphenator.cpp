#include "content/text/Hyphenator.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <hyphen.h>

#include <cstdlib>
#include <vector>

namespace ql::text {

namespace {

// Where Debian's hyphen-* packages put their patterns.
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
QStringList candidateFiles(const QDir& folder, const Language& language)
{
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

// Buffers one paragraph's words share.
struct WordBuffers {
    QByteArray bytes;
    std::vector<int> charEnds;
    std::vector<char> hyphens;
};

// The character that starts at `i` and where the next one starts: a
// surrogate pair is one character, a lone surrogate one of its own.
char32_t characterAt(QStringView text, qsizetype i, qsizetype& next)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        next = i + 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    next = i + 1;
    return c.unicode();
}

// Appends a character in the patterns' encoding; false when they have none
// for it.
bool appendEncoded(QByteArray& bytes, char32_t c, bool utf8)
{
    if (QChar::isSurrogate(c))
        return false;
    if (c < 0x80 || (!utf8 && c <= 0xFF)) {
        bytes.append(char(c));
        return true;
    }
    if (!utf8)
        return false;
    static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    bytes.append(char(kLead[continuations] | (c >> (6 * continuations))));
    for (int shift = 6 * (continuations - 1); shift >= 0; shift -= 6)
        bytes.append(char(0x80 | ((c >> shift) & 0x3F)));
    return true;
}

// Appends the break points of a word (at `offset` in its text) that the
// patterns give.
void appendWordPoints(HyphenDict* dict, bool utf8, QStringView word, int offset, WordBuffers& buffers,
                      QList<int>& points)
{
    // The library numbers its points by character, in UTF-8 patterns as in
    // single-byte ones: each character's end in the word is noted. Lower
    // case goes one character at a time, so that each keeps its place.
    QByteArray& bytes = buffers.bytes;
    std::vector<int>& charEnds = buffers.charEnds;
    bytes.clear();
    charEnds.clear();
    qsizetype i = 0;
    while (i < word.size()) {
        qsizetype next = 0;
        const char32_t letter = characterAt(word, i, next);
        // A letter and the accents typed after it are composed, as patterns
        // spell them, and never broken apart.
        const qsizetype afterLetter = next;
        qsizetype end = afterLetter;
        while (end < word.size() && QChar::isMark(characterAt(word, end, next)))
            end = next;
        if (end == afterLetter) {
            if (!appendEncoded(bytes, QChar::toLower(letter), utf8))
                return;
            charEnds.push_back(int(end));
        } else {
            const QString composed = word.mid(i, end - i).toString().normalized(QString::NormalizationForm_C);
            for (const char32_t c : composed.toUcs4()) {
                if (!appendEncoded(bytes, QChar::toLower(c), utf8))
                    return;
                charEnds.push_back(int(end));
            }
        }
        i = end;
    }
    std::vector<char>& hyphens = buffers.hyphens;
    hyphens.assign(size_t(bytes.size()) + 5, '0');
    char** rep = nullptr;
    int* pos = nullptr;
    int* cut = nullptr;
    if (hnj_hyphen_hyphenate3(dict, bytes.constData(), int(bytes.size()), hyphens.data(), nullptr, &rep, &pos, &cut,
                              std::max<int>(dict->lhmin, 2), std::max<int>(dict->rhmin, 3), 0, 0)
        == 0) {
        for (size_t k = 0; k + 1 < charEnds.size(); ++k) {
            // A break after this character, when it ends what was typed as
            // one. Breaks that change the spelling around them ("ck" to
            // "k-k") would need the text rewritten: they are left out rather
            // than drawn wrong.
            if ((hyphens[k] & 1) && charEnds[k] != charEnds[k + 1] && !(rep && rep[k]))
                points.append(offset + charEnds[k]);
        }
    }
    if (rep) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            free(rep[i]);
        free(rep);
    }
    free(pos);
    free(cut);
}

} // namespace

struct Hyphenator::Dictionary {
    HyphenDict* dict = nullptr;
    bool utf8 = true;
    ~Dictionary() { hnj_hyphen_free(dict); }
};

Hyphenator& Hyphenator::shared()
{
    static Hyphenator* const hyphenator = [] {
        auto* made = new Hyphenator(QString::fromLatin1(kPatternFolder));
        // A load that ends while the program quits tells no one: what it
        // would tell is being torn down.
        qAddPostRoutine([] { shared().stopSignalling(); });
        return made;
    }();
    return *hyphenator;
}

void Hyphenator::stopSignalling()
{
    const std::lock_guard lock(m_signalMutex);
    m_signalling = false;
}

Hyphenator::Hyphenator(const QString& folder) : m_folder(folder) {}

Hyphenator::~Hyphenator()
{
    for (std::thread& loader : m_loaders)
        loader.join();
}

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

QString Hyphenator::keyOf(const QString& language)
{
    const Language parsed = parseLanguage(language.isEmpty() ? userLanguage() : language);
    return parsed.code + u'_' + parsed.region;
}

Hyphenator::Lookup Hyphenator::dictionary(const QString& language, bool wait)
{
    const QString key = keyOf(language);
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (const auto known = m_files.constFind(key); known != m_files.cend()) {
            const auto found = m_dictionaries.find(*known);
            return {found == m_dictionaries.end() ? nullptr : found->second.get(), false};
        }
        if (!m_resolving.contains(key)) {
            m_resolving.insert(key);
            if (!wait) {
                m_loaders.emplace_back([this, key] { resolve(key); });
                return {nullptr, true};
            }
            lock.unlock();
            resolve(key);
            lock.lock();
        } else if (!wait) {
            return {nullptr, true};
        } else {
            m_changed.wait(lock);
        }
    }
}

void Hyphenator::resolve(const QString& key)
{
    QString chosen;
    for (const QString& candidate : candidateFiles(QDir(m_folder), parseLanguage(key))) {
        // Regions share their language's file through links: it is loaded
        // once.
        const QString file = QFileInfo(candidate).canonicalFilePath();
        if (file.isEmpty())
            continue;
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_loadingFiles.contains(file); });
        if (const auto found = m_dictionaries.find(file); found != m_dictionaries.end()) {
            if (found->second) {
                chosen = file;
                break;
            }
            continue; // it failed to load before
        }
        m_loadingFiles.insert(file);
        lock.unlock();
        std::unique_ptr<Dictionary> loaded;
        if (HyphenDict* dict = hnj_hyphen_load(QFile::encodeName(file).constData())) {
            loaded = std::make_unique<Dictionary>();
            loaded->dict = dict;
            loaded->utf8 = qstrnicmp(dict->cset, "UTF-8", 5) == 0;
        }
        lock.lock();
        m_loadingFiles.remove(file);
        const bool usable = loaded != nullptr;
        m_dictionaries.emplace(file, std::move(loaded));
        m_changed.notify_all();
        if (usable) {
            chosen = file;
            break;
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_files.insert(key, chosen);
        m_resolving.remove(key);
        ++m_loadsFinished;
    }
    m_changed.notify_all();
    const std::lock_guard signalling(m_signalMutex);
    if (m_signalling)
        emit patternsLoaded();
}

void Hyphenator::preload(const QString& language)
{
    dictionary(language, false);
}

QString Hyphenator::dictionaryFile(const QString& language)
{
    dictionary(language, true);
    const std::lock_guard lock(m_mutex);
    return m_files.value(keyOf(language));
}

QList<int> Hyphenator::hyphenationPoints(QStringView text, const LanguageAt& languageAt, bool* complete)
{
    const bool wait = complete == nullptr;
    QList<int> points;
    WordBuffers buffers;
    // Words of one language in a row share their patterns.
    QString lastLanguage;
    Lookup patterns;
    bool looked = false;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype next = 0;
        if (!QChar::isLetter(characterAt(text, i, next))) {
            i = next;
            continue;
        }
        // A word: letters, and the accents typed after them.
        qsizetype end = next;
        while (end < text.size()) {
            const char32_t c = characterAt(text, end, next);
            if (!QChar::isLetter(c) && !QChar::isMark(c))
                break;
            end = next;
        }
        const qsizetype length = end - i;
        if (length >= kMinimumWord && length <= kMaximumWord) {
            const QString language = languageAt ? languageAt(i) : QString();
            if (!looked || language != lastLanguage) {
                patterns = dictionary(language, wait);
                lastLanguage = language;
                looked = true;
            }
            if (patterns.pending)
                *complete = false;
            if (patterns.dictionary)
                appendWordPoints(patterns.dictionary->dict, patterns.dictionary->utf8, text.mid(i, length), int(i),
                                 buffers, points);
        }
        i = end;
    }
    return points;
}

} // namespace ql::text
