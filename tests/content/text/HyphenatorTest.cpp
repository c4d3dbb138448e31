// Hyphenation by language: a run's own language, else the user's locale,
// else US English, with the patterns Debian installs.
#include "content/text/FlowLayout.h"
#include "content/text/Hyphenator.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"
#include "support/EnvironmentChange.h"

#include <gtest/gtest.h>

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
    ParagraphStyle hyphenated;
    hyphenated.hyphenationFactor = 1.0;
    TextAttributes attributes {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))},
                               {TextAttribute::paragraphStyle, QVariant::fromValue(hyphenated)}};
    const auto firstLine = [&attributes](const QString& language) {
        TextStorage storage;
        TextContainer box(QSizeF(100, 500));
        storage.layoutManager()->addTextContainer(&box);
        TextAttributes run = attributes;
        if (!language.isEmpty())
            run.insert(TextAttribute::language, language);
        storage.setAttributedString(AttributedString(kCompound, run));
        const QList<FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
        return lines.isEmpty() || !lines[0].hyphenated ? QString() : kCompound.left(lines[0].length);
    };
    // English patterns know no break between "trennungs" and "regeln".
    EXPECT_EQ(firstLine(QStringLiteral("de")).toStdString(), "Silbentrennungs");
    EXPECT_EQ(firstLine({}).toStdString(), "Silbentren");
}
