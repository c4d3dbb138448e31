// document-save-loop PATH [--once]
//
// Builds a large document and saves it to PATH through the document
// controller, again and again, each time as a new version (its notes start
// with "version N"), printing "saving N" before and "saved N" after each save. With --once it saves
// a single time and exits. The kill-during-save test kills it at random
// moments and checks that PATH always holds a whole document.
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "LargeDocument.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ql::ignoreFileSizeLimitSignal();
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: document-save-loop PATH [--once]\n");
        return 2;
    }
    const QString path = arguments.at(1);
    const bool once = arguments.contains(QStringLiteral("--once"));

    ql::DocumentController controller;
    controller.setWindowFactory(nullptr);
    ql::Document* document = controller.newDocument();
    ql::tools::fillLargeDocument(*document);
    for (int version = 1;; ++version) {
        ql::tools::setVersion(*document, version);
        std::printf("saving %d\n", version);
        std::fflush(stdout);
        const ql::Status status = controller.saveDocumentToFile(document, path);
        if (!status) {
            std::fprintf(stderr, "%s\n", qPrintable(status.error().describe()));
            return 1;
        }
        std::printf("saved %d\n", version);
        std::fflush(stdout);
        if (once)
            return 0;
    }
}
