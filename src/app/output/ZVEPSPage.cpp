#include "app/output/ZVEPSPage.h"

#include "app/design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"

#include <QPainter>

namespace ql {

ZVEPSPage::ZVEPSPage(QWidget* parent) : QWidget(parent) {}

QList<ZVCanvasView*> ZVEPSPage::canvases() const
{
    QList<ZVCanvasView*> result;
    for (const QPointer<ZVCanvasView>& page : m_canvases) {
        if (page)
            result.append(page.data());
    }
    return result;
}

void ZVEPSPage::setCanvases(const QList<ZVCanvasView*>& canvases)
{
    m_canvases.clear();
    for (ZVCanvasView* page : canvases)
        m_canvases.append(page);
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
