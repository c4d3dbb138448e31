// The layers panel: the current page's layers, top first, each with its
// thumbnail, name and visible and printable switches, the current one
// selected. A click makes a layer current, "+" adds one on top, a double
// click renames, dragging a row restacks. Adding and restacking undo with
// the page's layer list; names and switches record no undo. It reloads on
// every page switch and on each change of the page's layers, and redraws
// the thumbnails on "redrawLayerThumbs".
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class QIcon;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class ZVCanvasView;
class ZVPuttyViewGroup;

namespace ql {

class ZVLayoutLayerViewController : public ViewController {
    Q_OBJECT
public:
    // The table's columns.
    enum Column { ThumbnailColumn = 0, NameColumn, VisibleColumn, PrintableColumn };

    explicit ZVLayoutLayerViewController(QObject* parent = nullptr);

    ZVCanvasView* currentPage() const;
    // Stores the page (weakly), reloads the table and selects the page's
    // current layer.
    void setCurrentPage(ZVCanvasView* page);
    QTableWidget* tableView();
    QPushButton* addButton();
    void reload();
    // New thumbnails in the rows there are, now or at the end of the turn.
    void redrawThumbnails();
    void redrawThumbnailsSoon();

    // What the controls do, also for the menus and tests.
    // A layer named "New Layer" on top of the page's layers, current.
    void addLayoutLayer();
    // Row `from` of the table (top first) takes the place of row `to`.
    void moveLayer(int from, int to);
    // The layer of a table row; null outside the table.
    ZVPuttyViewGroup* layerAtRow(int row) const;

protected:
    QWidget* loadView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void observe(ZVCanvasView* page);
    QIcon layerThumbnail(const ZVPuttyViewGroup& layer) const;
    void selectCurrentLayer();
    void rowChosen();
    void itemEdited(QTableWidgetItem* item);
    // Names and switches change the document without an undo step.
    void changedWithoutUndo();

    QPointer<ZVCanvasView> m_page;
    QPointer<QTableWidget> m_table;
    QPointer<QPushButton> m_addButton;
    bool m_reloading = false;
    bool m_redrawPending = false;
};

} // namespace ql
