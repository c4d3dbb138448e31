#pragma once
// A document window of a program of its own, for benches of pictures in the
// real window (offscreen): files dropped on the page as a file manager drops
// them, documents opened, clicks, menu items and inspector fields, each
// timed to the canvas having drawn what came of it.
#include "PaintWatch.h"
#include "ProcessStatus.h"
#include "QuietController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/Deferred.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

// Where pictures are dropped: at half size a dropped picture is 400 points
// across, so that these two centres each lie on one picture only.
constexpr QPointF kFirst(150, 200);
constexpr QPointF kSecond(460, 600);
// On neither of them.
constexpr QPointF kEmpty(580, 100);

// A document window of a program of its own.
class PictureWindow {
public:
    QString write(const QByteArray& bytes, const QString& name) const
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
    }

    bool newDocument() { return show(m_quiet.controller.newDocument()); }
    // Until the canvas has drawn the document's first page.
    bool open(const QString& path)
    {
        ql::Result<ql::Document*> opened = ql::Error {};
        untilDrawn([&] { opened = m_quiet.controller.openDocumentWithContentsOfFile(path); }, [&] {
            return opened && show(*opened) ? m_window->scrollView()->viewport() : nullptr;
        });
        return m_window;
    }
    // The document saved there and closed.
    bool saveAndClose(const QString& path)
    {
        const bool saved = m_document && m_quiet.controller.saveDocumentToFile(m_document, path)
            && m_quiet.controller.closeDocument(m_document);
        m_document = nullptr;
        m_window = nullptr;
        settle();
        // The closed window and its pictures go now, not at the next turn of
        // an event loop the bench never ends.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return saved;
    }

    // The file dragged from a file manager onto the page and dropped, until
    // the canvas has drawn what came of it.
    const ZVPuttyView* drop(const QString& path, QPointF pagePoint = kFirst)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        ql::ZVScrollView* view = m_window->scrollView();
        const QPoint at = view->mapFromPage(pagePoint).toPoint();
        untilDrawn([&] {
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &enter);
            QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &event);
        });
        return picture();
    }

    // The picture dropped first, or the one dropped last.
    const ZVPuttyView* picture(bool first = true) const
    {
        const ZVCanvasView* page = m_document ? m_document->currentPage() : nullptr;
        if (!page || page->puttyViews().isEmpty())
            return nullptr;
        return first ? page->puttyViews().constFirst() : page->puttyViews().constLast();
    }
    void clickPicture(QPointF pagePoint = kFirst) { untilDrawn([&] { click(pagePoint); }); }
    void clickEmptyPage() { untilDrawn([this] { click(kEmpty); }); }

    // The item at `path` ("Arrange/Flip Horizontal") chosen, and what it
    // started off the window's thread (its progress panel showing) ended.
    bool choose(const QString& path)
    {
        QAction* item = m_window ? m_window->menus().itemAtPath(path) : nullptr;
        if (!item)
            return false;
        m_window->menus().validateMenuItem(item);
        if (!item->isEnabled())
            return false;
        auto* panel = m_window->findChild<QWidget*>(QStringLiteral("loadingPanel"));
        auto* indicator = m_window->findChild<QProgressBar*>(QStringLiteral("loadingIndicator"));
        m_repaintAfterStep = true;
        untilDrawn([&] {
            item->trigger();
            QSet<int> shown;
            while (panel && panel->isVisible()) {
                if (indicator)
                    shown.insert(indicator->value());
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
            }
            m_progressSteps = int(shown.size());
        });
        m_repaintAfterStep = false;
        return true;
    }
    // `text` typed into the shown inspector's field `name`, then Return.
    bool typeInInspector(const QString& name, const QString& text)
    {
        QLineEdit* field = nullptr;
        for (QLineEdit* found : m_window->findChildren<QLineEdit*>(name))
            field = found->isVisible() ? found : field;
        if (!field)
            return false;
        untilDrawn([&] {
            field->setFocus();
            field->selectAll();
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Return);
        });
        return true;
    }
    // The longest the window went without a turn of its event loop during
    // the last step, in milliseconds: how long it could not even paint.
    double longestStall() const { return m_longestStall; }
    // How many states of the progress panel's indicator the last chosen
    // item showed.
    int progressSteps() const { return m_progressSteps; }
    // Steps after which the canvas drew nothing within a minute.
    int undrawnSteps() const { return m_undrawn; }

private:
    bool show(ql::Document* document)
    {
        m_document = document;
        m_window = document ? qobject_cast<ql::DocumentWindow*>(document->documentWindow()) : nullptr;
        if (!m_window)
            return false;
        m_window->resize(1400, 1000);
        m_window->show();
        m_window->scrollView()->setMagnification(0.5);
        settle();
        return true;
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        ql::DeferredCalls::instance().flush();
    }

    void click(QPointF pagePoint)
    {
        ql::ZVScrollView* view = m_window->scrollView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromPage(pagePoint).toPoint());
    }

    // What the user waits for: the step, what the window does in answer, and
    // the canvas drawn again.
    template <class Step>
    void untilDrawn(Step step)
    {
        untilDrawn(step, [this] { return m_window->scrollView()->viewport(); });
    }
    template <class Step, class Canvas>
    void untilDrawn(Step step, Canvas canvasAfter)
    {
        PaintWatch watch;
        QElapsedTimer turns;
        qint64 lastTurn = 0;
        m_longestStall = 0;
        QTimer ticks;
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            m_longestStall = std::max(m_longestStall, double(turns.elapsed() - lastTurn));
            lastTurn = turns.elapsed();
        });
        turns.start();
        ticks.start();
        QWidget* before = m_window ? m_window->scrollView()->viewport() : nullptr;
        if (before)
            before->installEventFilter(&watch);
        step();
        QWidget* canvas = canvasAfter();
        if (canvas && canvas != before) {
            canvas->installEventFilter(&watch);
            canvas->update();
        } else if (canvas && m_repaintAfterStep) {
            // The window painted while the step ran: what counts is the
            // paint that shows its result.
            watch.painted = false;
            canvas->update();
        }
        ql::DeferredCalls::instance().flush();
        QElapsedTimer clock;
        clock.start();
        while (canvas && !watch.painted && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        m_longestStall = std::max(m_longestStall, double(turns.elapsed() - lastTurn));
        m_undrawn += canvas && !watch.painted ? 1 : 0;
        if (canvas)
            canvas->removeEventFilter(&watch);
        ql::DeferredCalls::instance().flush();
    }

    QTemporaryDir m_folder;
    QuietController m_quiet;
    ql::Document* m_document = nullptr;
    ql::DocumentWindow* m_window = nullptr;
    int m_undrawn = 0;
    double m_longestStall = 0;
    int m_progressSteps = 0;
    bool m_repaintAfterStep = false;
};

