#include "panels/inspectors/InspectorForm.h"

#include "design/UnitTransformers.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/gradients/GPColorWell.h"
#include "platform/graphics/FontResolver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace ql {

InspectorForm::InspectorForm(QWidget* parent, KeyPathBindings& bindings)
    : m_widget(new QWidget(parent)), m_grid(new QGridLayout(m_widget)), m_bindings(bindings)
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setColumnStretch(1, 1);
}

QLabel* InspectorForm::heading(const QString& title)
{
    auto* label = new QLabel(title, m_widget);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    m_grid->addWidget(label, m_row++, 0, 1, 3);
    return label;
}

QCheckBox* InspectorForm::check(const QString& title, const QString& keyPath, Options options)
{
    auto* box = new QCheckBox(title, m_widget);
    box->setObjectName(keyPath);
    m_grid->addWidget(box, m_row++, 1, 1, 2);
    m_bindings.bind(box, keyPath, std::move(options));
    return box;
}

QComboBox* InspectorForm::popup(const QString& caption, const QString& keyPath, const QStringList& titles,
                                Options options)
{
    auto* box = new QComboBox(m_widget);
    box->setObjectName(keyPath);
    box->addItems(titles);
    place(caption, box);
    m_bindings.bind(box, keyPath, std::move(options));
    return box;
}

QLineEdit* InspectorForm::field(const QString& caption, const QString& keyPath, Options options)
{
    QLineEdit* edit = makeField(keyPath, m_widget);
    place(caption, edit);
    m_bindings.bind(edit, keyPath, numericText(std::move(options)));
    return edit;
}

QSlider* InspectorForm::slider(const QString& caption, const QString& keyPath, int minimum, int maximum,
                               double factor, Options options, const Options& fieldOptions)
{
    auto* control = new QSlider(Qt::Horizontal, m_widget);
    control->setObjectName(keyPath);
    control->setRange(minimum, maximum);
    QLineEdit* edit = makeField(keyPath, m_widget);
    place(caption, control, edit);
    m_bindings.bind(std::make_unique<SliderAdapter>(control, factor), keyPath, std::move(options));
    m_bindings.bind(edit, keyPath, numericText(fieldOptions));
    return control;
}

GPColorWell* InspectorForm::well(const QString& caption, const QString& keyPath, Options options)
{
    auto* control = new GPColorWell(m_widget);
    control->setObjectName(keyPath);
    place(caption, control, nullptr, Qt::AlignLeft);
    m_bindings.bind(control, keyPath, std::move(options));
    return control;
}

QComboBox* InspectorForm::families(const QString& caption, const QString& keyPath)
{
    auto* box = new QComboBox(m_widget);
    box->setObjectName(keyPath);
    box->addItems(FontResolver::families());
    place(caption, box);
    Options options;
    options.display = [](const QVariant& name) -> QVariant {
        const QString installed = FontResolver::familyOf(name.toString());
        return installed.isEmpty() ? name : QVariant(installed);
    };
    m_bindings.bind(std::make_unique<ComboBoxTextAdapter>(box), keyPath, options);
    return box;
}

void InspectorForm::row(const QString& caption, QWidget* control)
{
    control->setParent(m_widget);
    place(caption, control);
}

void InspectorForm::wide(QWidget* control)
{
    control->setParent(m_widget);
    m_grid->addWidget(control, m_row++, 0, 1, 3);
}

QLineEdit* InspectorForm::makeField(const QString& keyPath, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(keyPath);
    edit->setFixedWidth(64);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

InspectorForm::Options InspectorForm::numericText(Options options)
{
    const bool numeric = options.number != Number::AsIs || !options.transformer.isEmpty();
    if (numeric && !options.accepts)
        options.accepts = [](const QVariant& shown) { return typedNumber(shown).has_value(); };
    return options;
}

QLabel* InspectorForm::captionLabel(const QString& text)
{
    auto* label = new QLabel(text, m_widget);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void InspectorForm::place(const QString& caption, QWidget* control, QWidget* extra, Qt::Alignment alignment)
{
    if (!caption.isEmpty()) {
        QLabel* label = captionLabel(caption);
        m_grid->addWidget(label, m_row, 0);
        m_captions.insert(control, label);
    }
    if (extra) {
        m_grid->addWidget(control, m_row, 1);
        m_grid->addWidget(extra, m_row, 2);
    } else {
        m_grid->addWidget(control, m_row, 1, 1, 2, alignment);
    }
    ++m_row;
}

} // namespace ql
