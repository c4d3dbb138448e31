#include "design/BuildIdentity.h"
#include "design/ZVDesignHelper.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/UserDefaults.h"
#include "util/ValueTransformer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using ql::ZVDesignHelper;

namespace {

struct HelperFixture {
    QTemporaryDir dir;
    QString storePath = dir.filePath(QStringLiteral("defaults.store"));
    ql::ValueTransformerRegistry registry;
    std::unique_ptr<ql::UserDefaults> defaults = std::make_unique<ql::UserDefaults>(storePath);

    ZVDesignHelper makeHelper(const QString& bundle = ql::identity::mainBundleIdentifier())
    {
        return ZVDesignHelper(*defaults, registry, bundle);
    }
    // A new run of the program: the store read afresh from its file.
    void restart() { defaults = std::make_unique<ql::UserDefaults>(storePath); }
};

} // namespace

TEST(DesignHelperDefaults, FirstStartWritesOnceAndLaterStartsKeepTheUsersChoices)
{
    HelperFixture f;
    f.defaults->setBool(QStringLiteral("editMode"), true);
    {
        ZVDesignHelper helper = f.makeHelper();
        helper.setDefaults();
        EXPECT_EQ(helper.units(), 0);
    }
    f.restart();
    ql::UserDefaults& d = *f.defaults;
    EXPECT_FALSE(d.boolForKey(QStringLiteral("editMode")));
    EXPECT_EQ(d.integerForKey(QStringLiteral("unitsType")), 0);
    EXPECT_EQ(d.integerForKey(QStringLiteral("defaultPageSize")), 1);
    EXPECT_EQ(d.integerForKey(QStringLiteral("defaultPageOrientation")), 0);
    EXPECT_EQ(d.integerForKey(QStringLiteral("defaultMargins")), 36);
    EXPECT_TRUE(d.boolForKey(QStringLiteral("showGuides")));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("snapToGuides")));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("unitsInches")));
    EXPECT_TRUE(d.hasStoredValue(QStringLiteral("hideVideo")));
    EXPECT_FALSE(d.boolForKey(QStringLiteral("hideVideo")));
    EXPECT_EQ(d.integerForKey(QStringLiteral("greekDefault")), 5);
    EXPECT_TRUE(d.boolForKey(QStringLiteral("loaded4")));

    // Second start: the user's choices stay, editMode is reset again.
    d.setInteger(QStringLiteral("unitsType"), 2);
    d.setBool(QStringLiteral("showGuides"), false);
    d.setBool(QStringLiteral("editMode"), true);
    f.restart();
    ZVDesignHelper helper = f.makeHelper();
    helper.setDefaults();
    EXPECT_EQ(helper.units(), 2);
    EXPECT_EQ(f.defaults->integerForKey(QStringLiteral("unitsType")), 2);
    EXPECT_FALSE(f.defaults->boolForKey(QStringLiteral("showGuides")));
    EXPECT_FALSE(f.defaults->boolForKey(QStringLiteral("editMode")));
}

TEST(DesignHelperDefaults, UnsetKeysReadTheFirstStartValuesEverywhere)
{
    // Before the first start is written (or after a key was removed) every
    // reader of the helper's store sees what the first start will write.
    HelperFixture f;
    const ZVDesignHelper helper = f.makeHelper();
    ql::UserDefaults& d = *f.defaults;
    EXPECT_TRUE(d.boolForKey(QStringLiteral("showGuides")));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("snapToGuides")));
    EXPECT_EQ(d.integerForKey(QStringLiteral("unitsType")), 0);
    EXPECT_EQ(d.doubleForKey(QStringLiteral("defaultMargins")), 36.0);
    EXPECT_EQ(d.integerForKey(QStringLiteral("defaultPageSize")), 1);
    EXPECT_FALSE(d.hasStoredValue(QStringLiteral("showGuides"))) << "answered, not stored";
    d.setBool(QStringLiteral("showGuides"), false);
    EXPECT_FALSE(d.boolForKey(QStringLiteral("showGuides")));
}

TEST(DesignHelperSettings, BuildIdentityChoosesDownloadSourceAndGlobalSettings)
{
    HelperFixture f;
    const ZVDesignHelper direct = f.makeHelper(ql::identity::directSaleBundleIdentifier());
    EXPECT_EQ(direct.downloadSource(), 2);
    EXPECT_EQ(direct.globalSettings().size(), 5);
    // Addresses are the build's to name; a plain build names none, and then
    // has no contact page either.
    const QVariantMap links = direct.globalSettings().value(QStringLiteral("ratingsLinks")).toMap();
    EXPECT_EQ(links.size(), ql::identity::ratingsLinks().size());
    const QString support = ql::identity::supportLink();
    EXPECT_EQ(direct.globalSettings().value(QStringLiteral("supportLink")).toString(), support);
    EXPECT_EQ(direct.globalSettings().value(QStringLiteral("contactLink")).toString(),
              support.isEmpty() ? QString() : support + QStringLiteral("?contact=1"));
    EXPECT_EQ(direct.globalSettings().value(QStringLiteral("apptentiveID")).toString().size(), 64);
    EXPECT_EQ(direct.globalSettings().value(QStringLiteral("appID")).toString(), ql::identity::storeAppId());
    const QList<QPair<int, QString>> named {{0, QStringLiteral("https://a.test/q")},
                                            {2, QStringLiteral("https://a.test/q")},
                                            {3, QStringLiteral("https://s.test/search?q=Q=1")}};
    EXPECT_EQ(ql::identity::parseRatingsLinks(QStringLiteral(" 0=https://a.test/q 2=https://a.test/q\n"
                                                             "3=https://s.test/search?q=Q=1 bad =x 4= x=https://c.test")),
              named)
        << "malformed entries are left out";

    for (const QString& store : {ql::identity::storeBundleIdentifier(), ql::identity::siblingBundleIdentifier()}) {
        const ZVDesignHelper helper = f.makeHelper(store);
        EXPECT_EQ(helper.downloadSource(), 1);
        EXPECT_EQ(helper.globalSettings().size(), 4);
        EXPECT_FALSE(helper.globalSettings().contains(QStringLiteral("ratingsLinks")));
    }

    const ZVDesignHelper other = f.makeHelper(QStringLiteral("org.example.other"));
    EXPECT_EQ(other.downloadSource(), 2);
    EXPECT_TRUE(other.globalSettings().isEmpty());
    EXPECT_FALSE(other.globalSettings().value(QStringLiteral("supportLink")).isValid());

    EXPECT_EQ(direct.allowedImageExtensions().size(), 16);
    EXPECT_EQ(direct.allowedImageExtensions().first(), QStringLiteral("png"));
    EXPECT_EQ(direct.allowedImageExtensions().last(), QStringLiteral("EPS"));
    EXPECT_TRUE(direct.keepAspectRatio());
}

TEST(DesignHelper, SharedInstanceIsOneObject)
{
    EXPECT_EQ(&ZVDesignHelper::sharedInstance(), &ZVDesignHelper::sharedInstance());
}

TEST(DesignHelper, SameValuesCountsOccurrencesAndIgnoresOrder)
{
    const QVariant a = QStringLiteral("A");
    const QVariant b = QStringLiteral("B");
    EXPECT_TRUE(ZVDesignHelper::isSameValues({a, b, a}, {b, a, a}));
    EXPECT_FALSE(ZVDesignHelper::isSameValues({a, b}, {a, b, b}));
    EXPECT_FALSE(ZVDesignHelper::isSameValues({a, a, b}, {a, b, b}));
    EXPECT_TRUE(ZVDesignHelper::isSameValues({}, {}));
}

TEST(DesignHelper, SanitizedFileNamesLoseOnlyTheNineCharacters)
{
    EXPECT_EQ(ZVDesignHelper::sanitizeFileNameString(QStringLiteral("Report: 3/4? final*")),
              QStringLiteral("Report: 34 final"));
    EXPECT_EQ(ZVDesignHelper::sanitizeFileNameString(QStringLiteral("/\\?%*|\"<>")), QString());
    EXPECT_EQ(ZVDesignHelper::sanitizeFileNameString(QStringLiteral("Café menu (2)")), QStringLiteral("Café menu (2)"));
}

TEST(DesignHelper, PageSizesAndOrientation)
{
    EXPECT_EQ(ZVDesignHelper::rectForPageSize(9, 0), QRectF(0, 0, 595, 842));
    EXPECT_EQ(ZVDesignHelper::rectForPageSize(9, 1), QRectF(0, 0, 842, 595));
    for (int fallback : {1, 0, 16, -3})
        EXPECT_EQ(ZVDesignHelper::rectForPageSize(fallback, 0), QRectF(0, 0, 612, 792)) << fallback;
    EXPECT_EQ(ZVDesignHelper::rectForPageSize(14, 2), QRectF(0, 0, 288, 432));
    EXPECT_EQ(ZVDesignHelper::rectForPageSize(2, 0), QRectF(0, 0, 396, 612));
    EXPECT_EQ(ZVDesignHelper::rectForPageSize(15, 1), QRectF(0, 0, 684, 297));
}

TEST(DesignHelper, PathsScaleToFitAndRotateAboutTheOrigin)
{
    ql::BezierPath path = ql::BezierPath::rect(QRectF(10, 10, 50, 100));
    ql::BezierPath& same = ZVDesignHelper::scaleBezierPath(path, QRectF(0, 0, 300, 300));
    EXPECT_EQ(&same, &path);
    const QRectF bounds = path.bounds();
    EXPECT_NEAR(bounds.x(), 0.03, 1e-9);
    EXPECT_NEAR(bounds.y(), 0.03, 1e-9);
    EXPECT_NEAR(bounds.width(), 150, 1e-9);
    EXPECT_NEAR(bounds.height(), 300, 1e-9);

    ql::BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(10, 0));
    ZVDesignHelper::rotateBezierPath(line, 90);
    EXPECT_NEAR(line.elementAt(1).points[0].x(), 0, 1e-9);
    EXPECT_NEAR(line.elementAt(1).points[0].y(), 10, 1e-9);

    // A path with no width or height is left alone rather than blown up.
    ql::BezierPath dot;
    dot.moveTo(QPointF(5, 5));
    dot.lineTo(QPointF(5, 5));
    EXPECT_EQ(ZVDesignHelper::scaleBezierPath(dot, QRectF(0, 0, 10, 10)).bounds().topLeft(), QPointF(5, 5));

    const ql::BezierPath hline = ZVDesignHelper::horizontalLine();
    EXPECT_EQ(hline.elementCount(), 4);
    EXPECT_EQ(hline.lineWidth(), 1.0);
}

TEST(DesignHelper, PathAndCharacterThumbnails)
{
    ql::BezierPath path = ql::BezierPath::rect(QRectF(50, 50, 200, 100));
    const ql::Image image = ZVDesignHelper::imageWithBezierPath(path);
    EXPECT_EQ(path.lineWidth(), 3.0);
    ASSERT_EQ(image.size(), QSizeF(300, 300));
    const QImage bitmap = image.bitmap();
    // Drawn with y up: the rectangle at y 50..150 lies 150..250 from the top.
    EXPECT_EQ(QColor(bitmap.pixel(150, 200)), QColor(Qt::white));
    EXPECT_EQ(qAlpha(bitmap.pixel(150, 100)), 0);
    EXPECT_EQ(QColor(bitmap.pixel(49, 200)), QColor(Qt::black));

    const ql::Image glyph = ZVDesignHelper::imageWithCharacter(QStringLiteral("█"));
    ASSERT_FALSE(glyph.isNull());
    EXPECT_GT(glyph.size().width(), 100);
    EXPECT_TRUE(ZVDesignHelper::imageWithCharacter(QString()).isNull());
}

TEST(DesignHelper, SymbolsAndGlyphs)
{
    const QStringList& symbols = ZVDesignHelper::symbols();
    EXPECT_EQ(symbols.size(), 636);
    EXPECT_EQ(symbols.at(0), QStringLiteral("☂"));
    EXPECT_EQ(symbols.at(1), QStringLiteral("☼☇"));
    EXPECT_EQ(symbols.count(QString()), 1);
    EXPECT_EQ(symbols.last(), QStringLiteral("╬"));

    HelperFixture f;
    ZVDesignHelper helper = f.makeHelper();
    helper.setIconsFolder(f.dir.filePath(QStringLiteral("missing")));
    EXPECT_TRUE(helper.glyphs().isEmpty());
    QDir(f.dir.path()).mkdir(QStringLiteral("icons"));
    for (const char* name : {"star.png", "star_sm.png", "moon.png", "x_smile.png"}) {
        QFile file(f.dir.filePath(QStringLiteral("icons/") + QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    helper.setIconsFolder(f.dir.filePath(QStringLiteral("icons")));
    const QStringList glyphs = helper.glyphs();
    EXPECT_EQ(glyphs.size(), 2);
    EXPECT_TRUE(glyphs.contains(QStringLiteral("star.png")));
    EXPECT_TRUE(glyphs.contains(QStringLiteral("moon.png")));
}
