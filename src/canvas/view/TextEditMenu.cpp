#include "canvas/view/TextEditMenu.h"

#include "canvas/ClipboardState.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"

#include <QPointer>

namespace ql {

std::unique_ptr<QMenu> TextEditMenu::create(ZVTextView& text, QWidget* parent)
{
    if (!text.offersContextMenu())
        return nullptr;
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("textEditMenu"));
    QPointer<ZVTextView> box(&text);
    const auto add = [&menu, box](const QString& title, QKeySequence::StandardKey key, bool enabled) {
        QAction* action = menu->addAction(title, [box, key] {
            if (box && box->editMode())
                box->editor()->perform(key);
        });
        action->setShortcut(key);
        action->setEnabled(enabled);
    };
    const bool selected = text.selectedRange().length > 0;
    const bool pasteable = ClipboardState::pastesIntoText();
    add(QMenu::tr("Cut"), QKeySequence::Cut, selected);
    add(QMenu::tr("Copy"), QKeySequence::Copy, selected);
    add(QMenu::tr("Paste"), QKeySequence::Paste, pasteable);
    menu->addSeparator();
    add(QMenu::tr("Select All"), QKeySequence::SelectAll, text.textLength() > 0);
    return menu;
}

} // namespace ql
