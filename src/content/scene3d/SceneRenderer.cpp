#include "content/scene3d/SceneRenderer.h"

#include "content/scene3d/SceneNode.h"
#include "content/scene3d/TextGeometry.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <QtDebug>
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <mutex>

namespace ql::scene3d {

namespace {

// Highlights of shiny materials: the Blinn-Phong exponent.
constexpr double kShininess = 24.0;
// Supersampled pixels drawn at a time, so that big pictures stay in memory.
constexpr qint64 kBandSamples = qint64(8) << 20;

struct PointLight {
    QVector3D position;
    QVector3D color;
};

struct Lighting {
    QVector3D ambient;
    std::vector<PointLight> omni;
    // Towards the viewer (the camera looks along the opposite way).
    QVector3D toViewer;
};

QVector3D rgb(const QColor& color)
{
    return QVector3D(float(color.redF()), float(color.greenF()), float(color.blueF()));
}

QColor shade(const Material& material, const QVector3D& position, const QVector3D& normal, const Lighting& lighting)
{
    QVector3D light = lighting.ambient;
    QVector3D highlight;
    for (const PointLight& omni : lighting.omni) {
        const QVector3D toLight = (omni.position - position).normalized();
        light += omni.color * std::max(0.0f, QVector3D::dotProduct(normal, toLight));
        if (material.specular) {
            const QVector3D halfway = (toLight + lighting.toViewer).normalized();
            const double facing = std::max(0.0f, QVector3D::dotProduct(normal, halfway));
            highlight += omni.color * float(std::pow(facing, kShininess));
        }
    }
    QVector3D color = rgb(material.diffuse) * light;
    if (material.specular)
        color += rgb(*material.specular) * highlight;
    auto clamp = [](float v) { return std::clamp(double(v), 0.0, 1.0); };
    return QColor::fromRgbF(float(clamp(color.x())), float(clamp(color.y())), float(clamp(color.z())),
                            float(material.diffuse.alphaF()));
}

void collectLights(const SceneNode& node, Lighting& lighting)
{
    if (const auto& light = node.light()) {
        if (light->type == Light::Type::Ambient)
            lighting.ambient += rgb(light->color);
        else
            lighting.omni.push_back({node.worldTransform().map(QVector3D()), rgb(light->color)});
    }
    for (const auto& child : node.children())
        collectLights(*child, lighting);
}

void collectGeometry(const SceneNode& node, std::vector<const SceneNode*>& nodes)
{
    if (node.geometry())
        nodes.push_back(&node);
    for (const auto& child : node.children())
        collectGeometry(*child, nodes);
}

// What one face becomes in the picture.
struct Paint {
    double depth = 0.0;
    QPolygonF polygon;
    QColor colorA;
    QColor colorB;
    QPointF gradientStart;
    QPointF gradientStop;
    bool solid = true;
    // Caps: an outline through a mapping instead of a polygon.
    const QPainterPath* path = nullptr;
    QTransform mapping;
};

// The mapping from camera space to supersampled pixels.
struct Projection {
    double scale;
    double aspect;
    double width;
    double height;
    QPointF map(const QVector3D& camera) const
    {
        return QPointF((camera.x() / (scale * aspect) + 1.0) * width / 2.0, (1.0 - camera.y() / scale) * height / 2.0);
    }
};

void addFacets(const SceneNode& node, const QMatrix4x4& view, const Projection& projection, const Camera& camera,
               const Lighting& lighting, std::vector<Paint>& facets, std::vector<Paint>& caps)
{
    const TextGeometry& geometry = *node.geometry();
    const QMatrix4x4 model = node.worldTransform();
    const QMatrix4x4 modelView = view * model;
    const QMatrix3x3 worldNormals = model.normalMatrix();
    const QMatrix3x3 cameraNormals = modelView.normalMatrix();
    auto turn = [](const QMatrix3x3& m, const QVector3D& v) {
        return QVector3D(m(0, 0) * v.x() + m(0, 1) * v.y() + m(0, 2) * v.z(),
                         m(1, 0) * v.x() + m(1, 1) * v.y() + m(1, 2) * v.z(),
                         m(2, 0) * v.x() + m(2, 1) * v.y() + m(2, 2) * v.z())
            .normalized();
    };
    auto inDepthRange = [&](double nearest, double farthest) {
        return nearest <= -camera.zNear && farthest >= -camera.zFar;
    };

    for (const Facet& facet : geometry.facets()) {
        if (turn(cameraNormals, facet.normal).z() <= 1e-6f)
            continue;
        Paint paint;
        double nearest = -1e300, farthest = 1e300, depth = 0.0;
        for (const QVector3D& corner : facet.corners) {
            const QVector3D c = modelView.map(corner);
            nearest = std::max(nearest, double(c.z()));
            farthest = std::min(farthest, double(c.z()));
            depth += c.z();
            paint.polygon << projection.map(c);
        }
        if (!inDepthRange(nearest, farthest))
            continue;
        paint.depth = depth / 4.0;
        const Material material = geometry.material(facet.slot);
        const QVector3D edgeA = (facet.corners[0] + facet.corners[3]) / 2;
        const QVector3D edgeB = (facet.corners[1] + facet.corners[2]) / 2;
        paint.colorA = shade(material, model.map(edgeA), turn(worldNormals, facet.normalA), lighting);
        paint.colorB = shade(material, model.map(edgeB), turn(worldNormals, facet.normalB), lighting);
        if (paint.colorA != paint.colorB) {
            // Colour changes across the quad, from edge A to edge B, and
            // stays the same along them.
            const QPointF a0 = paint.polygon[0], a1 = paint.polygon[3], b0 = paint.polygon[1];
            const QPointF along = a1 - a0;
            QPointF across = b0 - a0;
            const double alongSquared = QPointF::dotProduct(along, along);
            if (alongSquared > 1e-12)
                across -= along * (QPointF::dotProduct(across, along) / alongSquared);
            if (QPointF::dotProduct(across, across) > 1e-6) {
                paint.solid = false;
                paint.gradientStart = a0;
                paint.gradientStop = a0 + across;
            }
        }
        facets.push_back(std::move(paint));
    }

    const QPainterPath& cap = geometry.capPath();
    if (cap.isEmpty())
        return;
    const QRectF box = cap.boundingRect();
    for (const bool isFront : {true, false}) {
        const QVector3D normal(0, 0, isFront ? 1.0f : -1.0f);
        if (turn(cameraNormals, normal).z() <= 1e-6f)
            continue;
        const double z = isFront ? geometry.frontZ() : geometry.backZ();
        const QVector3D origin = modelView.map(QVector3D(0, 0, float(z)));
        const QPointF o = projection.map(origin);
        const QPointF x = projection.map(modelView.map(QVector3D(1, 0, float(z))));
        const QPointF y = projection.map(modelView.map(QVector3D(0, 1, float(z))));
        double nearest = -1e300, farthest = 1e300;
        for (const QPointF& corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
            const double cz = modelView.map(QVector3D(float(corner.x()), float(corner.y()), float(z))).z();
            nearest = std::max(nearest, cz);
            farthest = std::min(farthest, cz);
        }
        if (!inDepthRange(nearest, farthest))
            continue;
        Paint paint;
        paint.path = &cap;
        paint.mapping = QTransform(x.x() - o.x(), x.y() - o.y(), y.x() - o.x(), y.y() - o.y(), o.x(), o.y());
        const QPointF middle = box.center();
        const Material material = geometry.material(isFront ? FrontSlot : BackSlot);
        paint.colorA = shade(material, model.map(QVector3D(float(middle.x()), float(middle.y()), float(z))),
                             turn(worldNormals, normal), lighting);
        caps.push_back(std::move(paint));
    }
}

void draw(QPainter& painter, const Paint& paint, const QTransform& band)
{
    if (paint.path) {
        painter.setTransform(paint.mapping * band);
        painter.fillPath(*paint.path, paint.colorA);
        return;
    }
    painter.setTransform(band);
    if (paint.solid) {
        painter.setBrush(paint.colorA);
    } else {
        QLinearGradient gradient(paint.gradientStart, paint.gradientStop);
        gradient.setColorAt(0.0, paint.colorA);
        gradient.setColorAt(1.0, paint.colorB);
        painter.setBrush(gradient);
    }
    painter.drawPolygon(paint.polygon);
}

// Averages each square of samples into one pixel of the picture.
void reduce(const QImage& samples, int factor, QImage& picture, int firstRow, int rows, bool floatComponents)
{
    const int width = picture.width();
    const int count = factor * factor;
    for (int y = 0; y < rows; ++y) {
        uchar* bytes = floatComponents ? nullptr : picture.scanLine(firstRow + y);
        float* floats = floatComponents ? reinterpret_cast<float*>(picture.scanLine(firstRow + y)) : nullptr;
        for (int x = 0; x < width; ++x) {
            quint32 sum[4] = {0, 0, 0, 0};
            for (int sy = 0; sy < factor; ++sy) {
                const auto* line = reinterpret_cast<const QRgb*>(samples.constScanLine(y * factor + sy)) + x * factor;
                for (int sx = 0; sx < factor; ++sx) {
                    const QRgb sample = line[sx];
                    sum[0] += qRed(sample);
                    sum[1] += qGreen(sample);
                    sum[2] += qBlue(sample);
                    sum[3] += qAlpha(sample);
                }
            }
            for (int c = 0; c < 4; ++c) {
                if (floatComponents)
                    floats[x * 4 + c] = float(sum[c]) / float(count * 255);
                else
                    bytes[x * 4 + c] = uchar((sum[c] + quint32(count / 2)) / quint32(count));
            }
        }
    }
}

struct CacheKey {
    quint64 scene;
    quint64 revision;
    const SceneNode* pointOfView;
    quint64 pointOfViewRevision;
    QMatrix4x4 pointOfViewTransform;
    Camera camera;
    int width;
    int height;
    bool floatComponents;
    bool operator==(const CacheKey& other) const
    {
        return scene == other.scene && revision == other.revision && pointOfView == other.pointOfView &&
               pointOfViewRevision == other.pointOfViewRevision &&
               pointOfViewTransform == other.pointOfViewTransform && camera == other.camera &&
               width == other.width && height == other.height && floatComponents == other.floatComponents;
    }
};

// The last few pictures (the canvas and the output ask for different sizes
// of the same scene in turn).
class PictureCache {
public:
    QImage find(const CacheKey& key)
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [k, picture] : m_entries) {
            if (k == key)
                return picture;
        }
        return QImage();
    }
    void insert(const CacheKey& key, const QImage& picture)
    {
        std::lock_guard lock(m_mutex);
        m_entries.emplace_front(key, picture);
        while (m_entries.size() > 3)
            m_entries.pop_back();
    }

private:
    std::mutex m_mutex;
    std::deque<std::pair<CacheKey, QImage>> m_entries;
};

PictureCache& cache()
{
    static PictureCache pictures;
    return pictures;
}

} // namespace

QImage SceneRenderer::renderToImageSize(QSizeF size, bool floatComponents, double) const
{
    if (!m_scene || !m_pointOfView || !m_pointOfView->camera())
        return QImage();
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < 1.0 || size.height() < 1.0 ||
        size.width() > double(kMaxPixels) || size.height() > double(kMaxPixels))
        return QImage();
    const int width = int(size.width());
    const int height = int(size.height());
    if (qint64(width) * height > kMaxPixels)
        return QImage();
    const CacheKey key {m_scene->identity(),
                        m_scene->revision(),
                        m_pointOfView,
                        m_pointOfView->revision(),
                        m_pointOfView->worldTransform(),
                        *m_pointOfView->camera(),
                        width,
                        height,
                        floatComponents};
    if (QImage remembered = cache().find(key); !remembered.isNull())
        return remembered;
    QImage picture = render(width, height, floatComponents);
    if (!picture.isNull())
        cache().insert(key, picture);
    return picture;
}

QImage SceneRenderer::render(int width, int height, bool floatComponents) const
{
    QImage picture(width, height,
                   floatComponents ? QImage::Format_RGBA32FPx4_Premultiplied : QImage::Format_RGBA8888_Premultiplied);
    if (picture.isNull())
        return QImage();
    picture.fill(Qt::transparent);

    const Camera& camera = *m_pointOfView->camera();
    if (!(camera.orthographicScale > 0.0) || !std::isfinite(camera.orthographicScale))
        return picture;
    // Small pictures get finer edges for the same cost.
    const int factor = qint64(width) * height <= 262144 ? 3 : 2;
    const Projection projection {camera.orthographicScale, double(width) / double(height), double(width) * factor,
                                 double(height) * factor};
    const QMatrix4x4 pointOfView = m_pointOfView->worldTransform();
    const QMatrix4x4 view = pointOfView.inverted();

    Lighting lighting;
    collectLights(m_scene->rootNode(), lighting);
    lighting.toViewer = QVector3D(pointOfView.map(QVector4D(0, 0, 1, 0))).normalized();

    std::vector<const SceneNode*> nodes;
    collectGeometry(m_scene->rootNode(), nodes);
    std::vector<Paint> facets;
    std::vector<Paint> caps;
    for (const SceneNode* node : nodes)
        addFacets(*node, view, projection, camera, lighting, facets, caps);
    if (facets.empty() && caps.empty())
        return picture;
    // Farthest first: the camera looks along −z.
    std::stable_sort(facets.begin(), facets.end(), [](const Paint& a, const Paint& b) { return a.depth < b.depth; });

    const int bandRows = int(std::clamp<qint64>(kBandSamples / (qint64(width) * factor * factor), 1, height));
    QImage samples(width * factor, bandRows * factor, QImage::Format_ARGB32_Premultiplied);
    if (samples.isNull())
        return QImage();
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        samples.fill(Qt::transparent);
        {
            QPainter painter(&samples);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(Qt::NoPen);
            const QTransform band = QTransform::fromTranslate(0, -double(top) * factor);
            for (const Paint& paint : facets)
                draw(painter, paint, band);
            for (const Paint& paint : caps)
                draw(painter, paint, band);
        }
        reduce(samples, factor, picture, top, rows, floatComponents);
    }
    return picture;
}

} // namespace ql::scene3d
