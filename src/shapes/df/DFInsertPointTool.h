// Splits the segment of a path object under the pointer, keeping the
// curve's shape.
#pragma once

#include "shapes/df/DFTool.h"

class DFInsertPointTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Insert Path Point"); }
    void press(DFDrawingView& view, const DFPointerEvent& event) override;
    void drag(DFDrawingView&, const DFPointerEvent&) override {}
    void release(DFDrawingView&, const DFPointerEvent&) override {}
};
