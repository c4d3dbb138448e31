// Base of every renderer in a style: something that draws an object
// (fill, stroke, image fill, a group of renderers). A renderer can be
// switched off, clipped to the object's outline (code 2) or to everything
// outside it (code 1), and names the key paths an inspector may observe on
// it with the undo action names for them.
//
// Subclasses override render(), and usually isValid() and isFill(); they
// give a protected copy constructor for copy(), and archive their own keys
// after the base class's.
#pragma once

#include "platform/archive/Codable.h"
#include "platform/graphics/BezierPath.h"
#include "shapes/df/DFRenderable.h"

#include <QHash>
#include <QObject>
#include <QPainter>
#include <QStringList>
#include <memory>

class DFRasterizer : public QObject, public ql::Codable {
    Q_OBJECT
public:
    enum Clipping { NoClipping = 0, ClipOutsidePath = 1, ClipInsidePath = 2 };

    DFRasterizer();
    ~DFRasterizer() override;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    int clipping() const { return m_clipping; }
    // Codes other than 0-2 draw unclipped.
    void setClipping(int clipping) { m_clipping = clipping; }

    // The outline this renderer draws for the object (the object's own,
    // container transform included).
    virtual ql::BezierPath renderingPathForObject(const DFRenderable& object) const;

    // Draws the object. The base draws nothing; the style calls it only
    // while the renderer is enabled and valid.
    virtual void render(const DFRenderable& object, QPainter& painter) const;
    // Whether the renderer has something to draw.
    virtual bool isValid() const { return true; }
    // Whether the renderer paints an object's area rather than its outline.
    virtual bool isFill() const { return false; }

    // Key paths that observers and inspectors may watch on this class.
    virtual QStringList observableKeyPaths() const;
    // Undo action names by key path, with "#kind#" standing for kindName().
    virtual QHash<QString, QString> actionNames() const;
    QString actionNameForKeyPath(const QString& keyPath) const;
    // How the renderer is named in undo actions ("Fill", "Stroke", ...).
    virtual QString kindName() const { return QStringLiteral("Renderer"); }

    // An independent copy of the same class and settings.
    virtual std::unique_ptr<DFRasterizer> copy() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFRasterizer(const DFRasterizer& other);

    // Clips the painter as the clipping code says, to the given outline.
    void applyClipping(QPainter& painter, const DFRenderable& object) const;

private:
    bool m_enabled = true;
    int m_clipping = NoClipping;
};
