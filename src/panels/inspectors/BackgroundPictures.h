// The pictures the background picker offers: textures that tile, and art
// for whole pages. They are drawn here, once per run.
#pragma once

#include <QImage>
#include <QList>
#include <QString>

namespace ql {

struct BackgroundPicture {
    QString name;
    QImage image;
};

const QList<BackgroundPicture>& backgroundTextures();
const QList<BackgroundPicture>& backgroundArt();

} // namespace ql
