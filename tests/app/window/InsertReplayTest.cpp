// The Insert menu through canvas-replay on a new 612 × 792 document; the
// saved frames read back with plistlib.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRectF>
#include <QRegularExpression>

using namespace ql;

namespace {

class InsertReplay : public ql::testing::ReplayFixture {};

QRectF frameOf(const QJsonValue& element)
{
    static const QRegularExpression number(QStringLiteral("-?[0-9.]+"));
    QList<double> values;
    for (auto match = number.globalMatch(element.toArray().at(1).toString()); match.hasNext();)
        values << match.next().captured().toDouble();
    return values.size() == 4 ? QRectF(values[0], values[1], values[2], values[3]) : QRectF();
}

} // namespace

TEST_F(InsertReplay, MenuInsertsLandOnTheSavedPage)
{
    const QString document = path(QStringLiteral("blank.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(controller.newDocument(), document));
    const QString out = path(QStringLiteral("out.qvleaf"));
    const ql::testing::ToolRun run = replay(document,
                                            QStringLiteral("menu Insert/Page Number\n"
                                                           "menu Insert/Date\n"
                                                           "menu Insert/3D Text\n"
                                                           "menu Insert/Shape/Star\n"
                                                           "wait 400\n"),
                                            out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonArray elements = QJsonDocument::fromJson(summary(out).toUtf8())
                                    .object()[QStringLiteral("pages")]
                                    .toArray()
                                    .at(0)
                                    .toObject()[QStringLiteral("elements")]
                                    .toArray();
    ASSERT_EQ(elements.size(), 4);
    EXPECT_EQ(frameOf(elements[0]), QRectF(191, 717, 230, 110));
    EXPECT_EQ(frameOf(elements[1]), QRectF(191, -35, 230, 110));
    EXPECT_EQ(frameOf(elements[2]), QRectF(56, 296, 500, 200));
    EXPECT_EQ(frameOf(elements[3]), QRectF(156, 246, 300, 300));
}
