// Edit's element commands: Cut, Copy, Copy to Pasteboard, Paste, Duplicate,
// Delete and Select All on the current page. While a text box is edited, the
// text commands work on its text instead, as their keys do. The page's
// validation of the selection enables them (WindowArrangeMenu.cpp), but for
// Paste into an edited text, which follows what the text can paste.
#include "app/window/WindowMenus.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ClipboardState.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"

#include <QMenu>

namespace ql {

namespace {

ZVTextView* editedText(DocumentWindow& window)
{
    ZVScrollView* canvas = window.scrollView();
    return canvas ? canvas->router().editedText() : nullptr;
}

} // namespace

void WindowMenus::buildEditCommands()
{
    DocumentWindow& window = m_window;
    // The page's command, or the edited text's when there is one.
    const auto command = [&window](void (ZVCanvasView::*onPage)(),
                                   std::function<void(text::TextEditor&)> onText = {}) {
        return [&window, onPage, onText] {
            ZVTextView* edited = editedText(window);
            if (edited && onText) {
                onText(*edited->editor());
                return;
            }
            Document* document = window.document();
            if (ZVCanvasView* page = document ? document->currentPage() : nullptr)
                (page->*onPage)();
        };
    };
    m_edit->addSeparator();
    addItem(m_edit, tr("Cut"), QStringLiteral("cut:"), QKeySequence(Qt::CTRL | Qt::Key_X),
            command(&ZVCanvasView::cut, [](text::TextEditor& text) { text.cut(); }));
    addItem(m_edit, tr("Copy"), QStringLiteral("copy:"), QKeySequence(Qt::CTRL | Qt::Key_C),
            command(&ZVCanvasView::copy, [](text::TextEditor& text) { text.copy(); }));
    addItem(m_edit, tr("Copy to Pasteboard"), QStringLiteral("copyPB:"), {}, command(&ZVCanvasView::copyPB));
    addItem(m_edit, tr("Paste"), QStringLiteral("paste:"), QKeySequence(Qt::CTRL | Qt::Key_V),
            command(qOverload<>(&ZVCanvasView::paste), [](text::TextEditor& text) { text.paste(); }));
    addValidation(QStringLiteral("paste:"), [this, &window](QAction* item) {
        return editedText(window) ? ClipboardState::pastesIntoText() : pageValidates(*item);
    });
    addItem(m_edit, tr("Duplicate"), QStringLiteral("duplicate:"), QKeySequence(Qt::CTRL | Qt::Key_D),
            command(&ZVCanvasView::duplicate));
    // The Delete key reaches the page (or the edited text) as a key.
    addItem(m_edit, tr("Delete"), QStringLiteral("delete:"), {},
            command(&ZVCanvasView::delete_, [](text::TextEditor& text) { text.perform(QKeySequence::Delete); }));
    m_edit->addSeparator();
    addItem(m_edit, tr("Select All"), QStringLiteral("selectAll:"), QKeySequence(Qt::CTRL | Qt::Key_A),
            command(&ZVCanvasView::selectAll, [](text::TextEditor& text) { text.selectAll(); }));
}

} // namespace ql
