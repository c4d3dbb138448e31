#include "panels/controls/KeyPathBindings.h"

#include <QWidget>

namespace ql {

KeyPathBindings::KeyPathBindings(QObject* parent) : QObject(parent) {}

KeyPathBinding* KeyPathBindings::bind(QObject* control, const QString& keyPath, KeyPathBinding::Options options)
{
    std::unique_ptr<BindingAdapter> adapter = BindingAdapter::forControl(control);
    Q_ASSERT_X(adapter, "KeyPathBindings::bind", "no adapter for this kind of control");
    return bind(std::move(adapter), keyPath, std::move(options));
}

KeyPathBinding* KeyPathBindings::bind(std::unique_ptr<BindingAdapter> adapter, const QString& keyPath,
                                      KeyPathBinding::Options options)
{
    auto* binding = new KeyPathBinding(std::move(adapter), keyPath, std::move(options), this);
    binding->setUndoManagerProvider(m_undoManager);
    binding->setTarget(m_target);
    m_bindings.append(binding);
    return binding;
}

KeyPathBinding* KeyPathBindings::bindVisibility(QWidget* widget, const QString& keyPath,
                                                std::function<bool(const QVariant&)> visibleWhen)
{
    return bind(std::make_unique<VisibilityAdapter>(widget, std::move(visibleWhen)), keyPath);
}

KeyPathBinding* KeyPathBindings::bindEnabled(QWidget* widget, const QString& keyPath)
{
    return bind(std::make_unique<EnablementAdapter>(widget), keyPath);
}

void KeyPathBindings::setTarget(KVObject* target)
{
    m_target = target;
    for (KeyPathBinding* binding : std::as_const(m_bindings))
        binding->setTarget(target);
}

void KeyPathBindings::setUndoManagerProvider(KeyPathBinding::UndoManagerProvider provider)
{
    m_undoManager = std::move(provider);
    for (KeyPathBinding* binding : std::as_const(m_bindings))
        binding->setUndoManagerProvider(m_undoManager);
}

void KeyPathBindings::refresh()
{
    for (KeyPathBinding* binding : std::as_const(m_bindings))
        binding->refresh();
}

KeyPathBinding* KeyPathBindings::bindingFor(const QObject* control) const
{
    for (KeyPathBinding* binding : m_bindings) {
        if (binding->control() == control)
            return binding;
    }
    return nullptr;
}

} // namespace ql
