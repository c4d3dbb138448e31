// One picture of the background picker's collections (textures, art): its
// name, a thumbnail and the picture itself.
#pragma once

#include "platform/graphics/Image.h"

#include <QStandardItem>

namespace ql {

class ZVBackgroundImageCollectionViewItem : public QStandardItem {
public:
    static constexpr int kImageRole = Qt::UserRole + 1;

    ZVBackgroundImageCollectionViewItem(const QString& name, const Image& image, QSize thumbnailSize);

    Image image() const { return data(kImageRole).value<Image>(); }
    // Items are made ready when they are made; nothing further to set up.
    void setup() {}

    int type() const override { return QStandardItem::UserType + 35; }
};

} // namespace ql
