#include "canvas/ZVDropView.h"

#include "imaging/ImageLoader.h"
#include "canvas/CanvasHost.h"
#include "canvas/ElementPasteboard.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/ForeignRichText.h"
#include "platform/graphics/FontResolver.h"
#include "platform/Uuid.h"
#include "platform/runtime/FileReading.h"
#include "shapes/df/DFPasteboardTypes.h"
#include "shapes/library/ZVShapeLibrary.h"

#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QMimeDatabase>
#include <optional>

namespace ql {

namespace {

// The canvas's zoom: dropped things come in at one size on screen.
double magnification(const ZVCanvasView& page)
{
    const CanvasHost* host = page.canvasHost();
    const double zoom = host ? host->magnification() : 1.0;
    return zoom > 0 ? zoom : 1.0;
}

QRectF centredOn(QPointF point, QSizeF size)
{
    return QRectF(point - QPointF(size.width() / 2, size.height() / 2), size);
}

// A content of `size` centred on a point, with the handle margin around it.
QRectF frameCentredOn(QPointF point, QSizeF size)
{
    const double margin = ZVPuttyView::kMargin;
    return centredOn(point, size).adjusted(-margin, -margin, margin, margin);
}

// Added (one undo step), alone selected and focused.
ZVPuttyView* place(ZVCanvasView& page, std::unique_ptr<ZVPuttyView> made)
{
    ZVPuttyView* element = made.release();
    page.addPuttyView(element);
    page.highlightPuttyViews();
    element->setIsActive(true);
    page.setFocusedPuttyView(element);
    return element;
}

ZVPuttyView* addImageTo(ZVCanvasView& page, const Image& image, QPointF point)
{
    const QSizeF size = image.size();
    if (image.isNull() || size.isEmpty())
        return nullptr;
    const double side = ZVDropView::kImageSide / magnification(page);
    const QSizeF content = size.height() > size.width() ? QSizeF(side * size.width() / size.height(), side)
                                                        : QSizeF(side, side * size.height() / size.width());
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithImage(image);
    element->setFrame(frameCentredOn(point, content));
    return place(page, std::move(element));
}

// The picture data a drag carries, TIFF first, as the platform offers it.
QList<QString> pictureFormats(const QMimeData& data)
{
    QList<QString> formats;
    if (data.hasFormat(QStringLiteral("image/tiff")))
        formats.append(QStringLiteral("image/tiff"));
    for (const QString& format : data.formats()) {
        if (format.startsWith(QLatin1String("image/")) && !formats.contains(format))
            formats.append(format);
    }
    return formats;
}

// Whether a file's name or its contents say it holds a picture (PDF and EPS
// originals included): one that cannot be placed then deserves a word,
// whereas a document or a text dropped with pictures is passed over.
bool saysPicture(const QFileInfo& file)
{
    const QMimeDatabase types;
    const auto picture = [](const QMimeType& type) {
        return type.name().startsWith(QLatin1String("image/")) || type.inherits(QStringLiteral("application/pdf"))
            || type.inherits(QStringLiteral("application/postscript"));
    };
    return picture(types.mimeTypeForFile(file, QMimeDatabase::MatchExtension))
        || picture(types.mimeTypeForFile(file, QMimeDatabase::MatchContent));
}

bool isWebLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

ZVDropView::ZVDropView(QObject* parent) : QObject(parent) {}

ZVCanvasView* ZVDropView::canvas() const
{
    return m_canvas.data();
}

void ZVDropView::setCanvas(ZVCanvasView* page)
{
    m_canvas = page;
}

bool ZVDropView::draggingEnded(const QMimeData& data, QPointF pagePoint)
{
    if (!m_canvas)
        return false;
    // The first kind the drag carries decides: one drop, one element (or
    // one per dropped file).
    if (data.hasFormat(ElementPasteboard::draggedElementType())) {
        addPuttyView(ElementPasteboard::readElement(data.data(ElementPasteboard::draggedElementType())), pagePoint);
        return true;
    }
    if (data.hasUrls() && dropLinks(data.urls(), pagePoint))
        return true;
    // A drag out of the drawing layer carries its picture for other programs.
    if (!data.hasFormat(DFDrawablePasteboardType) && dropPicture(data, pagePoint))
        return true;
    if (dropRichText(data, pagePoint))
        return true;
    if (data.hasFormat(QStringLiteral("ZVShape"))) {
        if (const std::optional<ZVLibraryShape> shape = ZVShapeLibrary::fromArchivedData(data.data(QStringLiteral("ZVShape"))))
            addShape(ZVShapeLibrary::path(*shape), ZVShapeLibrary::name(*shape), pagePoint);
        return true;
    }
    return false;
}

bool ZVDropView::dropLinks(const QList<QUrl>& urls, QPointF pagePoint)
{
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            files.append(url);
    }
    // Several files stack on one centre; one that is no picture adds nothing.
    if (!files.isEmpty()) {
        QList<Error> refused;
        QList<std::pair<QString, Error>> undecodable;
        for (const QUrl& file : std::as_const(files)) {
            const QFileInfo info(file.toLocalFile());
            if (!info.isFile())
                continue;
            if (Result<Image> image = Image::fromFile(info.filePath()))
                addImage(*image, pagePoint);
            else if (isTooLargeToLoad(image.error()))
                refused.append(image.error());
            else if (Image::isUndecodable(image.error()) || saysPicture(info))
                undecodable.append({info.fileName(), image.error()});
        }
        reportTooLarge(refused);
        reportUndecodable(undecodable);
        return true;
    }
    for (const QUrl& url : urls) {
        if (isWebLink(url)) {
            download(url, pagePoint);
            return true;
        }
    }
    return false;
}

void ZVDropView::download(const QUrl& url, QPointF pagePoint)
{
    const QPointer<ZVCanvasView> page = m_canvas;
    if (CanvasHost* host = page->canvasHost())
        host->setDownloading(true);
    // A late picture lands on the page it was dropped on, or nowhere.
    loadImageFromURL(url, {}, [self = QPointer<ZVDropView>(this), page, pagePoint, url](Result<Image> image) {
        if (!page)
            return;
        if (CanvasHost* host = page->canvasHost())
            host->setDownloading(false);
        if (image)
            addImageTo(*page, *image, pagePoint);
        else if (self && isTooLargeToLoad(image.error()))
            self->reportTooLarge({image.error()});
        else if (self && Image::isUndecodable(image.error()))
            self->reportUndecodable({{url.fileName(), image.error()}});
    });
}

void ZVDropView::reportTooLarge(const QList<Error>& refused) const
{
    CanvasHost* host = m_canvas ? m_canvas->canvasHost() : nullptr;
    if (refused.isEmpty() || !host)
        return;
    QStringList why;
    for (const Error& error : refused)
        why.append(error.message);
    host->showAlert(refused.size() == 1 ? tr("What was dropped is too large to place on the page.")
                                        : tr("%1 of the dropped files are too large to place on the page.")
                                              .arg(refused.size()),
                    why.join(QLatin1Char('\n')));
}

void ZVDropView::reportUndecodable(const QList<std::pair<QString, Error>>& refused) const
{
    CanvasHost* host = m_canvas ? m_canvas->canvasHost() : nullptr;
    if (refused.isEmpty() || !host)
        return;
    QStringList why;
    for (const auto& [name, error] : refused)
        why.append(name.isEmpty() ? error.message : QStringLiteral("“%1”: %2").arg(name, error.message));
    const QString& first = refused.first().first;
    host->showAlert(refused.size() > 1 ? tr("%1 of the dropped pictures could not be placed on the page.")
                                             .arg(refused.size())
                        : first.isEmpty() ? tr("The picture dropped could not be placed on the page.")
                                          : tr("“%1” could not be placed on the page.").arg(first),
                    why.join(QLatin1Char('\n')));
}

bool ZVDropView::dropPicture(const QMimeData& data, QPointF pagePoint)
{
    const QList<QString> formats = pictureFormats(data);
    if (formats.isEmpty() && !data.hasImage())
        return false;
    // Every format offered says picture: when none gives one, the user hears
    // why, a damaged picture's reason before that of data of no known kind.
    std::optional<Error> failure;
    for (const QString& format : formats) {
        const QByteArray picture = data.data(format);
        if (picture.size() > Image::kLargestFileBytes) {
            reportTooLarge({Error {kFileReadingErrorDomain, int(FileReadingError::TooLarge),
                                   tr("The picture dropped is too large (%1; no more than %2 is read).")
                                       .arg(readableSize(picture.size()), readableSize(Image::kLargestFileBytes))}});
            return true;
        }
        if (Result<Image> image = Image::fromData(picture)) {
            addImage(*image, pagePoint);
            return true;
        } else if (!failure || Image::isUndecodable(image.error())) {
            failure = image.error();
        }
    }
    // What the platform decoded for us, when our reader took none of it.
    if (const QImage bitmap = qvariant_cast<QImage>(data.imageData()); !bitmap.isNull())
        addImage(Image(bitmap), pagePoint);
    else if (failure)
        reportUndecodable({{QString(), *failure}});
    return true;
}

bool ZVDropView::dropRichText(const QMimeData& data, QPointF pagePoint)
{
    const std::optional<AttributedString> text = text::foreignRichText(data, FontResolver::defaultFont());
    if (!text)
        return false;
    addText(*text, pagePoint, data.hasFormat(ElementPasteboard::sampleTextType()));
    return true;
}

ZVPuttyView* ZVDropView::addImage(const Image& image, QPointF pagePoint)
{
    return m_canvas ? addImageTo(*m_canvas, image, pagePoint) : nullptr;
}

ZVPuttyView* ZVDropView::addText(const AttributedString& text, QPointF pagePoint, bool asSample)
{
    if (!m_canvas)
        return nullptr;
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
    if (auto* content = qobject_cast<ZVTextView*>(element->contentView())) {
        content->setAttributedString(text);
        // The browser's sample brings its style, not its words.
        if (asSample)
            content->setString(tr("Double click to edit."));
    }
    const double zoom = magnification(*m_canvas);
    element->setFrame(frameCentredOn(pagePoint, QSizeF(kTextWidth / zoom, kTextHeight / zoom)));
    return place(*m_canvas, std::move(element));
}

ZVPuttyView* ZVDropView::addShape(const BezierPath& path, const QString& name, QPointF pagePoint)
{
    if (!m_canvas || path.isEmpty())
        return nullptr;
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithVector(path, name);
    const double side = kShapeSide / magnification(*m_canvas);
    element->setFrame(frameCentredOn(pagePoint, QSizeF(side, side)));
    return place(*m_canvas, std::move(element));
}

ZVPuttyView* ZVDropView::addPuttyView(std::unique_ptr<ZVPuttyView> element, QPointF pagePoint)
{
    if (!m_canvas || !element)
        return nullptr;
    ElementPasteboard::giveNewIdentities({element.get()});
    element->setFrame(centredOn(pagePoint, element->frame().size()));
    return place(*m_canvas, std::move(element));
}

ZVPuttyView* ZVDropView::addLoadingPuttyViewAtLocation(QPointF pagePoint)
{
    if (!m_canvas)
        return nullptr;
    auto element = std::make_unique<ZVPuttyView>();
    element->setUuid(newUuidString());
    element->setFrame(centredOn(pagePoint, element->frame().size()));
    return place(*m_canvas, std::move(element));
}

} // namespace ql
