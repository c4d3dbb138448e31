#include "panels/inspectors/ZVShapeSettingsController.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/inspectors/InspectorForm.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "shapes/ZVVectorView.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

using Options = KeyPathBinding::Options;
using Number = KeyPathBinding::NumberKind;

// The adjustment slider's positions per unit of the adjustment.
constexpr double kAdjustmentSteps = 1000.0;

ZVVectorView* shapeOf(const ZVPuttyView* element)
{
    return element ? qobject_cast<ZVVectorView*>(element->contentView()) : nullptr;
}

Options points(Number kind, std::optional<double> minimum = 0.0)
{
    return Options::numbers(kind, minimum, std::nullopt, QStringLiteral("ZVPointsTransformer"));
}

} // namespace

ZVShapeSettingsController::ZVShapeSettingsController(QObject* parent)
    : ZVInspectorController(parent), m_fillPicker(new ZVBackgroundPicker(this))
{
}

bool ZVShapeSettingsController::showsElement(const ZVPuttyView& element) const
{
    return shapeOf(&element) != nullptr;
}

void ZVShapeSettingsController::buildView(QWidget* view)
{
    addToView(view, m_fillPicker->view());
    InspectorForm form(view, *bindings());
    buildStroke(form);
    buildText(form);
    buildAdjustment(form);
    addToView(view, form.widget());
}

void ZVShapeSettingsController::buildStroke(InspectorForm& form)
{
    form.heading(tr("Stroke"));
    form.check(tr("Stroke the outline"), QStringLiteral("contentView.strokeEnabled"));
    form.well(tr("Colour"), QStringLiteral("contentView.strokeColor"));
    form.slider(tr("Width"), QStringLiteral("contentView.strokeWidth"), 0, 200, 10,
                Options::numbers(Number::Double, 0.0), points(Number::Double));
    form.popup(tr("Dashes"), QStringLiteral("contentView.strokeType"),
               {tr("Solid"), tr("Dashed"), QStringLiteral("2 2"), QStringLiteral("5 5"), QStringLiteral("5 10"),
                QStringLiteral("10 5"), QStringLiteral("5 2"), QStringLiteral("1 5"), QStringLiteral("15 10 5"),
                QStringLiteral("15 10 5 10"), QStringLiteral("15 10 5 10 15"), QStringLiteral("5 5 1 5")});
    form.popup(tr("Ends"), QStringLiteral("contentView.strokeLineCap"), {tr("Square"), tr("Round"), tr("Butt")});
    form.popup(tr("Corners"), QStringLiteral("contentView.strokeLineJoin"), {tr("Round"), tr("Miter"), tr("Bevel")});

    form.heading(tr("Arrows"));
    form.check(tr("Arrowheads"), QStringLiteral("contentView.arrowEnabled"));
    const QStringList heads {tr("None"), tr("Open"), tr("Filled"), tr("Dot"), tr("Bar")};
    form.popup(tr("Start"), QStringLiteral("contentView.leftArrow"), heads);
    form.popup(tr("End"), QStringLiteral("contentView.rightArrow"), heads);
    form.field(tr("Length"), QStringLiteral("contentView.arrowLength"), points(Number::Integer));
    form.field(tr("Width"), QStringLiteral("contentView.arrowWidth"), points(Number::Integer));
}

void ZVShapeSettingsController::buildText(InspectorForm& form)
{
    form.heading(tr("Text on the Outline"));
    form.check(tr("Show text"), QStringLiteral("contentView.textEnabled"));
    auto* text = new QLineEdit(form.widget());
    text->setObjectName(QStringLiteral("contentView.text"));
    form.row(tr("Text"), text);
    bindings()->bind(text, text->objectName());

    form.families(tr("Font"), QStringLiteral("contentView.textFontFamilyName"));
    form.field(tr("Size"), QStringLiteral("contentView.textFontSize"), points(Number::Integer, 1.0));
    form.popup(tr("Alignment"), QStringLiteral("contentView.textAlignment"),
               {tr("Left"), tr("Centre"), tr("Right"), tr("Justified")});
    // Placements are numbered from 1 (0 reads as 1, above the line).
    Options placement = Options::numbers(Number::Integer, 1, 3);
    placement.display = [](const QVariant& value) -> QVariant { return std::clamp(value.toInt(), 1, 3) - 1; };
    placement.parse = [](const QVariant& index) -> QVariant { return index.toInt() + 1; };
    form.popup(tr("Placement"), QStringLiteral("contentView.textPlacement"),
               {tr("Above the line"), tr("On the line"), tr("Below the line")}, placement);
    form.field(tr("Letters"), QStringLiteral("contentView.textLetterSpacing"), points(Number::Integer, std::nullopt));
    form.field(tr("Indent"), QStringLiteral("contentView.textOffset"), points(Number::Integer));
    form.check(tr("Text only, no outline"), QStringLiteral("contentView.textHideShape"));
}

void ZVShapeSettingsController::buildAdjustment(InspectorForm& form)
{
    QLabel* heading = form.heading(tr("Adjustment"));
    auto* slider = new QSlider(Qt::Horizontal, form.widget());
    slider->setObjectName(QStringLiteral("contentView.adjustment"));
    slider->setRange(0, int(kAdjustmentSteps));
    form.row(QString(), slider);
    // Each outline publishes its own range; it is shown before the value,
    // and changing it moves nothing on the shape.
    for (const bool lower : {true, false}) {
        const auto setBound = [slider, lower](const QVariant& value) {
            if (!value.isValid())
                return;
            const QSignalBlocker blocker(slider);
            const int position = int(std::lround(value.toDouble() * kAdjustmentSteps));
            if (lower)
                slider->setMinimum(position);
            else
                slider->setMaximum(position);
        };
        bindings()->bind(std::make_unique<ShowingAdapter>(slider, setBound),
                         lower ? QStringLiteral("contentView.adjustmentMin") : QStringLiteral("contentView.adjustmentMax"));
    }
    bindings()->bind(std::make_unique<SliderAdapter>(slider, kAdjustmentSteps), slider->objectName(),
                     Options::numbers(Number::Double, 0.0));
    const auto eligible = [](const QVariant& value) { return value.toBool(); };
    bindings()->bindVisibility(heading, QStringLiteral("contentView.adjustmentEligible"), eligible);
    bindings()->bindVisibility(slider, QStringLiteral("contentView.adjustmentEligible"), eligible);
}

void ZVShapeSettingsController::elementChanged(ZVPuttyView* element)
{
    ZVVectorView* shape = shapeOf(element);
    m_fillPicker->setRepresentedObject(shape ? static_cast<QObject*>(shape->backgroundView()) : nullptr);
}

} // namespace ql
