// Extruded text: the glyph outlines of a string laid out in one font (y up,
// one line per "\n"), given a depth centred on z = 0 and an optional 45°
// chamfer. The caps are kept as exact outlines (the inset outline when
// chamfered); the side walls and chamfer bands are planar quads made from
// the outlines flattened to a tolerance, each with shading normals at its two
// edges so that curved walls shade smoothly and sharp corners stay sharp.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QVector3D>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace ql::scene3d {

struct Material {
    QColor diffuse = Qt::white;
    // White highlights when set.
    std::optional<QColor> specular;
    bool operator==(const Material&) const = default;
};

// The material slots of extruded text, in the order a geometry lists them.
enum MaterialSlot { FrontSlot = 0, BackSlot = 1, SideSlot = 2, FrontChamferSlot = 3, BackChamferSlot = 4 };

// One planar quad of a wall or chamfer band. Corners 0 and 3 make its edge
// A, corners 1 and 2 its edge B; 0 and 1 lie towards the front.
struct Facet {
    std::array<QVector3D, 4> corners;
    QVector3D normal;
    QVector3D normalA;
    QVector3D normalB;
    MaterialSlot slot = SideSlot;
};

class TextGeometry {
public:
    struct Parameters {
        QString string;
        QFont font;
        double extrusionDepth = 1.0;
        double chamferRadius = 0.0;
        // Largest distance of a flattened wall from the curve it stands for.
        double flatness = 0.05;
    };

    explicit TextGeometry(const Parameters& parameters);

    // The glyph outlines (y up, non-zero winding).
    const QPainterPath& outline() const { return m_outline; }
    // The front and back faces: the outline together with its flattened
    // form, or the inset outline when chamfered.
    const QPainterPath& capPath() const { return m_cap; }
    double frontZ() const { return m_frontZ; }
    double backZ() const { return m_backZ; }
    // The chamfer actually applied: at most half the depth.
    double appliedChamfer() const { return m_chamfer; }
    const std::vector<Facet>& facets() const { return m_facets; }
    // The flattened outline contours, each closed implicitly.
    const std::vector<std::vector<QPointF>>& contours() const { return m_contours; }
    // The inset contours of a chamfered cap, one per outline contour.
    const std::vector<std::vector<QPointF>>& insetContours() const { return m_insetContours; }

    QVector3D boundingBoxMin() const { return m_min; }
    QVector3D boundingBoxMax() const { return m_max; }

    // Front, back, side, front chamfer, back chamfer.
    const std::vector<Material>& materials() const { return m_materials; }
    void setMaterials(std::vector<Material> materials) { m_materials = std::move(materials); }
    // The material of a slot; the last listed one when the list is shorter,
    // white when it is empty.
    Material material(MaterialSlot slot) const;

private:
    struct Contour;
    void layOut(const Parameters& parameters);
    void build(const std::vector<Contour>& contours);

    QPainterPath m_outline;
    QPainterPath m_cap;
    double m_frontZ = 0.0;
    double m_backZ = 0.0;
    double m_chamfer = 0.0;
    std::vector<Facet> m_facets;
    std::vector<std::vector<QPointF>> m_contours;
    std::vector<std::vector<QPointF>> m_insetContours;
    QVector3D m_min;
    QVector3D m_max;
    std::vector<Material> m_materials;
};

} // namespace ql::scene3d
