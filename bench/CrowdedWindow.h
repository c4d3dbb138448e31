#pragma once
// A crowded page (ScalePage.h) open in the real window (offscreen), with the
// steps a user gives it: menu commands as a shortcut gives them, clicks and
// keys on the canvas. Each step runs what the window does in answer, the
// inspectors and menus included, and the repaint it causes.
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/Deferred.h"
#include "QuietController.h"
#include "ScalePage.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>

class CrowdedWindow {
public:
    // `box` as writeScalePage takes it; the page is shown at `magnification`.
    CrowdedWindow(int count, bool grouped, QSizeF box = {}, double magnification = 0.5)
        : CrowdedWindow([&](const QString& path) { return writeScalePage(count, path, box); }, magnification)
    {
        if (m_page && grouped)
            groupAll();
    }

    // A document given as its file's data.
    CrowdedWindow(const QByteArray& file, double magnification)
        : CrowdedWindow(
              [&file](const QString& path) {
                  QFile out(path);
                  return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
              },
              magnification)
    {
    }

    // Any document: `write` writes it to the path it is given.
    CrowdedWindow(const std::function<bool(const QString& path)>& write, double magnification)
    {
        const QString path = m_folder.filePath(QStringLiteral("page.qvleaf"));
        if (!write(path))
            return;
        const ql::Result<ql::Document*> opened = m_quiet.controller.openDocumentWithContentsOfFile(path);
        m_document = opened ? *opened : nullptr;
        m_window = m_document ? qobject_cast<ql::DocumentWindow*>(m_document->documentWindow()) : nullptr;
        if (!m_window)
            return;
        m_window->resize(1400, 1000);
        m_window->show();
        m_window->scrollView()->setMagnification(magnification);
        settle();
        m_page = m_document->currentPage();
    }

    bool isOpen() const { return m_page != nullptr; }
    bool ready() const { return m_page && m_page->puttyViews().size() > 1; }
    ZVCanvasView& page() const { return *m_page; }
    ql::Document& document() const { return *m_document; }

    // The command as a shortcut gives it: the items validate, then the item
    // runs when it is enabled.
    void menu(const char* path)
    {
        ql::WindowMenus& menus = m_window->menus();
        menus.validateMenus();
        if (QAction* item = menus.itemAtPath(QString::fromUtf8(path)); item && item->isEnabled())
            item->trigger();
        ql::DeferredCalls::instance().flush();
        repaint();
    }

    // A click on the page below its last row of boxes.
    void clickEmptyPage()
    {
        ql::ZVScrollView* view = m_window->scrollView();
        const QPointF corner(m_page->bounds().right() - 6, m_page->bounds().bottom() - 4);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromPage(corner).toPoint());
        ql::DeferredCalls::instance().flush();
        repaint();
    }

    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(m_window->scrollView(), code, modifiers);
        ql::DeferredCalls::instance().flush();
        repaint();
    }

    // The pointer on the canvas at a page point, the left button held from
    // the press to the release; each answered and repainted as a user sees
    // it. False when the point is out of view.
    bool press(QPointF pagePoint) { return pointer(pagePoint, Pointer::Press); }
    bool dragTo(QPointF pagePoint) { return pointer(pagePoint, Pointer::Drag); }
    bool release(QPointF pagePoint) { return pointer(pagePoint, Pointer::Release); }

    // What the user waits for after a step: the scene takes in what changed
    // and the canvas repaints it.
    static void repaint()
    {
        // The scene posts its changes before the canvas paints them.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // Where `pagePoint` lies in the canvas, when it is in view.
    std::optional<QPoint> onCanvas(QPointF pagePoint) const
    {
        ql::ZVScrollView* view = m_window->scrollView();
        const QPoint at = view->mapFromPage(pagePoint).toPoint();
        return view->viewport()->rect().contains(at) ? std::optional<QPoint>(at) : std::nullopt;
    }
    QWidget* canvas() const { return m_window->scrollView()->viewport(); }
    void centreOn(QPointF pagePoint)
    {
        ql::ZVScrollView* view = m_window->scrollView();
        const QPointF off = view->mapFromPage(pagePoint) - QRectF(view->viewport()->rect()).center();
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + qRound(off.x()));
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + qRound(off.y()));
        settle();
    }

    // What the event loop does between two steps: the undo step of the last
    // one closes, the canvas repaints.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        ql::DeferredCalls::instance().flush();
    }

    void ungroupAll()
    {
        for (ZVPuttyView* element : m_page->puttyViews())
            element->setGroup(nullptr);
    }

    bool allActive() const
    {
        const QList<ZVPuttyView*>& elements = m_page->puttyViews();
        return std::all_of(elements.cbegin(), elements.cend(), [](const ZVPuttyView* e) { return e->isActive(); });
    }

    bool noneActive() const
    {
        const QList<ZVPuttyView*>& elements = m_page->puttyViews();
        return std::none_of(elements.cbegin(), elements.cend(), [](const ZVPuttyView* e) { return e->isActive(); });
    }

private:
    enum class Pointer { Press, Drag, Release };
    bool pointer(QPointF pagePoint, Pointer action)
    {
        const std::optional<QPoint> at = onCanvas(pagePoint);
        if (!at)
            return false;
        switch (action) {
        case Pointer::Press: QTest::mousePress(canvas(), Qt::LeftButton, {}, *at); break;
        case Pointer::Drag: QTest::mouseMove(canvas(), *at); break;
        case Pointer::Release: QTest::mouseRelease(canvas(), Qt::LeftButton, {}, *at); break;
        }
        ql::DeferredCalls::instance().flush();
        repaint();
        return true;
    }

    // One group of every box, as Arrange ▸ Group leaves it.
    void groupAll()
    {
        auto* group = new ZVPuttyViewGroup();
        for (ZVPuttyView* element : m_page->puttyViews()) {
            group->appendUuid(element->uuid());
            element->setGroup(group);
        }
    }

    QTemporaryDir m_folder;
    QuietController m_quiet;
    ql::Document* m_document = nullptr;
    ql::DocumentWindow* m_window = nullptr;
    ZVCanvasView* m_page = nullptr;
};
