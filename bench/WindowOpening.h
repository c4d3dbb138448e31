#pragma once
// Opening a document as a user who double-clicks its file waits for it: the
// document controller of a program with its defaults in a folder of its
// own, and the time from asking it to open a file to the window's canvas
// having drawn the first page.
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/view/ZVScrollView.h"
#include "PaintWatch.h"
#include "QuietController.h"

#include <QCoreApplication>
#include <QElapsedTimer>

class WindowOpening {
public:
    // Seconds until the canvas drew; negative when the document did not open
    // in a window.
    double secondsToFirstPaint(const QString& path)
    {
        QElapsedTimer clock;
        clock.start();
        const ql::Result<ql::Document*> opened = controller().openDocumentWithContentsOfFile(path);
        auto* window = opened ? qobject_cast<ql::DocumentWindow*>((*opened)->documentWindow()) : nullptr;
        if (!window)
            return -1;
        // Should opening have drawn already, the next drawing is what shows.
        PaintWatch watch;
        window->scrollView()->viewport()->installEventFilter(&watch);
        window->resize(1400, 1000);
        window->show();
        window->scrollView()->viewport()->update();
        while (!watch.painted && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window->scrollView()->viewport()->removeEventFilter(&watch);
        return clock.nsecsElapsed() / 1e9;
    }

    ql::DocumentController& controller() { return m_quiet.controller; }

private:
    QuietController m_quiet;
};
