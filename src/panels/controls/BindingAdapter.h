// What a key-path binding needs of a control: show a value without telling
// anyone, read the value the user left in it, and say when the user edits
// it (and when a continuous edit, such as a slider drag, begins and ends).
// One adapter per kind of control; bindings pick them by the control's type.
// The binding owns its adapter and calls it only while the control lives.
#pragma once

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <memory>

class QAbstractButton;
class QAbstractSlider;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace ql {

class GPColorWell;
class GPGradientWell;

class BindingAdapter : public QObject {
    Q_OBJECT
public:
    explicit BindingAdapter(QObject* control);

    QObject* control() const { return m_control.data(); }
    virtual QVariant value() const = 0;
    virtual void show(const QVariant& value) = 0;
    // What the control shows while there is nothing to show.
    virtual void showEmpty() { show(QVariant()); }
    // Adapters that only show (visibility, labels) are never edited.
    virtual bool isEditable() const { return true; }
    virtual void setEnabled(bool enabled);

    // An adapter for the control by its type: combo box (index), button
    // group (checked id), slider or dial (position ÷ 1), spin box (whole
    // number, on a step, Return or focus-out), line edit (text, on Return
    // or focus-out), checkable button (bool), colour well
    // (colour), gradient well (gradient), label (text); null for others.
    static std::unique_ptr<BindingAdapter> forControl(QObject* control);

signals:
    void edited();
    void editingBegan();
    void editingEnded();

private:
    QPointer<QObject> m_control;
};

class ComboBoxAdapter : public BindingAdapter {
public:
    explicit ComboBoxAdapter(QComboBox* box);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

// Shows and takes the item's text (a font family, say); a text the box does
// not list shows no item.
class ComboBoxTextAdapter : public BindingAdapter {
public:
    explicit ComboBoxTextAdapter(QComboBox* box);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

class ButtonGroupAdapter : public BindingAdapter {
public:
    explicit ButtonGroupAdapter(QButtonGroup* group);
    QVariant value() const override;
    void show(const QVariant& value) override;
    void setEnabled(bool enabled) override;
};

// Shows numbers as positions: value × factor (a factor of 100 puts 0 to 1
// on a slider of 0 to 100).
class SliderAdapter : public BindingAdapter {
public:
    SliderAdapter(QAbstractSlider* slider, double factor = 1.0);
    QVariant value() const override;
    void show(const QVariant& value) override;

private:
    double m_factor;
};

class SpinBoxAdapter : public BindingAdapter {
public:
    explicit SpinBoxAdapter(QSpinBox* box);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

class LineEditAdapter : public BindingAdapter {
public:
    explicit LineEditAdapter(QLineEdit* field);
    QVariant value() const override;
    void show(const QVariant& value) override;

private:
    QString m_shown;
};

class CheckableButtonAdapter : public BindingAdapter {
public:
    explicit CheckableButtonAdapter(QAbstractButton* button);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

class ColorWellAdapter : public BindingAdapter {
public:
    explicit ColorWellAdapter(GPColorWell* well);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

// A null value leaves the well's own gradient, so that it can be handed to
// a background that has none.
class GradientWellAdapter : public BindingAdapter {
public:
    explicit GradientWellAdapter(GPGradientWell* well);
    QVariant value() const override;
    void show(const QVariant& value) override;
};

class LabelAdapter : public BindingAdapter {
public:
    explicit LabelAdapter(QLabel* label);
    QVariant value() const override;
    void show(const QVariant& value) override;
    bool isEditable() const override { return false; }
};

// Runs a function with each value shown (to refill a list, say); never edited.
class ShowingAdapter : public BindingAdapter {
public:
    ShowingAdapter(QObject* control, std::function<void(const QVariant&)> show);
    QVariant value() const override { return {}; }
    void show(const QVariant& value) override { m_show(value); }
    bool isEditable() const override { return false; }
    void setEnabled(bool) override {}

private:
    std::function<void(const QVariant&)> m_show;
};

// Shows or hides a widget by what the value says.
class VisibilityAdapter : public BindingAdapter {
public:
    VisibilityAdapter(QWidget* widget, std::function<bool(const QVariant&)> visibleWhen);
    QVariant value() const override { return {}; }
    void show(const QVariant& value) override;
    void showEmpty() override {}
    bool isEditable() const override { return false; }
    void setEnabled(bool) override {}

private:
    std::function<bool(const QVariant&)> m_visibleWhen;
};

// Enables or disables a widget (and so everything in it) by the value's truth.
class EnablementAdapter : public BindingAdapter {
public:
    explicit EnablementAdapter(QWidget* widget);
    QVariant value() const override { return {}; }
    void show(const QVariant& value) override;
    bool isEditable() const override { return false; }
    void setEnabled(bool) override {}
};

} // namespace ql
