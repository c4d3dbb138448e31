#include "panels/controls/ScreenPlacement.h"

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>

namespace ql {

namespace {

bool hasFrame(const QWidget& window)
{
    if (!window.isWindow() || (window.windowFlags() & (Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)))
        return false;
    switch (window.windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop: return false;
    default: return true;
    }
}

// The frame the window manager drew around a window, once it has: until
// then a window's frame geometry is its client geometry.
std::optional<QMargins> measuredFrame(const QWidget& window)
{
    if (!hasFrame(window) || !window.testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (frame == client || !frame.contains(client))
        return std::nullopt;
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

// Frames measured so far, by kind of window (a tool window's title bar can
// be lower than a document window's), and the last one of any kind.
struct MeasuredFrames {
    QHash<int, QMargins> byKind;
    std::optional<QMargins> last;

    void remember(const QWidget& window, const QMargins& frame)
    {
        byKind.insert(int(window.windowType()), frame);
        last = frame;
    }
};

MeasuredFrames& measuredFrames()
{
    static MeasuredFrames frames;
    return frames;
}

// Where a window's frame goes: its top-left corner and, for a window given
// a frame, the frame's size (else the client keeps its size).
struct Placement {
    QPoint frameTopLeft;
    std::optional<QSize> frameSize;
    QRect available;

    QRect clientGeometry(const QWidget& window, const QMargins& frame) const
    {
        return ScreenPlacement::clientGeometry(QRect(frameTopLeft, frameSize.value_or(window.size().grownBy(frame))),
                                               frame, available);
    }
};

// A window placed before the window manager framed it was placed with a
// frame guessed; once framed (at its first showing) it is placed again with
// the frame it has, if that differs and nothing else moved or sized it since.
class FrameFit : public QObject {
public:
    static constexpr const char* kName = "ScreenPlacementFrameFit";

    static void forget(QWidget& window)
    {
        delete window.findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly);
    }
    FrameFit(QWidget& window, const Placement& placement, const QMargins& guessed)
        : QObject(&window), m_window(window), m_placement(placement), m_guessed(guessed), m_placed(window.geometry())
    {
        setObjectName(QLatin1String(kName));
        window.installEventFilter(this);
        watchNativeWindow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::Show)
            watchNativeWindow();
        else if (watched == m_native && event->type() == QEvent::Expose)
            settle();
        return false;
    }

private:
    void watchNativeWindow()
    {
        QWindow* native = m_window.windowHandle();
        if (!native || native == m_native)
            return;
        m_native = native;
        native->installEventFilter(this);
    }
    void settle()
    {
        const std::optional<QMargins> frame = measuredFrame(m_window);
        if (!frame)
            return;
        measuredFrames().remember(m_window, *frame);
        if (*frame != m_guessed && m_window.geometry() == m_placed)
            m_window.setGeometry(m_placement.clientGeometry(m_window, *frame));
        deleteLater();
    }

    QWidget& m_window;
    QPointer<QWindow> m_native;
    const Placement m_placement;
    const QMargins m_guessed;
    const QRect m_placed;
};

void apply(QWidget& window, const Placement& placement)
{
    const QMargins frame = ScreenPlacement::frameMargins(window);
    // The client geometry, not move(): Qt takes a moved position as the
    // frame's before the window has a native window, and after that as the
    // client's shifted by whatever frame it has learnt of so far.
    window.setGeometry(placement.clientGeometry(window, frame));
    FrameFit::forget(window);
    if (hasFrame(window) && !measuredFrame(window))
        new FrameFit(window, placement, frame);
}

QRect primaryAvailableGeometry()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QRect ScreenPlacement::availableGeometryAt(const QPoint& anchor)
{
    QScreen* screen = QGuiApplication::screenAt(anchor);
    return screen ? screen->availableGeometry() : primaryAvailableGeometry();
}

QRect ScreenPlacement::availableGeometryOf(const QWidget* window)
{
    if (!window)
        return primaryAvailableGeometry();
    const QWidget* top = window->window();
    QScreen* screen = QGuiApplication::screenAt(top->frameGeometry().center());
    if (!screen)
        screen = top->screen();
    return screen ? screen->availableGeometry() : primaryAvailableGeometry();
}

QRect ScreenPlacement::fitted(const QRect& wanted, const QRect& available)
{
    if (available.isEmpty())
        return wanted;
    QRect result = wanted;
    // Right and bottom first, so that what is too large keeps its top-left in view.
    if (result.right() > available.right())
        result.moveRight(available.right());
    if (result.bottom() > available.bottom())
        result.moveBottom(available.bottom());
    result.moveLeft(std::max(result.left(), available.left()));
    result.moveTop(std::max(result.top(), available.top()));
    return result;
}

QRect ScreenPlacement::clientGeometry(const QRect& wantedFrame, const QMargins& frame, const QRect& available)
{
    return fitted(wantedFrame, available).marginsRemoved(frame);
}

QMargins ScreenPlacement::frameMargins(const QWidget& window)
{
    if (!hasFrame(window))
        return {};
    MeasuredFrames& frames = measuredFrames();
    if (const std::optional<QMargins> own = measuredFrame(window)) {
        frames.remember(window, *own);
        return *own;
    }
    // Not framed yet: the frames of the windows on the screen now tell what
    // the window manager will draw.
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible())
            continue;
        if (const std::optional<QMargins> seen = measuredFrame(*other))
            frames.remember(*other, *seen);
    }
    if (const auto kind = frames.byKind.constFind(int(window.windowType())); kind != frames.byKind.cend())
        return *kind;
    if (frames.last)
        return *frames.last;
    // Nothing seen yet: a title bar as the style draws one, and borders.
    const QStyle* style = window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QMargins(border, title + border, border, border);
}

QSize ScreenPlacement::frameSize(const QWidget& window)
{
    return window.size().grownBy(frameMargins(window));
}

void ScreenPlacement::place(QWidget& window, const QPoint& frameTopLeft, const QRect& available)
{
    apply(window, Placement {frameTopLeft, std::nullopt, available});
}

void ScreenPlacement::centre(QWidget& window, const QRect& over, const QRect& available)
{
    const QSize size = frameSize(window);
    place(window, over.center() - QPoint(size.width() / 2, size.height() / 2), available);
}

void ScreenPlacement::setFrameGeometry(QWidget& window, const QRect& frame, const QRect& available)
{
    apply(window, Placement {frame.topLeft(), frame.size(), available});
}

} // namespace ql
