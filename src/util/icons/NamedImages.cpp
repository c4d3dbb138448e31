#include "util/icons/NamedImages.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace ql {

namespace {

// Each picture is drawn on a 32-unit square in dark grey outlines.
void photo(QPainter& p)
{
    p.drawRoundedRect(QRectF(4, 7, 24, 18), 2, 2);
    QPainterPath hills;
    hills.moveTo(6, 23);
    hills.lineTo(13, 14);
    hills.lineTo(18, 19);
    hills.lineTo(21, 16);
    hills.lineTo(26, 23);
    p.drawPath(hills);
    p.drawEllipse(QPointF(21, 11.5), 2, 2);
}

void letterT(QPainter& p)
{
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("T"));
}

void layers(QPainter& p)
{
    for (int i = 0; i < 3; ++i) {
        const double y = 8 + i * 6;
        QPainterPath sheet;
        sheet.moveTo(16, y - 5);
        sheet.lineTo(28, y);
        sheet.lineTo(16, y + 5);
        sheet.lineTo(4, y);
        sheet.closeSubpath();
        p.drawPath(sheet);
    }
}

void pencil(QPainter& p)
{
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.drawRect(QRectF(-3, -13, 6, 20));
    QPainterPath tip;
    tip.moveTo(-3, 7);
    tip.lineTo(0, 13);
    tip.lineTo(3, 7);
    p.drawPath(tip);
    p.drawLine(QPointF(-3, -9), QPointF(3, -9));
    p.restore();
}

} // namespace

QImage imageNamed(const QString& name, QSize size)
{
    static const QHash<QString, std::function<void(QPainter&)>> pictures {
        {QStringLiteral("822-photo-2-toolbar"), photo},
        {QStringLiteral("t"), letterT},
        {QStringLiteral("1062-layers-2-toolbar"), layers},
        {QStringLiteral("830-pencil-toolbar"), pencil},
    };
    const auto draw = pictures.find(name);
    if (draw == pictures.end() || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(size.width() / 32.0, size.height() / 32.0);
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    (*draw)(painter);
    return image;
}

} // namespace ql
