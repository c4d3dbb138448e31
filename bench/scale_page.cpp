// scale_page COUNT OUT: writes a document of one Letter page holding COUNT
// small text boxes in a grid, for timing page-render against it (see
// bench/run-render-scale).
#include "ScalePage.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc == 3 ? QByteArray(argv[1]).toInt() : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: scale_page COUNT OUT\n");
        return 1;
    }
    if (!writeScalePage(count, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "scale_page: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
