#pragma once
// One Letter page holding COUNT small text boxes in a grid, numbered: the
// crowded page the memory and render-scale benches open and export.
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QFile>
#include <cmath>

inline bool writeScalePage(int count, const QString& path)
{
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
    QFile file(path);
    return data && file.open(QIODevice::WriteOnly) && file.write(*data) == data->size();
}
