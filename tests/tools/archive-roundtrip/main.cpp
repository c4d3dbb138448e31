// archive-roundtrip IN OUT: decodes the keyed archive IN with every class
// registered so far and writes it again to OUT. Exit 0 on success; exit 1
// with a one-line error on bad input.
#include "ArchiveRoundTrip.h"
#include "canvas/ModelArchive.h"
#include "platform/archive/PlatformValueDecoding.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QFile>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Images decode through Qt's image plugins, which an application object finds.
    ql::ignoreFileSizeLimitSignal();
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: archive-roundtrip IN OUT\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "archive-roundtrip: cannot read %s: %s\n", argv[1], qPrintable(in.errorString()));
        return 1;
    }
    const QByteArray data = in.readAll();

    ql::ClassRegistry registry = ql::ClassRegistry::withPlatformValues();
    ql::registerMobileEditionValueDecoders(registry);
    ql::canvas::registerPageClasses(registry);

    const ql::Result<QByteArray> result = ql::reencodeArchive(data, registry);
    if (!result) {
        std::fprintf(stderr, "archive-roundtrip: %s\n", qPrintable(result.error().describe()));
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(*result) != result->size()) {
        std::fprintf(stderr, "archive-roundtrip: cannot write %s: %s\n", argv[2], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
