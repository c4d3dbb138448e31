#include "panels/inspectors/ZVLayerSettingsController.h"

namespace ql {

// The page's align and distribute commands come with the element commands;
// until then the segments have nothing to call.
void ZVLayerSettingsController::alignToPage(int) {}
void ZVLayerSettingsController::centerInPage(int) {}
void ZVLayerSettingsController::alignEdges(int) {}
void ZVLayerSettingsController::alignCenters(int) {}
void ZVLayerSettingsController::distributeByEdges(int) {}
void ZVLayerSettingsController::distributeByCenters(int) {}

} // namespace ql
