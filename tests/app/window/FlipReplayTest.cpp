// Flips of a dropped photo through the real window: the stored picture and
// a 300-dpi PDF keep the photo's own pixels, read back by PIL and pdfimages.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

using namespace ql;
using namespace ql::testing;

namespace {

class FlipReplay : public ReplayFixture {
protected:
    void SetUp() override
    {
        document = path(QStringLiteral("blank.qvleaf"));
        ASSERT_TRUE(controller.saveDocumentToFile(controller.newDocument(), document));
        // A Letter page at 300 dpi, red in its top-left corner.
        QImage bitmap(2550, 3300, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        QPainter(&bitmap).fillRect(0, 0, 300, 300, Qt::red);
        bitmap.setDotsPerMeterX(11811);
        bitmap.setDotsPerMeterY(11811);
        photo = path(QStringLiteral("photo.jpg"));
        ASSERT_TRUE(bitmap.save(photo, "JPEG", 95));
    }

    // The document after dropping the photo and choosing each of `flips`
    // from the Arrange menu.
    QString flipped(const QStringList& flips)
    {
        QString script = QStringLiteral("dropfile 300 400 %1\n").arg(photo);
        for (const QString& flip : flips)
            script += QStringLiteral("menu Arrange/%1\n").arg(flip);
        const QString out = path(QStringLiteral("flipped.qvleaf"));
        QFile::remove(out);
        const ToolRun run = replay(document, script, out);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return out;
    }

    // The one picture the document stores, as PIL reads it.
    QJsonObject stored(const QString& file)
    {
        const ProgramRun run = runProgram(QStringLiteral("/usr/bin/python3"),
                                          {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/stored_pictures.py"),
                                           file});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QJsonArray pictures = QJsonDocument::fromJson(run.out.toUtf8()).array();
        EXPECT_EQ(pictures.size(), 1) << run.out.toStdString();
        return pictures.first().toObject();
    }

    QString document;
    QString photo;
};

QString pixelSize(const QJsonObject& picture)
{
    const QJsonArray size = picture[QStringLiteral("size")].toArray();
    return QStringLiteral("%1 x %2").arg(size[0].toInt()).arg(size[1].toInt());
}

const QString kHorizontal = QStringLiteral("Flip Horizontal");
const QString kVertical = QStringLiteral("Flip Vertical");

TEST_F(FlipReplay, AFlippedPhotoKeepsItsPixelsInTheFileAndInA300DpiPdf)
{
    const QString once = flipped({kHorizontal});
    const QJsonObject picture = stored(once);
    EXPECT_EQ(pixelSize(picture), QStringLiteral("2550 x 3300"));
    EXPECT_EQ(picture[QStringLiteral("dpi")].toArray().first().toInt(), 300) << "the same size in points";
    EXPECT_EQ(picture[QStringLiteral("format")].toString(), QStringLiteral("JPEG")) << "a photo stays a photo";
    EXPECT_EQ(picture[QStringLiteral("red")].toString(), QStringLiteral("top-right"));

    const QString out = path(QStringLiteral("pdf"));
    ASSERT_TRUE(QDir().mkpath(out));
    const ProgramRun render = pageRender({once, out, QStringLiteral("--dpi"), QStringLiteral("300"),
                                          QStringLiteral("--name"), QStringLiteral("flipped")});
    ASSERT_EQ(render.exitCode, 0) << render.err.toStdString();
    const QList<QStringList> rows = pdfImageRows(out + QStringLiteral("/flipped.pdf"));
    ASSERT_EQ(rows.size(), 1);
    const QStringList& columns = rows.first();
    EXPECT_EQ(columns.mid(3, 2).join(QLatin1String(" x ")), QStringLiteral("2550 x 3300"))
        << columns.join(u' ').toStdString();

    const QJsonObject both = stored(flipped({kHorizontal, kVertical}));
    EXPECT_EQ(pixelSize(both), QStringLiteral("2550 x 3300"));
    EXPECT_EQ(both[QStringLiteral("red")].toString(), QStringLiteral("bottom-right"));
}

} // namespace
