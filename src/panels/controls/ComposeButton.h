// A button with a pop-up menu of titles: choosing one calls the block with
// the chosen item and its index.
#pragma once

#include <QToolButton>
#include <functional>

class QAction;

namespace ql {

class ComposeButton : public QToolButton {
    Q_OBJECT
public:
    using Block = std::function<void(QAction* item, int index)>;

    explicit ComposeButton(QWidget* parent = nullptr);

    // Rebuilds the menu, one item per title (its data the index), and shows
    // the first title on the button.
    void setupMenu(const QStringList& titles, Block block);
    // The menu item at `index`, as a user would choose it.
    void choose(int index);

private:
    Block m_block;
};

} // namespace ql
