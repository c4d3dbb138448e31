// Where words may break with a hyphen, from the libhyphen patterns of the
// text's language: the language a run of text carries, else the user's
// (LC_ALL, LC_MESSAGES, LANG), else US English. Layout asks it only for
// paragraphs that allow hyphenation; the text itself never changes.
#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringView>
#include <functional>
#include <map>
#include <memory>

namespace ql::text {

class Hyphenator {
public:
    // The language of the text at an offset, as "de", "de-CH" or "de_CH";
    // empty where the text carries none.
    using LanguageAt = std::function<QString(qsizetype offset)>;

    static Hyphenator& shared();
    ~Hyphenator();

    // The user's language from the environment, as "de_DE"; empty for the
    // C and POSIX locales.
    static QString userLanguage();
    // The patterns file that serves a language (empty: the user's), falling
    // back to US English, as its real path; empty when not even those are
    // installed.
    QString dictionaryFile(const QString& language) const;
    // Loads the patterns of a language ahead of need: large ones take
    // seconds. Safe on any thread; layout waits for a load under way.
    void preload(const QString& language) const { dictionary(language); }
    // Offsets in the text before which a hyphen may break a word, each word
    // by the patterns of the language at its start.
    QList<int> hyphenationPoints(QStringView text, const LanguageAt& languageAt = {}) const;

private:
    Hyphenator();
    struct Dictionary;
    const Dictionary* dictionary(const QString& language) const;
    static QList<int> wordPoints(const Dictionary& dictionary, QStringView word);

    mutable QMutex m_mutex;
    // Resolved files by language, and the patterns loaded, by file.
    mutable QHash<QString, QString> m_files;
    mutable std::map<QString, std::unique_ptr<Dictionary>> m_dictionaries;
};

} // namespace ql::text
