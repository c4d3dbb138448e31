#include "canvas/ZVGuideView.h"

#include "canvas/PageDocument.h"
#include "canvas/CropMarks.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/guides/GuidePositions.h"
#include "canvas/guides/SmartGuides.h"
#include "canvas/guides/TextLinks.h"

#include <QPainter>

namespace {

constexpr double kGuideExtent = 10000.0;

QColor lightGray()
{
    // Two thirds white.
    return QColor::fromRgbF(2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f);
}

void strokeLine(QPainter& painter, const QPen& pen, const QLineF& line)
{
    painter.save();
    painter.setPen(pen);
    painter.drawLine(line);
    painter.restore();
}

} // namespace

ZVGuideView::ZVGuideView(ZVCanvasView& canvas) : QObject(&canvas), m_canvas(&canvas) {}

void ZVGuideView::setNeedsDisplay()
{
    emit needsDisplay();
}

void ZVGuideView::setLinesNeedDisplay()
{
    emit linesNeedDisplay();
}

void ZVGuideView::drawRect(QPainter& painter)
{
    ZVCanvasView* page = m_canvas.data();
    if (!page)
        return;
    const QSizeF size = page->frame().size();
    if (m_showCropMarks) {
        painter.save();
        painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLines(ql::CropMarks::lines(size, m_bleedMargins));
        painter.restore();
    }
    if (m_onlyRenderCropMarks)
        return;

    if (m_showTextLinks) {
        PageDocument* document = page->document();
        const QList<ZVPuttyView*> all = document ? document->allPuttyViews() : page->puttyViews();
        QPen dashed(lightGray(), 1.0, Qt::CustomDashLine, Qt::FlatCap);
        dashed.setDashPattern({6.0, 2.0});
        dashed.setDashOffset(0);
        for (const QLineF& line : ql::textLinkLines(*page, all.isEmpty() ? page->puttyViews() : all))
            strokeLine(painter, dashed, line);
    }

    const ql::GuidePositions positions = ql::guidePositions(*page);
    page->setHiddenMarkers(positions.columns, positions.rows);
    if (!ql::showGuidesSetting())
        return;
    const QPen grey(lightGray(), 1.0, Qt::SolidLine, Qt::FlatCap);
    const QPen blue(QColor(0, 0, 255), 1.0, Qt::SolidLine, Qt::FlatCap);
    for (double x : positions.x)
        strokeLine(painter, grey, QLineF(x, 0, x, kGuideExtent));
    for (double y : positions.y)
        strokeLine(painter, grey, QLineF(0, y, kGuideExtent, y));
    for (double x : m_vLines)
        strokeLine(painter, blue, QLineF(double(float(x)), 0, double(float(x)), kGuideExtent));
    for (double y : m_hLines)
        strokeLine(painter, blue, QLineF(0, double(float(y)), kGuideExtent, double(float(y))));
}
