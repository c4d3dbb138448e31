// Removes the vertex of a path object under the pointer; every subpath
// keeps two vertices at least.
#pragma once

#include "shapes/df/DFTool.h"

class DFDeletePointTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Delete Path Point"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView&, const ql::CanvasEvent&) override {}
    void release(DFDrawingView&, const ql::CanvasEvent&) override {}
};
