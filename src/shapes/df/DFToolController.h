// Chooses the drawing view's tool by name: "Path", "Freehand", "Line",
// "Select", "Insert Path Point" and "Delete Path Point".
#pragma once

#include "shapes/df/DFTool.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

class DFToolController : public QObject {
    Q_OBJECT
public:
    explicit DFToolController(DFDrawingView& view);
    ~DFToolController() override;

    static QStringList toolNames();

    // Ends what the present tool had under way and switches; an unknown
    // name keeps the present tool and answers false.
    bool setDrawingToolWithName(const QString& name);
    DFTool& drawingTool() const { return *m_current; }
    QString drawingToolName() const { return m_current->name(); }

private:
    DFDrawingView& m_view;
    std::vector<std::unique_ptr<DFTool>> m_tools;
    DFTool* m_current = nullptr;
};
