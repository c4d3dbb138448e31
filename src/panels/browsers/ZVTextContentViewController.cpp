#include "panels/browsers/ZVTextContentViewController.h"

#include "app/design/TextStyleSeeds.h"
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/AttributedString.h"
#include "platform/runtime/Deferred.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

namespace ql {

namespace {

const QString kSample = QStringLiteral("Drag this text box to the canvas to edit it.");

// The picker's styles are the seven a first start offers.
Font styleFont(int index)
{
    const QList<TextStyleSeed> styles = textStyleSeeds();
    return styles.value(std::clamp(index, 0, int(styles.size()) - 1)).font;
}

} // namespace

QComboBox* ZVTextContentViewController::stylePicker()
{
    view();
    return m_stylePicker;
}

QLabel* ZVTextContentViewController::sampleField()
{
    view();
    return m_sampleField;
}

QWidget* ZVTextContentViewController::loadView()
{
    QWidget* view = placeholderView(tr("Text"));
    auto* layout = static_cast<QBoxLayout*>(view->layout());
    m_stylePicker = new QComboBox(view);
    m_stylePicker->setObjectName(QStringLiteral("stylePicker"));
    for (const TextStyleSeed& style : textStyleSeeds())
        m_stylePicker->addItem(style.title);
    connect(m_stylePicker, &QComboBox::currentIndexChanged, this, [this] { showStyle(); });
    m_sampleField = new QLabel(view);
    m_sampleField->setObjectName(QStringLiteral("sampleField"));
    m_sampleField->setWordWrap(true);
    layout->insertWidget(1, m_stylePicker);
    layout->insertWidget(2, m_sampleField);
    const QList<std::pair<QString, int>> buttons {
        {tr("Insert Text Box"), PlainText}, {tr("Page Number"), PageNumber}, {tr("Date"), Date}};
    int position = 3;
    for (const auto& [title, type] : buttons) {
        auto* button = new QPushButton(title, view);
        connect(button, &QPushButton::clicked, this, [this, type = type] { insertTextWithType(type); });
        layout->insertWidget(position++, button);
    }
    showStyle();
    return view;
}

void ZVTextContentViewController::setStyle()
{
    view();
    showStyle();
}

void ZVTextContentViewController::showStyle()
{
    m_sampleField->setText(kSample);
    m_sampleField->setFont(FontResolver::resolve(styleFont(m_stylePicker->currentIndex())));
}

AttributedString ZVTextContentViewController::styledSample()
{
    view();
    return AttributedString(kSample, {{TextAttribute::font, QVariant::fromValue(styleFont(m_stylePicker->currentIndex()))}});
}

void ZVTextContentViewController::insertText(QObject*)
{
    insertTextWithType(PlainText);
}

void ZVTextContentViewController::insertTextWithType(int type)
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!page)
        return;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithText();
    auto* text = qobject_cast<ZVTextView*>(made->contentView());
    QSizeF content(150, 30);
    if (type == PlainText) {
        text->setAttributedString(styledSample());
        text->setString(QStringLiteral("Double click to edit."));
        content = QSizeF(200, 200);
    } else {
        ParagraphStyle centred;
        centred.alignment = ParagraphStyle::Alignment::Center;
        AttributedString empty(QString(), {{TextAttribute::paragraphStyle, QVariant::fromValue(centred)}});
        text->setAttributedString(empty);
    }
    made->setFrame(QRectF(QPointF(0, 0), content).adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin,
                                                             ZVPuttyView::kMargin, ZVPuttyView::kMargin));
    ZVPuttyView* element = made.release();
    page->addPuttyView(element);
    text->setTextViewType(type);
    const QSizeF size = element->frame().size();
    const double centredX = page->frame().width() / 2 - size.width() / 2;
    if (type == PlainText)
        page->centerPuttyView(element);
    else if (type == PageNumber)
        element->setFrame(QRectF(QPointF(centredX, page->frame().height() - size.height() + 35), size));
    else
        element->setFrame(QRectF(QPointF(centredX, -35), size));
    page->highlightPuttyViews();
    const QPointer<ZVCanvasView> where = page;
    after(10, element, [element, where] {
        element->setIsActive(true);
        if (where)
            where->setFocusedPuttyView(element);
    });
}

} // namespace ql
