#include "app/window/OpenDocumentItems.h"

#include "app/document/DocumentController.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace ql {

namespace {

void fillRecentMenu(QMenu* recent, DocumentController& controller)
{
    recent->clear();
    const QStringList paths = controller.recentDocumentPaths();
    for (const QString& path : paths)
        recent->addAction(QFileInfo(path).fileName(), &controller,
                          [&controller, path] { controller.openDocumentWithContentsOfFile(path); });
    if (!paths.isEmpty())
        recent->addSeparator();
    QAction* clear =
        recent->addAction(QObject::tr("Clear Menu"), &controller, [&controller] { controller.clearRecentDocuments(); });
    clear->setEnabled(!paths.isEmpty());
}

} // namespace

QAction* addOpenDocumentItems(QMenu* file, DocumentController& controller)
{
    QAction* open = file->addAction(QObject::tr("&Open…"));
    open->setObjectName(QStringLiteral("openDocument:"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QObject::connect(open, &QAction::triggered, &controller, [&controller] { controller.openDocumentFromPanel(); });
    QMenu* recent = file->addMenu(QObject::tr("Open &Recent"));
    fillRecentMenu(recent, controller);
    QObject::connect(&controller, &DocumentController::recentDocumentsChanged, recent,
                     [recent, &controller] { fillRecentMenu(recent, controller); });
    return open;
}

} // namespace ql
