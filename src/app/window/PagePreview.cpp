#include "app/window/PagePreview.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

#include <QPainter>

namespace ql {

namespace {

constexpr double kInset = 24.0;

void drawBackground(QPainter& painter, const QRectF& rect, const ZVBackgroundView* background)
{
    if (!background)
        return;
    const int type = background->backgroundType().toInt();
    if (type == ZVBackgroundView::Colour) {
        const QVariant color = background->backgroundColor();
        if (color.canConvert<Color>())
            painter.fillRect(rect, color.value<Color>().toQColor());
    } else if (type == ZVBackgroundView::ImageFill && !background->backgroundImage().isNull()) {
        const QImage picture = background->backgroundImage().bitmap();
        if (background->backgroundImageMode().toInt() == ZVBackgroundView::Tiled)
            painter.fillRect(rect, QBrush(picture));
        else
            painter.drawImage(rect, picture);
    }
}

void drawElement(QPainter& painter, const ZVPuttyView& element)
{
    const QRectF content = element.contentFrame();
    painter.save();
    painter.translate(content.center());
    painter.rotate(element.frameCenterRotation());
    const QRectF box(-content.width() / 2, -content.height() / 2, content.width(), content.height());
    if (const auto* image = qobject_cast<const ZVImageView*>(element.contentView()); image && !image->image().isNull()) {
        painter.drawImage(box, image->image().bitmap());
    } else if (const auto* text = qobject_cast<const ZVTextView*>(element.contentView())) {
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::TextWordWrap, text->string());
    } else {
        painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
        painter.drawRect(box);
    }
    painter.restore();
}

} // namespace

PagePreview::PagePreview(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(200, 200);
}

void PagePreview::setPage(ZVCanvasView* page)
{
    if (m_page)
        disconnect(m_page, nullptr, this, nullptr);
    m_page = page;
    if (page)
        connect(page, &ZVCanvasView::stackingChanged, this, qOverload<>(&QWidget::update));
    update();
}

QRectF PagePreview::pageRect() const
{
    if (!m_page || m_page->frame().isEmpty())
        return {};
    const QSizeF page = m_page->frame().size();
    const QRectF room = QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
    const double scale = std::min(room.width() / page.width(), room.height() / page.height());
    const QSizeF shown = page * std::max(scale, 0.0);
    return QRectF(room.center() - QPointF(shown.width() / 2, shown.height() / 2), shown);
}

void PagePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF shown = pageRect();
    if (shown.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(shown.topLeft());
    painter.scale(shown.width() / m_page->frame().width(), shown.height() / m_page->frame().height());
    const QRectF page(QPointF(0, 0), m_page->frame().size());
    // A linked master lends its background and elements, under the page's own.
    const ZVCanvasView* master = m_page->masterPage();
    painter.fillRect(page, Qt::white);
    if (master)
        drawBackground(painter, page, master->backgroundView());
    drawBackground(painter, page, m_page->backgroundView());
    painter.setClipRect(page);
    if (master)
        for (const ZVPuttyView* element : master->stackedPuttyViews())
            drawElement(painter, *element);
    for (const ZVPuttyView* element : m_page->stackedPuttyViews())
        drawElement(painter, *element);
}

} // namespace ql
