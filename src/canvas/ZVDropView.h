// The drop target over the canvas: what other programs and the program's own
// panels drag onto the page becomes one new element, centred on the drop
// point, sized in screen terms (the same on screen at every zoom), alone
// selected and focused, and undone as one step. The first kind of data the
// drag carries decides, in this order: an element from the holding area,
// links (local files are read, web pictures fetched while the downloading
// panel shows), picture data (not a drawing's own drag), rich text, a library
// shape. Clicks never reach it: the canvas view hands it drops only.
// What a drop offers is read within a bound (Image::kLargestFileBytes): a
// larger file, picture or download adds nothing and an alert says so; so
// does a file named or typed as a picture, or picture data, that no reader
// can place. Other files (a document, a text) are passed over.
#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <utility>

class QMimeData;
class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class ZVDropView : public QObject {
    Q_OBJECT
public:
    // Content sizes of new elements at 100 %, before the handle margin.
    static constexpr double kImageSide = 200.0;
    static constexpr double kTextWidth = 180.0;
    static constexpr double kTextHeight = 190.0;
    static constexpr double kShapeSide = 200.0;

    explicit ZVDropView(QObject* parent = nullptr);

    // The page that takes dropped elements: the page the canvas shows.
    ZVCanvasView* canvas() const;
    void setCanvas(ZVCanvasView* page);

    // A drag ended over the canvas at a page point; true when the drag held
    // something of a kind the page takes (it may still add nothing when that
    // cannot be read).
    bool draggingEnded(const QMimeData& data, QPointF pagePoint);

    // The elements a drop makes, on the canvas; each answers the element
    // added, or null when nothing was.
    ZVPuttyView* addImage(const Image& image, QPointF pagePoint);
    ZVPuttyView* addText(const AttributedString& text, QPointF pagePoint, bool asSample = false);
    ZVPuttyView* addShape(const BezierPath& path, const QString& name, QPointF pagePoint);
    // An element copy keeps its size and gets a new identity in the current layer.
    ZVPuttyView* addPuttyView(std::unique_ptr<ZVPuttyView> element, QPointF pagePoint);
    // An empty element with a new identity, centred there, selected and focused.
    ZVPuttyView* addLoadingPuttyViewAtLocation(QPointF pagePoint);

private:
    bool dropLinks(const QList<QUrl>& urls, QPointF pagePoint);
    bool dropPicture(const QMimeData& data, QPointF pagePoint);
    bool dropRichText(const QMimeData& data, QPointF pagePoint);
    // Fetches a web picture for the page it was dropped on.
    void download(const QUrl& url, QPointF pagePoint);
    // Says which dropped things were too large: one error each.
    void reportTooLarge(const QList<Error>& refused) const;
    // Pictures that could not be decoded, each named ("" for one dropped
    // as data) with why.
    void reportUndecodable(const QList<std::pair<QString, Error>>& refused) const;

    QPointer<ZVCanvasView> m_canvas;
};

} // namespace ql
