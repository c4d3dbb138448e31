#include "canvas/view/ZVScrollView.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ElementPictureBudget.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/TextEditMenu.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVRulerView.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/NotificationCenter.h"

#include <QApplication>
#include <utility>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>

namespace ql {

namespace {

int modifiersOf(Qt::KeyboardModifiers modifiers)
{
    // Ctrl plays the original's Command key, Alt its Option key.
    int flags = CanvasEvent::NoModifier;
    if (modifiers & Qt::ShiftModifier)
        flags |= CanvasEvent::Shift;
    if (modifiers & Qt::ControlModifier)
        flags |= CanvasEvent::Command;
    if (modifiers & Qt::AltModifier)
        flags |= CanvasEvent::Option;
    if (modifiers & Qt::MetaModifier)
        flags |= CanvasEvent::Control;
    return flags;
}

} // namespace

ZVScrollView::ZVScrollView(QWidget* parent) : QGraphicsView(parent), m_surround(0xb4, 0xb4, 0xb4)
{
    setObjectName(QStringLiteral("scrollView"));
    setFrameShape(QFrame::NoFrame);
    setScene(&m_scene);
    m_scene.setItemIndexMethod(QGraphicsScene::NoIndex);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    setBackgroundBrush(m_surround);
    // The pointer's cursor follows what lies under it, buttons held or not.
    setMouseTracking(true);
    // Text boxes edited on the canvas take composed input.
    setAttribute(Qt::WA_InputMethodEnabled, true);
    m_clipView = new ZVClipView;
    m_scene.addItem(m_clipView);
    m_router.setClipView(m_clipView);
    // Drags from other programs and the panels end on the page, as copies.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    m_horizontalRuler = new ZVRulerView(*this, ZVRulerView::Orientation::Horizontal, this);
    m_verticalRuler = new ZVRulerView(*this, ZVRulerView::Orientation::Vertical, this);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &ZVScrollView::visibleRectChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ZVScrollView::visibleRectChanged);
    connect(this, &ZVScrollView::visibleRectChanged, m_horizontalRuler, qOverload<>(&QWidget::update));
    connect(this, &ZVScrollView::visibleRectChanged, m_verticalRuler, qOverload<>(&QWidget::update));
    layoutRulers();
    // Pictures drawn as placeholders while they converted show themselves.
    NotificationCenter::defaultCenter().addObserver(this, QString::fromLatin1(kPictureConversionFinished), nullptr,
                                                    [this](const Notification&) { redrawElements(); });
}

ZVScrollView::~ZVScrollView()
{
    // Items go before the scene they live in.
    delete m_pageItem;
    m_pageItem = nullptr;
    delete m_previousPageItem;
    m_previousPageItem = nullptr;
}

ZVCanvasView* ZVScrollView::documentView() const
{
    return m_page.data();
}

void ZVScrollView::setDocumentView(ZVCanvasView* page)
{
    if (m_pageItem && m_pageItem->page() == page)
        return;
    ZVPageItem* shown = nullptr;
    if (m_previousPageItem && page && m_previousPageItem->page() == page)
        shown = std::exchange(m_previousPageItem, nullptr);
    delete m_previousPageItem;
    m_previousPageItem = nullptr;
    if (m_pageItem) {
        m_scene.removeItem(m_pageItem);
        if (m_pageItem->page())
            m_previousPageItem = m_pageItem;
        else
            delete m_pageItem;
        m_pageItem = nullptr;
    }
    m_page = page;
    m_clipView->setPage(page);
    m_dropView.setCanvas(page);
    if (page) {
        if (!m_pictureBudget)
            m_pictureBudget = std::make_shared<ElementPictureBudget>();
        if (!shown) {
            shown = new ZVPageItem(*page, m_clipView, m_pictureBudget);
            connect(shown, &ZVPageItem::geometryChanged, this, &ZVScrollView::tile);
        }
        m_pageItem = shown;
        m_scene.addItem(m_pageItem);
    }
    m_router.setPageItem(m_pageItem);
    tile();
}

void ZVScrollView::setMagnification(double magnification)
{
    const QRectF visible = visiblePageRect();
    setMagnification(magnification, visible.center());
}

void ZVScrollView::setMagnification(double magnification, QPointF centeredAtPagePoint)
{
    if (!std::isfinite(magnification))
        return;
    const double clamped = std::clamp(magnification, kMinMagnification, kMaxMagnification);
    if (clamped == m_magnification)
        return;
    const QPointF anchorInViewport = mapFromPage(centeredAtPagePoint);
    m_magnification = clamped;
    setTransform(QTransform::fromScale(clamped, clamped));
    tile();
    // Keep the anchor point under the same viewport position.
    const QPointF drift = mapFromPage(centeredAtPagePoint) - anchorInViewport;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(drift.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(drift.y()));
    emit visibleRectChanged();
    emit magnificationChanged(clamped);
}

void ZVScrollView::magnifyToFitRect(const QRectF& pageRect)
{
    if (pageRect.width() <= 0 || pageRect.height() <= 0)
        return;
    const QSizeF visible = viewport()->size();
    const double factor = std::min(visible.width() / pageRect.width(), visible.height() / pageRect.height());
    setMagnification(factor, pageRect.center());
    centerOn(pageRect.center());
}

// Elements redraw their kept pictures when they change; a repaint asked for
// the whole canvas reuses them, since remaking them all at every click costs
// seconds on a page of costly outlines.
void ZVScrollView::setNeedsDisplay()
{
    viewport()->update();
}

void ZVScrollView::redrawElements()
{
    if (ZVPageItem* item = pageItem()) {
        for (ZVElementItem* element : item->elementItems())
            element->redraw();
    }
    viewport()->update();
}

void ZVScrollView::setSurroundColor(const QColor& color)
{
    m_surround = color;
    setBackgroundBrush(color);
    viewport()->update();
}

void ZVScrollView::setRulersVisible(bool visible)
{
    m_rulersVisible = visible;
    layoutRulers();
}

QPointF ZVScrollView::mapToPage(QPointF viewportPoint) const
{
    return viewportTransform().inverted().map(viewportPoint);
}

QPointF ZVScrollView::mapFromPage(QPointF pagePoint) const
{
    return viewportTransform().map(pagePoint);
}

QRectF ZVScrollView::visiblePageRect() const
{
    return viewportTransform().inverted().mapRect(QRectF(viewport()->rect()));
}

void ZVScrollView::tile()
{
    const QSizeF page = m_page ? m_page->frame().size() : QSizeF(0, 0);
    const double m = m_magnification;
    const QSizeF visible = QSizeF(viewport()->size()) / m;
    const QRectF constrained = ZVClipView::constrainBoundsRect(QRectF(QPointF(0, 0), visible), QRectF(QPointF(0, 0), page));
    const double inset = kContentInset / m;
    // Where the page fits, the scene is the visible area (a hair less, so
    // that rounding never asks for a scroll bar) starting at the centring
    // origin; where it does not, it is the page with its insets.
    const double half = 0.5 / m;
    const bool fitsWide = visible.width() >= page.width();
    const bool fitsHigh = visible.height() >= page.height();
    const double x = fitsWide ? constrained.x() : -inset;
    const double width = fitsWide ? visible.width() - half : page.width() + 2 * inset;
    const double y = fitsHigh ? constrained.y() : -inset;
    const double height = fitsHigh ? visible.height() - half : page.height() + 2 * inset;
    setSceneRect(QRectF(x, y, width, height));
    emit visibleRectChanged();
}

void ZVScrollView::layoutRulers()
{
    const int thickness = m_rulersVisible ? ZVRulerView::kThickness : 0;
    setViewportMargins(thickness, thickness, 0, 0);
    m_horizontalRuler->setVisible(m_rulersVisible);
    m_verticalRuler->setVisible(m_rulersVisible);
    const QRect area = viewport()->geometry();
    m_horizontalRuler->setGeometry(area.x(), area.y() - thickness, area.width(), thickness);
    m_verticalRuler->setGeometry(area.x() - thickness, area.y(), thickness, area.height());
}

void ZVScrollView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    layoutRulers();
    tile();
}

void ZVScrollView::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    emit visibleRectChanged();
}

CanvasEvent ZVScrollView::canvasEvent(const QMouseEvent& event, int clickCount) const
{
    CanvasEvent result;
    result.location = mapToPage(event.position());
    result.button = event.button() == Qt::RightButton || (event.buttons() & Qt::RightButton && event.button() == Qt::NoButton)
                        ? CanvasEvent::Button::Right
                        : CanvasEvent::Button::Left;
    result.modifiers = modifiersOf(event.modifiers());
    result.clickCount = clickCount;
    return result;
}

void ZVScrollView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_pressed = true;
    const bool triple = m_sinceDoubleClick.isValid()
                        && m_sinceDoubleClick.elapsed() <= QApplication::doubleClickInterval()
                        && (event->position() - m_doubleClickPosition).manhattanLength() <= QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    m_pressClickCount = triple ? 3 : 1;
    m_router.mouseDown(canvasEvent(*event, m_pressClickCount));
    event->accept();
}

void ZVScrollView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = true;
    m_sinceDoubleClick.start();
    m_doubleClickPosition = event->position();
    m_pressClickCount = 2;
    m_router.mouseDown(canvasEvent(*event, 2));
    event->accept();
}

void ZVScrollView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed && event->buttons() != Qt::NoButton)
        m_router.mouseDragged(canvasEvent(*event, 1));
    else if (!m_pressed)
        m_router.mouseMoved(canvasEvent(*event, 0));
    event->accept();
}

void ZVScrollView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    m_router.mouseUp(canvasEvent(*event, m_pressClickCount));
    event->accept();
}

bool ZVScrollView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        m_router.mouseLeft();
    return QGraphicsView::viewportEvent(event);
}

void ZVScrollView::wheelEvent(QWheelEvent* event)
{
    // Ctrl with the wheel zooms about the pointer, as the trackpad's pinch does.
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        setMagnification(m_magnification * std::pow(1.1, steps), mapToPage(event->position()));
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}

// Drags are taken as copies wherever they go over the canvas; what they
// carry is looked at when they are dropped.
void ZVScrollView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void ZVScrollView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ZVScrollView::dropEvent(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction) || !event->mimeData()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_dropView.draggingEnded(*event->mimeData(), mapToPage(event->position()));
}

bool ZVScrollView::event(QEvent* event)
{
    // Keys that edit text go to the edited box, not to a menu shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (m_router.wantsKey(key->keyCombination(), key->text())) {
            event->accept();
            return true;
        }
    }
    // Tab and Shift+Tab go to the edited box too, before the widgets take
    // them to move the keyboard focus out of the text.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && m_router.wantsKey(key->keyCombination(), key->text())) {
            keyPressEvent(key);
            return true;
        }
    }
    return QGraphicsView::event(event);
}

void ZVScrollView::contextMenuEvent(QContextMenuEvent* event)
{
    // Over the text being edited, the menu is the text's own.
    ZVTextView* text = m_router.editedText();
    const ZVPuttyView* element = text ? text->puttyView() : nullptr;
    if (element && text->frame().contains(element->mapFromPage(mapToPage(event->pos())))) {
        if (std::unique_ptr<QMenu> menu = TextEditMenu::create(*text, this)) {
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu.release()->popup(event->globalPos());
            event->accept();
            return;
        }
    }
    QGraphicsView::contextMenuEvent(event);
}

namespace {

// The modifier a modifier key stands for; none for other keys.
Qt::KeyboardModifier modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Meta: return Qt::MetaModifier;
    default: return Qt::NoModifier;
    }
}

} // namespace

void ZVScrollView::keyReleaseEvent(QKeyEvent* event)
{
    // Platforms differ on whether a modifier key's own events carry it.
    if (const Qt::KeyboardModifier own = modifierOfKey(event->key()); own != Qt::NoModifier && m_page)
        m_page->flagsChanged(modifiersOf(event->modifiers() & ~own));
    QGraphicsView::keyReleaseEvent(event);
}

void ZVScrollView::paintEvent(QPaintEvent* event)
{
    // Pictures that need a slow conversion show placeholders here instead of
    // holding up the window; the page's document pays for the conversions.
    PageDocument* document = m_page ? m_page->document() : nullptr;
    const PictureConversionScope scope(document ? document->documentObject() : nullptr, viewport());
    QGraphicsView::paintEvent(event);
}

void ZVScrollView::keyPressEvent(QKeyEvent* event)
{
    // The page keeps which modifier keys are held.
    if (const Qt::KeyboardModifier own = modifierOfKey(event->key()); own != Qt::NoModifier) {
        if (m_page)
            m_page->flagsChanged(modifiersOf(event->modifiers() | own));
        event->accept();
        return;
    }
    CanvasEvent key;
    key.modifiers = modifiersOf(event->modifiers());
    key.characters = event->text();
    key.keyCode = event->key();
    key.button = CanvasEvent::Button::None;
    if (m_router.keyDown(key)) {
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void ZVScrollView::inputMethodEvent(QInputMethodEvent* event)
{
    ZVTextView* text = m_router.editedText();
    if (!text) {
        event->ignore();
        return;
    }
    text::TextEditor* editor = text->editor();
    if (!event->commitString().isEmpty() || event->replacementLength() > 0)
        editor->commitInputMethod(event->commitString(), event->replacementStart(), event->replacementLength());
    editor->setPreedit(event->preeditString());
    text->setNeedsDisplay();
    event->accept();
}

QVariant ZVScrollView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    ZVTextView* text = m_router.editedText();
    if (query == Qt::ImEnabled)
        return text != nullptr;
    if (!text)
        return QGraphicsView::inputMethodQuery(query);
    switch (query) {
    case Qt::ImCursorRectangle: {
        // The caret's rectangle in the viewport, for the candidate window.
        const ZVPuttyView* element = text->puttyView();
        const QRectF caret = text->editor()->caretRect().translated(text->frame().topLeft());
        if (!element || caret.isNull())
            return QRectF();
        const QPolygonF onPage = element->pageTransform().map(caret);
        return viewportTransform().map(onPage).boundingRect();
    }
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return query == Qt::ImCursorPosition ? text->editor()->position() : text->editor()->anchor();
    case Qt::ImSurroundingText:
        return text->string();
    default:
        return QGraphicsView::inputMethodQuery(query);
    }
}

} // namespace ql
