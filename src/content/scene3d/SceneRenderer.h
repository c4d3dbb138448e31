// Draws a scene, seen from a point of view with an orthographic camera, into
// a picture: our stand-in for rendering through a GPU. Planar faces map
// affinely to the picture; caps are filled as exact outlines, walls and
// chamfer bands are sorted back to front, and the cap facing the camera is
// drawn last. Shading is the material's diffuse colour times the ambient
// light plus the omni lights' N·L, with white Blinn-Phong highlights on
// shiny materials. Edges are smoothed by supersampling, so neighbouring
// faces meet without seams. The same scene always gives the same bytes.
#pragma once

#include <QImage>
#include <QSizeF>

namespace ql::scene3d {

class Scene;
class SceneNode;

class SceneRenderer {
public:
    const Scene* scene() const { return m_scene; }
    void setScene(const Scene* scene) { m_scene = scene; }
    // A node with a camera; it need not be part of the scene.
    const SceneNode* pointOfView() const { return m_pointOfView; }
    void setPointOfView(const SceneNode* node) { m_pointOfView = node; }

    // A picture of the truncated width × height in pixels, premultiplied
    // RGBA with 8-bit or 32-bit float components, transparent where nothing
    // is, its first row the top of the view. Null without a scene or a
    // camera, for a side below one pixel or not finite, and when the picture
    // cannot be allocated. Nothing in these scenes moves, so `time` is not
    // used. A picture is remembered until its scene or point of view changes.
    QImage renderToImageSize(QSizeF size, bool floatComponents, double time) const;

    // The largest picture drawn, in pixels.
    static constexpr qint64 kMaxPixels = qint64(16384) * 16384;

private:
    QImage render(int width, int height, bool floatComponents) const;

    const Scene* m_scene = nullptr;
    const SceneNode* m_pointOfView = nullptr;
};

} // namespace ql::scene3d
