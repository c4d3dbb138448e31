#include "panels/browsers/ZVTextContentViewController.h"

#include "design/TextStyleSeeds.h"
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "panels/controls/ZVDraggableTextField.h"
#include "platform/graphics/AttributedString.h"
#include "platform/runtime/Deferred.h"
#include "util/layout/PinLayout.h"

#include <QComboBox>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QPushButton>

namespace ql {

QComboBox* ZVTextContentViewController::stylePicker()
{
    view();
    return m_stylePicker;
}

ZVDraggableTextField* ZVTextContentViewController::textField()
{
    view();
    return m_textField;
}

QWidget* ZVTextContentViewController::actionView()
{
    view();
    return m_actionView;
}

QPushButton* ZVTextContentViewController::insertButton()
{
    view();
    return m_insertButton;
}

QWidget* ZVTextContentViewController::loadView()
{
    auto* root = new QWidget;
    m_stylePicker = new QComboBox(root);
    m_stylePicker->setObjectName(QStringLiteral("stylePicker"));
    m_stylePicker->addItems({tr("Normal"), tr("Title"), tr("Subtitle"), tr("Heading 1"), tr("Heading 2"),
                             tr("Heading 3"), tr("Caption")});
    connect(m_stylePicker, &QComboBox::currentIndexChanged, this, [this] { changedSelection(); });
    m_textField = new ZVDraggableTextField(root);
    m_textField->setObjectName(QStringLiteral("textField"));
    m_actionView = new QWidget(root);
    m_actionView->setObjectName(QStringLiteral("actionView"));
    // The text box on a row of its own, the two fields under it: side by
    // side, the three titles would not fit the pane.
    auto* bar = new QGridLayout(m_actionView);
    bar->setContentsMargins(4, 2, 4, 2);
    m_insertButton = new QPushButton(tr("Insert Text Box"), m_actionView);
    m_insertButton->setObjectName(QStringLiteral("insertButton"));
    connect(m_insertButton, &QPushButton::clicked, this, [this] { insertText(); });
    bar->addWidget(m_insertButton, 0, 0, 1, 2);
    const std::pair<QString, int> fields[] = {{tr("Page Number"), PageNumber}, {tr("Date"), Date}};
    int column = 0;
    for (const auto& [title, type] : fields) {
        auto* button = new QPushButton(title, m_actionView);
        connect(button, &QPushButton::clicked, this, [this, type = type] { insertTextWithType(type); });
        bar->addWidget(button, 1, column++);
    }
    setup(root);
    return root;
}

void ZVTextContentViewController::setup(QWidget* root)
{
    autoPinEdge(m_stylePicker, PinEdge::Top, PinEdge::Top, root, 1);
    autoPinEdge(m_stylePicker, PinEdge::Left, PinEdge::Left, root, 3);
    autoPinEdge(m_stylePicker, PinEdge::Right, PinEdge::Right, root, -3);
    autoSetDimension(m_stylePicker, PinDimension::Height, 25);

    autoPinEdge(m_actionView, PinEdge::Bottom, PinEdge::Bottom, root);
    autoPinEdge(m_actionView, PinEdge::Left, PinEdge::Left, root);
    autoPinEdge(m_actionView, PinEdge::Right, PinEdge::Right, root);
    autoFitHeight(m_actionView, 28);

    m_textField->setAutoFillBackground(true);
    QPalette white = m_textField->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_textField->setPalette(white);
    autoPinEdge(m_textField, PinEdge::Left, PinEdge::Left, root, 5);
    autoSetDimension(m_textField, PinDimension::Height, 210);
    autoPinEdge(m_textField, PinEdge::Right, PinEdge::Right, root, -5);
    autoPinEdge(m_textField, PinEdge::Top, PinEdge::Bottom, m_stylePicker, 10);

    auto* shadow = new QGraphicsDropShadowEffect(m_textField);
    shadow->setColor(Qt::lightGray);
    shadow->setOffset(0, 0);
    shadow->setBlurRadius(2);
    m_textField->setGraphicsEffect(shadow);

    {
        const QSignalBlocker quiet(m_stylePicker);
        m_stylePicker->setCurrentIndex(0);
    }
    showSample();
}

void ZVTextContentViewController::changedSelection(QObject*)
{
    setStyle();
}

void ZVTextContentViewController::setStyle()
{
    view();
    showSample();
}

void ZVTextContentViewController::showSample()
{
    AttributedString sample(tr("Drag this text box to the canvas to edit it."));
    // The styles' fonts are the seven a first start offers; any other index
    // leaves the sample in the field's own font.
    const QList<TextStyleSeed> styles = textStyleSeeds();
    const int index = m_stylePicker->currentIndex();
    if (index >= 0 && index < styles.size())
        sample.addAttribute(TextAttribute::font, QVariant::fromValue(styles[index].font), 0, sample.length());
    m_textField->setAttributedStringValue(sample);
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
        // The sentence takes the sample's style.
        text->setAttributedString(textField()->attributedStringValue());
        text->setString(tr("Double click to edit."));
        content = QSizeF(200, 200);
    } else {
        text->setAlignment(int(ParagraphStyle::Alignment::Center));
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
