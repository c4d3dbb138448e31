#include "platform/archive/ArchiveError.h"

#include <QHash>

namespace ql {

QString valueKindInWords(QMetaType type)
{
    static const QHash<QByteArray, QString> words {
        {"ql::AttributedString", QStringLiteral("styled text")},
        {"ql::Color", QStringLiteral("a colour")},
        {"ql::Image", QStringLiteral("a picture")},
        {"ql::Gradient", QStringLiteral("a gradient")},
        {"ql::Font", QStringLiteral("a font")},
        {"ql::ParagraphStyle", QStringLiteral("a paragraph style")},
        {"ql::BezierPath", QStringLiteral("a path")},
        {"ql::RulerMarker", QStringLiteral("a ruler guide")},
        {"ql::ArchivedSet", QStringLiteral("a set")},
        {"QVariantList", QStringLiteral("a list")},
        {"QVariantMap", QStringLiteral("a dictionary")},
        {"QString", QStringLiteral("text")},
        {"QByteArray", QStringLiteral("data")},
        {"QDateTime", QStringLiteral("a date")},
        {"QUrl", QStringLiteral("a link")},
        {"QPointF", QStringLiteral("a point")},
        {"QSizeF", QStringLiteral("a size")},
        {"QRectF", QStringLiteral("a rectangle")},
        {"bool", QStringLiteral("a yes-or-no value")},
    };
    return words.value(QByteArray(type.name()), QStringLiteral("of the expected kind"));
}

} // namespace ql
