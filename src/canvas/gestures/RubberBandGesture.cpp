#include "canvas/gestures/RubberBandGesture.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/SelectionBatch.h"
#include "canvas/ZVCanvasView.h"

#include <cmath>

namespace ql {

RubberBandGesture::RubberBandGesture(ZVCanvasView& page, bool selects) : m_page(&page), m_selects(selects) {}

QRectF RubberBandGesture::bandFrame(QPointF origin, QPointF point)
{
    const double dx = point.x() - origin.x();
    const double dy = point.y() - origin.y();
    return QRectF(dx < 0 ? origin.x() + dx : origin.x(), dy < 0 ? origin.y() + dy : origin.y(), std::abs(dx),
                  std::abs(dy));
}

void RubberBandGesture::press(const CanvasEvent&)
{
    if (!m_page)
        return;
    // A Shift press adds to the selection; any other press starts afresh.
    if (!m_page->shiftKeyPressed())
        m_page->clearPuttyViews();
    m_page->setSelectionViewFrame(QRectF(m_page->selectionViewOrigin(), QSizeF(0, 0)));
    m_page->setSelectionViewHidden(false);
}

void RubberBandGesture::drag(const CanvasEvent& event)
{
    if (!m_page)
        return;
    // The selection the band leaves is followed once per step.
    const SelectionBatch batch(*m_page);
    if (m_selects)
        m_page->highlightPuttyViews();
    m_page->setSelectionViewFrame(bandFrame(m_page->selectionViewOrigin(), event.location));
    if (m_selects)
        m_page->selectPuttyViewsUnderSelectionView();
}

void RubberBandGesture::release(const CanvasEvent&)
{
    if (!m_page)
        return;
    m_page->setSelectionViewHidden(true);
    // Highlighting ended any editing and left the keyboard with nobody: the
    // page takes it, so the arrows move what the band chose.
    if (CanvasHost* host = m_page->canvasHost())
        host->makePageFirstResponder(true);
}

void ZoomClickGesture::release(const CanvasEvent& event)
{
    RubberBandGesture::release(event);
    if (!m_page)
        return;
    CanvasHost* host = m_page->canvasHost();
    if (!host)
        return;
    const QRectF band = m_page->selectionViewFrame();
    if (band.width() > 0 && band.height() > 0) {
        host->magnifyToFitRect(band);
        return;
    }
    const double step = m_page->optionKeyPressed() ? -kStep : kStep;
    host->setMagnification(host->magnification() + step, event.location);
}

} // namespace ql
