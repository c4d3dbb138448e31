// A bar of icon tabs, left to right, one selected. A click (or an item's key
// equivalent) tells the handler twice: type 0 before the selection changes,
// type 1 after it; selecting in code tells nobody.
#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class QShortcut;

namespace ql {

class TBTabBarItem;

class TBTabBar : public QWidget {
    Q_OBJECT
public:
    // 0 before a user's selection takes effect, 1 after.
    using SelectionHandler = std::function<void(int type, TBTabBarItem* item, unsigned index)>;

    explicit TBTabBar(QWidget* parent = nullptr);

    // Takes the items; positions are their indexes.
    void setTabBarItems(const QList<TBTabBarItem*>& items);
    const QList<TBTabBarItem*>& tabBarItems() const { return m_items; }
    void handleTabBarItemSelection(SelectionHandler handler) { m_handler = std::move(handler); }

    unsigned selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(unsigned index);

    // Where item `index` is drawn.
    QRect itemRect(int index) const;
    // What a click or key equivalent does.
    void selectByUser(int index);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QList<TBTabBarItem*> m_items;
    QList<QShortcut*> m_shortcuts;
    SelectionHandler m_handler;
    unsigned m_selectedIndex = 0;
};

} // namespace ql
