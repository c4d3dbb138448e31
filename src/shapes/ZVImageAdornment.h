// Fills a drawable with a picture: the picture sits in the object's own
// frame (its location, its angle plus an angle of its own, the container's
// transform), scaled by one of three fitting rules, moved by an origin,
// clipped to the outline (or to the bounds without clipping) and drawn with
// a compositing operation and an opacity. The shape element uses it for
// fill pictures that are not tiled.
#pragma once

#include "platform/graphics/Image.h"
#include "shapes/df/DFRasterizer.h"

#include <QTransform>

class DFDrawing;

class ZVImageAdornment : public DFRasterizer {
    Q_OBJECT
public:
    // Fitting options: stretch to the object, fit it keeping the picture's
    // proportions, or use the scale (any other value).
    enum Fitting { Stretch = 0, Proportional = 1, UseScale = 2 };
    // Compositing operations in the platform's numbering (the ones used).
    enum Operation : quint64 { Clear = 0, Copy = 1, SourceOver = 2 };

    ZVImageAdornment();
    ~ZVImageAdornment() override;

    static std::unique_ptr<ZVImageAdornment> imageAdornmentWithImage(const ql::Image& image);
    // A file that cannot be read gives an adornment without a picture.
    static std::unique_ptr<ZVImageAdornment> imageAdornmentWithImageFromFile(const QString& path);

    const ql::Image& image() const { return m_image; }
    void setImage(const ql::Image& image) { m_image = image; }
    // Pictures are not looked up by key: this does nothing.
    void setImageWithKey(const QString& key, DFDrawing* drawing);
    // Stored and written; nothing reads it.
    const QString& imageKey() const { return m_imageKey; }
    void setImageKey(const QString& key) { m_imageKey = key; }
    // Key of a picture in the object's metadata, drawn when there is no
    // picture of its own.
    const QString& imageIdentifier() const { return m_imageIdentifier; }
    void setImageIdentifier(const QString& identifier) { m_imageIdentifier = identifier; }
    double scale() const { return m_scale; }
    // Held within 0.001 … 8.
    void setScale(double scale);
    double opacity() const { return m_opacity; }
    // Held within 0 … 1.
    void setOpacity(double opacity);
    // The picture's centre in the object's scaled and turned frame. It is
    // both translated by and centred on, so it moves the picture twice its
    // own length: stored offsets rely on that.
    QPointF origin() const { return m_origin; }
    void setOrigin(QPointF origin) { m_origin = origin; }
    // Radians, added to the object's own angle.
    double angle() const { return m_angle; }
    void setAngle(double radians);
    void setAngleInDegrees(double degrees);
    // 0 … 360 for angles between −2π and 2π.
    double angleInDegrees() const;
    quint64 operation() const { return m_operation; }
    void setOperation(quint64 operation) { m_operation = operation; }
    qint32 fittingOption() const { return m_fitting; }
    void setFittingOption(qint32 fitting) { m_fitting = fitting; }

    // Picture space to drawing space for the object: a point p lands at
    // C(L + R·S·(p + origin)) with the object's location L, the turn R by
    // both angles, the fitting scale S (left out unless both factors are
    // non-zero) and the container transform C.
    QTransform imageTransformForObject(const DFRenderable& object) const;

    void render(const DFRenderable& object, QPainter& painter) const override;
    bool isValid() const override { return !m_image.isNull(); }
    bool isFill() const override { return true; }
    QStringList observableKeyPaths() const override;
    QHash<QString, QString> actionNames() const override;
    QString kindName() const override { return QStringLiteral("Adornment"); }
    // Picture (shared), identifier, scale, opacity, angle, fitting and
    // operation; not the origin, which the owner sets on each rebuild.
    std::unique_ptr<DFRasterizer> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Missing or damaged keys keep the defaults of a new adornment; the
    // origin stays (0, 0).
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    ZVImageAdornment(const ZVImageAdornment& other);

private:
    QTransform transformFor(const DFRenderable& object, QSizeF pictureSize) const;
    ql::Image pictureFor(const DFRenderable& object) const;

    ql::Image m_image;
    QString m_imageKey;
    QString m_imageIdentifier = QStringLiteral("");
    double m_scale = 1.0;
    double m_opacity = 1.0;
    QPointF m_origin;
    double m_angle = 0.0;
    quint64 m_operation = SourceOver;
    qint32 m_fitting = UseScale;
};
