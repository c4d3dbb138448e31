// The stroke of a vector shape element: the framework's arrow stroke with
// the element's text laid along the outline, and, when asked, the outline
// itself replaced by that text, so that an element can be pure text on a
// path.
#pragma once

#include "shapes/df/DFArrowStroke.h"

class ZVArrowStroke : public DFArrowStroke {
    Q_OBJECT
public:
    ZVArrowStroke();
    ~ZVArrowStroke() override;

    // The text along the outline; empty means none.
    const QString& pathText() const { return m_pathText; }
    void setPathText(const QString& text) { m_pathText = text; }
    // Whether the glyph outlines of the text are drawn instead of the
    // shape's own outline (and its arrowheads).
    bool hideShape() const { return m_hideShape; }
    void setHideShape(bool hide) { m_hideShape = hide; }

    // The path text with the stroke's text attributes; without text, one
    // space with the dimensioning-line attributes (which draws nothing).
    ql::AttributedString dimensionTextForObject(const DFRenderable& object) const override;
    // The framework's outline with heads, or with the shape hidden the
    // glyph outlines of the text laid along the outline at the placement's
    // offset.
    ql::BezierPath arrowPathFromOriginalPath(const ql::BezierPath& path, const DFRenderable& object) const override;

    std::unique_ptr<DFRasterizer> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    ZVArrowStroke(const ZVArrowStroke& other);

private:
    QString m_pathText;
    bool m_hideShape = false;
};
