#include "app/window/WindowControls.h"

#include "app/window/WindowMenus.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>

namespace ql {

WindowControls::WindowControls(WindowMenus& menus) : QObject(&menus), m_menus(menus) {}

void WindowControls::bindButton(QAbstractButton* button, const QString& selector, int tag)
{
    bind(button, selector, tag);
    connect(button, &QAbstractButton::clicked, this, [this, selector, tag] { trigger(selector, tag); });
}

void WindowControls::bindField(QLineEdit* field, const QString& selector, bool continuous)
{
    bind(field, selector, -1);
    if (continuous)
        connect(field, &QLineEdit::textChanged, this, [this, selector] { trigger(selector, -1); });
    else
        connect(field, &QLineEdit::returnPressed, this, [this, selector] { trigger(selector, -1); });
}

void WindowControls::bind(QWidget* control, const QString& selector, int tag)
{
    m_bindings.append({control, selector, tag});
    control->setEnabled(false);
}

void WindowControls::validate()
{
    for (Binding& binding : m_bindings) {
        if (!binding.control)
            continue;
        if (!WindowMenus::isItem(binding.command, binding.selector, binding.tag))
            binding.command = m_menus.item(binding.selector, binding.tag);
        binding.control->setEnabled(binding.command && m_menus.validateMenuItem(binding.command));
    }
}

void WindowControls::trigger(const QString& selector, int tag)
{
    // Checked again: the state may have changed since the last validation.
    QAction* command = m_menus.item(selector, tag);
    if (command && m_menus.validateMenuItem(command))
        command->trigger();
    validate();
}

} // namespace ql
