// File ▸ Open… (Ctrl+O) and Open Recent, alike in every window that has a
// menu bar of its own: the document windows and the template chooser.
#pragma once

class QAction;
class QMenu;

namespace ql {

class DocumentController;

// Adds both to `file`; Open Recent follows the controller's list of recent
// documents. Returns the Open… item.
QAction* addOpenDocumentItems(QMenu* file, DocumentController& controller);

} // namespace ql
