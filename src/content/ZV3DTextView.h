// The 3D text content of an element: a string extruded into a solid, in a
// scene seen through an orthographic camera that carries two omni lights and
// an ambient one. Every property change records its undo, then rebuilds the
// text or sets the camera scale at once. With camera control on, drags turn
// the view's own point of view, which documents keep.
#pragma once

#include "content/Text3DPictures.h"
#include "content/ZVContentView.h"
#include "content/scene3d/CameraOrbit.h"
#include "content/scene3d/SceneNode.h"
#include "content/scene3d/TextGeometry.h"

#include <QFont>
#include <QImage>
#include <memory>
#include <optional>

namespace ql::fields {
template <class C>
class Record;
}

class ZV3DTextView : public ZVContentView {
    Q_OBJECT
public:
    explicit ZV3DTextView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    ~ZV3DTextView() override;
    // A view about to be read: its text is built once, by initWithCoder,
    // not first for the defaults as well.
    static ZV3DTextView* forReading();
    const ql::PropertyTable& properties() const override;

    static const QStringList& observedKeyPaths();
    void startObserving();
    bool isObserving() const { return m_isObserving; }
    QStringList observingKeyPaths() const { return m_observingKeyPaths; }

    QString string() const { return m_string; }
    void setString(const QString& text);
    // Numbers, kept with their kind (the new view's are integers).
    QVariant fontSize() const { return m_fontSize; }
    void setFontSize(const QVariant& size);
    QVariant extrusionDepth() const { return m_extrusionDepth; }
    void setExtrusionDepth(const QVariant& depth);
    QVariant chamferRadius() const { return m_chamferRadius; }
    void setChamferRadius(const QVariant& radius);
    QString fontFamily() const { return m_fontFamily; }
    void setFontFamily(const QString& family);
    // ql::Color values.
    QVariant frontColor() const { return m_frontColor; }
    void setFrontColor(const QVariant& color);
    QVariant sideColor() const { return m_sideColor; }
    void setSideColor(const QVariant& color);
    bool isShiny() const { return m_isShiny; }
    void setIsShiny(bool shiny);

    // Carried and stored; the view draws no gradient of its own.
    QVariant gradient() const { return m_gradient; }
    void setGradient(const QVariant& gradient);
    QVariant gradientAngle() const { return m_gradientAngle; }
    void setGradientAngle(const QVariant& angle);
    QVariant gradientType() const { return m_gradientType; }
    void setGradientType(const QVariant& type);
    bool effectsEnabled() const { return m_effectsEnabled; }
    void setEffectsEnabled(bool enabled);
    // Answered for inspectors that ask every content for them.
    QVariant currentEmphasis() const { return m_currentEmphasis; }
    void setCurrentEmphasis(const QVariant& emphasis);
    QVariant currentJustification() const { return m_currentJustification; }
    void setCurrentJustification(const QVariant& justification);

    // Whether drags turn the point of view; switching it marks the view
    // edited.
    bool allowsCameraControl() const { return m_allowsCameraControl; }
    void setAllowsCameraControl(bool allows);
    bool edited() const { return m_edited; }
    void setEdited(bool edited);
    bool loaded() const { return m_loaded; }
    // Edit mode puts the page into edit mode and hides the element's handles.
    void setEditMode(bool editMode) override;

    // The scene: the camera node (with the lights) and the text node under
    // its root.
    const ql::scene3d::Scene& scene() const
    {
        buildText();
        return *m_scene;
    }
    const ql::scene3d::SceneNode& cameraNode() const { return *m_cameraNode; }
    const ql::scene3d::SceneNode* textNode() const
    {
        buildText();
        return m_textNode;
    }
    const ql::scene3d::TextGeometry* text() const
    {
        buildText();
        return m_text.get();
    }
    // What the view is seen from: the camera node until the user turns the
    // view, then a node of the view's own.
    const ql::scene3d::SceneNode& pointOfView() const { return m_ownPointOfView ? *m_ownPointOfView : *m_cameraNode; }
    // Takes a node with a camera as the view's own point of view.
    void setPointOfView(std::unique_ptr<ql::scene3d::SceneNode> node);
    // The font the text is built in: the name as a PostScript name, then as
    // a family, else the system font; 36 points.
    QFont resolvedFont() const;
    static QFont resolveFont(const QString& name);

    // Rebuilds the text from the text properties; nothing without a family.
    // The glyphs are extruded when the scene is next asked for, so that
    // opening a document builds none that is never shown.
    void updateString();
    // Sets both cameras' scale from `fontSize`.
    void updateFontSize();

    // Camera control: a press, drags and the release, in the content's own
    // coordinates (points, origin top left). A drag that turned the view is
    // one undo step.
    void cameraMouseDown(QPointF location);
    void cameraMouseDragged(QPointF location);
    void cameraMouseUp(QPointF location);

    // The view's picture, rendered at a size in pixels; null for a size that
    // cannot be drawn.
    QImage renderImage(QSizeF pixels, bool floatComponents = false) const;
    // The same, rendered once for each size and kept until the drawing
    // changes (see Text3DPictures).
    QImage picture(QSize pixels) const;
    // The kept picture of that size, else null: nothing is rendered.
    QImage keptPicture(QSize pixels) const { return m_pictures.find(pixels); }
    // A kept picture of another size to stand in meanwhile, else null.
    QImage nearestKeptPicture(QSize pixels) const { return m_pictures.nearest(pixels); }
    // Scenes rendered by picture() so far, for tests and benchmarks.
    int pictureRenderCount() const { return m_pictureRenderCount; }

    // A view made from this one's archive: same settings, its own scene.
    std::unique_ptr<ZV3DTextView> copy() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults; the text
    // is built once at the end, and reading records no undo.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    struct Unbuilt {};
    explicit ZV3DTextView(Unbuilt);
    static const ql::fields::Record<ZV3DTextView>& archiveRecord();
    void initialize();
    void observedValueChanged(const QString& keyPath);
    // Builds the text that updateString() asked for, once.
    void buildText() const;
    // Whatever the picture shows changed: kept pictures go, the view redraws.
    void drawingChanged();
    // The point of view drags turn: made from the camera node the first time.
    ql::scene3d::SceneNode& ownPointOfView();

    QString m_string;
    QVariant m_fontSize;
    QVariant m_extrusionDepth;
    QVariant m_chamferRadius;
    QString m_fontFamily;
    QVariant m_frontColor;
    QVariant m_sideColor;
    bool m_isShiny = false;
    bool m_edited = false;
    bool m_loaded = false;
    bool m_allowsCameraControl = false;
    QVariant m_gradient;
    QVariant m_gradientAngle;
    QVariant m_gradientType;
    bool m_effectsEnabled = false;
    QVariant m_currentEmphasis;
    QVariant m_currentJustification;
    QStringList m_observingKeyPaths;
    bool m_isObserving = false;

    std::unique_ptr<ql::scene3d::Scene> m_scene;
    ql::scene3d::SceneNode* m_cameraNode = nullptr;
    mutable ql::scene3d::SceneNode* m_textNode = nullptr;
    mutable std::shared_ptr<ql::scene3d::TextGeometry> m_text;
    mutable bool m_textWanted = false;
    std::unique_ptr<ql::scene3d::SceneNode> m_ownPointOfView;
    std::optional<ql::scene3d::CameraOrbit> m_orbit;
    // The point of view as the drag under way found it.
    std::shared_ptr<const ql::scene3d::SceneNode> m_orbitStart;
    mutable ql::Text3DPictures m_pictures;
    mutable int m_pictureRenderCount = 0;
};
