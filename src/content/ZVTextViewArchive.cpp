#include "content/ArchivedClassChains.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "content/text/TextStorage.h"
#include "platform/archive/ArchiveFields.h"
#include "platform/graphics/Gradient.h"

namespace {

using V = ZVTextView;
using Record = ql::fields::Record<V>;

template <class T>
bool holds(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<T>();
}

QVariant colorOrNull(const QVariant& value)
{
    return holds<ql::Color>(value) ? value : QVariant();
}

} // namespace

// One coding per key; the record for writing and the one for reading list
// them in their own orders.
static void addKey(Record& r, const char* key)
{
    const QString name = QString::fromLatin1(key);
    auto number = [&](void (V::*set)(const QVariant&), QVariant (V::*get)() const) {
        r.custom(key, [get](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, (v.*get)()); },
                 [set](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QVariant value;
                     if (ql::fields::readNumber(c, k, value))
                         (v.*set)(value);
                 });
    };
    auto string = [&](void (V::*set)(const QString&), QString (V::*get)() const) {
        r.custom(key,
                 [get](const V& v, ql::KeyedArchiver& c, const QString& k) {
                     const QString value = (v.*get)();
                     c.encodeObject(k, value.isNull() ? QVariant() : QVariant(value));
                 },
                 [set](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QString value;
                     if (ql::fields::readString(c, k, value))
                         (v.*set)(value);
                 });
    };
    auto color = [&](void (V::*set)(const QVariant&), QVariant (V::*get)() const) {
        r.custom(key, [get](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, colorOrNull((v.*get)())); },
                 [set](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QVariant value;
                     if (ql::fields::readValue<ql::Color>(c, k, value))
                         (v.*set)(value);
                 });
    };
    auto flag = [&](void (V::*set)(bool), bool (V::*get)() const) {
        r.custom(key, [get](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeBool(k, (v.*get)()); },
                 [set](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     bool value = false;
                     if (ql::fields::readBool(c, k, value))
                         (v.*set)(value);
                 });
    };

    if (name == QLatin1String("textViewType"))
        number(&V::setTextViewType, &V::textViewType);
    else if (name == QLatin1String("dateFormat"))
        string(&V::setDateFormat, &V::dateFormat);
    else if (name == QLatin1String("pageNumberFormat"))
        string(&V::setPageNumberFormat, &V::pageNumberFormat);
    else if (name == QLatin1String("startPage"))
        number(&V::setStartPage, &V::startPage);
    else if (name == QLatin1String("selectedPageNumberFormat"))
        r.custom(key, [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, v.selectedPageNumberFormat()); },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QVariant value;
                     if (ql::fields::readValue<QVariantMap>(c, k, value))
                         v.setSelectedPageNumberFormat(value);
                 });
    else if (name == QLatin1String("gradient"))
        r.custom(key, [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, v.gradient()); },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QVariant value;
                     if (ql::fields::readValue<ql::Gradient>(c, k, value))
                         v.setGradient(value);
                 });
    else if (name == QLatin1String("gradientAngle"))
        number(&V::setGradientAngle, &V::gradientAngle);
    else if (name == QLatin1String("gradientType"))
        number(&V::setGradientType, &V::gradientType);
    else if (name == QLatin1String("tiledImage"))
        r.custom(key,
                 [](const V& v, ql::KeyedArchiver& c, const QString& k) {
                     c.encodeObject(k, v.tiledImage().isNull() ? QVariant() : QVariant::fromValue(v.tiledImage()));
                 },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     const QVariant value = ql::fields::readRaw(c, k);
                     if (holds<ql::Image>(value))
                         v.setTiledImage(value.value<ql::Image>());
                 });
    else if (name == QLatin1String("clippingRects"))
        r.custom(key,
                 [](const V& v, ql::KeyedArchiver& c, const QString& k) {
                     QVariantList rects;
                     for (const QRectF& rect : v.clippingRects())
                         rects.append(rect);
                     c.encodeObject(k, rects);
                 },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     const QVariant value = ql::fields::readRaw(c, k);
                     if (value.typeId() != QMetaType::QVariantList)
                         return;
                     QList<QRectF> rects;
                     for (const QVariant& item : value.toList())
                         rects.append(item.typeId() == QMetaType::QRectF ? item.toRectF() : QRectF());
                     v.setClippingRects(rects);
                 });
    else if (name == QLatin1String("fontTypeFaces"))
        r.custom(key,
                 [](const V& v, ql::KeyedArchiver& c, const QString& k) {
                     QVariantList faces;
                     for (const QString& face : v.fontTypeFaces())
                         faces.append(face);
                     c.encodeObject(k, faces);
                 },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QStringList faces;
                     if (ql::fields::readStrings(c, k, faces))
                         v.setFontTypeFaces(faces);
                 });
    else if (name == QLatin1String("currentFont"))
        r.custom(key, [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, v.currentFont()); },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     QVariant value;
                     if (ql::fields::readValue<ql::Font>(c, k, value))
                         v.setCurrentFont(value);
                 });
    else if (name == QLatin1String("currentFontFamilyName"))
        string(&V::setCurrentFontFamilyName, &V::currentFontFamilyName);
    else if (name == QLatin1String("currentFontSize"))
        number(&V::setCurrentFontSize, &V::currentFontSize);
    else if (name == QLatin1String("currentFontTypeFaceIndex"))
        r.custom(key,
                 [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeInteger(k, v.currentFontTypeFaceIndex()); },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     const QVariant value = c.decodePrimitive(k);
                     if (value.typeId() == QMetaType::LongLong)
                         v.setCurrentFontTypeFaceIndex(value.toLongLong());
                 });
    else if (name == QLatin1String("currentTextColor"))
        color(&V::setCurrentTextColor, &V::currentTextColor);
    else if (name == QLatin1String("currentEmphasis"))
        r.custom(key, [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, v.currentEmphasis()); },
                 [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                     const QVariant value = ql::fields::readRaw(c, k);
                     if (value.typeId() != QMetaType::QVariantList)
                         return;
                     QVariantList codes;
                     for (const QVariant& item : value.toList()) {
                         if (ql::isNumeric(item))
                             codes.append(item);
                     }
                     v.setCurrentEmphasis(codes);
                 });
    else if (name == QLatin1String("currentJustification"))
        number(&V::setCurrentJustification, &V::currentJustification);
    else if (name == QLatin1String("currentLetterSpacing"))
        number(&V::setCurrentLetterSpacing, &V::currentLetterSpacing);
    else if (name == QLatin1String("currentLineSpacing"))
        number(&V::setCurrentLineSpacing, &V::currentLineSpacing);
    else if (name == QLatin1String("currentParagraphSpacing"))
        number(&V::setCurrentParagraphSpacing, &V::currentParagraphSpacing);
    else if (name == QLatin1String("currentParagraphIndent"))
        number(&V::setCurrentParagraphIndent, &V::currentParagraphIndent);
    else if (name == QLatin1String("currentParagraphNextIndent"))
        number(&V::setCurrentParagraphNextIndent, &V::currentParagraphNextIndent);
    else if (name == QLatin1String("currentVerticalInsetMargins"))
        number(&V::setCurrentVerticalInsetMargins, &V::currentVerticalInsetMargins);
    else if (name == QLatin1String("currentHorizontalInsetMargins"))
        number(&V::setCurrentHorizontalInsetMargins, &V::currentHorizontalInsetMargins);
    else if (name == QLatin1String("currentHighlightColor"))
        color(&V::setCurrentHighlightColor, &V::currentHighlightColor);
    else if (name == QLatin1String("currentLineHeight"))
        number(&V::setCurrentLineHeight, &V::currentLineHeight);
    else if (name == QLatin1String("strokeEnabled"))
        flag(&V::setStrokeEnabled, &V::strokeEnabled);
    else if (name == QLatin1String("allowHyphenation"))
        flag(&V::setAllowHyphenation, &V::allowHyphenation);
    else if (name == QLatin1String("strokeWidth"))
        number(&V::setStrokeWidth, &V::strokeWidth);
    else if (name == QLatin1String("strokeColor"))
        color(&V::setStrokeColor, &V::strokeColor);
    else
        Q_ASSERT_X(false, "ZVTextView archive", key);
}

// What the text system contributes: the frame, the text storage (shared by
// a chain, so written once) and this box's place in the chain.
void ZVTextView::addTextSystemKeys(Record& r)
{
    r.rect("frame", &V::m_frame)
        .custom("textStorage",
                [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeObject(k, v.textStorage()); },
                [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                    const QVariant value = ql::fields::readRaw(c, k);
                    if (auto* storage = qobject_cast<ql::text::TextStorage*>(ql::objectFromVariant(value)))
                        v.m_pendingStorage = storage;
                    else if (holds<ql::AttributedString>(value)) // records that held the text in place
                        v.setAttributedString(value.value<ql::AttributedString>());
                })
        .custom("textContainerIndex",
                [](const V& v, ql::KeyedArchiver& c, const QString& k) { c.encodeInteger(k, v.textContainerIndex()); },
                [](V& v, ql::KeyedUnarchiver& c, const QString& k) {
                    const QVariant value = c.decodePrimitive(k);
                    if (value.typeId() == QMetaType::LongLong)
                        v.m_archivedChainIndex = int(std::clamp<qlonglong>(value.toLongLong(), 0, 1 << 20));
                });
}

Record ZVTextView::recordWith(std::initializer_list<const char*> keys)
{
    Record record;
    addTextSystemKeys(record);
    for (const char* key : keys)
        addKey(record, key);
    return record;
}

const Record& ZVTextView::encodeRecord()
{
    static const Record record = recordWith(
        {"textViewType", "dateFormat", "pageNumberFormat", "startPage", "selectedPageNumberFormat", "gradient",
         "gradientAngle", "gradientType", "tiledImage", "clippingRects", "fontTypeFaces", "currentFont",
         "currentFontFamilyName", "currentFontSize", "currentFontTypeFaceIndex", "currentTextColor", "currentEmphasis",
         "currentJustification", "currentLetterSpacing", "currentLineSpacing", "currentParagraphSpacing",
         "currentParagraphIndent", "currentParagraphNextIndent", "currentVerticalInsetMargins",
         "currentHorizontalInsetMargins", "currentHighlightColor", "currentLineHeight", "strokeEnabled",
         "allowHyphenation", "strokeWidth", "strokeColor"});
    return record;
}

// Reading follows its own order; nothing observes meanwhile, so the order
// matters only to setters with effects of their own (the field type).
const Record& ZVTextView::decodeRecord()
{
    static const Record record = recordWith(
        {"textViewType", "pageNumberFormat", "dateFormat", "startPage", "selectedPageNumberFormat", "gradient",
         "gradientAngle", "gradientType", "tiledImage", "clippingRects", "fontTypeFaces", "currentFont",
         "currentFontFamilyName", "currentFontSize", "currentFontTypeFaceIndex", "currentTextColor", "currentEmphasis",
         "currentJustification", "currentLetterSpacing", "currentLineSpacing", "currentParagraphSpacing",
         "currentParagraphIndent", "currentParagraphNextIndent", "currentVerticalInsetMargins",
         "currentHorizontalInsetMargins", "currentHighlightColor", "currentLineHeight", "strokeColor", "strokeEnabled",
         "strokeWidth", "allowHyphenation"});
    return record;
}

QStringList ZVTextView::archiveClassChain() const
{
    return ql::fields::viewClassChain(QStringLiteral("ZVTextView"), {QStringLiteral("NSTextView"), QStringLiteral("NSText")});
}

void ZVTextView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    encodeRecord().encode(*this, coder);
}

void ZVTextView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // Nothing observes while the keys are read: the text keeps the
    // attributes it was stored with and no undo is recorded.
    stopObserving();
    m_pendingStorage = nullptr;
    m_decoding = true;
    decodeRecord().decode(*this, coder);
    m_decoding = false;
    if (ql::text::TextStorage* storage = m_pendingStorage.data()) {
        // Boxes of a chain may be read in any order: each takes its place
        // among the boxes already there by the positions they were stored
        // at; boxes stored at one position keep the order they are read in.
        int index = 0;
        for (int i = 0; i < storage->textContainerCount(); ++i) {
            const auto* other = qobject_cast<const ZVTextView*>(storage->textContainerAt(i)->textView());
            if (other && other->m_archivedChainIndex <= m_archivedChainIndex)
                index = i + 1;
        }
        adoptTextStorage(storage, index);
    }
    // A record without its text (an old or damaged one) gets an empty one.
    ensureStorage();
    m_pendingStorage = nullptr;
    applyInsets();
    startObserving();
}
