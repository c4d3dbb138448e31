// Some pictures need a slow conversion before they have pixels (EPS through
// Ghostscript). Drawing waits for it, except on a screen that has said it
// would rather show a placeholder meanwhile: a window draws within a scope
// naming itself, and repaints when kPictureConversionFinished is posted.
// The scope also names the document whose time budget conversions take.
// Scopes nest and hold for the thread that opens them.
#pragma once

class QObject;
class QPaintDevice;
class QPainter;

namespace ql {

// Posted on the main thread whenever a conversion started for a screen ends.
inline constexpr const char* kPictureConversionFinished = "PictureConversionFinished";

class PictureConversionScope {
public:
    // `screen` is the device a window draws on, or null to wait.
    PictureConversionScope(const QObject* document, const QPaintDevice* screen);
    ~PictureConversionScope();
    PictureConversionScope(const PictureConversionScope&) = delete;
    PictureConversionScope& operator=(const PictureConversionScope&) = delete;

    // The document of the innermost scope; null outside any.
    static const QObject* document();
    // Whether drawing with `painter` may show a placeholder instead of
    // waiting: only on the scope's own screen, never into a picture made
    // meanwhile (which may be kept).
    static bool mayShowPlaceholder(const QPainter& painter);
    // The innermost scope's screen; null while drawing waits.
    static const QPaintDevice* screen();

private:
    const QObject* m_document;
    const QPaintDevice* m_screen;
    const PictureConversionScope* m_outer;
};

} // namespace ql
