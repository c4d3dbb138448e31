// Splits the segment of a path object under the pointer, keeping the
// curve's shape.
#pragma once

#include "shapes/df/DFTool.h"

class DFInsertPointTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Insert Path Point"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView&, const ql::CanvasEvent&) override {}
    void release(DFDrawingView&, const ql::CanvasEvent&) override {}
};
