// The page's guide overlay: crop marks in the bleed, dashed lines between
// linked text boxes, ruler, margin, trim, column and row guides in light
// grey and the blue smart-guide lines of a move or resize. It covers the
// whole page above the elements and takes no pointer events. The page sets
// its fields; the canvas item and the output renderer draw it.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>

class QPainter;
class ZVCanvasView;

class ZVGuideView : public QObject {
    Q_OBJECT
public:
    explicit ZVGuideView(ZVCanvasView& canvas);

    ZVCanvasView* canvas() const { return m_canvas.data(); }

    bool showCropMarks() const { return m_showCropMarks; }
    void setShowCropMarks(bool show) { m_showCropMarks = show; }
    double bleedMargins() const { return m_bleedMargins; }
    void setBleedMargins(double margins) { m_bleedMargins = margins; }
    bool onlyRenderCropMarks() const { return m_onlyRenderCropMarks; }
    void setOnlyRenderCropMarks(bool only) { m_onlyRenderCropMarks = only; }
    bool showTextLinks() const { return m_showTextLinks; }
    void setShowTextLinks(bool show) { m_showTextLinks = show; }
    bool showMarginGuides() const { return m_showMarginGuides; }
    void setShowMarginGuides(bool show) { m_showMarginGuides = show; }

    // Smart-guide lines: x of vertical lines, y of horizontal ones; empty
    // when none show.
    const QList<double>& vLines() const { return m_vLines; }
    void setVLines(const QList<double>& lines) { m_vLines = lines; }
    const QList<double>& hLines() const { return m_hLines; }
    void setHLines(const QList<double>& lines) { m_hLines = lines; }

    // Draws the overlay over the page's rectangle (origin top left). Also
    // refills the page's column and row guides for snapping.
    void drawRect(QPainter& painter);
    // Asks whatever shows the overlay to draw it again.
    void setNeedsDisplay();
    // Only the smart-guide lines changed: views redraw the strips where the
    // old and the new lines lie, not the whole page (a drag step does this).
    void setLinesNeedDisplay();

signals:
    void needsDisplay();
    void linesNeedDisplay();

private:
    QPointer<ZVCanvasView> m_canvas;
    bool m_showCropMarks = false;
    double m_bleedMargins = 0.0;
    bool m_onlyRenderCropMarks = false;
    bool m_showTextLinks = false;
    bool m_showMarginGuides = false;
    QList<double> m_vLines;
    QList<double> m_hLines;
};
