// One element of a mobile-edition design, as its archive holds it. Only
// read: the import turns each record into an element of the desktop page.
#pragma once

#include "platform/archive/Codable.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <optional>

namespace ql {

class MobileElementRecord : public QObject, public Codable {
    Q_OBJECT
public:
    // The class name the mobile edition archives its elements under.
    static inline const QString archivedClassName = QStringLiteral("PuttyView");

    MobileElementRecord() = default;

    QStringList archiveClassChain() const override;
    // The desktop program never writes this format.
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

    std::optional<Image> originalImage;
    AttributedString attributedText;
    bool locked = false;
    bool dropShadow = false;
    std::optional<Color> borderColor;
    double borderWidth = 0;
    bool nonprinting = false;
    qint32 contentType = 0;
    QRectF myBounds;
    QPointF myCenter;

    // The content rectangle on the page: the bounds' size centred on the centre.
    QRectF contentRect() const;
};

} // namespace ql
