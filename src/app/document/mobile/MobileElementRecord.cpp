#include "app/document/mobile/MobileElementRecord.h"

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QDebug>
#include <cmath>

namespace ql {

namespace {

// Numbers are stored as number objects; a missing one reads as 0 or NO, any
// other kind of value makes the record unreadable.
QVariant numberFor(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeNumber(key);
    return value.isValid() ? value : QVariant(0);
}

template <class T>
std::optional<T> optionalValue(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeObject(key);
    if (!value.isValid() || value.metaType() == QMetaType::fromType<std::nullptr_t>())
        return std::nullopt;
    if (value.metaType() != QMetaType::fromType<T>()) {
        coder.fail(Error {QStringLiteral("Archive"), 8,
                          QStringLiteral("The value for “%1” of an element has the wrong type.").arg(key)});
        return std::nullopt;
    }
    return value.value<T>();
}

} // namespace

QStringList MobileElementRecord::archiveClassChain() const
{
    return {archivedClassName, QStringLiteral("UIView"), QStringLiteral("UIResponder"), QStringLiteral("NSObject")};
}

void MobileElementRecord::encodeWithCoder(KeyedArchiver&) const
{
    qFatal("mobile-edition records are never written");
}

void MobileElementRecord::initWithCoder(KeyedUnarchiver& coder)
{
    originalImage = optionalValue<Image>(coder, QStringLiteral("originalImage"));
    attributedText = optionalValue<AttributedString>(coder, QStringLiteral("attributedText")).value_or(AttributedString());
    locked = numberFor(coder, QStringLiteral("locked")).toBool();
    dropShadow = numberFor(coder, QStringLiteral("dropShadow")).toBool();
    borderColor = optionalValue<Color>(coder, QStringLiteral("borderColor"));
    borderWidth = numberFor(coder, QStringLiteral("borderWidth")).toDouble();
    nonprinting = numberFor(coder, QStringLiteral("nonprinting")).toBool();
    contentType = qint32(numberFor(coder, QStringLiteral("contentType")).toLongLong());
    myBounds = coder.decodeRect(QStringLiteral("UIBounds"));
    myCenter = coder.decodePoint(QStringLiteral("UICenter"));
    if (!std::isfinite(borderWidth))
        borderWidth = 0;
    qDebug().noquote() << QStringLiteral("pos {{%1, %2}, {%3, %4}} {%5, %6}")
                              .arg(myBounds.x()).arg(myBounds.y()).arg(myBounds.width()).arg(myBounds.height())
                              .arg(myCenter.x()).arg(myCenter.y());
}

QRectF MobileElementRecord::contentRect() const
{
    const QSizeF size = myBounds.size();
    return QRectF(myCenter.x() - size.width() / 2, myCenter.y() - size.height() / 2, size.width(), size.height());
}

} // namespace ql
