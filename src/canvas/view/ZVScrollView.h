// The canvas: a graphics view with one scene per window, in which one scene
// unit is one page point. It shows the current page (its document view)
// centred on a grey ground while the page is smaller than the visible area,
// scrolls with 15-pixel insets otherwise, zooms by its magnification, carries
// the two rulers, and turns pointer and key events into page-point events
// for the router.
#pragma once

#include "canvas/ZVDropView.h"
#include "canvas/view/CanvasEventRouter.h"

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QPointer>
#include <memory>

class ZVCanvasView;

namespace ql {

class ElementPictureBudget;
class ZVClipView;
class ZVPageItem;
class ZVRulerView;

class ZVScrollView : public QGraphicsView {
    Q_OBJECT
public:
    static constexpr double kMinMagnification = 0.1;
    static constexpr double kMaxMagnification = 5.0;
    static constexpr double kContentInset = 15.0;

    explicit ZVScrollView(QWidget* parent = nullptr);
    ~ZVScrollView() override;

    // The page shown; a new page rebuilds the page's items.
    ZVCanvasView* documentView() const;
    void setDocumentView(ZVCanvasView* page);
    ZVPageItem* pageItem() const { return m_pageItem; }
    ZVClipView* clipView() const { return m_clipView; }
    CanvasEventRouter& router() { return m_router; }
    // Takes what is dropped on the canvas onto the page shown.
    ZVDropView& dropView() { return m_dropView; }

    // The zoom factor, 1 at 100 %, kept between the limits. Setting the value
    // it has changes nothing and announces nothing.
    double magnification() const { return m_magnification; }
    void setMagnification(double magnification);
    // Zooms keeping a page point where it is in the viewport.
    void setMagnification(double magnification, QPointF centeredAtPagePoint);
    // Zooms so that a page rectangle fits the visible area, centred on it.
    void magnifyToFitRect(const QRectF& pageRect);

    // Everything shown is drawn again, each element anew (items keep their
    // pictures until told).
    void setNeedsDisplay();
    // Every element of the page draws its picture anew, then the canvas.
    void redrawElements();

    // The ground around the page.
    QColor surroundColor() const { return m_surround; }
    void setSurroundColor(const QColor& color);

    // Rulers: both exist; they show while the rulers are visible.
    ZVRulerView* horizontalRulerView() const { return m_horizontalRuler; }
    ZVRulerView* verticalRulerView() const { return m_verticalRuler; }
    bool rulersVisible() const { return m_rulersVisible; }
    void setRulersVisible(bool visible);

    // Between page points and viewport pixels, unrounded.
    QPointF mapToPage(QPointF viewportPoint) const;
    QPointF mapFromPage(QPointF pagePoint) const;
    // The page rectangle the viewport shows.
    QRectF visiblePageRect() const;

signals:
    void magnificationChanged(double magnification);
    // After the shown part of the page moved or changed size.
    void visibleRectChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The pointer leaving the viewport.
    bool viewportEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    // Sizes the scene to the page, the insets and the visible area.
    void tile();
    void layoutRulers();
    CanvasEvent canvasEvent(const QMouseEvent& event, int clickCount) const;

    QGraphicsScene m_scene;
    QPointer<ZVCanvasView> m_page;
    ZVClipView* m_clipView = nullptr;
    ZVPageItem* m_pageItem = nullptr;
    // The page shown before, kept out of the scene with its pictures, so
    // that going back to it does not build and draw a thousand items anew.
    ZVPageItem* m_previousPageItem = nullptr;
    // The memory the pictures of both page items share.
    std::shared_ptr<ElementPictureBudget> m_pictureBudget;
    ZVRulerView* m_horizontalRuler = nullptr;
    ZVRulerView* m_verticalRuler = nullptr;
    CanvasEventRouter m_router;
    ZVDropView m_dropView;
    double m_magnification = 1.0;
    QColor m_surround;
    bool m_rulersVisible = true;
    bool m_pressed = false;
    // A press soon after a double click, near it, is a triple click.
    QElapsedTimer m_sinceDoubleClick;
    QPointF m_doubleClickPosition;
    // The release of a double click reports its count, as the press did.
    int m_pressClickCount = 1;
};

} // namespace ql
