// What the image, shape and clip-art browsers share: a scrolling grid of
// thumbnails over a strip of actions. The window pins the three views.
#pragma once

#include "panels/ViewController.h"
#include "panels/grid/GVGridView.h"
#include "panels/grid/GVGridViewItemLayout.h"

class QScrollArea;

namespace ql {

class ZVGridBrowserController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;
    // The grid forgets its data source and delegate: they go first.
    ~ZVGridBrowserController() override;

    QScrollArea* scrollView();
    QWidget* actionView();
    GVGridView* gridView();

    // The items' looks: normal, hovered and selected.
    const GVGridViewItemLayoutPtr& defaultLayout() const { return m_defaultLayout; }
    const GVGridViewItemLayoutPtr& hoverLayout() const { return m_hoverLayout; }
    const GVGridViewItemLayoutPtr& selectionLayout() const { return m_selectionLayout; }

protected:
    // The looks anew, three separate default layouts.
    void makeItemLayouts();
    // An item from the grid's pool, or a new one, with the three looks.
    GVGridViewItem* reusableItem(GVGridView& grid);
    // Indexes as the delegates' log lines list them: "[1, 2]".
    static QString indexList(const QList<qint64>& indexes);

    QWidget* loadView() override;
    // Adds the browser's own controls; the grid, its scroll view and the
    // action strip exist by then. The grid follows its scroll view's width
    // and grows as tall as its rows.
    virtual void buildView(QWidget* view) { (void)view; }
    virtual QString title() const = 0;

    // The browsers' grid look: light ground, no horizontal scrolling, cells of
    // `itemSize` that darken when hovered and turn blue when selected.
    void setUpGridLooks(QSizeF itemSize);

    // The parts, for buildView (the accessors above would load the view).
    QScrollArea* m_scrollView = nullptr;
    QWidget* m_actionView = nullptr;
    GVGridView* m_gridView = nullptr;
    GVGridViewItemLayoutPtr m_defaultLayout;
    GVGridViewItemLayoutPtr m_hoverLayout;
    GVGridViewItemLayoutPtr m_selectionLayout;
};

} // namespace ql
