#include "design/UnitTransformers.h"

#include "design/ZVDesignHelper.h"
#include "util/ValueTransformer.h"

#include <QRegularExpression>
#include <cstdio>

namespace ql {

namespace {

// The content sits 40 points inside an element's frame on every side.
constexpr double frameMargin = 40.0;

QString withUnit(const ZVDesignHelper& helper, double value)
{
    return helper.numberFormatter().stringFromNumber(value) + QLatin1Char(' ') + helper.unitName();
}

QRectF rectOf(const QVariant& value)
{
    return value.canConvert<QRectF>() ? value.toRectF() : QRectF();
}

QSizeF sizeOf(const QVariant& value)
{
    return value.canConvert<QSizeF>() ? value.toSizeF() : QSizeF(0, 0);
}

// Records the frame shown and formats one of its fields, or nothing while
// no element is shown.
template <class Field>
ValueTransformer::Rule frameForward(ZVDesignHelper& helper, Field field)
{
    return [&helper, field](const QVariant& value) -> QVariant {
        helper.setLastRect(rectOf(value));
        const QRectF rect = helper.lastRect();
        if (rect.width() == 0)
            return QString();
        return withUnit(helper, field(rect) / helper.scalar());
    };
}

// The last frame with one side set to the typed content length; with the
// aspect ratio kept, the other side of the content follows by the same
// ratio, as a corner handle keeps it (the margins take no part in the
// proportion). Without a content side to scale from, the other side stays.
QRectF resizedFrame(const ZVDesignHelper& helper, double typed, Qt::Orientation side)
{
    const QRectF last = helper.lastRect();
    const double content = helper.scalar() * typed;
    const bool horizontal = side == Qt::Horizontal;
    const double before = (horizontal ? last.width() : last.height()) - 2 * frameMargin;
    double other = horizontal ? last.height() : last.width();
    if (helper.keepAspectRatio() && before > 0)
        other = (other - 2 * frameMargin) * content / before + 2 * frameMargin;
    const double edited = content + 2 * frameMargin;
    return horizontal ? QRectF(last.x(), last.y(), edited, other) : QRectF(last.x(), last.y(), other, edited);
}

QString degrees(const ZVDesignHelper& helper, const QVariant& value)
{
    const QVariant number = value.isValid() ? value : QVariant(0.0);
    return helper.numberFormatter().stringFromNumber(number) + QStringLiteral("°");
}

QVariant numberBack(const QVariant& value)
{
    return leadingNumber(value);
}

} // namespace

double leadingNumber(const QVariant& value)
{
    return typedNumber(value).value_or(0.0);
}

std::optional<double> typedNumber(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? std::optional<double>(number) : std::nullopt;
    }
    static const QRegularExpression leading(
        QStringLiteral("^\\s*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    const QRegularExpressionMatch match = leading.match(value.toString());
    return match.hasMatch() ? std::optional<double>(match.captured(1).toDouble()) : std::nullopt;
}

void registerUnitTransformers(ValueTransformerRegistry& registry, ZVDesignHelper& helper)
{
    ZVDesignHelper* h = &helper;
    const QString number = QStringLiteral("NSNumber");
    const QString value = QStringLiteral("NSValue");

    registry.registerValueTransformer(
        QStringLiteral("ZVUnitsTransformer"), number,
        [h](const QVariant& v) -> QVariant { return withUnit(*h, leadingNumber(v) / h->scalar()); },
        [h](const QVariant& v) -> QVariant {
            return h->numberFormatter().stringFromNumber(h->scalar() * leadingNumber(v));
        });

    registry.registerValueTransformer(
        QStringLiteral("ZVPercentageTransformer"), number,
        [](const QVariant& v) -> QVariant {
            // printf rounding on purpose: the exact tie 12.5 shows as 12.
            char text[64];
            std::snprintf(text, sizeof text, "%.f%%", leadingNumber(v) * 100.0);
            return QString::fromLatin1(text);
        },
        [](const QVariant& v) -> QVariant { return leadingNumber(v) / 100.0; });

    registry.registerValueTransformer(
        QStringLiteral("ZVFramePositionXUnitsTransformer"), value,
        frameForward(helper, [](const QRectF& r) { return r.x() + frameMargin; }),
        [h](const QVariant& v) -> QVariant {
            const QRectF last = h->lastRect();
            return QRectF(h->scalar() * leadingNumber(v) - frameMargin, last.y(), last.width(), last.height());
        });

    registry.registerValueTransformer(
        QStringLiteral("ZVFramePositionYUnitsTransformer"), value,
        frameForward(helper, [](const QRectF& r) { return r.y() + frameMargin; }),
        [h](const QVariant& v) -> QVariant {
            const QRectF last = h->lastRect();
            return QRectF(last.x(), h->scalar() * leadingNumber(v) - frameMargin, last.width(), last.height());
        });

    registry.registerValueTransformer(
        QStringLiteral("ZVFrameSizeWidthUnitsTransformer"), value,
        frameForward(helper, [](const QRectF& r) { return r.width() - 2 * frameMargin; }),
        [h](const QVariant& v) -> QVariant { return resizedFrame(*h, leadingNumber(v), Qt::Horizontal); });

    registry.registerValueTransformer(
        QStringLiteral("ZVFrameSizeHeightUnitsTransformer"), value,
        frameForward(helper, [](const QRectF& r) { return r.height() - 2 * frameMargin; }),
        [h](const QVariant& v) -> QVariant { return resizedFrame(*h, leadingNumber(v), Qt::Vertical); });

    registry.registerValueTransformer(
        QStringLiteral("ZVDegreesTransformer"), value,
        [h](const QVariant& v) -> QVariant {
            if (h->lastRect().width() == 0)
                return QString();
            return degrees(*h, v);
        },
        numberBack);

    registry.registerValueTransformer(
        QStringLiteral("ZVDegreesTransformer2"), value,
        [h](const QVariant& v) -> QVariant {
            if (!v.isValid() || v.isNull())
                return QStringLiteral("0°");
            return degrees(*h, v);
        },
        numberBack);

    registry.registerValueTransformer(
        QStringLiteral("ZVShadowOffsetTransformer"), value,
        [h](const QVariant& v) -> QVariant {
            h->setLastSize(sizeOf(v));
            return withUnit(*h, h->lastSize().height());
        },
        [](const QVariant& v) -> QVariant {
            const double n = leadingNumber(v);
            return QSizeF(n, n);
        });

    registry.registerValueTransformer(
        QStringLiteral("ZVPointsTransformer"), number,
        [h](const QVariant& v) -> QVariant {
            return h->numberFormatter().stringFromNumber(leadingNumber(v)) + QStringLiteral(" pt");
        },
        numberBack);

    registry.registerValueTransformer(
        QStringLiteral("ZVNumberTransformer"), number,
        [h](const QVariant& v) -> QVariant { return h->numberFormatter().stringFromNumber(leadingNumber(v)); },
        numberBack);
}

} // namespace ql
