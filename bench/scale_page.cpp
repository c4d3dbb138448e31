// scale_page COUNT OUT: writes a document of one Letter page holding COUNT
// small text boxes in a grid, for timing page-render against it (see
// bench/run-render-scale).
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QApplication>
#include <QFile>
#include <cmath>
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
    ql::Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    const int columns = int(std::ceil(std::sqrt(double(count))));
    const double cellWidth = 540.0 / columns;
    const double cellHeight = 720.0 / columns;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
        const QRectF box(36 + (i % columns) * cellWidth, 36 + (i / columns) * cellHeight, cellWidth * 0.8,
                         cellHeight * 0.8);
        element->setFrame(box.adjusted(-40, -40, 40, 40));
        if (auto* content = qobject_cast<ZVTextView*>(element->contentView()))
            content->setString(QString::number(i));
        page->addPuttyView(element.release());
    }
    const ql::Result<QByteArray> data = ql::DocumentArchive::write(document);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!data || !file.open(QIODevice::WriteOnly) || file.write(*data) != data->size()) {
        std::fprintf(stderr, "scale_page: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
