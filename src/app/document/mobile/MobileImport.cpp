#include "app/document/mobile/MobileImport.h"

#include "app/document/Document.h"
#include "app/document/DocumentBudget.h"
#include "app/document/mobile/MobileElementRecord.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/archive/ArchiveError.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/archive/PlatformValueDecoding.h"

#include <memory>

namespace ql {

namespace {

const ClassRegistry& mobileClasses()
{
    static const ClassRegistry registry = [] {
        ClassRegistry classes = ClassRegistry::withPlatformValues();
        registerMobileEditionValueDecoders(classes);
        classes.registerClass<MobileElementRecord>(MobileElementRecord::archivedClassName);
        return classes;
    }();
    return registry;
}

Error notADesign(const QString& why)
{
    return archiveError(ArchiveErrorCode::WrongType, QObject::tr("It is not a readable mobile-edition design: %1").arg(why));
}

// The design's values, checked before anything is built.
struct Design {
    QRectF frame;
    QVariant backgroundColor;
    std::optional<Image> pattern;
    std::optional<Image> picture;
    std::optional<Image> drawing;
    QList<MobileElementRecord*> records;
};

// An image entry may be missing, NSNull or an image that could not be decoded.
Result<std::optional<Image>> imageEntry(const QVariantMap& root, const QString& key)
{
    const QVariant value = root.value(key);
    if (!value.isValid() || value.metaType() == QMetaType::fromType<std::nullptr_t>())
        return std::optional<Image>();
    if (value.metaType() != QMetaType::fromType<Image>())
        return notADesign(QObject::tr("“%1” is not an image.").arg(key));
    return std::optional<Image>(value.value<Image>());
}

Result<Design> designFrom(const QVariant& rootValue)
{
    if (rootValue.metaType() != QMetaType::fromType<QVariantMap>())
        return notADesign(QObject::tr("its root is not a dictionary."));
    const QVariantMap root = rootValue.toMap();
    Design design;
    const QVariant frame = root.value(QStringLiteral("canvasFrame"));
    if (frame.isValid() && frame.metaType() != QMetaType::fromType<QRectF>())
        return notADesign(QObject::tr("“canvasFrame” is not a rectangle."));
    design.frame = frame.toRectF();
    design.backgroundColor = root.value(QStringLiteral("canvasBgColor"));
    if (design.backgroundColor.isValid() && design.backgroundColor.metaType() != QMetaType::fromType<Color>())
        return notADesign(QObject::tr("“canvasBgColor” is not a colour."));
    for (auto [key, target] : {std::pair {QStringLiteral("canvasBgPattern"), &design.pattern},
                               std::pair {QStringLiteral("canvasImage"), &design.picture},
                               std::pair {QStringLiteral("drawImage"), &design.drawing}}) {
        Result<std::optional<Image>> image = imageEntry(root, key);
        if (!image)
            return image.error();
        *target = *image;
    }
    const QVariant views = root.value(QStringLiteral("views"));
    if (views.isValid() && views.metaType() != QMetaType::fromType<QVariantList>())
        return notADesign(QObject::tr("“views” is not a list."));
    for (const QVariant& view : views.toList()) {
        auto* record = qobject_cast<MobileElementRecord*>(objectFromVariant(view));
        if (!record)
            return notADesign(QObject::tr("“views” holds something other than elements."));
        design.records.append(record);
    }
    return design;
}

std::unique_ptr<ZVPuttyView> elementFor(const MobileElementRecord& record)
{
    if (record.contentType == 0) {
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
        if (auto* text = qobject_cast<ZVTextView*>(element->contentView()))
            text->setAttributedString(record.attributedText);
        return element;
    }
    // A record whose picture could not be read still becomes an element.
    return ZVPuttyView::initWithImage(record.originalImage.value_or(Image()));
}

void applyRecord(ZVPuttyView& element, const MobileElementRecord& record)
{
    const double margin = ZVPuttyView::kMargin;
    element.setFrame(record.contentRect().adjusted(-margin, -margin, margin, margin));
    element.setValueForKey(u"isLocked", record.locked);
    element.setValueForKey(u"hideFromPrinting", record.nonprinting);
    element.setValueForKey(u"borderWidth", record.borderWidth);
    element.setValueForKey(u"borderColor", record.borderColor ? QVariant::fromValue(*record.borderColor) : QVariant());
    element.setValueForKey(u"borderEnabled", true);
    if (record.dropShadow) {
        element.setValueForKey(u"shadowEnabled", true);
        element.setValueForKey(u"shadowColor", QVariant::fromValue(Color::black()));
        element.setValueForKey(u"shadowOffset", 3);
        element.setValueForKey(u"shadowBlurRadius", 3);
        element.setValueForKey(u"shadowOpacity", 0.35);
        element.setValueForKey(u"shadowAngle", 240);
    }
}

void applyDesignSize(ZVCanvasView& page, const Design& design)
{
    page.setPageWidth(design.frame.width());
    page.setPageHeight(design.frame.height());
    page.setPageSize(0);
    page.setCanvasFrames();
    ZVBackgroundView* background = page.backgroundView();
    background->setBackgroundColor(design.backgroundColor);
    background->setBackgroundType(ZVBackgroundView::Colour);
    if (design.pattern) {
        background->setBackgroundType(ZVBackgroundView::ImageFill);
        background->setBackgroundImageMode(ZVBackgroundView::Tiled);
        background->setBackgroundImage(*design.pattern);
    }
    if (design.picture) {
        background->setBackgroundType(ZVBackgroundView::ImageFill);
        background->setBackgroundImageMode(ZVBackgroundView::ScaleToFillMode);
        background->setBackgroundImage(*design.picture);
    }
    if (design.drawing) {
        std::unique_ptr<ZVPuttyView> drawing = ZVPuttyView::initWithImage(*design.drawing);
        const double margin = ZVPuttyView::kMargin;
        drawing->setFrame(page.frame().adjusted(-margin, -margin, margin, margin));
        drawing->setValueForKey(u"isLocked", true);
        page.addPuttyView(drawing.release());
    }
}

} // namespace

Status MobileImport::read(Document& document, const QByteArray& data)
{
    KeyedUnarchiver unarchiver(mobileClasses());
    if (Status opened = unarchiver.open(data); !opened)
        return opened;
    if (Status fits = DocumentBudget::checkElements(unarchiver, MobileElementRecord::archivedClassName); !fits)
        return fits;
    const QVariant root = unarchiver.decodeRootObject();
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded)
        return decoded.error();
    // The records live as long as `decoded`; only the page stays afterwards.
    Result<Design> design = designFrom(root);
    if (!design)
        return design.error();

    document.setFilePath(QString());
    auto* page = new ZVCanvasView(&document);
    page->setDocument(&document);
    if (design->frame.width() > 0 && design->frame.height() > 0) {
        applyDesignSize(*page, *design);
    } else {
        // Without a size the page is 612 × 1008; as a custom size it stays
        // so when the page is next shown and sized from its settings.
        page->setPageWidth(612);
        page->setPageHeight(1008);
        page->setPageSize(0);
    }
    page->setCanvasFrames();

    auto* layer = new ZVPuttyViewGroup(QObject::tr("New Layer"), page);
    ZVPuttyViewGroupList layers = page->layoutLayers();
    layers.append(layer);
    page->setLayoutLayers(layers);
    page->setCurrentLayoutLayer(layer);

    for (const MobileElementRecord* record : design->records) {
        std::unique_ptr<ZVPuttyView> element = elementFor(*record);
        ZVPuttyView* added = element.release();
        page->addPuttyView(added);
        applyRecord(*added, *record);
    }

    document.deletedPages().append(document.contentPages());
    document.contentPages() = {page};
    document.setPagesType(0);
    document.setCurrentPage(page);
    return {};
}

} // namespace ql
