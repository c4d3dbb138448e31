#include "content/text/LaidOutTexts.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

using ql::text::LaidOutTexts;

TEST(LaidOutTexts, LetsGoOfTheLeastRecentlyDrawnAndNeverOfWhatIsGone)
{
    LaidOutTexts kept;
    kept.setBudget(30);
    QStringList released;
    const auto keep = [&](QObject& owner, qint64 bytes) {
        kept.keep(&owner, bytes, [&released, &owner] { released.append(owner.objectName()); });
    };
    QObject a, b, c;
    a.setObjectName(QStringLiteral("a"));
    b.setObjectName(QStringLiteral("b"));
    c.setObjectName(QStringLiteral("c"));
    keep(a, 10);
    keep(b, 10);
    keep(a, 15); // drawn again: the most recent, with its new size
    EXPECT_EQ(kept.keptBytes(), 25);
    keep(c, 10);
    EXPECT_EQ(released, QStringList{QStringLiteral("b")});
    keep(c, 20); // over the budget: the oldest goes
    EXPECT_EQ(released, (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    keep(c, 500); // alone past the budget: not kept at all
    EXPECT_EQ(released.size(), 3);
    EXPECT_EQ(kept.keptTexts(), 0);

    // An owner destroyed while kept leaves the list without being called.
    auto gone = std::make_unique<QObject>();
    kept.keep(gone.get(), 5, [&released] { released.append(QStringLiteral("gone")); });
    gone.reset();
    EXPECT_EQ(kept.keptTexts(), 0);
    kept.setBudget(0);
    EXPECT_FALSE(released.contains(QStringLiteral("gone")));

    // A text past the budget does not push out what fits either.
    kept.setBudget(30);
    keep(a, 10);
    keep(b, 500);
    EXPECT_EQ(released.last(), QStringLiteral("b"));
    EXPECT_EQ(kept.keptBytes(), 10);
}

// A live change keeps texts past the budget up to its ceiling, past which a
// newcomer goes rather than those kept; its end brings the budget back.
TEST(LaidOutTexts, ALiveChangeKeepsTextsUpToItsCeilingThenTheBudgetHoldsAgain)
{
    LaidOutTexts kept;
    const qint64 unit = LaidOutTexts::kLiveBytes / 8;
    kept.setBudget(3 * unit);
    QStringList released;
    std::vector<std::unique_ptr<QObject>> owners;
    const auto keep = [&] {
        owners.push_back(std::make_unique<QObject>());
        QObject* owner = owners.back().get();
        owner->setObjectName(QString::number(owners.size()));
        kept.keep(owner, unit, [&released, owner] { released.append(owner->objectName()); });
    };
    {
        const LaidOutTexts::LiveChange live(kept);
        for (int i = 0; i < 8; ++i)
            keep();
        EXPECT_TRUE(released.isEmpty());
        keep();
        EXPECT_EQ(released, QStringList{QStringLiteral("9")}) << "past the ceiling the newcomer goes";
        EXPECT_EQ(kept.keptBytes(), 8 * unit);
    }
    EXPECT_EQ(kept.keptBytes(), 3 * unit);
    EXPECT_EQ(released.size(), 6);
}
