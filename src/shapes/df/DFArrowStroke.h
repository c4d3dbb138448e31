// A stroke with arrowheads at the ends of the outline and text along it.
//
// Arrowhead kinds: 0 none, 1 open (two lines meeting at the end), 2 filled
// triangle, 3 dot (a filled circle of the head's width centred on the end),
// 4 bar (a line across the end); the tips of kinds 1 and 2 are the ends of
// the outline. The head's length runs along the outline, its width across.
//
// Text placement (dimensioning-line options): 0 and 1 above the outline
// (to the left of the direction of travel), 2 centred on it, 3 below it.
//
// Subclasses shape what is drawn through two hooks: the text shown along
// the outline, and the path drawn in place of the object's outline.
#pragma once

#include "platform/graphics/AttributedString.h"
#include "shapes/df/DFStroke.h"

class DFArrowStroke : public DFStroke {
    Q_OBJECT
public:
    enum ArrowHead { NoHead = 0, OpenHead = 1, FilledHead = 2, DotHead = 3, BarHead = 4 };
    enum TextPlacement { TextAbove = 1, TextCentred = 2, TextBelow = 3 };

    DFArrowStroke();
    ~DFArrowStroke() override;

    int arrowHeadAtStart() const { return m_headAtStart; }
    // Kinds outside 0-4 draw no head.
    void setArrowHeadAtStart(int kind) { m_headAtStart = kind; }
    int arrowHeadAtEnd() const { return m_headAtEnd; }
    void setArrowHeadAtEnd(int kind) { m_headAtEnd = kind; }
    double arrowHeadLength() const { return m_headLength; }
    void setArrowHeadLength(double length);
    double arrowHeadWidth() const { return m_headWidth; }
    void setArrowHeadWidth(double width);

    const ql::TextAttributes& textAttributes() const { return m_textAttributes; }
    void setTextAttributes(const ql::TextAttributes& attributes) { m_textAttributes = attributes; }
    // 12-point Helvetica, black, centred.
    static ql::TextAttributes dimensioningLineTextAttributes();
    // The text attributes' font, else the dimensioning-line one.
    ql::Font font() const;
    int dimensioningLineOptions() const { return m_options; }
    void setDimensioningLineOptions(int options);

    // Hook: the text shown along the object's outline; none in the base.
    virtual ql::AttributedString dimensionTextForObject(const DFRenderable& object) const;
    // Hook: the path drawn in place of the object's outline. The base gives
    // the outline, shortened under filled heads, followed by the heads.
    virtual ql::BezierPath arrowPathFromOriginalPath(const ql::BezierPath& path, const DFRenderable& object) const;

    // The heads alone for an outline, as the base hook appends them.
    ql::BezierPath arrowHeadsForPath(const ql::BezierPath& path) const;
    // How far the text's baseline lies across the outline for the
    // placement: above by half the width and 2 points, centred by half the
    // font's x-height below, below by the x-height more.
    double textOffset() const;
    // The glyph outlines of the object's dimension text along its outline.
    ql::BezierPath textPathForObject(const DFRenderable& object) const;

    void render(const DFRenderable& object, QPainter& painter) const override;
    QStringList observableKeyPaths() const override;
    QHash<QString, QString> actionNames() const override;
    QString kindName() const override { return QStringLiteral("Arrow Stroke"); }
    std::unique_ptr<DFRasterizer> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFArrowStroke(const DFArrowStroke& other);

private:
    ql::BezierPath trimmedUnderHeads(const ql::BezierPath& path) const;

    int m_headAtStart = NoHead;
    int m_headAtEnd = NoHead;
    double m_headLength = 12.0;
    double m_headWidth = 7.0;
    ql::TextAttributes m_textAttributes;
    int m_options = TextAbove;
};
