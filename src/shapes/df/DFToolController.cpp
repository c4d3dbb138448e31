#include "shapes/df/DFToolController.h"

#include "shapes/df/DFDeletePointTool.h"
#include "shapes/df/DFFreehandTool.h"
#include "shapes/df/DFInsertPointTool.h"
#include "shapes/df/DFLineTool.h"
#include "shapes/df/DFPathTool.h"
#include "shapes/df/DFSelectTool.h"

DFToolController::DFToolController(DFDrawingView& view) : m_view(view)
{
    m_tools.push_back(std::make_unique<DFPathTool>());
    m_tools.push_back(std::make_unique<DFFreehandTool>());
    m_tools.push_back(std::make_unique<DFLineTool>());
    m_tools.push_back(std::make_unique<DFSelectTool>());
    m_tools.push_back(std::make_unique<DFInsertPointTool>());
    m_tools.push_back(std::make_unique<DFDeletePointTool>());
    m_current = m_tools.front().get();
}

DFToolController::~DFToolController() = default;

QStringList DFToolController::toolNames()
{
    return {QStringLiteral("Path"), QStringLiteral("Freehand"), QStringLiteral("Line"), QStringLiteral("Select"),
            QStringLiteral("Insert Path Point"), QStringLiteral("Delete Path Point")};
}

bool DFToolController::setDrawingToolWithName(const QString& name)
{
    for (const std::unique_ptr<DFTool>& tool : m_tools) {
        if (tool->name() != name)
            continue;
        if (tool.get() != m_current)
            m_current->finish(m_view);
        m_current = tool.get();
        return true;
    }
    return false;
}
