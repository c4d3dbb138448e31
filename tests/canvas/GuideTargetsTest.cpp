#include "GestureTestSupport.h"

#include "canvas/ZVGuideView.h"
#include "canvas/guides/GuideTargets.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"

#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Every subject against every target in turn: what the sorted search must
// find, in the same order.
struct PlainPass {
    QList<double> vLines;
    QList<double> hLines;
    QList<QList<QPointF>> stickPoints;
};

PlainPass comparedOneByOne(const QList<ql::GuideSubject>& subjects, const QList<QRectF>& targets, double tolerance)
{
    PlainPass pass;
    QList<double> xs, ys;
    QSet<double> xSeen, ySeen;
    for (const ql::GuideSubject& subject : subjects) {
        const QRectF& e = subject.realFrame;
        for (const QRectF& t : targets) {
            const auto x = [&](double a, double v) {
                if (ql::isNear(a, v, tolerance) && !xSeen.contains(v))
                    xSeen.insert(v), xs.append(v);
            };
            const auto y = [&](double a, double v) {
                if (ql::isNear(a, v, tolerance) && !ySeen.contains(v))
                    ySeen.insert(v), ys.append(v);
            };
            x(e.left(), t.left()), x(e.right(), t.left()), x(e.right(), t.right()), x(e.left(), t.right());
            y(e.bottom(), t.top()), y(e.top(), t.top()), y(e.top(), t.bottom()), y(e.bottom(), t.bottom());
            x(e.right(), t.center().x()), y(e.bottom(), t.center().y());
            if (!subject.isMoving) {
                x(e.center().x(), t.center().x()), y(e.center().y(), t.center().y());
                x(e.left(), t.center().x()), y(e.top(), t.center().y());
            }
        }
        QList<QPointF> points;
        for (double v : std::as_const(xs))
            points.append(QPointF(v, 0));
        for (double v : std::as_const(ys))
            points.append(QPointF(0, v));
        pass.stickPoints.append(points);
    }
    pass.vLines = xs;
    pass.hLines = ys;
    return pass;
}

} // namespace

TEST(GuideTargets, FindWhatComparingEveryTargetFindsInTheSameOrder)
{
    QRandomGenerator random(46);
    // Coarse positions so that many targets share edges and many lie near.
    const auto coordinate = [&random] { return random.bounded(60) * 2.5 + random.bounded(4) * 0.5; };
    for (int round = 0; round < 200; ++round) {
        QList<QRectF> targets;
        for (int i = random.bounded(40); i > 0; --i)
            targets.append(QRectF(coordinate(), coordinate(), coordinate(), coordinate()));
        if (round % 10 == 0)
            targets.append(QRectF(std::numeric_limits<double>::quiet_NaN(), 3, 5, 5));
        QList<ql::GuideSubject> subjects;
        for (int i = 1 + random.bounded(3); i > 0; --i)
            subjects.append({QRectF(coordinate(), coordinate(), coordinate(), coordinate()), random.bounded(2) == 1});
        const ql::GuideTargets sorted(targets);
        for (double tolerance : {2.0, 2.5, 0.0}) {
            const PlainPass expected = comparedOneByOne(subjects, targets, tolerance);
            const ql::GuidePass found = sorted.run(subjects, tolerance);
            ASSERT_EQ(found.vLines, expected.vLines) << "round " << round << ", tolerance " << tolerance;
            ASSERT_EQ(found.hLines, expected.hLines) << "round " << round << ", tolerance " << tolerance;
            ASSERT_EQ(found.stickPoints.size(), expected.stickPoints.size());
            for (qsizetype k = 0; k < found.stickPoints.size(); ++k)
                ASSERT_EQ(found.stickPoints.at(k).toList(), expected.stickPoints.at(k))
                    << "round " << round << ", tolerance " << tolerance << ", subject " << k;
        }
    }
}

// Thousands of elements dragged over scattered others find thousands of
// lines; each element's stick points are the lines found up to it, so the
// pass keeps the lines once and only how many each element takes.
TEST(GuideTargets, AScatteredPassKeepsEachLineOnceAndSnapsAsBefore)
{
    QRandomGenerator random(85);
    const auto scattered = [&random](double side) {
        return QRectF(random.bounded(100000) / 100.0, random.bounded(100000) / 100.0, side, side * 0.7);
    };
    QList<QRectF> targets;
    QList<ql::GuideSubject> subjects;
    for (int i = 0; i < 600; ++i) {
        targets.append(scattered(10 + i % 40));
        subjects.append({scattered(12 + i % 30), i % 3 == 0});
    }
    const PlainPass expected = comparedOneByOne(subjects, targets, 2.0);
    const ql::GuidePass found = ql::GuideTargets(targets).run(subjects, 2.0);
    ASSERT_GT(found.vLines.size(), 500);
    EXPECT_EQ(found.vLines, expected.vLines);
    EXPECT_EQ(found.hLines, expected.hLines);
    for (qsizetype k = 0; k < subjects.size(); ++k)
        ASSERT_EQ(found.stickPoints.at(k).toList(), expected.stickPoints.at(k)) << "subject " << k;
    EXPECT_EQ(found.storedPoints(), found.vLines.size() + found.hLines.size());
}

TEST(GuideTargets, ADragGathersTargetsOnceAndStillSeesElementsThatCome)
{
    ql::UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true);
    GesturePage sample;
    sample.add(QRectF(300, 400, 200, 200));  // content left edge 340
    ZVPuttyView* moving = sample.add(QRectF(100, 100, 160, 140));
    const QList<double>& vLines = sample.page->guideView()->vLines();
    auto& events = sample.routed();
    events.mouseDown(GesturePage::at(QPointF(180, 170)));
    endTurn();
    // Content left 140 + 198.5 = 338.5: within 2 of 340, snapped onto it.
    events.mouseDragged(GesturePage::at(QPointF(378.5, 170)));
    EXPECT_TRUE(vLines.contains(340));
    EXPECT_EQ(moving->frame().x(), 300);

    // An element placed while the pointer is down is a target at once.
    sample.add(QRectF(200, 700, 100, 100));  // content right edge 260
    events.mouseDragged(GesturePage::at(QPointF(300, 170)));  // content left 261.5
    EXPECT_TRUE(vLines.contains(260));
    events.mouseUp(GesturePage::at(QPointF(300, 170)));
    endTurn();

    // After the release the targets are read afresh: one moved since counts
    // where it now is.
    sample.page->puttyViews().first()->setFrame(QRectF(500, 400, 200, 200));
    moving->setFrame(QRectF(500.5, 100, 160, 140));
    moving->setIsActive(true);
    sample.page->showGuides();
    EXPECT_TRUE(vLines.contains(540));
    EXPECT_FALSE(vLines.contains(340));
    ql::DeferredCalls::instance().flush();
}

// However many dragged elements find a line, the overlay draws it once; each
// element's stick points stay those of the pass so far.
TEST(GuideTargets, ADragOfManyElementsDrawsEachLineOnce)
{
    ql::UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true);
    GesturePage sample;
    sample.add(QRectF(300, 600, 200, 200));  // content left edge 340
    QList<ZVPuttyView*> moving;
    for (int i = 0; i < 3; ++i) {
        moving.append(sample.add(QRectF(100, 40 + i * 130, 160, 140)));
        moving.last()->setIsActive(true);
    }
    auto& events = sample.routed();
    events.mouseDown(GesturePage::at(QPointF(180, 110)));
    endTurn();
    // Every content left edge comes to 338.5, near 340.
    events.mouseDragged(GesturePage::at(QPointF(378.5, 110)));
    const ZVGuideView& guides = *sample.page->guideView();
    EXPECT_EQ(guides.vLines().count(340), 1);
    EXPECT_EQ(QSet<double>(guides.vLines().cbegin(), guides.vLines().cend()).size(), guides.vLines().size());
    EXPECT_EQ(QSet<double>(guides.hLines().cbegin(), guides.hLines().cend()).size(), guides.hLines().size());
    for (const ZVPuttyView* element : moving)
        EXPECT_TRUE(element->stickPoints().contains(QPointF(340, 0)));
    events.mouseUp(GesturePage::at(QPointF(378.5, 110)));
    endTurn();
    ql::DeferredCalls::instance().flush();
}
