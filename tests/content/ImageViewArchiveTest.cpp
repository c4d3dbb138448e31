// The image content's record: its keys and kinds as python's plistlib reads
// them, the picture data chosen for each kind of original, and damaged
// records read without harm.
#include "ImageTestSupport.h"
#include "canvas/ArchiveTestSupport.h"
#include "canvas/CanvasTestSupport.h"

#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/runtime/Deferred.h"
#include "support/GreyPicture.h"

#include <gtest/gtest.h>
#include <limits>

using namespace imagetest;

namespace {

const QStringList kImageKeys = QStringLiteral(
    "scaleToFill cropMode tiledImage gradient gradientAngle gradientType brightness saturation contrast blur "
    "sharpness tintColor imageEffect effectsEnabled innerShadowEnabled tintEnabled imageMode imageMaskEnabled "
    "imageMask isVector originalImage frame").split(QLatin1Char(' '));

// The data stored under `key` of the first image record, through plistlib.
QByteArray storedData(const QByteArray& archive, const QString& key,
                      const QString& className = QStringLiteral("ZVImageView"))
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.plist"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(archive);
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import plistlib,sys\n"
                                 "o=plistlib.load(open(sys.argv[1],'rb'))['$objects']\n"
                                 "r=[x for x in o if isinstance(x,dict) and '$class' in x and "
                                 "o[x['$class'].data]['$classname']==sys.argv[3]][0]\n"
                                 "sys.stdout.buffer.write(o[r[sys.argv[2]].data])"),
                  path, key, className});
    python.waitForFinished(30000);
    return python.readAllStandardOutput();
}

} // namespace

TEST(ImageViewArchive, PlistlibSeesTheKeysInOrderWithTheirKinds)
{
    ZVImageView view(QRectF(40, 40, 64, 32));
    view.setOriginalImage(ql::Image(redDisc(64)));
    view.setGradient(QVariant::fromValue(
        ql::Gradient(QList<ql::Gradient::Stop> {{ql::Color::white(), 0.0}, {ql::Color::black(), 1.0}})));
    view.setGradientAngle(45);
    view.setGradientType(1);
    view.setBrightness(0.25);
    view.setImageEffect(5);
    view.setImageMask(ql::Image(photo(64, 32)));
    // Last: adjusting the picture clears the tiled fill.
    view.setTiledImage(ql::Image(photo(8, 8)));
    const QByteArray data = archiveOf(&view);

    const QList<QJsonObject> records = recordsOfClass(plistlibView(data), QStringLiteral("ZVImageView"));
    ASSERT_EQ(records.size(), 1);
    const QList<QPair<QString, QString>> keys = keyKinds(records.first());
    ASSERT_EQ(keys.size(), kImageKeys.size());
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys.at(i).first, kImageKeys.at(i));
    const QMap<QString, QString> kinds = kindMap(keys);
    for (const char* key : {"scaleToFill", "cropMode", "effectsEnabled", "innerShadowEnabled", "tintEnabled",
                            "imageMaskEnabled", "isVector"})
        EXPECT_EQ(kinds.value(key), "bool") << key;
    EXPECT_EQ(kinds.value("tiledImage"), "object:NSImage");
    EXPECT_EQ(kinds.value("gradient"), "object:NSGradient");
    EXPECT_EQ(kinds.value("tintColor"), "object:NSColor");
    EXPECT_EQ(kinds.value("gradientAngle"), "ref:int");
    EXPECT_EQ(kinds.value("brightness"), "ref:real");
    EXPECT_EQ(kinds.value("contrast"), "ref:int");
    EXPECT_EQ(kinds.value("imageMode"), "ref:int");
    EXPECT_EQ(kinds.value("imageEffect"), "int");
    EXPECT_EQ(kinds.value("imageMask"), "ref:data");
    EXPECT_EQ(kinds.value("originalImage"), "ref:data");
    EXPECT_EQ(kinds.value("frame"), "string");
    EXPECT_TRUE(storedData(data, QStringLiteral("originalImage")).startsWith("\x89PNG")) << "alpha gives PNG";
    EXPECT_TRUE(storedData(data, QStringLiteral("imageMask")).startsWith("\x89PNG"));

    // Read back, every setting returns with its kind, and nothing is missing
    // from what is shown.
    const std::unique_ptr<ZVImageView> copy = readBack<ZVImageView>(data);
    ASSERT_TRUE(copy);
    for (const QString& key : kImageKeys) {
        if (key == QLatin1String("originalImage") || key == QLatin1String("imageMask") || key == QLatin1String("tiledImage"))
            continue;
        EXPECT_EQ(copy->valueForKey(key), view.valueForKey(key)) << qPrintable(key);
        EXPECT_EQ(copy->valueForKey(key).typeId(), view.valueForKey(key).typeId()) << qPrintable(key);
    }
    EXPECT_EQ(copy->tiledImage().pixelSize(), QSize(8, 8));
    EXPECT_EQ(copy->imageMask().pixelSize(), QSize(64, 32));
    EXPECT_EQ(copy->originalImageForCropping().pixelSize(), QSize(64, 64));
}

TEST(ImageViewArchive, PicturesKeepTheirDataThroughSaves)
{
    // An opaque JPEG goes back as the very bytes it came as, save after save.
    const QByteArray jpeg = encoded(photo(), "jpeg", 80);
    const ql::Result<ql::Image> read = ql::Image::fromData(jpeg);
    ASSERT_TRUE(read.ok());
    auto view = std::make_unique<ZVImageView>(QRectF(0, 0, 160, 120));
    view->setOriginalImage(*read);
    for (int save = 0; save < 5; ++save) {
        const QByteArray data = archiveOf(view.get());
        ASSERT_EQ(storedData(data, QStringLiteral("originalImage")), jpeg) << "save " << save;
        view = readBack<ZVImageView>(data);
        ASSERT_TRUE(view);
    }
    // Once the pixels change, the new picture is encoded afresh.
    view->setOriginalImage(ql::Image(photo(40, 30)));
    const QByteArray fresh = storedData(archiveOf(view.get()), QStringLiteral("originalImage"));
    EXPECT_TRUE(fresh.startsWith("\xFF\xD8")) << "opaque pictures are JPEG";
    EXPECT_NE(fresh, jpeg);

    // Backgrounds keep their photos' bytes too.
    ZVBackgroundView background;
    background.setBackgroundImage(*read);
    EXPECT_EQ(storedData(archiveOf(&background), QStringLiteral("backgroundImage"), QStringLiteral("ZVBackgroundView")),
              jpeg);

    // A disabled mask is kept.
    QImage maskPicture(16, 16, QImage::Format_RGB32);
    maskPicture.fill(Qt::black);
    view->setImageMask(ql::Image(maskPicture));
    view->setImageMaskEnabled(false);
    view = readBack<ZVImageView>(archiveOf(view.get()));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->imageMask().pixelSize(), QSize(16, 16));
    EXPECT_FALSE(view->imageMaskEnabled());

    // A PDF original stays PDF.
    const QByteArray pdf = pdfData();
    const ql::Result<ql::Image> vector = ql::Image::fromData(pdf);
    ASSERT_TRUE(vector.ok());
    ZVImageView pdfView;
    pdfView.setIsVector(true);
    pdfView.setOriginalImage(*vector);
    const QByteArray data = archiveOf(&pdfView);
    EXPECT_EQ(storedData(data, QStringLiteral("originalImage")), pdf);
    const std::unique_ptr<ZVImageView> copy = readBack<ZVImageView>(data);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isVector());
    EXPECT_TRUE(copy->originalImage().isVector());
}

TEST(ImageViewArchive, AMaskChosenFromAFileIsSavedAsItsOwnBytes)
{
    // 20,000 pixels square, 400 MB decoded: it is decoded smaller, yet the
    // document keeps all of it.
    const QByteArray png = ql::testing::splitGreyPng(QSize(20000, 20000), 10000);
    const ql::Result<ql::Image> mask = ql::Image::fromData(png);
    ASSERT_TRUE(mask.ok());
    ASSERT_LT(mask->pixelSize().width(), 20000);
    ZVImageView view(QRectF(0, 0, 160, 120));
    view.setImageMask(*mask);
    EXPECT_EQ(storedData(archiveOf(&view), QStringLiteral("imageMask")), png);
}

TEST(ImageViewArchive, AMaskPastWhatPngReadersTakeIsSavedWhole)
{
    // A million and one rows, past what PNG holds for its readers: kept
    // losslessly all the same, every grey level.
    QImage tall(1, 1'000'001, QImage::Format_Grayscale8);
    for (int y = 0; y < tall.height(); ++y)
        tall.scanLine(y)[0] = uchar(y * 7);
    const ql::Result<ql::Image> mask = ql::Image::fromData(encoded(tall, "tiff"));
    ASSERT_TRUE(mask.ok());
    ZVImageView view(QRectF(0, 0, 160, 120));
    view.setImageMask(*mask);
    const std::unique_ptr<ZVImageView> copy = readBack<ZVImageView>(archiveOf(&view));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->imageMask().bitmap().convertToFormat(QImage::Format_Grayscale8), tall);
}

TEST(ImageViewArchive, AMaskChosenFromAPdfIsSavedAsItsOwnData)
{
    const QByteArray pdf = pdfData();
    const ql::Result<ql::Image> mask = ql::Image::fromData(pdf);
    ASSERT_TRUE(mask.ok());
    ZVImageView view(QRectF(0, 0, 160, 120));
    view.setImageMask(*mask);
    const QByteArray archive = archiveOf(&view);
    EXPECT_EQ(storedData(archive, QStringLiteral("imageMask")), pdf);
    const std::unique_ptr<ZVImageView> copy = readBack<ZVImageView>(archive);
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->imageMask().isVector());
}

TEST(ImageViewArchive, DamagedNumbersAndKindsReadWithoutHarm)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QByteArray png = encoded(photo(30, 20), "png");
    ForgedRecord record(ql::fields::imageViewChain({}), [&](ql::KeyedArchiver& coder) {
        coder.encodeObject(QStringLiteral("brightness"), QVariant(nan));
        coder.encodeObject(QStringLiteral("blur"), QVariant(1e9));
        coder.encodeObject(QStringLiteral("sharpness"), QVariant(1e9));
        coder.encodeFloat(QStringLiteral("imageEffect"), 1e9);
        coder.encodeBool(QStringLiteral("effectsEnabled"), true);
        coder.encodeObject(QStringLiteral("contrast"), QVariant(QStringLiteral("high")));
        coder.encodeObject(QStringLiteral("tintColor"), QVariant(3));
        coder.encodeBool(QStringLiteral("tintEnabled"), true);
        coder.encodeObject(QStringLiteral("imageMode"), QVariant(1e9));
        coder.encodeObject(QStringLiteral("gradient"), QVariant(QStringLiteral("sunset")));
        coder.encodeObject(QStringLiteral("tiledImage"), QVariant(7));
        coder.encodeObject(QStringLiteral("imageMask"), QVariant(QByteArray("not a picture")));
        coder.encodeBool(QStringLiteral("imageMaskEnabled"), true);
        coder.encodeObject(QStringLiteral("originalImage"), QVariant(png));
        coder.encodeObject(QStringLiteral("frame"), QVariant(QStringLiteral("{{0, 0}, {nan, 5}}")));
    });
    const std::unique_ptr<ZVImageView> view = readBack<ZVImageView>(archiveOf(&record));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->brightness(), QVariant(0)) << "NaN is the default";
    EXPECT_EQ(view->contrast(), QVariant(1)) << "a wrong kind keeps the default";
    EXPECT_EQ(view->tintColor(), ql::Color::white());
    EXPECT_FALSE(view->gradient().isValid());
    EXPECT_TRUE(view->tiledImage().isNull());
    EXPECT_TRUE(view->imageMask().isUndecodable()) << "kept for the next save";
    EXPECT_EQ(view->imageEffect(), qint64(1e9));
    EXPECT_EQ(view->frame(), QRectF());
    view->setLevels();
    EXPECT_EQ(view->picture().size(), QSizeF(30, 20)) << "huge blur and an unknown effect end in a picture";
    EXPECT_TRUE(view->picture().isUndecodable()) << "under a mask that cannot be decoded, a placeholder";
}

TEST(ImageViewArchive, ReadingAndTheStretchedReRunRecordNothing)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithImage(ql::Image(photo(60, 40)));
    auto* content = qobject_cast<ZVImageView*>(made->contentView());
    content->setImageMode(2);
    content->setBrightness(0.1);
    const QByteArray data = archiveOf(made.get());

    ql::DeferredCalls::instance().flush();
    std::unique_ptr<ZVPuttyView> element = readBack<ZVPuttyView>(data);
    ASSERT_TRUE(element);
    auto* read = qobject_cast<ZVImageView*>(element->contentView());
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->image().isNull()) << "the element's reader runs the chain";
    // Watched from the start: on a busy machine the re-run can come due
    // while the page takes the element.
    int modeChanges = 0;
    read->addObserver(QStringLiteral("imageMode"), nullptr, [&](const ql::KeyValueChange&) { ++modeChanges; });
    page->addPuttyView(element.release());
    endTurn();
    document.undo.removeAllActions();

    ql::DeferredCalls::instance().flush();
    endTurn();
    EXPECT_EQ(modeChanges, 1) << "a stretched picture is computed once more";
    EXPECT_EQ(read->imageMode(), QVariant(2));
    EXPECT_EQ(document.undo.undoCount(), 0) << "nothing to undo";
}
