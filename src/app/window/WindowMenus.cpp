#include "app/window/WindowMenus.h"

#include "app/AppDelegate.h"
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/OpenDocumentItems.h"
#include "app/window/WindowControls.h"
#include "canvas/ActiveViewsHold.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace ql {

namespace {

ZVCanvasView* shownPage(const DocumentWindow& window)
{
    const Document* document = window.document();
    return document ? document->currentPage() : nullptr;
}

QString plainTitle(QString title)
{
    return title.remove(QLatin1Char('&'));
}

} // namespace

WindowMenus::WindowMenus(DocumentWindow& window)
    : QObject(&window), m_window(window), m_controls(new WindowControls(*this))
{
    buildFileMenu();
    buildEditMenu();
    buildViewMenu();
    buildPageMenu();
    buildGuideItems();
    buildArrangeMenu();
    buildAlignMenu();
    buildInsertMenu();
    buildHelpMenu();
    addValidations();
    validateMenus();
}

QAction* WindowMenus::addItem(QMenu* menu, const QString& title, const QString& selector,
                              const QKeySequence& shortcut, std::function<void()> trigger)
{
    QAction* action = menu->addAction(title);
    action->setObjectName(selector);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, trigger = std::move(trigger)] {
        trigger();
        validateMenus();
    });
    return action;
}

QAction* WindowMenus::addCommand(const QString& selector, std::function<void()> trigger, int tag)
{
    auto* action = new QAction(this);
    action->setObjectName(selector);
    if (tag >= 0)
        action->setData(tag);
    connect(action, &QAction::triggered, this, [this, trigger = std::move(trigger)] {
        trigger();
        validateMenus();
    });
    // Its controls enable themselves now.
    m_controls->validate();
    return action;
}

QAction* WindowMenus::item(const QString& selector, int tag) const
{
    for (QAction* action : m_window.findChildren<QAction*>(selector)) {
        if (isItem(action, selector, tag))
            return action;
    }
    return nullptr;
}

bool WindowMenus::isItem(const QAction* action, const QString& selector, int tag)
{
    return action && action->objectName() == selector
           && (tag < 0 || (action->data().isValid() && action->data().toInt() == tag));
}

QAction* WindowMenus::itemAtPath(const QString& path) const
{
    const QStringList titles = path.split(QLatin1Char('/'));
    QList<QAction*> level = m_window.menuBar()->actions();
    QAction* found = nullptr;
    for (const QString& title : titles) {
        found = nullptr;
        for (QAction* action : std::as_const(level)) {
            if (!action->isSeparator() && plainTitle(action->text()) == title) {
                found = action;
                break;
            }
        }
        if (!found)
            return nullptr;
        level = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

void WindowMenus::addValidation(const QString& selector, Rule rule)
{
    m_rules.insert(selector, std::move(rule));
}

bool WindowMenus::validateMenuItem(QAction* item)
{
    const auto rule = m_rules.constFind(item->objectName());
    const bool enabled = rule == m_rules.cend() || (*rule)(item);
    item->setEnabled(enabled);
    return enabled;
}

void WindowMenus::validateMenus()
{
    // Every element command asks about the same selection.
    const ActiveViewsHold hold(shownPage(m_window));
    for (QAction* top : m_window.menuBar()->actions()) {
        if (QMenu* menu = top->menu()) {
            for (QAction* action : menu->actions()) {
                if (!action->isSeparator() && !action->objectName().isEmpty())
                    validateMenuItem(action);
            }
        }
    }
    m_controls->validate();
}

void WindowMenus::watch(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        const ActiveViewsHold hold(shownPage(m_window));
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && !action->objectName().isEmpty())
                validateMenuItem(action);
        }
    });
}

void WindowMenus::buildFileMenu()
{
    m_file = m_window.menuBar()->addMenu(tr("&File"));
    DocumentController& controller = m_window.controller();
    DocumentWindow& window = m_window;
    addItem(m_file, tr("&New"), QStringLiteral("newDocument:"), QKeySequence(Qt::CTRL | Qt::Key_N),
            [&controller] { controller.newDocument(); });
    addItem(m_file, tr("New from &Template…"), QStringLiteral("openTemplates:"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
            [] {
                if (AppDelegate* delegate = AppDelegate::shared())
                    delegate->openTemplates();
            });
    connect(addOpenDocumentItems(m_file, controller), &QAction::triggered, this, &WindowMenus::validateMenus);
    addItem(m_file, tr("&Import…"), QStringLiteral("importDocument:"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
            [&controller] { controller.importDocumentFromPanel(); });
    m_file->addSeparator();
    addItem(m_file, tr("&Close"), QStringLiteral("performClose:"), QKeySequence(Qt::CTRL | Qt::Key_W),
            [&window] { window.close(); });
    addItem(m_file, tr("&Save"), QStringLiteral("saveDocument:"), QKeySequence(Qt::CTRL | Qt::Key_S),
            [&window, &controller] {
                if (Document* document = window.document())
                    controller.saveDocument(document);
            });
    addItem(m_file, tr("Save &As…"), QStringLiteral("saveDocumentAs:"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
            [&window, &controller] {
                if (Document* document = window.document())
                    controller.saveDocumentAs(document);
            });
    addItem(m_file, tr("Re&vert to Saved"), QStringLiteral("revertDocumentToSaved:"), {}, [&window, &controller] {
        if (Document* document = window.document())
            controller.revertDocumentToSaved(document);
    });
    m_file->addSeparator();
    buildOutputItems();
    m_file->addSeparator();
    addItem(m_file, tr("&Quit"), QStringLiteral("terminate:"), QKeySequence(Qt::CTRL | Qt::Key_Q), [&controller] {
        if (controller.closeAllDocuments())
            QApplication::quit();
    });
    watch(m_file);
}

void WindowMenus::buildEditMenu()
{
    m_edit = m_window.menuBar()->addMenu(tr("&Edit"));
    DocumentWindow& window = m_window;
    addItem(m_edit, tr("Undo"), QStringLiteral("undo:"), QKeySequence(Qt::CTRL | Qt::Key_Z), [&window] {
        if (Document* document = window.document())
            document->undoManager()->undo();
    });
    addItem(m_edit, tr("Redo"), QStringLiteral("redo:"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [&window] {
        if (Document* document = window.document())
            document->undoManager()->redo();
    });
    buildEditCommands();
    watch(m_edit);
}

void WindowMenus::buildViewMenu()
{
    m_view = m_window.menuBar()->addMenu(tr("&View"));
    DocumentWindow& window = m_window;
    addItem(m_view, tr("Zoom In"), QStringLiteral("zoomIn:"), QKeySequence(Qt::CTRL | Qt::Key_Plus),
            [&window] { window.zoomIn(); });
    addItem(m_view, tr("Zoom Out"), QStringLiteral("zoomOut:"), QKeySequence(Qt::CTRL | Qt::Key_Minus),
            [&window] { window.zoomOut(); });
    const QList<std::pair<QString, QKeySequence>> zooms {
        {tr("Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0)},
        {tr("Fit Width"), {}},
        {tr("Fit Height"), {}},
        {tr("Fit Page"), {}},
    };
    for (int tag = 0; tag < zooms.size(); ++tag) {
        QAction* zoom = addItem(m_view, zooms[tag].first, QStringLiteral("setZoom:"), zooms[tag].second,
                                [&window, tag] { window.setZoom(tag); });
        zoom->setData(tag);
    }
    m_view->addSeparator();
    addItem(m_view, tr("Hide Content Panel"), QStringLiteral("toggleLeftPanel:"), {}, [&window] { window.toggleLeftPanel(); });
    addItem(m_view, tr("Hide Inspector Panel"), QStringLiteral("toggleRightPanel:"), {},
            [&window] { window.toggleRightPanel(); });
    addItem(m_view, tr("Hide Layers"), QStringLiteral("toggleLayoutLayersPanel:"), {},
            [&window] { window.toggleLayoutLayersPanel(); });
    addItem(m_view, tr("Show Pasteboard"), QStringLiteral("togglePasteboardVisible:"), {},
            [&window] { window.togglePasteboardVisible(); });
    m_view->addSeparator();
    addItem(m_view, tr("Full Screen"), QStringLiteral("goFullScreen:"), QKeySequence(Qt::CTRL | Qt::META | Qt::Key_F),
            [&window] { window.goFullScreen(); });
    watch(m_view);
}

void WindowMenus::addValidations()
{
    DocumentWindow& window = m_window;
    const auto flip = [&window](const char* key, const QString& hide, const QString& show) {
        return [&window, key, hide, show](QAction* item) {
            Document* document = window.document();
            const bool visible = document && document->valueForKey(QString::fromLatin1(key)).toBool();
            item->setText(visible ? hide : show);
            return true;
        };
    };
    addValidation(QStringLiteral("openTemplates:"), [](QAction*) { return AppDelegate::shared() != nullptr; });
    addValidation(QStringLiteral("toggleLeftPanel:"),
                  flip("leftPaneVisible", tr("Hide Content Panel"), tr("Show Content Panel")));
    addValidation(QStringLiteral("toggleRightPanel:"),
                  flip("rightPaneVisible", tr("Hide Inspector Panel"), tr("Show Inspector Panel")));
    // The floating panels' titles follow what is on screen.
    const auto panelFlip = [&window](QPointer<WindowPanel> DocumentWindow::Outlets::*panel, const QString& hide,
                                     const QString& show) {
        return [&window, panel, hide, show](QAction* item) {
            const WindowPanel* shown = (window.outlets().*panel).data();
            item->setText(shown && shown->isVisible() ? hide : show);
            return true;
        };
    };
    addValidation(QStringLiteral("toggleLayoutLayersPanel:"),
                  panelFlip(&DocumentWindow::Outlets::layoutLayerPanel, tr("Hide Layers"), tr("Show Layers")));
    addValidation(QStringLiteral("togglePasteboardVisible:"),
                  panelFlip(&DocumentWindow::Outlets::pasteboardPanel, tr("Hide Pasteboard"), tr("Show Pasteboard")));
    addValidation(QStringLiteral("toggleRulers:"), flip("rulersVisible", tr("Hide Rulers"), tr("Show Rulers")));
    addValidation(QStringLiteral("togglePagesType:"), [&window](QAction* item) {
        Document* document = window.document();
        item->setText(document && document->pagesType().toInt() != 0 ? tr("Show Content Pages")
                                                                     : tr("Show Master Pages"));
        return true;
    });
    const auto pageIndex = [&window]() -> std::pair<qsizetype, qsizetype> {
        Document* document = window.document();
        if (!document)
            return {-1, 0};
        return {document->pages().indexOf(document->currentPage()), document->pages().size()};
    };
    addValidation(QStringLiteral("nextPage:"), [pageIndex](QAction*) {
        const auto [index, count] = pageIndex();
        return index >= 0 && index < count - 1;
    });
    addValidation(QStringLiteral("previousPage:"), [pageIndex](QAction*) { return pageIndex().first > 0; });
    addValidation(QStringLiteral("deletePage:"), [pageIndex](QAction*) { return pageIndex().second > 1; });
    addValidation(QStringLiteral("undo:"), [&window](QAction*) {
        Document* document = window.document();
        return document && document->undoManager()->canUndo();
    });
    addValidation(QStringLiteral("redo:"), [&window](QAction*) {
        Document* document = window.document();
        return document && document->undoManager()->canRedo();
    });
    addValidation(QStringLiteral("revertDocumentToSaved:"), [&window](QAction*) {
        Document* document = window.document();
        return document && window.controller().canRevertDocumentToSaved(document);
    });
}

} // namespace ql
