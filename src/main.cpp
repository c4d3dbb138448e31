// Starts the program and opens the files given on the command line, as a
// desktop does when it opens documents with the program; without any, a new
// document.
#include "app/AppDelegate.h"
#include "app/WidgetPrompter.h"
#include "app/design/ZVDesignHelper.h"
#include "app/document/AtomicFileWriter.h"
#include "app/document/DocumentController.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    ql::ignoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));

    WidgetPrompter prompter;
    DesktopWorkspace workspace;
    ql::DocumentController& controller = ql::DocumentController::shared();
    controller.setPrompter(&prompter);
    controller.setWorkspace(&workspace);
    // It also keeps the template chooser, which the File menu of every window shows.
    ql::AppDelegate delegate(controller, ql::ZVDesignHelper::sharedInstance());
    delegate.applicationDidFinishLaunching(QApplication::arguments().mid(1));
    const int status = QApplication::exec();
    controller.setPrompter(nullptr);
    controller.setWorkspace(nullptr);
    return status;
}
