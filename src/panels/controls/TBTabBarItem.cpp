#include "panels/controls/TBTabBarItem.h"

namespace ql {

TBTabBarItem* TBTabBarItem::tabBarItemWithIcon(const QImage& icon, unsigned tag)
{
    auto* item = new TBTabBarItem;
    item->m_icon = icon;
    item->m_tag = tag;
    return item;
}

QKeySequence TBTabBarItem::shortcut() const
{
    if (m_keyEquivalent.isEmpty())
        return {};
    const QKeySequence key = QKeySequence::fromString(m_keyEquivalent.toUpper());
    if (key.isEmpty())
        return {};
    return QKeySequence(QKeyCombination(m_modifiers, key[0].key()));
}

} // namespace ql
