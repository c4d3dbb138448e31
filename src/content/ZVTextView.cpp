#include "content/ZVTextView.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/DateFormatter.h"
#include "content/text/FlowLayout.h"
#include "content/text/LaidOutTexts.h"
#include "platform/graphics/FontResolver.h"
#include "content/text/TextStorage.h"
#include "platform/graphics/Gradient.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/Uuid.h"

#include <QCoreApplication>
#include <cmath>

namespace {

namespace A = ql::TextAttribute;

double finiteFloat(const QVariant& value)
{
    const float f = value.toFloat();
    return std::isfinite(f) ? double(f) : 0.0;
}

} // namespace

ZVTextView::ZVTextView(const QRectF& frame, QObject* parent)
    : ZVContentView(parent), m_container(std::make_unique<CHNotebookTextContainer>())
{
    m_frame = frame;
    m_container->setTextView(this);
    ensureStorage();
    initialize();
    startObserving();
}

ZVTextView::ZVTextView(Unstored) : ZVContentView(nullptr), m_container(std::make_unique<CHNotebookTextContainer>())
{
    m_container->setTextView(this);
    initialize();
    startObserving();
}

ZVTextView* ZVTextView::forReading()
{
    return new ZVTextView(Unstored {});
}

ZVTextView::~ZVTextView()
{
    stopObserving();
    // A chain keeps its text when one of its boxes goes.
    releaseTextStorage();
}

const QStringList& ZVTextView::observingKeyPaths()
{
    static const QStringList paths {
        QStringLiteral("border.cornerRadius"),
        QStringLiteral("border.lineWidth"),
        QStringLiteral("border.lineDashPattern"),
        QStringLiteral("border.strokeColor"),
        QStringLiteral("innerShadow.shadowColor"),
        QStringLiteral("innerShadowEnabled"),
        QStringLiteral("innerShadow.shadowOffset"),
        QStringLiteral("innerShadow.shadowOpacity"),
        QStringLiteral("innerShadow.shadowRadius"),
        QStringLiteral("gradient"),
        QStringLiteral("tiledImage"),
        QStringLiteral("currentFontFamilyName"),
        QStringLiteral("currentFontTypeFaceIndex"),
        QStringLiteral("currentFontSize"),
        QStringLiteral("currentLetterSpacing"),
        QStringLiteral("currentLineSpacing"),
        QStringLiteral("currentParagraphSpacing"),
        QStringLiteral("currentParagraphIndent"),
        QStringLiteral("currentParagraphNextIndent"),
        QStringLiteral("currentVerticalInsetMargins"),
        QStringLiteral("currentHorizontalInsetMargins"),
        QStringLiteral("strokeWidth"),
        QStringLiteral("strokeColor"),
        QStringLiteral("strokeEnabled"),
        QStringLiteral("allowHyphenation"),
        QStringLiteral("pageNumberFormat"),
        QStringLiteral("startPage"),
        QStringLiteral("dateFormat"),
        QStringLiteral("selectedPageNumberFormat"),
        QStringLiteral("selectedDateFormat"),
        QStringLiteral("currentHighlightColor"),
        QStringLiteral("currentLineHeight"),
    };
    return paths;
}

const QStringList& ZVTextView::undoableKeyPaths()
{
    static const QStringList paths {
        QStringLiteral("currentFontFamilyName"),
        QStringLiteral("currentFontTypeFaceIndex"),
        QStringLiteral("currentFontSize"),
        QStringLiteral("gradient"),
        QStringLiteral("currentLetterSpacing"),
        QStringLiteral("currentLineSpacing"),
        QStringLiteral("currentParagraphSpacing"),
        QStringLiteral("currentParagraphIndent"),
        QStringLiteral("currentParagraphNextIndent"),
        QStringLiteral("currentVerticalInsetMargins"),
        QStringLiteral("currentHorizontalInsetMargins"),
        QStringLiteral("strokeWidth"),
        QStringLiteral("strokeEnabled"),
        QStringLiteral("allowHyphenation"),
        QStringLiteral("pageNumberFormat"),
        QStringLiteral("dateFormat"),
        QStringLiteral("startPage"),
        QStringLiteral("currentHighlightColor"),
        QStringLiteral("currentLineHeight"),
    };
    return paths;
}

const ql::PropertyTable& ZVTextView::properties() const
{
    using V = ZVTextView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        contentTable<V>()
            .property("textStorage", &V::attributedString, &V::setAttributedString)
            .property("string", &V::string, &V::setString)
            .property("textViewType", &V::textViewType, &V::setTextViewType, ValueKind::Number)
            .property("isPageNumber", &V::isPageNumber, &V::setIsPageNumber)
            .property("isDate", &V::isDate, &V::setIsDate)
            .property("isDateOrPageNumber", &V::isDateOrPageNumber, &V::setIsDateOrPageNumber)
            .property("pageNumberFormat", &V::pageNumberFormat, &V::setPageNumberFormat)
            .property("dateFormat", &V::dateFormat, &V::setDateFormat)
            .property("startPage", &V::startPage, &V::setStartPage, ValueKind::Number)
            .property("selectedPageNumberFormat", &V::selectedPageNumberFormat, &V::setSelectedPageNumberFormat,
                      ql::valueOf<QVariantMap>())
            .property("selectedDateFormat", &V::selectedDateFormat, &V::setSelectedDateFormat, ql::valueOf<QVariantMap>())
            .property("gradient", &V::gradient, &V::setGradient, ql::valueOf<ql::Gradient>())
            .property("gradientAngle", &V::gradientAngle, &V::setGradientAngle, ValueKind::Number)
            .property("gradientType", &V::gradientType, &V::setGradientType, ValueKind::Number)
            .property("tiledImage", &V::tiledImage, &V::setTiledImage)
            .property("clippingRects", &V::clippingRects, &V::setClippingRects)
            .property("currentFont", &V::currentFont, &V::setCurrentFont, ql::valueOf<ql::Font>())
            .property("currentFontFamilyName", &V::currentFontFamilyName, &V::setCurrentFontFamilyName)
            .property("currentFontTypeFaceIndex", &V::currentFontTypeFaceIndex, &V::setCurrentFontTypeFaceIndex)
            .property("currentFontSize", &V::currentFontSize, &V::setCurrentFontSize, ValueKind::Number)
            .property("currentTextColor", &V::currentTextColor, &V::setCurrentTextColor, ql::valueOf<ql::Color>())
            .property("currentEmphasis", &V::currentEmphasis, &V::setCurrentEmphasis)
            .property("currentJustification", &V::currentJustification, &V::setCurrentJustification, ValueKind::Number)
            .property("currentLetterSpacing", &V::currentLetterSpacing, &V::setCurrentLetterSpacing, ValueKind::Number)
            .property("currentLineSpacing", &V::currentLineSpacing, &V::setCurrentLineSpacing, ValueKind::Number)
            .property("currentLineHeight", &V::currentLineHeight, &V::setCurrentLineHeight, ValueKind::Number)
            .property("currentParagraphSpacing", &V::currentParagraphSpacing, &V::setCurrentParagraphSpacing,
                      ValueKind::Number)
            .property("currentParagraphIndent", &V::currentParagraphIndent, &V::setCurrentParagraphIndent,
                      ValueKind::Number)
            .property("currentParagraphNextIndent", &V::currentParagraphNextIndent, &V::setCurrentParagraphNextIndent,
                      ValueKind::Number)
            .property("currentVerticalInsetMargins", &V::currentVerticalInsetMargins,
                      &V::setCurrentVerticalInsetMargins, ValueKind::Number)
            .property("currentHorizontalInsetMargins", &V::currentHorizontalInsetMargins,
                      &V::setCurrentHorizontalInsetMargins, ValueKind::Number)
            .property("currentHighlightColor", &V::currentHighlightColor, &V::setCurrentHighlightColor,
                      ql::valueOf<ql::Color>())
            .property("allowHyphenation", &V::allowHyphenation, &V::setAllowHyphenation)
            .property("fontTypeFaces", &V::fontTypeFaces, &V::setFontTypeFaces)
            .property("strokeEnabled", &V::strokeEnabled, &V::setStrokeEnabled)
            .property("strokeWidth", &V::strokeWidth, &V::setStrokeWidth, ValueKind::Number)
            .property("strokeColor", &V::strokeColor, &V::setStrokeColor, ql::valueOf<ql::Color>())
            .property("effectsEnabled", &V::effectsEnabled, &V::setEffectsEnabled)
            .property("mouseInside", &V::mouseInside, &V::setMouseInside)
            .readOnly("isObserving", &V::isObserving)
            .property("backgroundColor", &V::backgroundColor, &V::setBackgroundColor)
            .build();
    return table;
}

void ZVTextView::initialize()
{
    // A container that takes the view's size, with no padding at line ends.
    m_container->setLineFragmentPadding(0);
    m_container->setWidthTracksTextView(true);
    m_container->setHeightTracksTextView(true);

    m_textViewType = 0;
    m_strokeEnabled = false;
    m_strokeWidth = 2;
    m_strokeColor = QVariant::fromValue(ql::Color::calibratedRgb(1, 0, 0));
    m_currentLetterSpacing = 0.0;
    m_currentLineSpacing = 1.0;
    m_currentLineHeight = 0.0;
    m_currentParagraphSpacing = 0.0;
    m_currentParagraphIndent = 0.0;
    m_currentParagraphNextIndent = 0.0;
    m_currentVerticalInsetMargins = 5;
    m_currentHorizontalInsetMargins = 5;
    // The view's own inset starts as the defaults say, so reading it back
    // keeps them.
    applyInsets();
    m_innerShadowEnabled = false;
    m_allowHyphenation = false;
    m_currentHighlightColor = QVariant::fromValue(ql::Color::clear());
    m_currentEmphasis.clear();
    m_currentJustification = 0;
    m_typingAttributes = {
        {A::font, QVariant::fromValue(ql::FontResolver::defaultFont())},
        {A::paragraphStyle, QVariant::fromValue(ql::ParagraphStyle())},
    };
    m_currentFont = getCurrentFont();

    setEditMode(false);
    m_effectsEnabled = false;
    m_currentFontFamilyName = QStringLiteral("Helvetica");
    m_currentFontSize = 12;

    m_pageNumberFormat = QStringLiteral("%1 <NUM> %2 <COUNT>")
                             .arg(QCoreApplication::translate("ZVTextView", "Page"),
                                  QCoreApplication::translate("ZVTextView", "of"));
    m_dateFormat = QStringLiteral("MMMM d, yyyy");
    m_startPage = 1;
    m_isPageNumber = m_isDate = m_isDateOrPageNumber = false;

    ql::NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("AutoUpdateText"), nullptr,
                                                        [this](const ql::Notification&) { updateTextFromType(); });
}

// Text system -----------------------------------------------------------------

ql::text::TextStorage* ZVTextView::ensureStorage()
{
    if (!m_storage)
        adoptTextStorage(new ql::text::TextStorage(this), 0);
    return m_storage;
}

ql::text::TextStorage* ZVTextView::textStorage() const
{
    return m_storage.data();
}

ql::text::FlowLayout* ZVTextView::layoutManager() const
{
    return m_storage ? m_storage->layoutManager() : nullptr;
}

int ZVTextView::textContainerIndex() const
{
    return m_storage ? std::max(0, m_storage->indexOfTextContainer(m_container.get())) : 0;
}

void ZVTextView::adoptTextStorage(ql::text::TextStorage* storage, int index)
{
    if (!storage || storage == m_storage)
        return;
    releaseTextStorage();
    m_storage = storage;
    if (!storage->parent())
        storage->setParent(this);
    storage->insertTextContainer(m_container.get(), index);
    connect(storage, &ql::text::TextStorage::textChanged, this, &ZVTextView::onTextChanged);
    connect(storage, &ql::text::TextStorage::layoutInvalidated, this, &ZVContentView::setNeedsDisplay);
    // A caret at the start needs not measure the text (which would make a
    // text only read so far into a document).
    if (m_selectedRange.location > 0)
        m_selectedRange = Range {std::min(m_selectedRange.location, textLength()), 0};
    else
        m_selectedRange.length = 0;
    setNeedsDisplay();
}

void ZVTextView::releaseTextStorage()
{
    if (!m_storage)
        return;
    ql::text::TextStorage* storage = m_storage;
    m_storage = nullptr;
    disconnect(storage, nullptr, this, nullptr);
    storage->removeTextContainer(m_container.get());
    if (storage->parent() != this)
        return;
    // The text goes on with the chain's other boxes, or goes.
    for (int i = 0; i < storage->textContainerCount(); ++i) {
        if (QObject* heir = storage->textContainerAt(i)->textView()) {
            storage->setParent(heir);
            return;
        }
    }
    delete storage;
}

void ZVTextView::joinTextChain(ZVTextView* other, int index)
{
    if (other && other != this)
        adoptTextStorage(other->ensureStorage(), index);
}

void ZVTextView::leaveTextChain()
{
    releaseTextStorage();
    ensureStorage();
}

int ZVTextView::withdrawFromTextFlow()
{
    ql::text::FlowLayout* layout = layoutManager();
    const int index = layout ? layout->indexOfTextContainer(m_container.get()) : -1;
    if (index < 0 || layout->textContainerCount() < 2)
        return -1;
    layout->removeTextContainerAtIndex(index);
    setNeedsDisplay();
    return index;
}

void ZVTextView::returnToTextFlow(int index)
{
    ql::text::FlowLayout* layout = layoutManager();
    if (!layout || index < 0 || layout->indexOfTextContainer(m_container.get()) >= 0)
        return;
    layout->insertTextContainer(m_container.get(), index);
    setNeedsDisplay();
}

void ZVTextView::keepOwnCopyOfText()
{
    const ql::text::FlowLayout* layout = layoutManager();
    if (!layout || layout->textContainerCount() < 2)
        return;
    const ql::AttributedString text = attributedString();
    leaveTextChain();
    setAttributedString(text);
}

QList<ZVTextView*> ZVTextView::textChainViews() const
{
    QList<ZVTextView*> views;
    if (m_storage) {
        for (int i = 0; i < m_storage->textContainerCount(); ++i) {
            if (auto* view = qobject_cast<ZVTextView*>(m_storage->textContainerAt(i)->textView()))
                views.append(view);
        }
    }
    return views;
}

void ZVTextView::onTextChanged()
{
    ++m_textEdits;
    const int length = textLength();
    if (m_selectedRange.end() > length) {
        const int location = std::min(m_selectedRange.location, length);
        m_selectedRange = Range {location, std::min(m_selectedRange.length, length - location)};
    }
    setNeedsDisplay();
}

ql::AttributedString ZVTextView::attributedString() const
{
    return m_storage ? m_storage->attributedString() : ql::AttributedString();
}

void ZVTextView::setAttributedString(const ql::AttributedString& text)
{
    willChangeValueForKey(QStringLiteral("textStorage"));
    willChangeValueForKey(QStringLiteral("string"));
    ensureStorage()->setAttributedString(text);
    m_selectedRange = Range {std::min(m_selectedRange.location, textLength()), 0};
    didChangeValueForKey(QStringLiteral("string"));
    didChangeValueForKey(QStringLiteral("textStorage"));
}

QString ZVTextView::string() const
{
    return m_storage ? m_storage->string() : QString();
}

void ZVTextView::setString(const QString& text)
{
    const ql::TextAttributes attributes =
        textLength() > 0 ? ql::text::attributesAt(*m_storage->document(), 0) : m_typingAttributes;
    setAttributedString(ql::AttributedString(text, attributes));
}

int ZVTextView::textLength() const
{
    return m_storage ? m_storage->length() : 0;
}

// Selection -----------------------------------------------------------------

void ZVTextView::setSelectedRange(Range range)
{
    const int length = textLength();
    const int location = std::clamp(range.location, 0, length);
    const Range clipped {location, std::clamp(range.length, 0, length - location)};
    // A caret that stays where it is keeps a style chosen for it.
    if (clipped == m_selectedRange)
        return;
    m_selectedRange = clipped;
    takeTypingAttributesFromText();
    textViewDidChangeSelection();
    emit selectionChanged();
    setNeedsDisplay();
    // The boxes of a chain show one selection: the caret passes from box to box.
    if (m_sharingSelection)
        return;
    m_sharingSelection = true;
    for (ZVTextView* other : textChainViews()) {
        if (other != this && !other->m_sharingSelection) {
            other->m_sharingSelection = true;
            other->setSelectedRange(clipped);
            other->m_sharingSelection = false;
        }
    }
    m_sharingSelection = false;
}

void ZVTextView::takeTypingAttributesFromText()
{
    // Typing continues the text before the caret, or the selection's first
    // character; at a paragraph's start it continues that paragraph (its
    // first character, or the break of an empty one), not the break before
    // it. An empty box keeps its own.
    if (!m_storage || textLength() == 0)
        return;
    const QTextDocument& document = *m_storage->document();
    const int location = m_selectedRange.location;
    const bool ownCharacter = m_selectedRange.length > 0 || document.findBlock(location).position() == location;
    m_typingAttributes = ql::text::attributesAt(document, ownCharacter ? location : location - 1);
}

void ZVTextView::setTypingAttributes(const ql::TextAttributes& attributes)
{
    m_typingAttributes = attributes;
}

bool ZVTextView::isField() const
{
    const int type = m_textViewType.toInt();
    return type == PageNumber || type == Date;
}

ZVTextView::Range ZVTextView::applyRange() const
{
    // A field never gets a selection of its own: formatting it means all of it.
    if (m_editMode && !isField())
        return m_selectedRange;
    return Range {0, textLength()};
}

// Geometry ------------------------------------------------------------------

void ZVTextView::setFrame(const QRectF& frame)
{
    const ZVPuttyView* element = puttyView();
    const double margins = 2 * ZVPuttyView::kMargin;
    // Without an element the size would be negative: it is empty instead.
    const QSizeF size = element ? QSizeF(std::max(0.0, element->frame().width() - margins),
                                         std::max(0.0, element->frame().height() - margins))
                                : QSizeF(0, 0);
    ZVContentView::setFrame(QRectF(frame.topLeft(), size));
    updateContainerSize();
}

QPointF ZVTextView::textContainerOrigin() const
{
    const ZVPuttyView* element = puttyView();
    const double border = element ? element->effectiveBorderWidth() : 0.0;
    const double extra = std::isfinite(border) ? std::max(0.0, border) : 0.0;
    return QPointF(m_textContainerInset.width() + extra, m_textContainerInset.height() + extra);
}

void ZVTextView::setPuttyView(ZVPuttyView* element)
{
    ZVContentView::setPuttyView(element);
    disconnect(m_borderWatch);
    if (element) {
        m_borderWatch = connect(element, &ql::KVObject::valueChanged, this, [this](const QString& key) {
            if (key == QLatin1String("borderEnabled") || key == QLatin1String("borderWidth")
                || key == QLatin1String("borderStyle")) {
                updateContainerSize();
                setNeedsDisplay();
            }
        });
    }
    updateContainerSize();
}

void ZVTextView::updateContainerSize()
{
    const QPointF origin = textContainerOrigin();
    // Insets larger than the box leave an empty container, not a negative one.
    m_container->setContainerSize(QSizeF(std::max(0.0, m_frame.width() - 2 * origin.x()),
                                         std::max(0.0, m_frame.height() - 2 * origin.y())));
}

void ZVTextView::applyInsets()
{
    m_textContainerInset = QSizeF(finiteFloat(m_currentHorizontalInsetMargins), finiteFloat(m_currentVerticalInsetMargins));
    updateContainerSize();
    setNeedsDisplay();
}

void ZVTextView::findInsets()
{
    setCurrentHorizontalInsetMargins(m_textContainerInset.width());
    setCurrentVerticalInsetMargins(m_textContainerInset.height());
}

void ZVTextView::setClippingRects(const QList<QRectF>& rects)
{
    changeValue(QStringLiteral("clippingRects"), m_clippingRects, rects);
    // Every call replaces the whole set under fresh keys, and lays the text
    // out once.
    m_container->beginClipGrouping();
    m_container->removeAllClippingRects();
    for (const QRectF& rect : rects)
        m_container->setClippingRect(rect, ql::newUuidString());
    m_container->endClipGrouping();
    m_container->textContainerChangedGeometry();
    // A text not laid out yet has no layout to say so.
    setNeedsDisplay();
}

QRectF ZVTextView::insertionPointRect(const QRectF& lineRect)
{
    return QRectF(lineRect.x(), lineRect.y(), 1.0, std::max(15.0, lineRect.height()));
}

void ZVTextView::drawText(QPainter& painter) const
{
    if (ql::text::FlowLayout* layout = layoutManager()) {
        const int index = layout->indexOfTextContainer(m_container.get());
        if (index >= 0)
            layout->drawTextContainer(&painter, index, textContainerOrigin());
    }
}

void ZVTextView::releaseDrawingCaches(DrawnFor drawnFor)
{
    // A chain is laid out through all its boxes: forgetting it after each
    // box would lay it out again for every one of them. A box being edited
    // keeps its lines for the caret.
    const auto standsAlone = [this] {
        return m_storage && m_storage->textContainerCount() == 1 && !m_editMode;
    };
    if (!standsAlone() || !m_storage->hasDocument())
        return;
    ql::text::LaidOutTexts& kept = ql::text::LaidOutTexts::shared();
    const qint64 bytes = m_storage->laidOutBytes();
    // Let go of at once, a text past the budget would be made again at
    // every drawing of the window.
    if (drawnFor == DrawnFor::Screen && bytes > kept.maxBytes())
        return;
    // The next export or the screen reuses the lines while the budget keeps
    // them: edits and new geometry lay out again what they touch. When the
    // budget lets go, untouched text goes back to the form it was read in,
    // and the lines of text that changed go at least. Lines laid out while
    // their hyphenation patterns were loading stay: only they hear when the
    // patterns come, and have the box drawn again with its hyphens.
    kept.keep(this, bytes, [this, standsAlone] {
        if (!standsAlone() || (m_storage->hasDocument() && m_storage->layoutManager()->missedPatterns()))
            return;
        if (!m_editor)
            m_storage->releaseDocument();
        if (m_storage->hasDocument())
            m_storage->layoutManager()->discardLayout();
    });
}

// Fields --------------------------------------------------------------------

void ZVTextView::updateTextFromType(const QVariant& unused)
{
    Q_UNUSED(unused);
    // A box being read keeps the text it was stored with until the next
    // refresh: its page and template are not known yet.
    if (m_decoding)
        return;
    const int type = m_textViewType.toInt();
    if (type == PageNumber)
        setPageNumber();
    else if (type == Date)
        setDate();
}

std::optional<ZVTextView::PageNumbers> ZVTextView::pageNumbers() const
{
    // Without an element, page or document the position and count are 0.
    qint64 index = 0;
    qint64 count = 0;
    if (const ZVPuttyView* element = puttyView()) {
        if (const ZVCanvasView* page = element->canvas(); page && page->document()) {
            index = page->document()->indexOfPage(page);
            // A page its document does not show has no number to give.
            if (index < 0)
                return std::nullopt;
            count = page->document()->pageCount();
        }
    }
    // Start pages from a file may be anything; far beyond any page count
    // they still give numbers, never an overflow.
    constexpr double kFarthest = 1e15;
    const double asRead = m_startPage.isValid() ? m_startPage.toDouble() : 1.0;
    const qint64 start = std::isfinite(asRead) ? qint64(std::clamp(std::trunc(asRead), -kFarthest, kFarthest)) : 1;
    return PageNumbers {index + 2 - start, count + 1 - start};
}

void ZVTextView::replaceFieldText(const QString& text)
{
    if (text != string())
        setString(text);
}

void ZVTextView::setPageNumber()
{
    if (m_pageNumberFormat.isEmpty())
        return;
    const std::optional<PageNumbers> numbers = pageNumbers();
    if (!numbers)
        return;
    QString text = m_pageNumberFormat;
    text.replace(QLatin1String("<NUM>"), QString::number(numbers->number));
    text.replace(QLatin1String("<COUNT>"), QString::number(numbers->count));
    replaceFieldText(text);
}

// Made on first use: a formatter costs tens of kilobytes, and most boxes
// never show a date.
ql::text::DateFormatter& ZVTextView::dateFormatter() const
{
    if (!m_dateFormatter)
        m_dateFormatter = std::make_unique<ql::text::DateFormatter>();
    return *m_dateFormatter;
}

void ZVTextView::setDate()
{
    if (m_dateFormat.isEmpty())
        return;
    dateFormatter().setDateFormat(m_dateFormat);
    // A pattern that formats nothing leaves the text as it was.
    const QString text = dateFormatter().stringFromDate(dateFormatter().now());
    if (!text.isEmpty())
        replaceFieldText(text);
}

QVariantList ZVTextView::pageNumberFormats() const
{
    const QString page = QCoreApplication::translate("ZVTextView", "Page");
    const QString of = QCoreApplication::translate("ZVTextView", "of");
    const PageNumbers numbers = pageNumbers().value_or(PageNumbers {});
    const QString n = QString::number(numbers.number);
    const QString c = QString::number(numbers.count);
    const auto entry = [](const QString& title, const QString& format) {
        return QVariantMap {{QStringLiteral("title"), title}, {QStringLiteral("format"), format}};
    };
    return {
        entry(QStringLiteral("%1 %2 %3 %4").arg(page, n, of, c), QStringLiteral("%1 <NUM> %2 <COUNT>").arg(page, of)),
        entry(QStringLiteral("%1 %2").arg(page, n), QStringLiteral("%1 <NUM>").arg(page)),
        entry(QStringLiteral("%1 %2 %3").arg(n, of, c), QStringLiteral("<NUM> %1 <COUNT>").arg(of)),
        entry(n, QStringLiteral("<NUM>")),
        entry(QStringLiteral("%1 / %2").arg(n, c), QStringLiteral("<NUM> / <COUNT>")),
    };
}

const QStringList& ZVTextView::dateFormatPatterns()
{
    static const QStringList patterns {
        QStringLiteral("MMMM d, yyyy"),
        QStringLiteral("EEEE, MMMM d, yyyy"),
        QStringLiteral("EEE, MMM d, yyyy"),
        QStringLiteral("MMM d, yyyy"),
        QStringLiteral("MM/dd/yy"),
        QStringLiteral("yyyy-MM-dd"),
        QStringLiteral("h:mm a"),
        QStringLiteral("MMMM d, yyyy, h:mm a"),
        QStringLiteral("EEEE, MMMM d, yyyy, h:mm a"),
        QStringLiteral("EEE, MMM d, yyyy, h:mm a"),
        QStringLiteral("MMM d, yyyy, h:mm a"),
        QStringLiteral("MM/dd/yy, h:mm a"),
        QStringLiteral("yyyy-MM-dd, h:mm a"),
    };
    return patterns;
}

QVariantList ZVTextView::dateFormats() const
{
    QVariantList formats;
    const QDateTime now = dateFormatter().now();
    for (const QString& pattern : dateFormatPatterns()) {
        dateFormatter().setDateFormat(pattern);
        formats.append(QVariantMap {{QStringLiteral("title"), dateFormatter().stringFromDate(now)},
                                    {QStringLiteral("format"), pattern}});
    }
    return formats;
}

void ZVTextView::updatePageNumberFormat()
{
    const QVariant format = m_selectedPageNumberFormat.toMap().value(QStringLiteral("format"));
    if (format.typeId() == QMetaType::QString)
        setPageNumberFormat(format.toString());
}

void ZVTextView::updateDateFormat()
{
    const QVariant format = m_selectedDateFormat.toMap().value(QStringLiteral("format"));
    if (format.typeId() == QMetaType::QString)
        setDateFormat(format.toString());
}

// Stored properties ----------------------------------------------------------

void ZVTextView::setTextViewType(const QVariant& type)
{
    changeValue(QStringLiteral("textViewType"), m_textViewType, type);
    // A box once made a field stays one: the flags are only ever raised, so
    // a later type never unmarks it.
    const int kind = type.toInt();
    if (kind == PageNumber)
        setIsPageNumber(true);
    else if (kind == Date)
        setIsDate(true);
    if (kind == PageNumber || kind == Date)
        setIsDateOrPageNumber(true);
    updateTextFromType();
}

void ZVTextView::setIsPageNumber(bool isPageNumber)
{
    changeValue(QStringLiteral("isPageNumber"), m_isPageNumber, isPageNumber);
}

void ZVTextView::setIsDate(bool isDate)
{
    changeValue(QStringLiteral("isDate"), m_isDate, isDate);
}

void ZVTextView::setIsDateOrPageNumber(bool flag)
{
    changeValue(QStringLiteral("isDateOrPageNumber"), m_isDateOrPageNumber, flag);
}

void ZVTextView::setPageNumberFormat(const QString& format)
{
    changeValue(QStringLiteral("pageNumberFormat"), m_pageNumberFormat, format);
}

void ZVTextView::setDateFormat(const QString& format)
{
    changeValue(QStringLiteral("dateFormat"), m_dateFormat, format);
}

void ZVTextView::setStartPage(const QVariant& page)
{
    changeValue(QStringLiteral("startPage"), m_startPage, page);
}

void ZVTextView::setSelectedPageNumberFormat(const QVariant& format)
{
    changeValue(QStringLiteral("selectedPageNumberFormat"), m_selectedPageNumberFormat, format);
}

void ZVTextView::setSelectedDateFormat(const QVariant& format)
{
    changeValue(QStringLiteral("selectedDateFormat"), m_selectedDateFormat, format);
}

void ZVTextView::setGradient(const QVariant& gradient)
{
    changeValue(QStringLiteral("gradient"), m_gradient, gradient);
}

void ZVTextView::setGradientAngle(const QVariant& angle)
{
    changeValue(QStringLiteral("gradientAngle"), m_gradientAngle, angle);
}

void ZVTextView::setGradientType(const QVariant& type)
{
    changeValue(QStringLiteral("gradientType"), m_gradientType, type);
}

void ZVTextView::setTiledImage(const ql::Image& image)
{
    changeValue(QStringLiteral("tiledImage"), m_tiledImage, image);
}

void ZVTextView::setCurrentFont(const QVariant& font)
{
    changeValue(QStringLiteral("currentFont"), m_currentFont, font);
}

void ZVTextView::setCurrentFontFamilyName(const QString& family)
{
    changeValue(QStringLiteral("currentFontFamilyName"), m_currentFontFamilyName, family);
}

void ZVTextView::setCurrentFontTypeFaceIndex(qint64 index)
{
    changeValue(QStringLiteral("currentFontTypeFaceIndex"), m_currentFontTypeFaceIndex, index);
}

void ZVTextView::setCurrentFontSize(const QVariant& size)
{
    changeValue(QStringLiteral("currentFontSize"), m_currentFontSize, size);
}

void ZVTextView::setCurrentTextColor(const QVariant& color)
{
    changeValue(QStringLiteral("currentTextColor"), m_currentTextColor, color);
}

void ZVTextView::setCurrentEmphasis(const QVariantList& emphasis)
{
    changeValue(QStringLiteral("currentEmphasis"), m_currentEmphasis, ql::text::eachCodeOnce(emphasis));
}

void ZVTextView::setCurrentJustification(const QVariant& justification)
{
    changeValue(QStringLiteral("currentJustification"), m_currentJustification, justification);
}

void ZVTextView::setCurrentLetterSpacing(const QVariant& spacing)
{
    changeValue(QStringLiteral("currentLetterSpacing"), m_currentLetterSpacing, spacing);
}

void ZVTextView::setCurrentLineSpacing(const QVariant& spacing)
{
    changeValue(QStringLiteral("currentLineSpacing"), m_currentLineSpacing, spacing);
}

void ZVTextView::setCurrentLineHeight(const QVariant& height)
{
    changeValue(QStringLiteral("currentLineHeight"), m_currentLineHeight, height);
}

void ZVTextView::setCurrentParagraphSpacing(const QVariant& spacing)
{
    changeValue(QStringLiteral("currentParagraphSpacing"), m_currentParagraphSpacing, spacing);
}

void ZVTextView::setCurrentParagraphIndent(const QVariant& indent)
{
    changeValue(QStringLiteral("currentParagraphIndent"), m_currentParagraphIndent, indent);
}

void ZVTextView::setCurrentParagraphNextIndent(const QVariant& indent)
{
    changeValue(QStringLiteral("currentParagraphNextIndent"), m_currentParagraphNextIndent, indent);
}

void ZVTextView::setCurrentVerticalInsetMargins(const QVariant& inset)
{
    changeValue(QStringLiteral("currentVerticalInsetMargins"), m_currentVerticalInsetMargins, inset);
}

void ZVTextView::setCurrentHorizontalInsetMargins(const QVariant& inset)
{
    changeValue(QStringLiteral("currentHorizontalInsetMargins"), m_currentHorizontalInsetMargins, inset);
}

void ZVTextView::setCurrentHighlightColor(const QVariant& color)
{
    changeValue(QStringLiteral("currentHighlightColor"), m_currentHighlightColor, color);
}

void ZVTextView::setAllowHyphenation(bool allow)
{
    changeValue(QStringLiteral("allowHyphenation"), m_allowHyphenation, allow);
}

void ZVTextView::setFontTypeFaces(const QStringList& faces)
{
    changeValue(QStringLiteral("fontTypeFaces"), m_fontTypeFaces, faces);
}

void ZVTextView::setStrokeEnabled(bool enabled)
{
    changeValue(QStringLiteral("strokeEnabled"), m_strokeEnabled, enabled);
}

void ZVTextView::setStrokeWidth(const QVariant& width)
{
    changeValue(QStringLiteral("strokeWidth"), m_strokeWidth, width);
}

void ZVTextView::setStrokeColor(const QVariant& color)
{
    changeValue(QStringLiteral("strokeColor"), m_strokeColor, color);
}

void ZVTextView::setEffectsEnabled(bool enabled)
{
    changeValue(QStringLiteral("effectsEnabled"), m_effectsEnabled, enabled);
}

void ZVTextView::setMouseInside(bool inside)
{
    changeValue(QStringLiteral("mouseInside"), m_mouseInside, inside);
}

void ZVTextView::setBackgroundColor(const ql::Color& color)
{
    changeValue(QStringLiteral("backgroundColor"), m_backgroundColor, color);
}
