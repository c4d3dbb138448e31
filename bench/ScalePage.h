#pragma once
// One page holding COUNT small text boxes in a grid, numbered: the crowded
// page the memory, render-scale, selection and move benches open. Without a
// box size the boxes share a Letter page; with one, the page grows to hold
// boxes of that size a little apart (up to the largest page there is).
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QFile>
#include <QSizeF>
#include <cmath>

inline bool writeScalePage(int count, const QString& path, QSizeF box = {})
{
    ql::Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    const int columns = int(std::ceil(std::sqrt(double(count))));
    double cellWidth = 540.0 / columns;
    double cellHeight = 720.0 / columns;
    if (!box.isEmpty()) {
        cellWidth = box.width() / 0.8;
        cellHeight = box.height() / 0.8;
        page->setPageSize(0);
        page->setPageWidth(std::min(72 + columns * cellWidth, 14400.0));
        page->setPageHeight(std::min(72 + columns * cellHeight, 14400.0));
    }
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
        const QRectF frame(36 + (i % columns) * cellWidth, 36 + (i / columns) * cellHeight, cellWidth * 0.8,
                           cellHeight * 0.8);
        element->setFrame(frame.adjusted(-40, -40, 40, 40));
        if (auto* content = qobject_cast<ZVTextView*>(element->contentView()))
            content->setString(QString::number(i));
        page->addPuttyView(element.release());
    }
    const ql::Result<QByteArray> data = ql::DocumentArchive::write(document);
    QFile file(path);
    return data && file.open(QIODevice::WriteOnly) && file.write(*data) == data->size();
}
