// code-render KIND TEXT OUT [--option value ...]
// Renders one code with the library so tests and people can look at it.
#include "CodeRenderKinds.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: code-render KIND TEXT OUT [--option value ...]\n");
        return 2;
    }
    coderender::Options options;
    for (qsizetype i = 4; i < args.size(); ++i) {
        if (!args[i].startsWith(QStringLiteral("--")) || i + 1 >= args.size()) {
            std::fprintf(stderr, "code-render: bad option '%s'\n", qPrintable(args[i]));
            return 2;
        }
        options.insert(args[i].mid(2), args[i + 1]);
        ++i;
    }
    std::vector<coderender::Kind> kinds = coderender::barcodeKinds();
    for (const coderender::Kind& kind : coderender::qrKinds())
        kinds.push_back(kind);
    for (const coderender::Kind& kind : kinds) {
        if (kind.name == args[1])
            return kind.run(args[1], args[2], args[3], options);
    }
    std::fprintf(stderr, "code-render: unknown kind '%s'\n", qPrintable(args[1]));
    return 2;
}
