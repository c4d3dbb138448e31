#include "app/output/ZVEPSPage.h"

#include "design/ZVDesignHelper.h"
#include "app/output/ZVPDFPage.h"
#include "canvas/ZVCanvasView.h"

#include <QPainter>

namespace ql {

ZVEPSPage::ZVEPSPage(QWidget* parent) : QWidget(parent) {}

QList<ZVCanvasView*> ZVEPSPage::canvases() const
{
    return livePages(m_canvases);
}

void ZVEPSPage::setCanvases(const QList<ZVCanvasView*>& canvases)
{
    m_canvases = guardedPages(canvases);
    update();
}

void ZVEPSPage::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ZVDesignHelper::sharedInstance().drawCanvasesInContext(painter, canvases());
}

} // namespace ql
