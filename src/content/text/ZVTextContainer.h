// A text container that carries a list of paths. Lines are laid out in it
// exactly as in a plain container of its size; a change of its paths only
// asks for a new layout.
#pragma once

#include "content/text/TextContainer.h"
#include "platform/graphics/BezierPath.h"

#include <QList>

class ZVTextContainer : public ql::text::TextContainer {
public:
    explicit ZVTextContainer(QSizeF size = QSizeF(1e7, 1e7)) : TextContainer(size) {}

    const QList<ql::BezierPath>& bezierPaths() const { return m_bezierPaths; }
    // Lays the text out again when the container belongs to a layout.
    void setBezierPaths(const QList<ql::BezierPath>& paths);

private:
    QList<ql::BezierPath> m_bezierPaths;
};
