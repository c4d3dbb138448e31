#include "app/export/ExportSheet.h"

#include "app/document/Document.h"
#include "panels/controls/KeyPathBindings.h"
#include "util/layout/PinLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace ql {

namespace {

constexpr int kSheetWidth = 440;
// The height of the bottom area, with the name and the buttons.
constexpr double kBottomHeight = 136;

template <class Control>
Control* named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// A control in a box of its own, so that the box can be disabled while the
// binding enables the control whenever it shows a value.
QWidget* boxed(QWidget* control)
{
    auto* box = new QWidget;
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control);
    return box;
}

} // namespace

ExportSheet::ExportSheet(Document& document, QWidget* panel, QWidget* contentView, QWidget* bottomContent)
    : QObject(panel), m_document(&document), m_panel(panel), m_bindings(new KeyPathBindings(this))
{
    QWidget* options = buildOptions(contentView);
    buildBottom(bottomContent);
    autoPinEdgeToSuperviewEdge(options, PinEdge::Top, 0);
    autoPinEdgeToSuperviewEdge(options, PinEdge::Left, 0);
    autoPinEdgeToSuperviewEdge(options, PinEdge::Right, 0);
    m_optionsHeight = autoSetDimension(options, PinDimension::Height, document.exportContentHeight());
    m_bindings->setTarget(&document);
    for (const char* key : {"exportPageStart", "exportPageEnd", "exportPageCount", "exportPageRangeType"})
        document.addObserver(QString::fromLatin1(key), this, [this](const KeyValueChange&) { followRange(); });
    document.addObserver(QStringLiteral("exportContentHeight"), this, [this](const KeyValueChange&) { followHeight(); });
    followRange();
    followHeight();
}

QWidget* ExportSheet::buildOptions(QWidget* contentView)
{
    auto* options = named(new QWidget(contentView), "exportOptions");
    auto* form = new QFormLayout(options);

    auto* format = named(new QComboBox, "exportFormat");
    format->addItems({tr("PDF"), tr("JPEG"), tr("PNG"), tr("TIFF")});
    m_bindings->bind(format, QStringLiteral("exportFileFormat"), {.number = BindingNumberKind::Integer});
    form->addRow(tr("Format:"), format);

    auto* pages = new QWidget;
    auto* pagesLayout = new QHBoxLayout(pages);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    auto* all = named(new QRadioButton(tr("All")), "exportAllPages");
    auto* some = named(new QRadioButton(tr("From")), "exportSomePages");
    auto* choice = named(new QButtonGroup(options), "exportPageRangeType");
    choice->addButton(all, 0);
    choice->addButton(some, 1);
    m_bindings->bind(choice, QStringLiteral("exportPageRangeType"), {.number = BindingNumberKind::Integer});
    m_start = named(new QSpinBox, "exportPageStart");
    m_end = named(new QSpinBox, "exportPageEnd");
    m_range = new QWidget;
    auto* rangeLayout = new QHBoxLayout(m_range);
    rangeLayout->setContentsMargins(0, 0, 0, 0);
    rangeLayout->addWidget(m_start);
    rangeLayout->addWidget(new QLabel(tr("to")));
    rangeLayout->addWidget(m_end);
    pagesLayout->addWidget(all);
    pagesLayout->addWidget(some);
    pagesLayout->addWidget(m_range);
    pagesLayout->addStretch();
    form->addRow(tr("Pages:"), pages);
    // The start never passes the end: moving one past the other takes it along.
    connect(m_start, &QSpinBox::valueChanged, this, [this](int start) {
        if (!m_document)
            return;
        m_document->setValueForKey(u"exportPageStart", start);
        if (start > m_end->value())
            m_document->setValueForKey(u"exportPageEnd", start);
    });
    connect(m_end, &QSpinBox::valueChanged, this, [this](int end) {
        if (!m_document)
            return;
        m_document->setValueForKey(u"exportPageEnd", end);
        if (end < m_start->value())
            m_document->setValueForKey(u"exportPageStart", end);
    });

    auto* booklet = named(new QCheckBox(tr("Booklet")), "exportBooklet");
    KeyPathBindingOptions stored;
    // The booklet flag is saved with the document: changing it is an edit.
    stored.write = [](KVObject& target, const QVariant& value) {
        auto& document = static_cast<Document&>(target);
        document.setFormatAsBooklet(value.toBool());
        document.updateChangeCountDone();
    };
    m_bindings->bind(booklet, QStringLiteral("formatAsBooklet"), stored);
    form->addRow(QString(), booklet);

    // Resolution, colour and quality: pictures only.
    auto* picture = named(new QWidget, "exportPictureOptions");
    auto* pictureForm = new QFormLayout(picture);
    pictureForm->setContentsMargins(0, 0, 0, 0);
    auto* resolution = named(new QComboBox, "exportResolution");
    resolution->addItems({tr("72 dpi"), tr("300 dpi"), tr("600 dpi"), tr("1200 dpi")});
    m_bindings->bind(resolution, QStringLiteral("exportFileResolution"), {.number = BindingNumberKind::Integer});
    QWidget* resolutionBox = boxed(resolution);
    enableBy(resolutionBox, QStringLiteral("exportResolutionEligible"));
    pictureForm->addRow(tr("Resolution:"), resolutionBox);
    auto* cmyk = named(new QCheckBox(tr("CMYK")), "exportCMYK");
    KeyPathBindingOptions colour;
    colour.write = [](KVObject& target, const QVariant& value) {
        target.setValueForKey(u"exportColorSpace", value.toBool() ? 1 : 0);
    };
    m_bindings->bind(cmyk, QStringLiteral("exportColorSpace"), colour);
    QWidget* cmykBox = boxed(cmyk);
    enableBy(cmykBox, QStringLiteral("exportCMYKEligible"));
    pictureForm->addRow(tr("Colour:"), cmykBox);
    // The compression factor from 0 to 1; more (the first 8) shows as best.
    auto* quality = named(new QSlider(Qt::Horizontal), "exportQuality");
    quality->setRange(0, 100);
    m_bindings->bind(std::make_unique<SliderAdapter>(quality, 100.0), QStringLiteral("exportImageQuality"),
                     {.number = BindingNumberKind::Double});
    QWidget* qualityBox = boxed(quality);
    enableBy(qualityBox, QStringLiteral("exportQualityEligible"));
    pictureForm->addRow(tr("Quality:"), qualityBox);
    m_bindings->bindVisibility(picture, QStringLiteral("exportResolutionEligible"),
                               [](const QVariant& value) { return value.toBool(); });
    form->addRow(picture);
    return options;
}

void ExportSheet::buildBottom(QWidget* bottomContent)
{
    auto* layout = new QVBoxLayout(bottomContent);
    auto* nameRow = new QHBoxLayout;
    m_fileName = named(new QLineEdit, "exportFilenameField");
    m_bindings->bind(m_fileName, QStringLiteral("exportFileName"));
    nameRow->addWidget(new QLabel(tr("Name:")));
    nameRow->addWidget(m_fileName);
    layout->addLayout(nameRow);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    auto* cancel = named(new QPushButton(tr("Cancel")), "exportCancel");
    auto* next = named(new QPushButton(tr("Next")), "exportNext");
    next->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(next);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &ExportSheet::cancelClicked);
    connect(next, &QPushButton::clicked, this, &ExportSheet::nextClicked);
}

void ExportSheet::enableBy(QWidget* row, const QString& flag)
{
    const auto follow = [this, row, flag] {
        if (m_document)
            row->setEnabled(m_document->valueForKey(flag).toBool());
    };
    m_document->addObserver(flag, row, [follow](const KeyValueChange&) { follow(); });
    follow();
}

void ExportSheet::commitFileName()
{
    if (KeyPathBinding* binding = m_bindings->bindingFor(m_fileName))
        binding->commit();
}

void ExportSheet::followRange()
{
    if (!m_document)
        return;
    const int count = std::max(1, m_document->exportPageCount().toInt());
    for (QSpinBox* box : {m_start, m_end}) {
        const QSignalBlocker blocker(box);
        box->setRange(1, count);
    }
    const QSignalBlocker startBlocker(m_start);
    const QSignalBlocker endBlocker(m_end);
    m_start->setValue(m_document->exportPageStart().toInt());
    m_end->setValue(m_document->exportPageEnd().toInt());
    m_range->setEnabled(m_document->exportPageRangeType().toInt() == 1);
}

void ExportSheet::followHeight()
{
    if (!m_document || !m_optionsHeight)
        return;
    const double height = m_document->exportContentHeight();
    m_optionsHeight->setConstant(height);
    m_panel->resize(kSheetWidth, int(height + kBottomHeight));
}

} // namespace ql
