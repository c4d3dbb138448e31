// What the system clipboard holds, as the paste commands' validation asks
// it. Asking the window system costs round trips (format lists, whether a
// picture is there), and validation runs on every key press: so the answer
// is read once whenever the clipboard says it changed, and kept.
#pragma once

#include "canvas/ZVCanvasView.h"

#include <QObject>

namespace ql {

class ClipboardState : public QObject {
    Q_OBJECT
public:
    // Both from the application's one watcher, made on first use; nothing
    // without a GUI application.
    static ZVCanvasView::ClipboardContents contents();
    // Whether a text box being edited can paste: text, RTF, HTML or our
    // styled text.
    static bool pastesIntoText();

private:
    explicit ClipboardState(QObject* parent);
    static const ClipboardState* shared();
    void read();

    ZVCanvasView::ClipboardContents m_contents;
    bool m_styledText = false;
};

} // namespace ql
