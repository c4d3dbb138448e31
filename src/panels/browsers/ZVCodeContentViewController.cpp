#include "panels/browsers/ZVCodeContentViewController.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "panels/browsers/ElementPlacement.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace ql {

namespace {

constexpr int kPreviewSide = 180;

} // namespace

QLineEdit* ZVCodeContentViewController::codeField()
{
    view();
    return m_codeField;
}

QComboBox* ZVCodeContentViewController::codeKindPicker()
{
    view();
    return m_kindPicker;
}

ZVDraggableImageView* ZVCodeContentViewController::previewView()
{
    view();
    return m_previewView;
}

QLabel* ZVCodeContentViewController::messageField()
{
    view();
    return m_messageField;
}

QPushButton* ZVCodeContentViewController::insertButton()
{
    view();
    return m_insertButton;
}

QWidget* ZVCodeContentViewController::loadView()
{
    QWidget* view = placeholderView(tr("QR/Barcode"));
    auto* layout = static_cast<QBoxLayout*>(view->layout());
    m_kindPicker = new QComboBox(view);
    m_kindPicker->setObjectName(QStringLiteral("codeKindPicker"));
    m_kindPicker->addItems(codeKindTitles());
    connect(m_kindPicker, &QComboBox::currentIndexChanged, this, [this] { previewCode(); });
    m_codeField = new QLineEdit(view);
    m_codeField->setObjectName(QStringLiteral("codeField"));
    m_codeField->setPlaceholderText(tr("Text to encode"));
    // The preview. Dragging the code onto the page needs a picture view
    // that starts drags; this one only shows it.
    m_previewView = new ZVDraggableImageView(view);
    m_previewView->setObjectName(QStringLiteral("codePreview"));
    m_previewView->setFixedSize(kPreviewSide, kPreviewSide);
    m_previewView->setAlignment(Qt::AlignCenter);
    m_messageField = new QLabel(view);
    m_messageField->setObjectName(QStringLiteral("codeMessage"));
    m_messageField->setWordWrap(true);
    m_insertButton = new QPushButton(tr("Insert"), view);
    m_insertButton->setObjectName(QStringLiteral("insertButton"));
    m_insertButton->setEnabled(false);
    connect(m_insertButton, &QPushButton::clicked, this, [this] { insertCode(); });
    int position = 1;
    for (QWidget* part : {static_cast<QWidget*>(m_kindPicker), static_cast<QWidget*>(m_codeField),
                          static_cast<QWidget*>(m_previewView), static_cast<QWidget*>(m_messageField),
                          static_cast<QWidget*>(m_insertButton)})
        layout->insertWidget(position++, part, 0, part == m_previewView ? Qt::AlignHCenter : Qt::Alignment());
    return view;
}

void ZVCodeContentViewController::previewCode()
{
    view();
    const Result<QImage> made = codeImage(CodeKind(std::max(0, m_kindPicker->currentIndex())), m_codeField->text());
    m_preview = made ? *made : QImage();
    m_messageField->setText(made ? QString() : made.error().message);
    m_previewView->setImage(Image(m_preview));
    m_insertButton->setEnabled(!m_preview.isNull());
}

bool ZVCodeContentViewController::insertCode()
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!page || m_preview.isNull())
        return false;
    return placement::addImage(*page, Image(m_preview)) != nullptr;
}

} // namespace ql
