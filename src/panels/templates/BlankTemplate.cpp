#include "panels/templates/BlankTemplate.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "util/Resources.h"

#include <QPainter>
#include <cmath>

namespace ql {

const QList<BlankTemplate>& BlankTemplate::all()
{
    static const QList<BlankTemplate> templates {
        {6, 0, QStringLiteral("Letter")},  {6, 1, QStringLiteral("Letter Landscape")},
        {9, 0, QStringLiteral("A4")},      {3, 0, QStringLiteral("Legal")},
        {5, 0, QStringLiteral("Tabloid")}, {14, 0, QStringLiteral("Postcard")},
        {11, 0, QStringLiteral("Business Card")},
    };
    return templates;
}

QSizeF BlankTemplate::pageSizeInPoints() const
{
    return ZVDesignHelper::rectForPageSize(pageSize, orientation).size();
}

QString BlankTemplate::resourcePath() const
{
    return ql::resourcePath(QStringLiteral("templates/") + fileName());
}

Result<QByteArray> BlankTemplate::archive() const
{
    Document document;
    for (QList<ZVCanvasView*>* pages : {&document.contentPages(), &document.masterPages()}) {
        ZVCanvasView* page = document.newPage();
        page->setPageSize(pageSize);
        page->setPageOrientation(orientation);
        page->setCanvasFrames();
        pages->append(page);
    }
    return DocumentArchive::write(document);
}

QImage BlankTemplate::thumbnail(int side) const
{
    return pageThumbnail(pageSizeInPoints(), side);
}

QImage BlankTemplate::pageThumbnail(QSizeF page, int side)
{
    const double scale = side / std::max(page.width(), page.height());
    const QSize size(std::max(1, int(std::lround(page.width() * scale))), std::max(1, int(std::lround(page.height() * scale))));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(200, 200, 200));
    painter.drawRect(QRect(QPoint(0, 0), size - QSize(1, 1)));
    return image;
}

} // namespace ql
