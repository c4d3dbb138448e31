// Starts the program and opens the files given on the command line, as a
// desktop does when it opens documents with the program; without any, a new
// document.
#include "app/AppDelegate.h"
#include "app/WidgetPrompter.h"
#include "app/document/DocumentController.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));

    WidgetPrompter prompter;
    ql::DocumentController& controller = ql::DocumentController::shared();
    controller.setPrompter(&prompter);
    // The template chooser is reachable from the File menu of every window.
    const ql::AppDelegate delegate(controller);

    const QStringList paths = QApplication::arguments().mid(1);
    if (paths.isEmpty())
        controller.newDocument();
    else if (controller.openDocuments(paths).isEmpty())
        return 1;
    const int status = QApplication::exec();
    controller.setPrompter(nullptr);
    return status;
}
