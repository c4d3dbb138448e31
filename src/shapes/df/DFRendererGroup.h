// An ordered list of renderers drawn one after another, itself a renderer,
// so that groups nest. The group owns its renderers (they are its QObject
// children) and draws those that are enabled and valid, in the order added.
#pragma once

#include "shapes/df/DFRasterizer.h"

#include <QList>

class DFRendererGroup : public DFRasterizer {
    Q_OBJECT
public:
    DFRendererGroup();
    ~DFRendererGroup() override;

    const QList<DFRasterizer*>& renderers() const { return m_renderers; }
    // Appends; returns the renderer, now the group's.
    DFRasterizer* addRenderer(std::unique_ptr<DFRasterizer> renderer);
    DFRasterizer* insertRenderer(std::unique_ptr<DFRasterizer> renderer, qsizetype index);
    // Takes a renderer out of the group and hands it back; null when it is
    // not one of the group's own.
    std::unique_ptr<DFRasterizer> removeRenderer(DFRasterizer* renderer);
    // Removes (and deletes) every renderer of the class or a subclass of it,
    // also from nested groups when asked; returns how many went.
    int removeRenderersOfClass(const QMetaObject& metaObject, bool inSubgroups);
    template <class T>
    int removeRenderersOfClass(bool inSubgroups) { return removeRenderersOfClass(T::staticMetaObject, inSubgroups); }

    // The first renderer of a class, searching nested groups depth first.
    template <class T>
    T* firstRendererOfClass() const
    {
        for (DFRasterizer* renderer : m_renderers) {
            if (T* match = qobject_cast<T*>(renderer))
                return match;
            if (auto* group = qobject_cast<DFRendererGroup*>(renderer))
                if (T* nested = group->firstRendererOfClass<T>())
                    return nested;
        }
        return nullptr;
    }

    void render(const DFRenderable& object, QPainter& painter) const override;
    bool isValid() const override;
    bool isFill() const override;
    QString kindName() const override { return QStringLiteral("Group"); }
    std::unique_ptr<DFRasterizer> copy() const override;

    // More renderers than this in one record are dropped when reading.
    static constexpr int maximumRenderers = 1024;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFRendererGroup(const DFRendererGroup& other);
    // Draws each enabled, valid renderer in order (no clipping of its own).
    void renderEach(const DFRenderable& object, QPainter& painter) const;

private:
    QList<DFRasterizer*> m_renderers;
};
