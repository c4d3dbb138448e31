// libFuzzer entry point for whole documents.
#include "DocumentProbe.h"

#include <QApplication>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "document-fuzz";
    static char* argv[] = {name, nullptr};
    static const auto withoutGhostscript = ql::probe::leaveOutGhostscript();
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    ql::probe::probeDocument(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
