#include "panels/inspectors/ZVPageSettingsController.h"

#include "app/document/Document.h"
#include "canvas/PageLimits.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/InspectorControls.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/inspectors/MasterPagePopup.h"
#include "panels/inspectors/ZVBackgroundPicker.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace ql {

using namespace inspector;

namespace {

using Number = KeyPathBinding::NumberKind;

// The geometry in effect: the master's while one is linked, else the page's.
QString inEffect(const char* key)
{
    return QStringLiteral("currentPage.templateView.") + QLatin1String(key);
}

// Lengths in the display unit, typed numbers read in it and kept within
// what a page allows.
KeyPathBinding::Options length(double minimum, double maximum)
{
    return numbers(Number::Double, minimum, maximum, QStringLiteral("ZVUnitsTransformer"));
}

// Column and row guides lie inside the margins (0) or across the page (any
// other value, shown as the second choice).
class GuideStyleAdapter : public ComboBoxAdapter {
public:
    using ComboBoxAdapter::ComboBoxAdapter;
    void show(const QVariant& value) override { ComboBoxAdapter::show(value.isValid() ? int(value.toInt() != 0) : -1); }
};

} // namespace

ZVPageSettingsController::ZVPageSettingsController(QObject* parent)
    : ZVInspectorController(parent), m_bindings(new KeyPathBindings(this)),
      m_backgroundPicker(new ZVBackgroundPicker(this))
{
    m_bindings->setUndoManagerProvider([this]() -> UndoManager* {
        auto* document = qobject_cast<Document*>(representedObject());
        return document ? document->undoManager() : nullptr;
    });
}

void ZVPageSettingsController::setRepresentedObject(QObject* object)
{
    ZVInspectorController::setRepresentedObject(object);
    m_bindings->setTarget(qobject_cast<Document*>(object));
    if (m_masterPagePopup)
        m_masterPagePopup->setDocument(qobject_cast<Document*>(object));
    if (isViewLoaded())
        setup();
}

QWidget* ZVPageSettingsController::backgroundPickerView()
{
    view();
    return m_backgroundPickerView;
}

QPushButton* ZVPageSettingsController::applyButton()
{
    view();
    return m_applyButton;
}

QStringList ZVPageSettingsController::pageSizeTitles()
{
    return {tr("Custom"),
            tr("Letter (8.5 × 11 in)"),
            tr("Half Letter (5.5 × 8.5 in)"),
            tr("Legal (8.5 × 14 in)"),
            tr("7 × 8.5 in"),
            tr("Tabloid (11 × 17 in)"),
            tr("US Letter (8.5 × 11 in)"),
            tr("A2 (420 × 594 mm)"),
            tr("A3 (297 × 420 mm)"),
            tr("A4 (210 × 297 mm)"),
            tr("A5 (148 × 210 mm)"),
            tr("Business Card (2 × 3.5 in)"),
            tr("Business Card (55 × 85 mm)"),
            tr("Business Card (55 × 91 mm)"),
            tr("Postcard (4 × 6 in)"),
            tr("No. 10 Envelope (4.125 × 9.5 in)")};
}

void ZVPageSettingsController::applySettingsToAllPages(QObject*)
{
    if (auto* document = qobject_cast<Document*>(representedObject()))
        document->applyPageSettingsToAllPages();
}

void ZVPageSettingsController::buildView(QWidget* view)
{
    auto* layout = static_cast<QBoxLayout*>(view->layout());
    layout->insertWidget(1, buildSettings(view));
    m_backgroundPickerView = box(QStringLiteral("backgroundPickerView"), view);
    new QVBoxLayout(m_backgroundPickerView);
    m_backgroundPickerView->layout()->setContentsMargins(0, 0, 0, 0);
    layout->insertWidget(2, m_backgroundPickerView);
    m_applyButton = new QPushButton(tr("Apply to All Pages"), view);
    m_applyButton->setObjectName(QStringLiteral("applyButton"));
    connect(m_applyButton, &QPushButton::clicked, this, [this] { applySettingsToAllPages(m_applyButton); });
    layout->insertWidget(3, m_applyButton, 0, Qt::AlignHCenter);
    setup();
    showGeometrySource();
}

QWidget* ZVPageSettingsController::buildSettings(QWidget* parent)
{
    QWidget* settings = box(QStringLiteral("pageSettings"), parent);
    QGridLayout* rows = rowsOf(settings);
    // The rows go here, first the master's, then the geometry it may lend.
    QWidget* into = settings;
    // A row is one widget, so that a page flag can disable its caption too.
    const auto addRow = [&](const QString& title, QWidget* control, const char* enabledBy = nullptr) {
        QWidget* row = box(control->objectName() + QStringLiteral("Row"), into);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        QLabel* label = caption(title, row);
        label->setMinimumWidth(90);
        line->addWidget(label);
        // Long choices are cut short rather than widen the pane.
        if (auto* choices = qobject_cast<QComboBox*>(control)) {
            choices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            choices->setMinimumContentsLength(8);
        }
        control->setParent(row);
        line->addWidget(control, 1, Qt::AlignLeft);
        rows->addWidget(row, rows->rowCount(), 0, 1, 2);
        if (enabledBy)
            m_bindings->bindEnabled(row, inEffect(enabledBy));
    };
    const auto addLength = [&](const char* key, const QString& title, double minimum, double maximum,
                               const char* enabledBy = nullptr) {
        QLineEdit* control = field(QString::fromLatin1(key), into);
        control->setFixedWidth(80);
        addRow(title, control, enabledBy);
        m_bindings->bind(control, inEffect(key), length(minimum, maximum));
    };
    const auto addCheck = [&](const char* key, const QString& title) {
        auto* control = new QCheckBox(title, into);
        control->setObjectName(QString::fromLatin1(key));
        rows->addWidget(control, rows->rowCount(), 0, 1, 2);
        m_bindings->bind(control, inEffect(key));
    };
    const auto addCount = [&](const char* key, const QString& title) {
        auto* control = new QSpinBox(into);
        control->setObjectName(QString::fromLatin1(key));
        control->setRange(1, PageLimits::kMaximumGuideCount);
        addRow(title, control);
        m_bindings->bind(control, inEffect(key), numbers(Number::Integer, 1, PageLimits::kMaximumGuideCount));
    };

    QComboBox* master = popup(QStringLiteral("masterPage"), {}, settings);
    addRow(tr("Master Page"), master);
    m_masterPagePopup = new MasterPagePopup(master, this);
    m_masterSource = new QLabel(settings);
    m_masterSource->setObjectName(QStringLiteral("masterPageSource"));
    addRow(QString(), m_masterSource);
    connect(m_masterPagePopup, &MasterPagePopup::refreshed, this, &ZVPageSettingsController::showGeometrySource);
    m_masterPagePopup->setDocument(qobject_cast<Document*>(representedObject()));

    // Disabled as a whole while a master lends it, whatever each row's own state.
    m_geometry = box(QStringLiteral("pageGeometry"), settings);
    rows->addWidget(m_geometry, rows->rowCount(), 0, 1, 2);
    rows = rowsOf(m_geometry);
    into = m_geometry;

    const std::pair side(PageLimits::kMinimumSide, PageLimits::kMaximumSide);
    QComboBox* size = popup(QStringLiteral("pageSize"), pageSizeTitles(), into);
    addRow(tr("Size"), size);
    m_bindings->bind(size, inEffect("pageSize"), numbers(Number::Integer));
    QComboBox* orientation = popup(QStringLiteral("pageOrientation"), {tr("Portrait"), tr("Landscape")}, into);
    addRow(tr("Orientation"), orientation, "pageOrientationControlEnabled");
    m_bindings->bind(orientation, inEffect("pageOrientation"), numbers(Number::Integer));
    addLength("pageWidth", tr("Width"), side.first, side.second, "pageWidthControlEnabled");
    addLength("pageHeight", tr("Height"), side.first, side.second, "pageHeightControlEnabled");

    addLength("topMargin", tr("Top Margin"), 0, PageLimits::kMaximumMargin);
    addLength("bottomMargin", tr("Bottom Margin"), 0, PageLimits::kMaximumMargin);
    addLength("leftMargin", tr("Left Margin"), 0, PageLimits::kMaximumMargin);
    addLength("rightMargin", tr("Right Margin"), 0, PageLimits::kMaximumMargin);
    addCheck("showMarginGuides", tr("Show Margin Guides"));

    addCheck("fullBleed", tr("Full Bleed"));
    addLength("bleedMargin", tr("Bleed"), 0, PageLimits::kMaximumBleed);
    addCheck("showBleedCropMarks", tr("Show Crop Marks"));

    addCheck("showColumnRowGuides", tr("Show Column and Row Guides"));
    addCount("colNumber", tr("Columns"));
    addLength("colGutter", tr("Column Gutter"), 0, PageLimits::kMaximumMargin);
    addCount("rowNumber", tr("Rows"));
    addLength("rowGutter", tr("Row Gutter"), 0, PageLimits::kMaximumMargin);
    QComboBox* style = popup(QStringLiteral("colRowStyle"), {tr("Inside Margins"), tr("Across the Page")}, into);
    addRow(tr("Guides Lie"), style);
    m_bindings->bind(std::make_unique<GuideStyleAdapter>(style), inEffect("colRowStyle"), numbers(Number::Integer));
    return settings;
}

void ZVPageSettingsController::showGeometrySource()
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    ZVCanvasView* master = page && page->templateView() != page ? page->templateView() : nullptr;
    if (m_masterSource) {
        m_masterSource->setText(master ? tr("From master %1").arg(master->masterPageTitle()) : QString());
        m_masterSource->parentWidget()->setVisible(master != nullptr);
    }
    if (m_geometry)
        m_geometry->setEnabled(master == nullptr);
    // It would copy the page's own settings, which the master hides.
    if (m_applyButton)
        m_applyButton->setEnabled(master == nullptr);
}

void ZVPageSettingsController::setup()
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    QWidget* picker = m_backgroundPicker->view();
    if (picker->parentWidget() != m_backgroundPickerView) {
        picker->setParent(m_backgroundPickerView);
        m_backgroundPickerView->layout()->addWidget(picker);
    }
    m_backgroundPicker->setRepresentedObject(page ? page->backgroundView() : nullptr);
}

} // namespace ql
