#include "panels/controls/InspectorControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace ql::inspector {

KeyPathBinding::Options numbers(KeyPathBinding::NumberKind kind, std::optional<double> minimum,
                                std::optional<double> maximum, const QString& transformer)
{
    KeyPathBinding::Options options;
    options.number = kind;
    options.minimum = minimum;
    options.maximum = maximum;
    options.transformer = transformer;
    return options;
}

QGridLayout* rowsOf(QWidget* box)
{
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    return grid;
}

QWidget* box(const QString& name, QWidget* parent)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QComboBox* popup(const QString& keyPath, const QStringList& titles, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(keyPath);
    box->addItems(titles);
    return box;
}

QSlider* slider(const QString& keyPath, int minimum, int maximum, QWidget* parent)
{
    auto* control = new QSlider(Qt::Horizontal, parent);
    control->setObjectName(keyPath);
    control->setRange(minimum, maximum);
    return control;
}

QLineEdit* field(const QString& keyPath, QWidget* parent)
{
    auto* control = new QLineEdit(parent);
    control->setObjectName(keyPath);
    control->setFixedWidth(56);
    control->setAlignment(Qt::AlignRight);
    return control;
}

} // namespace ql::inspector
