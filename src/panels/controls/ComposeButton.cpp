#include "panels/controls/ComposeButton.h"

#include <QMenu>

namespace ql {

ComposeButton::ComposeButton(QWidget* parent) : QToolButton(parent)
{
    setPopupMode(QToolButton::InstantPopup);
    setMenu(new QMenu(this));
}

void ComposeButton::setupMenu(const QStringList& titles, Block block)
{
    m_block = std::move(block);
    menu()->clear();
    for (int index = 0; index < titles.size(); ++index) {
        QAction* item = menu()->addAction(titles[index]);
        item->setData(index);
        connect(item, &QAction::triggered, this, [this, item, index] {
            if (m_block)
                m_block(item, index);
        });
    }
    setText(titles.value(0));
}

void ComposeButton::choose(int index)
{
    const QList<QAction*> items = menu()->actions();
    if (index >= 0 && index < items.size())
        items[index]->trigger();
}

} // namespace ql
