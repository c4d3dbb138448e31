// Hyphenation by language: a run's own language, else the user's locale,
// else US English, with the patterns Debian installs.
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "content/text/Hyphenator.h"
#include "content/text/LaidOutTexts.h"
#include "content/text/PatternWaits.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"
#include "support/EnvironmentChange.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ql;
using namespace ql::text;
using ql::testing::EnvironmentChange;

namespace {

// The user's locale, as LANG alone gives it, while it lives.
class UserLocale {
public:
    explicit UserLocale(const char* lang)
        : m_all("LC_ALL", std::nullopt), m_messages("LC_MESSAGES", std::nullopt), m_lang("LANG", lang)
    {
    }

private:
    EnvironmentChange m_all, m_messages, m_lang;
};

// The word with a hyphen at each point: "Kaf-fee".
QString broken(const QString& word, const QList<int>& points)
{
    QString result = word;
    for (auto it = points.crbegin(); it != points.crend(); ++it)
        result.insert(*it, u'-');
    return result;
}

QString patterns(const char* name)
{
    return QStringLiteral("/usr/share/hyphen/hyph_%1.dic").arg(QLatin1String(name));
}

const QString kCompound = QStringLiteral("Silbentrennungsregeln");

TextAttributes hyphenatedIn(const QString& language)
{
    ParagraphStyle hyphenated;
    hyphenated.hyphenationFactor = 1.0;
    TextAttributes attributes {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))},
                               {TextAttribute::paragraphStyle, QVariant::fromValue(hyphenated)}};
    if (!language.isEmpty())
        attributes.insert(TextAttribute::language, language);
    return attributes;
}

// Patterns that break the compound as German ones do, and "hyphenation".
const char* const kGermanPatterns = "UTF-8\nl1b\nn1t\nn1n\ns1r\ne1g\n";
const char* const kEnglishPatterns = "UTF-8\ny1p\nn1a\n";

// A patterns file that is a named pipe: loading it waits until the test
// lets the patterns through (or, so that a program that waits for them
// fails rather than hangs, 20 seconds have passed since it began).
class HeldPatterns {
public:
    HeldPatterns(const QString& path, const char* patterns) : m_path(QFile::encodeName(path))
    {
        EXPECT_EQ(::mkfifo(m_path.constData(), 0600), 0);
        m_writer = std::thread([this, patterns, go = m_go.get_future()] {
            // Opening without waiting succeeds once something reads.
            int fd = -1;
            while ((fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK)) < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            m_opened = true;
            go.wait_for(std::chrono::seconds(20));
            m_written = ::write(fd, patterns, qstrlen(patterns)) > 0;
            ::close(fd);
        });
    }
    ~HeldPatterns()
    {
        release();
        // Should nothing have opened the pipe, the writer waits for a reader;
        // the patterns fit in the pipe's buffer.
        const int reader = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        m_writer.join();
        ::close(reader);
    }
    void release()
    {
        if (!m_released.exchange(true))
            m_go.set_value();
    }
    // Whether something began to load them.
    bool opened() const { return m_opened; }
    bool written() const { return m_written; }

private:
    QByteArray m_path;
    std::promise<void> m_go;
    std::atomic<bool> m_released {false};
    std::atomic<bool> m_opened {false};
    std::atomic<bool> m_written {false};
    std::thread m_writer;
};

// One text box of the compound, hyphenated in German by `hyphenator`.
struct GermanBox {
    TextStorage storage;
    TextContainer box {QSizeF(100, 500)};

    explicit GermanBox(Hyphenator& hyphenator)
    {
        storage.layoutManager()->setHyphenator(&hyphenator);
        storage.layoutManager()->addTextContainer(&box);
        storage.setAttributedString(AttributedString(kCompound, hyphenatedIn(QStringLiteral("de"))));
    }
    QString firstLine()
    {
        const QList<FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
        return lines.isEmpty() || !lines[0].hyphenated ? QString() : kCompound.left(lines[0].length);
    }
};

} // namespace

TEST(Hyphenator, PatternsFollowTheUsersLocaleAndFallBackToUSEnglish)
{
    Hyphenator& hyphenator = Hyphenator::shared();
    QString english;
    {
        UserLocale locale("en_US.UTF-8");
        english = broken(kCompound, hyphenator.hyphenationPoints(kCompound));
    }
    {
        UserLocale locale("de_DE.UTF-8");
        EXPECT_EQ(Hyphenator::userLanguage(), QStringLiteral("de_DE"));
        EXPECT_EQ(hyphenator.dictionaryFile({}), patterns("de_DE"));
        const QString german = broken(kCompound, hyphenator.hyphenationPoints(kCompound));
        EXPECT_EQ(german.toStdString(), "Sil-ben-tren-nungs-re-geln");
        EXPECT_NE(german.toStdString(), english.toStdString());
    }
    for (const char* unknown : {"xx_YY.UTF-8", "C.UTF-8", "POSIX"}) {
        UserLocale locale(unknown);
        EXPECT_EQ(hyphenator.dictionaryFile({}), patterns("en_US")) << unknown;
        EXPECT_EQ(broken(kCompound, hyphenator.hyphenationPoints(kCompound)), english) << unknown;
    }

    // A language named by the text: its region where there are patterns for
    // it, else the language's own (regions link to their language's file);
    // names that are no language fall back.
    EXPECT_EQ(hyphenator.dictionaryFile(QStringLiteral("de-CH")), patterns("de_DE"));
    EXPECT_EQ(hyphenator.dictionaryFile(QStringLiteral("es")), patterns("es_ES"));
    EXPECT_EQ(hyphenator.dictionaryFile(QStringLiteral("fr-Latn-CA")), patterns("fr"));
    EXPECT_EQ(hyphenator.dictionaryFile(QStringLiteral("../../etc/passwd")), patterns("en_US"));
}

TEST(Hyphenator, ARunsOwnLanguageWinsOverTheLocaleInLayout)
{
    UserLocale locale("en_US.UTF-8");
    const auto firstLine = [](const QString& language) {
        TextStorage storage;
        TextContainer box(QSizeF(100, 500));
        storage.layoutManager()->addTextContainer(&box);
        storage.setAttributedString(AttributedString(kCompound, hyphenatedIn(language)));
        const QList<FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
        return lines.isEmpty() || !lines[0].hyphenated ? QString() : kCompound.left(lines[0].length);
    };
    // English patterns know no break between "trennungs" and "regeln".
    EXPECT_EQ(firstLine(QStringLiteral("de")).toStdString(), "Silbentrennungs");
    EXPECT_EQ(firstLine({}).toStdString(), "Silbentren");
}

TEST(Hyphenator, TheWindowNeverWaitsForPatternsAndOutputAlwaysDoes)
{
    QTemporaryDir folder;
    Hyphenator hyphenator(folder.path());
    HeldPatterns german(folder.filePath(QStringLiteral("hyph_de.dic")), kGermanPatterns);
    const NoWaitForPatterns windowThread;
    GermanBox first(hyphenator);
    GermanBox second(hyphenator);
    QSignalSpy redraws(&second.storage, &TextStorage::layoutInvalidated);

    // Laid out at once, whole, while the patterns load elsewhere.
    EXPECT_EQ(first.firstLine().toStdString(), "");
    EXPECT_EQ(second.firstLine().toStdString(), "");
    EXPECT_FALSE(german.written());

    // Output waits for them, whether or not the load has ended by then.
    german.release();
    {
        const WaitForPatterns output;
        EXPECT_EQ(first.firstLine().toStdString(), "Silbentrennungs");
    }
    // The screen learns of them, redraws and lays out again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !second.firstLine().isEmpty(); }, 10000));
    EXPECT_EQ(second.firstLine().toStdString(), "Silbentrennungs");
    EXPECT_GE(redraws.count(), 1);
}

TEST(Hyphenator, ABoxLaidOutWithoutItsPatternsKeepsItsLinesUntilTheyCome)
{
    QTemporaryDir folder;
    Hyphenator hyphenator(folder.path());
    HeldPatterns german(folder.filePath(QStringLiteral("hyph_de.dic")), kGermanPatterns);
    const NoWaitForPatterns windowThread;
    ZVTextView box(QRectF(0, 0, 140, 500));
    box.textStorage()->layoutManager()->setHyphenator(&hyphenator);
    box.setAttributedString(AttributedString(kCompound, hyphenatedIn(QStringLiteral("de"))));
    QImage picture(140, 500, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    box.drawText(painter);

    // With no room among the texts kept, the box still hears of its patterns
    // and is drawn again.
    LaidOutTexts& kept = LaidOutTexts::shared();
    const qint64 budget = kept.maxBytes();
    kept.setBudget(0);
    box.releaseDrawingCaches(ZVContentView::DrawnFor::Output);
    QSignalSpy redraws(&box, &ZVContentView::displayNeeded);
    german.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return redraws.count() > 0; }, 10000));
    kept.setBudget(budget);
}

TEST(Hyphenator, PatternsStillLoadingHoldUpNoOtherLanguage)
{
    QTemporaryDir folder;
    Hyphenator hyphenator(folder.path());
    HeldPatterns german(folder.filePath(QStringLiteral("hyph_de.dic")), kGermanPatterns);
    QFile english(folder.filePath(QStringLiteral("hyph_en_US.dic")));
    ASSERT_TRUE(english.open(QIODevice::WriteOnly));
    english.write(kEnglishPatterns);
    english.close();

    // As at start-up under a German locale: the user's patterns load.
    hyphenator.preload(QStringLiteral("de"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return german.opened(); }, 10000));
    const auto inEnglish = [](qsizetype) { return QStringLiteral("en"); };
    EXPECT_EQ(hyphenator.hyphenationPoints(u"hyphenation", inEnglish), QList<int>({2, 6}));
    EXPECT_FALSE(german.written());
    german.release();
    EXPECT_EQ(hyphenator.dictionaryFile(QStringLiteral("de-AT")), QFileInfo(folder.filePath(QStringLiteral("hyph_de.dic"))).canonicalFilePath());
    EXPECT_EQ(hyphenator.hyphenationPoints(u"Silbentrennungsregeln", [](qsizetype) { return QStringLiteral("de"); }),
              QList<int>({3, 6, 10, 15, 17}));
}

TEST(Hyphenator, BreaksFallWhereThePatternsPutThemWhateverTheLettersTake)
{
    // The shipped patterns: German's in Latin-1, the others in UTF-8. Each
    // word broken as the patterns break it: after letters of two, three and
    // four bytes, after an accent typed as a letter of its own, and not at
    // all in patterns that cannot spell one of its letters.
    const struct {
        const char* language;
        const char16_t* word;
        const char16_t* broken;
    } cases[] = {
        {"fr", u"développement", u"dé-ve-lop-pe-ment"},
        {"fr", u"Incompréhensibilité", u"In-com-pré-hen-si-bi-lité"},
        {"fr", u"de\u0301veloppement", u"de\u0301-ve-lop-pe-ment"},
        {"fr", u"signi\uFB01cation", u"si-gni\uFB01-ca-tion"},
        {"es", u"públicamente", u"pú-bli-ca-mente"},
        {"it", u"débâcle", u"dé-bâ-cle"},
        {"en", u"hörigkeitsnachweis", u"hörigkeit-snach-weis"},
        {"en", u"hyphen\U0001D41Ation", u"hy-phen\U0001D41A-tion"},
        {"en", u"nguyễnvănthiệu", u"nguyễn-văn-thiệu"},
        {"en-GB", u"coördination", u"coördin-a-tion"},
        {"de", u"Prüfungsordnung", u"Prü-fungs-ord-nung"},
        {"de", u"Erdőgazdálkodás", u"Erdőgazdálkodás"},
    };
    Hyphenator& hyphenator = Hyphenator::shared();
    for (const auto& [language, word, expected] : cases) {
        const QString text = QString::fromUtf16(word);
        const QList<int> points =
            hyphenator.hyphenationPoints(text, [language](qsizetype) { return QString::fromLatin1(language); });
        EXPECT_EQ(broken(text, points).toStdString(), QString::fromUtf16(expected).toStdString()) << language;
    }
}
