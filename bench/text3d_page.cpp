// text3d_page TEXT3D OTHERS PAGES OUT: writes a document of PAGES Letter
// pages, each holding TEXT3D small 3D texts among OTHERS text boxes and
// shapes, for timing the window (bench/run-text3d) and page-render on it.
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "Text3DPages.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int text3d = argc == 5 ? QByteArray(argv[1]).toInt() : -1;
    const int others = argc == 5 ? QByteArray(argv[2]).toInt() : -1;
    const int pages = argc == 5 ? QByteArray(argv[3]).toInt() : 0;
    if (text3d < 0 || others < 0 || pages <= 0) {
        std::fprintf(stderr, "usage: text3d_page TEXT3D OTHERS PAGES OUT\n");
        return 1;
    }
    ql::Document document;
    for (int i = 0; i < pages; ++i) {
        ZVCanvasView* page = document.newPage();
        document.contentPages().append(page);
        fillText3DPage(*page, text3d, others);
    }
    const ql::Result<QByteArray> data = ql::DocumentArchive::write(document);
    QFile file(QString::fromLocal8Bit(argv[4]));
    if (!data || !file.open(QIODevice::WriteOnly) || file.write(*data) != data->size()) {
        std::fprintf(stderr, "text3d_page: could not write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
