// Starts the program: the chooser, or the files given on the command line
// as a desktop passes them when it opens documents with the program. It
// ends when its last window closes.
#include "app/launch/ApplicationRun.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    ql::ignoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    ql::ApplicationRun::nameApplication();
    ql::ApplicationRun run;
    run.start(QApplication::arguments().mid(1));
    return QApplication::exec();
}
