// The shape browser of the content pane: a pop-up of three modes over a
// thumbnail grid (the shape library, icon glyphs, symbol characters) and an
// insert button. Double clicking or inserting puts every selected thumbnail
// on the current page: shapes as vector elements, glyphs and symbols as
// pictures; a thumbnail dragged onto the page lands there.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"
#include "shapes/library/ZVShapeLibrary.h"

class QComboBox;
class QPushButton;

namespace ql {

class ZVShapeContentViewController : public ZVGridBrowserController,
                                     public GVGridViewDataSource,
                                     public GVGridViewDelegate {
    Q_OBJECT
public:
    enum ZVShapePickerMode { ZVShapePickerModeShapes = 0, ZVShapePickerModeGlyphs = 1, ZVShapePickerModeSymbols = 2 };

    explicit ZVShapeContentViewController(QObject* parent = nullptr);
    ~ZVShapeContentViewController() override;

    QComboBox* shapePicker();
    QPushButton* insertButton();

    const QStringList& glyphs() const { return m_glyphs; }
    const QStringList& symbols() const { return m_symbols; }
    // The library: dictionaries with "path" (a BezierPath) and "name".
    QList<ZVLibraryShape>& shapes() { return m_shapes; }

    bool insertEligible() const { return m_insertEligible; }
    void setInsertEligible(bool eligible);

    int shapePickerMode() const { return m_shapePickerMode; }
    // Each change reloads the grid and clears its selection.
    void setShapePickerMode(int mode);

    // Puts every selected thumbnail on the current page.
    void insertShape();
    // Puts the library's entry at `index` on the current page, as the
    // Insert menu's shape items do.
    void insertShapeWithIndex(int index);

    // Grid data source.
    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    // Grid delegate.
    void didClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDoubleClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didActivateContextMenuWithIndexes(GVGridView& grid, const QList<qint64>& indexes, int section) override;
    void didSelectItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDeselectItemAtIndex(GVGridView& grid, qint64 index, int section) override;

signals:
    void insertEligibleChanged(bool eligible);
    void shapePickerModeChanged(int mode);

protected:
    QString title() const override { return tr("Shapes"); }
    void buildView(QWidget* view) override;

private:
    void setup(QWidget* root);
    void insertLibraryShape(const BezierPath& path, const QString& name);

    QComboBox* m_shapePicker = nullptr;
    QPushButton* m_insertButton = nullptr;
    QStringList m_glyphs;
    QStringList m_symbols;
    QList<ZVLibraryShape> m_shapes;
    bool m_insertEligible = false;
    int m_shapePickerMode = ZVShapePickerModeShapes;
    bool m_setUp = false;
};

} // namespace ql
