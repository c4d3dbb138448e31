#include "panels/ZVPasteboardViewController.h"

namespace ql {

void ZVPasteboardViewController::addToPasteboard(QObject*) {}

QWidget* ZVPasteboardViewController::loadView()
{
    return placeholderView(tr("Pasteboard"));
}

} // namespace ql
