#include "panels/controls/BindingAdapter.h"

#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientWell.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

namespace ql {

BindingAdapter::BindingAdapter(QObject* control) : m_control(control) {}

void BindingAdapter::setEnabled(bool enabled)
{
    if (auto* widget = qobject_cast<QWidget*>(m_control.data()))
        widget->setEnabled(enabled);
}

std::unique_ptr<BindingAdapter> BindingAdapter::forControl(QObject* control)
{
    if (auto* box = qobject_cast<QComboBox*>(control))
        return std::make_unique<ComboBoxAdapter>(box);
    if (auto* group = qobject_cast<QButtonGroup*>(control))
        return std::make_unique<ButtonGroupAdapter>(group);
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        return std::make_unique<SliderAdapter>(slider);
    if (auto* box = qobject_cast<QSpinBox*>(control))
        return std::make_unique<SpinBoxAdapter>(box);
    if (auto* field = qobject_cast<QLineEdit*>(control))
        return std::make_unique<LineEditAdapter>(field);
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
        return std::make_unique<CheckableButtonAdapter>(button);
    if (auto* well = qobject_cast<GPColorWell*>(control))
        return std::make_unique<ColorWellAdapter>(well);
    if (auto* well = qobject_cast<GPGradientWell*>(control))
        return std::make_unique<GradientWellAdapter>(well);
    if (auto* label = qobject_cast<QLabel*>(control))
        return std::make_unique<LabelAdapter>(label);
    return nullptr;
}

ComboBoxAdapter::ComboBoxAdapter(QComboBox* box) : BindingAdapter(box)
{
    connect(box, &QComboBox::activated, this, &BindingAdapter::edited);
}

QVariant ComboBoxAdapter::value() const
{
    return static_cast<QComboBox*>(control())->currentIndex();
}

void ComboBoxAdapter::show(const QVariant& value)
{
    auto* box = static_cast<QComboBox*>(control());
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(value.isValid() ? value.toInt() : -1);
}

ComboBoxTextAdapter::ComboBoxTextAdapter(QComboBox* box) : BindingAdapter(box)
{
    connect(box, &QComboBox::activated, this, &BindingAdapter::edited);
}

QVariant ComboBoxTextAdapter::value() const
{
    return static_cast<QComboBox*>(control())->currentText();
}

void ComboBoxTextAdapter::show(const QVariant& value)
{
    auto* box = static_cast<QComboBox*>(control());
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(value.isValid() ? box->findText(value.toString()) : -1);
}

ButtonGroupAdapter::ButtonGroupAdapter(QButtonGroup* group) : BindingAdapter(group)
{
    connect(group, &QButtonGroup::idClicked, this, &BindingAdapter::edited);
}

QVariant ButtonGroupAdapter::value() const
{
    return static_cast<QButtonGroup*>(control())->checkedId();
}

void ButtonGroupAdapter::show(const QVariant& value)
{
    auto* group = static_cast<QButtonGroup*>(control());
    const QSignalBlocker blocker(group);
    if (QAbstractButton* button = value.isValid() ? group->button(value.toInt()) : nullptr) {
        button->setChecked(true);
    } else if (QAbstractButton* checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

void ButtonGroupAdapter::setEnabled(bool enabled)
{
    for (QAbstractButton* button : static_cast<QButtonGroup*>(control())->buttons())
        button->setEnabled(enabled);
}

SliderAdapter::SliderAdapter(QAbstractSlider* slider, double factor) : BindingAdapter(slider), m_factor(factor)
{
    connect(slider, &QAbstractSlider::valueChanged, this, &BindingAdapter::edited);
    connect(slider, &QAbstractSlider::sliderPressed, this, &BindingAdapter::editingBegan);
    connect(slider, &QAbstractSlider::sliderReleased, this, &BindingAdapter::editingEnded);
}

QVariant SliderAdapter::value() const
{
    return static_cast<QAbstractSlider*>(control())->value() / m_factor;
}

void SliderAdapter::show(const QVariant& value)
{
    auto* slider = static_cast<QAbstractSlider*>(control());
    const QSignalBlocker blocker(slider);
    const double position = value.toDouble() * m_factor;
    slider->setValue(std::isfinite(position) ? int(std::lround(std::clamp(position, -1e9, 1e9))) : 0);
}

SpinBoxAdapter::SpinBoxAdapter(QSpinBox* box) : BindingAdapter(box)
{
    // Typed digits count once the edit ends, not at every key.
    box->setKeyboardTracking(false);
    connect(box, &QSpinBox::valueChanged, this, &BindingAdapter::edited);
}

QVariant SpinBoxAdapter::value() const
{
    return static_cast<QSpinBox*>(control())->value();
}

void SpinBoxAdapter::show(const QVariant& value)
{
    auto* box = static_cast<QSpinBox*>(control());
    const QSignalBlocker blocker(box);
    box->setValue(value.toInt());
}

LineEditAdapter::LineEditAdapter(QLineEdit* field) : BindingAdapter(field)
{
    // Return and leaving the field both end an edit; an untouched text
    // writes nothing.
    connect(field, &QLineEdit::editingFinished, this, [this, field] {
        if (field->text() != m_shown)
            emit edited();
    });
}

QVariant LineEditAdapter::value() const
{
    return static_cast<QLineEdit*>(control())->text();
}

void LineEditAdapter::show(const QVariant& value)
{
    m_shown = value.toString();
    static_cast<QLineEdit*>(control())->setText(m_shown);
}

CheckableButtonAdapter::CheckableButtonAdapter(QAbstractButton* button) : BindingAdapter(button)
{
    connect(button, &QAbstractButton::clicked, this, &BindingAdapter::edited);
}

QVariant CheckableButtonAdapter::value() const
{
    return static_cast<QAbstractButton*>(control())->isChecked();
}

void CheckableButtonAdapter::show(const QVariant& value)
{
    auto* button = static_cast<QAbstractButton*>(control());
    const QSignalBlocker blocker(button);
    button->setChecked(value.toBool());
}

ColorWellAdapter::ColorWellAdapter(GPColorWell* well) : BindingAdapter(well)
{
    connect(well, &GPColorWell::action, this, &BindingAdapter::edited);
}

QVariant ColorWellAdapter::value() const
{
    return QVariant::fromValue(static_cast<GPColorWell*>(control())->color());
}

void ColorWellAdapter::show(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<Color>())
        static_cast<GPColorWell*>(control())->setColor(value.value<Color>());
}

GradientWellAdapter::GradientWellAdapter(GPGradientWell* well) : BindingAdapter(well)
{
    connect(well, &GPGradientWell::action, this, &BindingAdapter::edited);
}

QVariant GradientWellAdapter::value() const
{
    return QVariant::fromValue(static_cast<GPGradientWell*>(control())->gradient());
}

void GradientWellAdapter::show(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<Gradient>())
        static_cast<GPGradientWell*>(control())->setGradient(value.value<Gradient>());
}

LabelAdapter::LabelAdapter(QLabel* label) : BindingAdapter(label) {}

QVariant LabelAdapter::value() const
{
    return static_cast<QLabel*>(control())->text();
}

void LabelAdapter::show(const QVariant& value)
{
    static_cast<QLabel*>(control())->setText(value.toString());
}

ShowingAdapter::ShowingAdapter(QObject* control, std::function<void(const QVariant&)> show)
    : BindingAdapter(control), m_show(std::move(show))
{
}

VisibilityAdapter::VisibilityAdapter(QWidget* widget, std::function<bool(const QVariant&)> visibleWhen)
    : BindingAdapter(widget), m_visibleWhen(std::move(visibleWhen))
{
}

void VisibilityAdapter::show(const QVariant& value)
{
    static_cast<QWidget*>(control())->setHidden(!m_visibleWhen(value));
}

EnablementAdapter::EnablementAdapter(QWidget* widget) : BindingAdapter(widget) {}

void EnablementAdapter::show(const QVariant& value)
{
    static_cast<QWidget*>(control())->setEnabled(value.toBool());
}

} // namespace ql
