// The layers panel: the current page's layers, top first, each with a
// thumbnail of its elements, the current one selected; it reloads on every
// page switch and redraws on "redrawLayerThumbs".
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class QListWidget;
class ZVCanvasView;

namespace ql {

class ZVLayoutLayerViewController : public ViewController {
    Q_OBJECT
public:
    explicit ZVLayoutLayerViewController(QObject* parent = nullptr);

    ZVCanvasView* currentPage() const;
    // Stores the page (weakly), reloads the table and selects the page's
    // current layer.
    void setCurrentPage(ZVCanvasView* page);
    QListWidget* tableView();
    void reload();
    // One reload at the end of the present turn, however often asked.
    void reloadSoon();

protected:
    QWidget* loadView() override;

private:
    QPointer<ZVCanvasView> m_page;
    QPointer<QListWidget> m_table;
    bool m_reloadPending = false;
};

} // namespace ql
