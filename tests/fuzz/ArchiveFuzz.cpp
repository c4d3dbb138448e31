// libFuzzer entry point for the keyed unarchiver.
#include "ArchiveProbe.h"

#include <QCoreApplication>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "archive-fuzz";
    static char* argv[] = {name, nullptr};
    // Image plugins are found through the application object.
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    Q_UNUSED(app);
    ql::probe::probeArchive(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (ql::probe::Node::live != 0)
        qFatal("decoded objects outlived their archive");
    return 0;
}
