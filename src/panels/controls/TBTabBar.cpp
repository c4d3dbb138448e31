#include "panels/controls/TBTabBar.h"

#include "panels/controls/TBTabBarItem.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QToolTip>

namespace ql {

namespace {

constexpr int kItemWidth = 34;
constexpr int kIconSide = 18;

} // namespace

TBTabBar::TBTabBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void TBTabBar::setTabBarItems(const QList<TBTabBarItem*>& items)
{
    qDeleteAll(m_items);
    qDeleteAll(m_shortcuts);
    m_items = items;
    m_shortcuts.clear();
    for (int i = 0; i < m_items.size(); ++i) {
        TBTabBarItem* item = m_items[i];
        item->setParent(this);
        const QKeySequence key = item->shortcut();
        if (key.isEmpty())
            continue;
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, i] { selectByUser(i); });
        m_shortcuts.append(shortcut);
    }
    if (m_selectedIndex >= unsigned(m_items.size()))
        m_selectedIndex = 0;
    updateGeometry();
    update();
}

void TBTabBar::setSelectedIndex(unsigned index)
{
    m_selectedIndex = index;
    update();
}

void TBTabBar::selectByUser(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    TBTabBarItem* item = m_items[index];
    if (m_handler)
        m_handler(0, item, unsigned(index));
    setSelectedIndex(unsigned(index));
    if (m_handler)
        m_handler(1, item, unsigned(index));
}

QRect TBTabBar::itemRect(int index) const
{
    // The items sit centred in the bar.
    const int total = kItemWidth * int(m_items.size());
    const int left = (width() - total) / 2;
    return QRect(left + index * kItemWidth, 0, kItemWidth, height());
}

QSize TBTabBar::sizeHint() const
{
    return QSize(kItemWidth * int(m_items.size()), 22);
}

void TBTabBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < m_items.size(); ++i) {
        const QRect slot = itemRect(i);
        if (unsigned(i) == m_selectedIndex)
            painter.fillRect(slot.adjusted(1, 1, -1, -1), QColor(0xd6, 0xe4, 0xfb));
        const QRect icon(slot.center().x() - kIconSide / 2 + 1, slot.center().y() - kIconSide / 2 + 1, kIconSide,
                         kIconSide);
        painter.drawImage(icon, m_items[i]->icon());
    }
}

void TBTabBar::mousePressEvent(QMouseEvent* event)
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (itemRect(i).contains(event->position().toPoint())) {
            selectByUser(i);
            return;
        }
    }
}

bool TBTabBar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        for (int i = 0; i < m_items.size(); ++i) {
            if (itemRect(i).contains(help->pos())) {
                QToolTip::showText(help->globalPos(), m_items[i]->toolTip(), this, itemRect(i));
                return true;
            }
        }
        QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace ql
