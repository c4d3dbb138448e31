// Where words may break with a hyphen, from the libhyphen patterns of the
// text's language: the language a run of text carries, else the user's
// (LC_ALL, LC_MESSAGES, LANG), else US English. Layout asks it only for
// paragraphs that allow hyphenation; the text itself never changes.
//
// Patterns load once each, outside the lock that look-ups take; German's
// take seconds. A caller that does not wait for them (the window's layout)
// gets words whose patterns are still loading whole, the load goes on on a
// thread of its own, and patternsLoaded() asks it to lay them out again.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringView>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ql::text {

class Hyphenator : public QObject {
    Q_OBJECT
public:
    // The language of the text at an offset, as "de", "de-CH" or "de_CH";
    // empty where the text carries none.
    using LanguageAt = std::function<QString(qsizetype offset)>;

    // The program's patterns, from the folder Debian's hyphen-* packages
    // fill; never destroyed, so that a load may outlive everything else.
    static Hyphenator& shared();
    // Patterns from `folder`, one "hyph_<language>[_<REGION>].dic" each.
    explicit Hyphenator(const QString& folder);
    // Waits for loads under way.
    ~Hyphenator() override;

    // The user's language from the environment, as "de_DE"; empty for the
    // C and POSIX locales.
    static QString userLanguage();
    // The patterns file that serves a language (empty: the user's), falling
    // back to US English, as its real path; empty when not even those are
    // installed. Waits for the load.
    QString dictionaryFile(const QString& language);
    // Starts loading the patterns of a language on a thread of their own and
    // returns at once.
    void preload(const QString& language);
    // Offsets in the text before which a hyphen may break a word, each word
    // by the patterns of the language at its start. Waits for patterns still
    // loading, unless `complete` is given: then such words get none and it
    // is set to false.
    QList<int> hyphenationPoints(QStringView text, const LanguageAt& languageAt = {}, bool* complete = nullptr);
    // How many look-ups have finished loading: a layout that missed patterns
    // compares it with what it was before to see whether it missed a signal.
    quint64 loadsFinished() const { return m_loadsFinished.load(); }

signals:
    // Patterns finished loading (or failed to), on the thread that loaded them.
    void patternsLoaded();

private:
    struct Dictionary;
    struct Lookup {
        const Dictionary* dictionary = nullptr;
        bool pending = false; // still loading, and the caller does not wait
    };
    static QString keyOf(const QString& language);
    Lookup dictionary(const QString& language, bool wait);
    void resolve(const QString& key);
    void stopSignalling();

    const QString m_folder;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Resolved files by language key and the keys being resolved; the
    // patterns by file (null: they failed to load) and the files loading.
    QHash<QString, QString> m_files;
    QSet<QString> m_resolving;
    std::map<QString, std::unique_ptr<Dictionary>> m_dictionaries;
    QSet<QString> m_loadingFiles;
    std::vector<std::thread> m_loaders;
    std::atomic<quint64> m_loadsFinished {0};
    std::mutex m_signalMutex;
    bool m_signalling = true;
};

} // namespace ql::text
