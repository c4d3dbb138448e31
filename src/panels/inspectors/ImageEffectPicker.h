// The twelve effects of a picture as a thumbnail grid, each showing the
// element's picture through that effect ("None" to "Pixel"). It is the
// binding adapter of the content's effect number: a click is an edit, the
// value is the item clicked, and showing a number selects its item.
#pragma once

#include "panels/controls/BindingAdapter.h"
#include "panels/grid/GVGridView.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <QList>

namespace ql {

class ImageEffectPicker : public BindingAdapter, public GVGridViewDataSource, public GVGridViewDelegate {
    Q_OBJECT
public:
    explicit ImageEffectPicker(QWidget* parent);

    GVGridView* grid() const { return m_grid; }
    static QStringList effectTitles();
    // The thumbnails made anew from the picture's pixels (none for a
    // picture without), from a copy no larger than they are.
    void setPicture(const Image& picture);
    const QList<QImage>& thumbnails() const { return m_thumbnails; }

    QVariant value() const override { return m_chosen; }
    void show(const QVariant& value) override;
    void setEnabled(bool enabled) override;

    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;

private:
    GVGridView* m_grid;
    QList<QImage> m_thumbnails;
    qint64 m_chosen = 0;
    GVGridViewItemLayoutPtr m_layout;
};

} // namespace ql
