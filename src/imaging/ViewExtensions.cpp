#include "imaging/ViewExtensions.h"

#include "imaging/ImageBitmap.h"

#include <QAbstractButton>
#include <QGraphicsView>
#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace ql {

QSizeF scale(const QGraphicsView& view)
{
    const QTransform t = view.transform();
    return QSizeF(t.m11(), t.m22());
}

void resetScaling(QGraphicsView& view)
{
    view.resetTransform();
}

void setScale(QGraphicsView& view, QSizeF scale)
{
    resetScaling(view);
    view.scale(scale.width(), scale.height());
    view.viewport()->update();
}

QImage imageRepresentation(QWidget& widget, bool flipped)
{
    if (widget.width() <= 0 || widget.height() <= 0)
        return {};
    QImage picture(widget.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    // render() draws hidden widgets as well, without showing them.
    widget.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return flipped ? picture.mirrored(false, true) : picture;
}

Image reflectedImage(const QImage& picture, QSizeF size)
{
    const int w = int(std::roundf(float(size.width())));
    const int h = int(std::roundf(float(size.height())));
    if (picture.isNull() || w <= 0 || h <= 0)
        return {};
    const QImage mirror = picture.mirrored(false, true).scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage bitmap(w, h, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    QLinearGradient fade(0, 0, 0, h);
    fade.setColorAt(0, QColor(255, 255, 255, 255));
    fade.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(bitmap.rect(), fade);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.drawImage(0, 0, mirror);
    painter.end();
    return imageFromBitmap(bitmap, QSizeF(w, h));
}

Image reflectedImageRepresentationinSize(QWidget& widget, QSizeF size)
{
    return reflectedImage(imageRepresentation(widget), size);
}

void setColorTitle(QAbstractButton& button, const QString& title)
{
    button.setText(title);
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::white);
    button.setPalette(palette);
    // A button's own style sheet (its colour, say) stays; only a title colour
    // or alignment it names gives way, by ours coming after it.
    QString sheet = button.styleSheet();
    const QString white = QStringLiteral("color: white; text-align: center;");
    if (sheet.trimmed().isEmpty() || sheet.endsWith(white) || sheet.endsWith(white + QLatin1String(" }")))
        return;
    if (sheet.contains(QLatin1Char('{')))
        sheet += QStringLiteral("\nQAbstractButton { ") + white + QStringLiteral(" }");
    else
        sheet += (sheet.trimmed().endsWith(QLatin1Char(';')) ? QStringLiteral(" ") : QStringLiteral("; ")) + white;
    button.setStyleSheet(sheet);
}

} // namespace ql
