#include "content/ZV3DTextView.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/scene3d/SceneRenderer.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/Gradient.h"
#include "platform/undo/StateUndo.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <utility>

using ql::scene3d::Camera;
using ql::scene3d::Light;
using ql::scene3d::SceneNode;

namespace {

// Glyphs are built at this size whatever the apparent size; the camera's
// scale makes them look larger or smaller.
constexpr double kGlyphSize = 36.0;
// The apparent size is this less the camera's scale.
constexpr float kScaleBase = 200.0f;
constexpr double kFlatness = 0.05;

ql::Color blue()
{
    return ql::Color::calibratedRgb(0.0, 0.0, 1.0);
}

ql::Color darkGray()
{
    return ql::Color::calibratedWhite(1.0 / 3.0);
}

QColor qColorOf(const QVariant& color, const QColor& fallback)
{
    return color.canConvert<ql::Color>() && color.metaType() == QMetaType::fromType<ql::Color>()
               ? color.value<ql::Color>().toQColor()
               : fallback;
}

using PointOfViewState = std::shared_ptr<const SceneNode>;

PointOfViewState pointOfViewOf(ZV3DTextView& view)
{
    return view.pointOfView().cloneWithoutChildren();
}

// A point of view put back keeps the scale the present size gives.
void restorePointOfView(ZV3DTextView& view, const PointOfViewState& state)
{
    view.setPointOfView(state->cloneWithoutChildren());
    view.updateFontSize();
}

std::unique_ptr<SceneNode> lightNode(Light::Type type, const QVector3D& position)
{
    auto node = std::make_unique<SceneNode>();
    node->setLight(Light {type, Qt::white});
    node->setPosition(position);
    return node;
}

} // namespace

ZV3DTextView::ZV3DTextView(const QRectF& frame, QObject* parent) : ZVContentView(parent)
{
    m_frame = frame;
    initialize();
    startObserving();
    // The text is built once here, not by each default being observed.
    updateString();
    updateFontSize();
    layout();
}

ZV3DTextView::ZV3DTextView(Unbuilt) : ZVContentView(nullptr)
{
    initialize();
    startObserving();
}

ZV3DTextView* ZV3DTextView::forReading()
{
    return new ZV3DTextView(Unbuilt {});
}

ZV3DTextView::~ZV3DTextView() = default;

const ql::PropertyTable& ZV3DTextView::properties() const
{
    using V = ZV3DTextView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        contentTable<V>()
            .property("string", &V::string, &V::setString)
            .property("fontSize", &V::fontSize, &V::setFontSize, ValueKind::Number)
            .property("extrusionDepth", &V::extrusionDepth, &V::setExtrusionDepth, ValueKind::Number)
            .property("chamferRadius", &V::chamferRadius, &V::setChamferRadius, ValueKind::Number)
            .property("fontFamily", &V::fontFamily, &V::setFontFamily)
            .property("frontColor", &V::frontColor, &V::setFrontColor, ql::valueOf<ql::Color>())
            .property("sideColor", &V::sideColor, &V::setSideColor, ql::valueOf<ql::Color>())
            .property("isShiny", &V::isShiny, &V::setIsShiny)
            .property("gradient", &V::gradient, &V::setGradient, ql::valueOf<ql::Gradient>())
            .property("gradientAngle", &V::gradientAngle, &V::setGradientAngle, ValueKind::Number)
            .property("gradientType", &V::gradientType, &V::setGradientType, ValueKind::Number)
            .property("effectsEnabled", &V::effectsEnabled, &V::setEffectsEnabled)
            .property("currentEmphasis", &V::currentEmphasis, &V::setCurrentEmphasis, ql::valueOf<QVariantList>())
            .property("currentJustification", &V::currentJustification, &V::setCurrentJustification,
                      ValueKind::Number)
            .property("allowsCameraControl", &V::allowsCameraControl, &V::setAllowsCameraControl)
            .property("edited", &V::edited, &V::setEdited)
            .readOnly("loaded", &V::loaded)
            .readOnly("isObserving", &V::isObserving)
            .readOnly("observingKeyPaths", &V::observingKeyPaths)
            .build();
    return table;
}

void ZV3DTextView::initialize()
{
    m_edited = false;
    m_loaded = false;
    m_currentEmphasis = QVariant();
    m_currentJustification = QVariant();
    m_editMode = false;
    m_innerShadowEnabled = false;
    m_string = tr("Double click to rotate me.");
    m_fontFamily = QStringLiteral("Helvetica");
    m_extrusionDepth = 5;
    m_chamferRadius = 0;
    m_frontColor = QVariant::fromValue(blue());
    m_sideColor = QVariant::fromValue(darkGray());
    m_isShiny = false;

    m_scene = std::make_unique<ql::scene3d::Scene>();
    m_textNode = nullptr;
    m_text.reset();
    m_ownPointOfView.reset();

    auto camera = std::make_unique<SceneNode>();
    Camera lens;
    lens.zFar = 1e6;
    lens.usesOrthographicProjection = true;
    lens.orthographicScale = 80.0;
    camera->setCamera(lens);
    camera->setPosition(QVector3D(-199.297607f, -289.726532f, 829.849304f));
    camera->setRotation(QVector3D(0.823145f, -0.56778f, 0.006425f), 0.401102);
    // The lights move with the camera.
    camera->addChildNode(lightNode(Light::Type::Omni, QVector3D(0, 200, -50)));
    camera->addChildNode(lightNode(Light::Type::Omni, QVector3D(0, -200, -50)));
    camera->addChildNode(lightNode(Light::Type::Ambient, QVector3D(0, 0, 0)));
    m_cameraNode = m_scene->rootNode().addChildNode(std::move(camera));
    m_fontSize = 120;
}

const QStringList& ZV3DTextView::observedKeyPaths()
{
    static const QStringList paths = QStringLiteral(
        "border.cornerRadius border.lineWidth border.lineDashPattern border.strokeColor innerShadow.shadowColor "
        "innerShadowEnabled innerShadow.shadowOffset innerShadow.shadowOpacity innerShadow.shadowRadius gradient "
        "string fontSize fontFamily extrusionDepth chamferRadius frontColor sideColor isShiny").split(QLatin1Char(' '));
    return paths;
}

void ZV3DTextView::startObserving()
{
    if (m_isObserving)
        return;
    m_observingKeyPaths = observedKeyPaths();
    observeOwnKeyPaths(observedKeyPaths(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        auto& view = static_cast<ZV3DTextView&>(self);
        view.recordUndo(change);
        view.observedValueChanged(change.keyPath);
    });
    m_isObserving = true;
}

void ZV3DTextView::observedValueChanged(const QString& keyPath)
{
    static const QSet<QString> rebuilding {QStringLiteral("string"),        QStringLiteral("fontFamily"),
                                           QStringLiteral("extrusionDepth"), QStringLiteral("chamferRadius"),
                                           QStringLiteral("frontColor"),    QStringLiteral("sideColor"),
                                           QStringLiteral("isShiny")};
    if (keyPath == QLatin1String("gradient"))
        drawingChanged();
    else if (rebuilding.contains(keyPath))
        updateString();
    else if (keyPath == QLatin1String("fontSize"))
        updateFontSize();
    layout();
}

void ZV3DTextView::setString(const QString& text)
{
    changeValue(QStringLiteral("string"), m_string, text);
}

void ZV3DTextView::setFontSize(const QVariant& size)
{
    changeValue(QStringLiteral("fontSize"), m_fontSize, size);
}

void ZV3DTextView::setExtrusionDepth(const QVariant& depth)
{
    changeValue(QStringLiteral("extrusionDepth"), m_extrusionDepth, depth);
}

void ZV3DTextView::setChamferRadius(const QVariant& radius)
{
    changeValue(QStringLiteral("chamferRadius"), m_chamferRadius, radius);
}

void ZV3DTextView::setFontFamily(const QString& family)
{
    changeValue(QStringLiteral("fontFamily"), m_fontFamily, family);
}

void ZV3DTextView::setFrontColor(const QVariant& color)
{
    changeValue(QStringLiteral("frontColor"), m_frontColor, color);
}

void ZV3DTextView::setSideColor(const QVariant& color)
{
    changeValue(QStringLiteral("sideColor"), m_sideColor, color);
}

void ZV3DTextView::setIsShiny(bool shiny)
{
    changeValue(QStringLiteral("isShiny"), m_isShiny, shiny);
}

void ZV3DTextView::setGradient(const QVariant& gradient)
{
    changeValue(QStringLiteral("gradient"), m_gradient, gradient);
}

void ZV3DTextView::setGradientAngle(const QVariant& angle)
{
    changeValue(QStringLiteral("gradientAngle"), m_gradientAngle, angle);
}

void ZV3DTextView::setGradientType(const QVariant& type)
{
    changeValue(QStringLiteral("gradientType"), m_gradientType, type);
}

void ZV3DTextView::setEffectsEnabled(bool enabled)
{
    changeValue(QStringLiteral("effectsEnabled"), m_effectsEnabled, enabled);
}

void ZV3DTextView::setCurrentEmphasis(const QVariant& emphasis)
{
    changeValue(QStringLiteral("currentEmphasis"), m_currentEmphasis, emphasis);
}

void ZV3DTextView::setCurrentJustification(const QVariant& justification)
{
    changeValue(QStringLiteral("currentJustification"), m_currentJustification, justification);
}

void ZV3DTextView::setAllowsCameraControl(bool allows)
{
    changeValue(QStringLiteral("allowsCameraControl"), m_allowsCameraControl, allows);
    if (!allows)
        m_orbit.reset();
    setEdited(true);
}

void ZV3DTextView::setEdited(bool edited)
{
    changeValue(QStringLiteral("edited"), m_edited, edited);
}

void ZV3DTextView::setEditMode(bool editMode)
{
    ZVContentView::setEditMode(editMode);
    ZVPuttyView* element = puttyView();
    if (!element)
        return;
    if (ZVCanvasView* page = element->canvas())
        page->setValueForKey(u"editMode", editMode);
    if (editMode)
        element->hideHandles();
    else
        element->showHandles();
}

QFont ZV3DTextView::resolveFont(const QString& name)
{
    // Asking the font configuration is slow, and a page of 3D text asks for
    // the same few names again and again.
    thread_local QHash<QString, QFont> resolved;
    if (const auto found = resolved.constFind(name); found != resolved.constEnd())
        return *found;
    QFont font;
    if (!name.isEmpty() && !ql::FontResolver::familyOf(name).isEmpty()) {
        font = ql::FontResolver::resolve(name, kGlyphSize);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSizeF(kGlyphSize);
    }
    resolved.insert(name, font);
    return font;
}

QFont ZV3DTextView::resolvedFont() const
{
    return resolveFont(m_fontFamily);
}

void ZV3DTextView::updateString()
{
    if (m_fontFamily.isNull())
        return;
    m_textWanted = true;
    drawingChanged();
}

void ZV3DTextView::buildText() const
{
    if (!m_textWanted)
        return;
    m_textWanted = false;
    // Glyphs need the GUI's fonts; tools that only read and write documents
    // have none, and draw nothing either.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (m_textNode) {
        m_textNode->removeFromParentNode();
        m_textNode = nullptr;
    }
    ql::scene3d::TextGeometry::Parameters parameters;
    parameters.string = m_string;
    parameters.font = resolvedFont();
    parameters.extrusionDepth = m_extrusionDepth.toFloat();
    parameters.chamferRadius = m_chamferRadius.toFloat();
    parameters.flatness = kFlatness;
    m_text = std::make_shared<ql::scene3d::TextGeometry>(parameters);

    ql::scene3d::Material front {qColorOf(m_frontColor, Qt::blue), std::nullopt};
    ql::scene3d::Material side {qColorOf(m_sideColor, Qt::darkGray), std::nullopt};
    if (m_isShiny) {
        front.specular = QColor(Qt::white);
        side.specular = QColor(Qt::white);
    }
    m_text->setMaterials({front, front, side, side, side});

    auto node = std::make_unique<SceneNode>();
    const QVector3D m = m_text->boundingBoxMin(), M = m_text->boundingBoxMax();
    // Centred across, with its top at the origin.
    node->setPosition(QVector3D((m.x() - M.x()) * 0.5f, m.y() - M.y(), 0.0f));
    node->setGeometry(m_text);
    m_textNode = m_scene->rootNode().addChildNode(std::move(node));
}

void ZV3DTextView::updateFontSize()
{
    // A size of 200 or more would give no picture or a mirrored one; the
    // stored size stays as it is.
    const float scale = std::max(1.0f, kScaleBase - m_fontSize.toFloat());
    for (SceneNode* node : {m_cameraNode, m_ownPointOfView.get()}) {
        if (!node || !node->camera())
            continue;
        Camera camera = *node->camera();
        camera.orthographicScale = scale;
        node->setCamera(camera);
    }
    drawingChanged();
}

void ZV3DTextView::setPointOfView(std::unique_ptr<SceneNode> node)
{
    if (!node || !node->camera())
        return;
    m_orbit.reset();
    m_ownPointOfView = std::move(node);
    drawingChanged();
}

SceneNode& ZV3DTextView::ownPointOfView()
{
    // The scene's camera and its lights stay where they are.
    if (!m_ownPointOfView)
        m_ownPointOfView = m_cameraNode->cloneWithoutChildren();
    return *m_ownPointOfView;
}

void ZV3DTextView::cameraMouseDown(QPointF location)
{
    m_orbit.reset();
    m_orbitStart.reset();
    if (!m_allowsCameraControl)
        return;
    m_orbitStart = pointOfViewOf(*this);
    QVector3D pivot;
    buildText();
    if (m_textNode && m_text)
        pivot = m_textNode->worldTransform().map((m_text->boundingBoxMin() + m_text->boundingBoxMax()) / 2);
    m_orbit.emplace(ownPointOfView(), pivot, bounds().width(), location);
}

void ZV3DTextView::cameraMouseDragged(QPointF location)
{
    if (!m_orbit)
        return;
    m_orbit->dragTo(location);
    drawingChanged();
}

void ZV3DTextView::cameraMouseUp(QPointF location)
{
    cameraMouseDragged(location);
    m_orbit.reset();
    // The turned view is stored with the document: each drag that turned it
    // is a step of its own.
    const PointOfViewState before = std::exchange(m_orbitStart, nullptr);
    const SceneNode& now = pointOfView();
    if (before && (before->position() != now.position() || before->orientation() != now.orientation()))
        ql::registerStateRestore(undoManager(), *this, before,
                                 ql::StateRestore<ZV3DTextView, PointOfViewState> {pointOfViewOf, restorePointOfView});
}

void ZV3DTextView::drawingChanged()
{
    m_pictures.clear();
    setNeedsDisplay();
}

QImage ZV3DTextView::picture(QSize pixels) const
{
    if (QImage kept = m_pictures.find(pixels); !kept.isNull())
        return kept;
    QImage rendered = renderImage(QSizeF(pixels));
    ++m_pictureRenderCount;
    m_pictures.keep(rendered);
    return rendered;
}

QImage ZV3DTextView::renderImage(QSizeF pixels, bool floatComponents) const
{
    ql::scene3d::SceneRenderer renderer;
    renderer.setScene(&scene());
    renderer.setPointOfView(&pointOfView());
    return renderer.renderToImageSize(pixels, floatComponents, 0.0);
}
