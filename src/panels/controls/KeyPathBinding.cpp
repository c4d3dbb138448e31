#include "panels/controls/KeyPathBinding.h"

#include "platform/undo/UndoManager.h"
#include "util/ValueTransformer.h"

#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace ql {

KeyPathBindingOptions KeyPathBindingOptions::numbers(BindingNumberKind kind, std::optional<double> minimum,
                                                     std::optional<double> maximum, const QString& transformer)
{
    KeyPathBindingOptions options;
    options.number = kind;
    options.minimum = minimum;
    options.maximum = maximum;
    options.transformer = transformer;
    return options;
}

KeyPathBinding::KeyPathBinding(std::unique_ptr<BindingAdapter> adapter, const QString& keyPath, Options options,
                               QObject* parent)
    : QObject(parent), m_adapter(std::move(adapter)), m_keyPath(keyPath), m_options(std::move(options))
{
    Q_ASSERT(m_adapter);
    connect(m_adapter.get(), &BindingAdapter::edited, this, &KeyPathBinding::commit);
    connect(m_adapter.get(), &BindingAdapter::editingBegan, this, &KeyPathBinding::beginContinuousEdit);
    connect(m_adapter.get(), &BindingAdapter::editingEnded, this, &KeyPathBinding::endContinuousEdit);
    if (m_adapter->control())
        m_adapter->setEnabled(false);
}

KeyPathBinding::~KeyPathBinding()
{
    endContinuousEdit();
    detach();
}

void KeyPathBinding::detach()
{
    if (m_target && m_observation)
        m_target->removeObserver(m_observation);
    m_observation = 0;
    disconnect(m_targetGone);
    m_target = nullptr;
}

void KeyPathBinding::setTarget(KVObject* target)
{
    if (target == m_target)
        return refresh();
    // A drag under way belongs to the old target's document.
    endContinuousEdit();
    detach();
    m_target = target;
    if (target) {
        m_observation = target->addObserver(m_keyPath, this, [this](const KeyValueChange&) { refresh(); });
        m_targetGone = connect(target, &QObject::destroyed, this, [this] {
            m_observation = 0;
            m_target = nullptr;
            refresh();
        });
    }
    refresh();
}

QVariant KeyPathBinding::displayed(const QVariant& modelValue) const
{
    if (m_options.display)
        return m_options.display(modelValue);
    if (m_options.transformer.isEmpty())
        return modelValue;
    const ValueTransformer* transformer = ValueTransformerRegistry::shared().transformer(m_options.transformer);
    if (!transformer) {
        qWarning().noquote() << "no value transformer named" << m_options.transformer;
        return modelValue;
    }
    return transformer->transformedValue(modelValue);
}

QVariant KeyPathBinding::modelValue(const QVariant& shownValue) const
{
    QVariant value = shownValue;
    if (m_options.parse) {
        value = m_options.parse(value);
    } else if (!m_options.transformer.isEmpty()) {
        const ValueTransformer* transformer = ValueTransformerRegistry::shared().transformer(m_options.transformer);
        if (transformer && transformer->allowsReverseTransformation())
            value = transformer->reverseTransformedValue(value);
    }
    const bool numeric = m_options.number != NumberKind::AsIs || m_options.minimum || m_options.maximum;
    if (!numeric || !value.isValid())
        return value;
    double number = value.toDouble();
    if (!std::isfinite(number))
        number = 0.0;
    if (m_options.minimum)
        number = std::max(number, *m_options.minimum);
    if (m_options.maximum)
        number = std::min(number, *m_options.maximum);
    switch (m_options.number) {
    case NumberKind::Integer:
        return int(std::lround(std::clamp(number, -2147483648.0, 2147483647.0)));
    case NumberKind::Double:
        return number;
    case NumberKind::AsIs:
        break;
    }
    return value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ? QVariant(qlonglong(number))
                                                                                      : QVariant(number);
}

void KeyPathBinding::refresh()
{
    if (!m_adapter->control())
        return;
    m_adapter->setEnabled(m_target != nullptr);
    if (m_target)
        m_adapter->show(displayed(m_target->valueForKeyPath(m_keyPath)));
    else
        m_adapter->showEmpty();
}

void KeyPathBinding::commit()
{
    if (!m_target || !m_adapter->control() || !m_adapter->isEditable())
        return;
    const QVariant shown = m_adapter->value();
    if (m_options.accepts && !m_options.accepts(shown))
        return refresh();
    const QVariant current = m_target->valueForKeyPath(m_keyPath);
    // The forward rule sees the present value first: frame fields build the
    // new frame from the other sides of the frame they last showed, which
    // must be this target's.
    displayed(current);
    const QVariant value = modelValue(shown);
    if (m_options.acceptsValue && !m_options.acceptsValue(value))
        return refresh();
    // Choosing what is already there changes nothing and records nothing.
    if (value.isValid() && current.isValid() && value.metaType() == current.metaType() && value == current)
        return refresh();
    if (m_options.write) {
        m_options.write(*m_target, value);
    } else if (const Status status = m_target->setValueForKeyPath(m_keyPath, value); !status) {
        qWarning().noquote() << "binding of" << m_keyPath << "could not write:" << status.error().describe();
        return refresh();
    }
    emit didWrite(value);
    refresh();
}

void KeyPathBinding::beginContinuousEdit()
{
    if (m_groupManager || !m_target || !m_undoManager)
        return;
    m_groupManager = m_undoManager();
    if (m_groupManager)
        m_groupManager->beginUndoGrouping();
}

void KeyPathBinding::endContinuousEdit()
{
    if (UndoManager* manager = m_groupManager.data()) {
        m_groupManager = nullptr;
        manager->endUndoGrouping();
    }
}

} // namespace ql
