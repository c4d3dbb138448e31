// The window's zoom: the zoom text and the canvas's magnification follow
// each other (the loop ends because an unchanged magnification announces
// nothing), the presets fit the page into the centre pane, and the buttons
// step by 0.2. Also the other reactions to the watched key paths.
#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "app/window/WindowControls.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/controls/SegmentedControl.h"
#include "platform/runtime/Deferred.h"

#include <QComboBox>
#include <QWindow>
#include <cmath>
#include <cstdlib>

namespace ql {

double DocumentWindow::readZoomText(const QString& text)
{
    // Like the platform's floatValue: leading blanks, then the longest
    // number in the C locale; no number reads as 0.
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* start = bytes.constData();
    char* end = nullptr;
    const float value = std::strtof(start, &end);
    return end == start ? 0.0 : double(value);
}

void DocumentWindow::observeValueForKeyPath(const QString& keyPath)
{
    if (!m_document)
        return;
    if (keyPath == QLatin1String("scrollMag")) {
        applyScrollMag();
    } else if (keyPath == QLatin1String("scrollView.magnification")) {
        m_document->setValueForKey(u"scrollMag", currentZoomText());
    } else if (keyPath == QLatin1String("exportFileFormat")) {
        m_document->setExportControls();
    } else if (keyPath == QLatin1String("currentPage.focusedVector") ||
               keyPath == QLatin1String("currentPage.drawingMode")) {
        updateDrawingTools();
    }
}

void DocumentWindow::applyScrollMag()
{
    const QString text = m_document->scrollMag();
    if (m_outlets.zoomField->currentText() != text)
        m_outlets.zoomField->setEditText(text);
    ZVCanvasView* page = m_document->currentPage();
    const QSizeF pane = m_outlets.centerPane->size();
    const auto fitWidth = [&] { return pane.width() * 0.95 / page->frame().width(); };
    const auto fitHeight = [&] { return (pane.height() - 40) * 0.95 / page->frame().height(); };
    if (text == tr("Fit Width") || text == tr("Fit Height") || text == tr("Fit Page")) {
        if (!page || page->frame().isEmpty())
            return;
        double factor = fitWidth();
        if (text == tr("Fit Height"))
            factor = fitHeight();
        else if (text == tr("Fit Page"))
            factor = std::min(fitWidth(), fitHeight());
        m_outlets.scrollView->setMagnification(factor);
        return;
    }
    QString number = text;
    number.remove(QLatin1Char('%'));
    const double factor = double(float(readZoomText(number))) / 100;
    if (!(factor > 0) || !std::isfinite(factor)) {
        // Nothing to zoom to: the field shows the zoom again.
        showCurrentZoom();
        return;
    }
    // Beyond the limits the nearest one holds, as for the zoom commands; the
    // field shows what was applied even when the zoom stayed the same.
    m_outlets.scrollView->setMagnification(factor);
    showCurrentZoom();
    // The page reacts as to a press on its empty area.
    after(100, this, [this] {
        if (ZVCanvasView* current = m_document ? m_document->currentPage() : nullptr)
            current->mouseDown(nullptr);
    });
}

QString DocumentWindow::currentZoomText() const
{
    return QString::asprintf("%.f%%", m_outlets.scrollView->magnification() * 100);
}

void DocumentWindow::showCurrentZoom()
{
    // Only a different text is written: writing applies the zoom again.
    const QString text = currentZoomText();
    if (m_document->scrollMag() != text)
        m_document->setValueForKey(u"scrollMag", text);
    else if (m_outlets.zoomField->currentText() != text)
        m_outlets.zoomField->setEditText(text);
}

void DocumentWindow::zoomIn()
{
    m_outlets.scrollView->setMagnification(m_outlets.scrollView->magnification() + 0.2);
}

void DocumentWindow::zoomOut()
{
    m_outlets.scrollView->setMagnification(m_outlets.scrollView->magnification() - 0.2);
}

void DocumentWindow::setZoom(int tag)
{
    static const char* const presets[] = {"100%", "Fit Width", "Fit Height", "Fit Page"};
    if (tag < 0 || tag > 3 || !m_document)
        return;
    m_document->setValueForKey(u"scrollMag", tag == 0 ? QStringLiteral("100%") : tr(presets[tag]));
}

void DocumentWindow::updateDrawingTools()
{
    ZVCanvasView* page = m_document ? m_document->currentPage() : nullptr;
    // Segments 6 to 8 follow the page by their commands' validation.
    m_menus->controls().validate();
    m_outlets.drawingTools->setSelectedSegment(page ? page->drawingMode().toInt() : -1);
}

void DocumentWindow::goFullScreen()
{
    // The whole screen for the window, or back.
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

} // namespace ql
