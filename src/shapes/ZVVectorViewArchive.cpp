// The shape view's record: the image view's keys, then the shape view's 28
// in their fixed order. Reading takes them in an order of its own, quietly,
// and rebuilds the shape once at the end.
#include "canvas/ModelArchive.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "platform/archive/ArchiveFields.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/DFDrawable.h"
#include "shapes/df/DFImageShape.h"

namespace {

QVariant stringOrNull(const QString& text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

} // namespace

QStringList ZVVectorView::archiveClassChain() const
{
    return ql::fields::imageViewChain({QStringLiteral("ZVVectorView")});
}

void ZVVectorView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    ZVImageView::encodeWithCoder(coder);
    coder.encodeObject(QStringLiteral("shapeName"), stringOrNull(m_shapeName));
    // The shape goes without its picture, which the fill brings back.
    if (const auto* imageShape = qobject_cast<const DFImageShape*>(m_shape)) {
        coder.encodeReference(QStringLiteral("shape"),
                              coder.encodeRecord(imageShape->archiveClassChain(), [imageShape](ql::KeyedArchiver& c) {
                                  imageShape->encodeWithoutImage(c);
                              }));
    } else {
        coder.encodeObject(QStringLiteral("shape"), m_shape);
    }
    coder.encodeObject(QStringLiteral("backgroundView"), m_backgroundView);
    coder.encodeBool(QStringLiteral("strokeEnabled"), m_strokeEnabled);
    coder.encodeBool(QStringLiteral("fillEnabled"), m_fillEnabled);
    coder.encodeBool(QStringLiteral("adjustmentEligible"), m_adjustmentEligible);
    coder.encodePoint(QStringLiteral("imageOrigin"), m_imageOrigin);
    coder.encodeObject(QStringLiteral("strokeColor"), m_strokeColor);
    coder.encodeObject(QStringLiteral("strokeWidth"), m_strokeWidth);
    coder.encodeObject(QStringLiteral("strokeType"), m_strokeType);
    coder.encodeObject(QStringLiteral("adjustment"), m_adjustment);
    coder.encodeObject(QStringLiteral("backgroundOffset"), m_backgroundOffset);
    coder.encodeObject(QStringLiteral("strokeLineCap"), m_strokeLineCap);
    coder.encodeObject(QStringLiteral("strokeLineJoin"), m_strokeLineJoin);
    coder.encodeObject(QStringLiteral("leftArrow"), m_leftArrow);
    coder.encodeObject(QStringLiteral("rightArrow"), m_rightArrow);
    coder.encodeObject(QStringLiteral("arrowLength"), m_arrowLength);
    coder.encodeObject(QStringLiteral("arrowWidth"), m_arrowWidth);
    coder.encodeBool(QStringLiteral("arrowEnabled"), m_arrowEnabled);
    coder.encodeBool(QStringLiteral("textEnabled"), m_textEnabled);
    coder.encodeObject(QStringLiteral("text"), stringOrNull(m_text));
    coder.encodeObject(QStringLiteral("textFontFamilyName"), stringOrNull(m_textFontFamilyName));
    coder.encodeObject(QStringLiteral("textFontSize"), m_textFontSize);
    coder.encodeObject(QStringLiteral("textAlignment"), m_textAlignment);
    coder.encodeObject(QStringLiteral("textPlacement"), m_textPlacement);
    coder.encodeObject(QStringLiteral("textLetterSpacing"), m_textLetterSpacing);
    coder.encodeBool(QStringLiteral("textHideShape"), m_textHideShape);
    coder.encodeObject(QStringLiteral("textOffset"), m_textOffset);
}

void ZVVectorView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    ZVImageView::initWithCoder(coder);
    // Made for reading with every setting at its default: the private
    // drawing takes the size just read.
    fitDrawingToBounds();
    {
        // Key by key nothing is recorded or rebuilt: the view is not the
        // user's to undo yet, and one rebuild at the end serves them all.
        QuietChanges quiet(*this);
        using namespace ql::fields;
        const auto number = [&coder](const QString& key, void (ZVVectorView::*setter)(const QVariant&), ZVVectorView& view) {
            QVariant value;
            if (readNumber(coder, key, value))
                (view.*setter)(value);
        };
        const auto flag = [&coder](const QString& key, void (ZVVectorView::*setter)(bool), ZVVectorView& view) {
            bool value = false;
            if (readBool(coder, key, value))
                (view.*setter)(value);
        };
        const auto string = [&coder](const QString& key, void (ZVVectorView::*setter)(const QString&), ZVVectorView& view) {
            QString value;
            if (readString(coder, key, value))
                (view.*setter)(value);
        };
        QPointF origin;
        if (readPoint(coder, QStringLiteral("imageOrigin"), origin))
            setImageOrigin(origin);
        string(QStringLiteral("shapeName"), &ZVVectorView::setShapeName, *this);
        setShape(ql::df::readDrawable(coder, QStringLiteral("shape"), this));
        keepStoredPatternFills();
        setBackgroundView(readPart<ZVBackgroundView>(coder, QStringLiteral("backgroundView")));
        if (!m_backgroundView)
            makeDefaultBackground();
        flag(QStringLiteral("strokeEnabled"), &ZVVectorView::setStrokeEnabled, *this);
        flag(QStringLiteral("fillEnabled"), &ZVVectorView::setFillEnabled, *this);
        flag(QStringLiteral("adjustmentEligible"), &ZVVectorView::setAdjustmentEligible, *this);
        QVariant colour;
        if (readValue<ql::Color>(coder, QStringLiteral("strokeColor"), colour))
            setStrokeColor(colour);
        number(QStringLiteral("strokeWidth"), &ZVVectorView::setStrokeWidth, *this);
        number(QStringLiteral("strokeType"), &ZVVectorView::setStrokeType, *this);
        number(QStringLiteral("strokeLineJoin"), &ZVVectorView::setStrokeLineJoin, *this);
        number(QStringLiteral("strokeLineCap"), &ZVVectorView::setStrokeLineCap, *this);
        number(QStringLiteral("adjustment"), &ZVVectorView::setAdjustment, *this);
        const QVariant offset = readRaw(coder, QStringLiteral("backgroundOffset"));
        if (offset.typeId() == QMetaType::QPointF)
            setBackgroundOffset(offset);
        number(QStringLiteral("leftArrow"), &ZVVectorView::setLeftArrow, *this);
        number(QStringLiteral("rightArrow"), &ZVVectorView::setRightArrow, *this);
        number(QStringLiteral("arrowLength"), &ZVVectorView::setArrowLength, *this);
        number(QStringLiteral("arrowWidth"), &ZVVectorView::setArrowWidth, *this);
        flag(QStringLiteral("arrowEnabled"), &ZVVectorView::setArrowEnabled, *this);
        flag(QStringLiteral("textEnabled"), &ZVVectorView::setTextEnabled, *this);
        string(QStringLiteral("text"), &ZVVectorView::setText, *this);
        string(QStringLiteral("textFontFamilyName"), &ZVVectorView::setTextFontFamilyName, *this);
        number(QStringLiteral("textFontSize"), &ZVVectorView::setTextFontSize, *this);
        number(QStringLiteral("textAlignment"), &ZVVectorView::setTextAlignment, *this);
        number(QStringLiteral("textPlacement"), &ZVVectorView::setTextPlacement, *this);
        number(QStringLiteral("textLetterSpacing"), &ZVVectorView::setTextLetterSpacing, *this);
        flag(QStringLiteral("textHideShape"), &ZVVectorView::setTextHideShape, *this);
        number(QStringLiteral("textOffset"), &ZVVectorView::setTextOffset, *this);
        m_backgroundView->setVectorBacking(true);
        m_oldSize = frame().size();
    }
    // One rebuild: an adjustable outline from its adjustment, then style,
    // size and image.
    if (isAdjustableName(m_shapeName))
        adjustShape();
    else
        setShapeProperties();
    layout();
    // A view made for reading watches its settings from here on: the
    // rebuild has followed them all, and reading records no undo.
    if (!m_isObserving2) {
        observeSettings();
        m_isObserving2 = true;
    }
}

std::unique_ptr<ZVVectorView> ZVVectorView::copy() const
{
    return ql::canvas::copyThroughArchive(this);
}
