#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace ql::testing {

namespace {

const QString kPython = QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                           : QStringLiteral("python3");

} // namespace

ProgramRun runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(300000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ProgramRun pageRender(const QStringList& arguments)
{
    return runProgram(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"), arguments);
}

QList<QList<PdfWord>> pdfPageWords(const QString& pdf)
{
    const ProgramRun run = runProgram(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<PdfWord>> pages;
    const QStringList parts = run.out.split(QStringLiteral("<page "));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QList<PdfWord>& words = pages.emplace_back();
        for (auto it = word.globalMatch(parts.at(i)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            words.append(PdfWord {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                  m.captured(4).toDouble(), m.captured(5)});
        }
    }
    return pages;
}

ZVCanvasView* addPage(Document& document, QSizeF size)
{
    ZVCanvasView* page = document.newPage();
    page->setPageSize(0);
    page->setPageWidth(size.width());
    page->setPageHeight(size.height());
    page->setCanvasFrames();
    document.contentPages().append(page);
    return page;
}

ZVPuttyView* addFilledRect(ZVCanvasView& page, const QRectF& content, const QColor& colour)
{
    ZVPuttyView* element = ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)),
                                                       QStringLiteral("square"))
                               .release();
    element->setFrame(content.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                       ZVPuttyView::kMargin));
    page.addPuttyView(element);
    auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
    shape->backgroundView()->setBackgroundColor(
        QVariant::fromValue(Color::deviceRgb(colour.redF(), colour.greenF(), colour.blueF())));
    shape->backgroundView()->setBackgroundType(1);
    shape->setStrokeWidth(0);
    return element;
}

void save(Document& document, const QString& path)
{
    const Result<QByteArray> data = document.dataOfType(kDesktopDocumentType);
    ASSERT_TRUE(data.ok()) << data.error().describe().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*data);
}

QJsonObject probe(const QString& path, const QList<QPoint>& points)
{
    QStringList arguments {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/output/probe_image.py"), path};
    for (const QPoint& point : points)
        arguments.append(QStringLiteral("%1,%2").arg(point.x()).arg(point.y()));
    const ProgramRun run = runProgram(kPython, arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QImage pdfPage(const QString& pdf, int page, int dpi)
{
    const QString prefix = pdf + QStringLiteral(".page");
    const ProgramRun run = runProgram(QStringLiteral("pdftoppm"),
                               {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage image(prefix + QStringLiteral(".png"));
    QFile::remove(prefix + QStringLiteral(".png"));
    return image.convertToFormat(QImage::Format_RGB32);
}

QList<QStringList> pdfImageRows(const QString& pdf)
{
    const ProgramRun run = runProgram(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QList<QStringList> rows;
    // Past the heading and its rule.
    for (const QString& line : run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2))
        rows.append(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    return rows;
}

QPointF centroid(const QImage& image, const std::function<bool(QColor)>& chosen, QRect area)
{
    if (area.isEmpty())
        area = image.rect();
    double sx = 0;
    double sy = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (chosen(image.pixelColor(x, y))) {
                sx += x + 0.5;
                sy += y + 0.5;
                ++count;
            }
        }
    }
    return count ? QPointF(sx / count, sy / count) : QPointF(-1, -1);
}

bool isRed(QColor c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

bool isWhite(QColor c)
{
    return c.red() > 245 && c.green() > 245 && c.blue() > 245;
}

} // namespace ql::testing
