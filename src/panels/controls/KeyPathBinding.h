// Ties a control to a key path of a target object, both ways: the control
// shows the path's value (through a named value transformer, when given)
// and follows its changes; what the user does in the control is written
// back (through the transformer's reverse rule). The target can change at
// any time; without one the control is disabled and empty. A continuous edit, such
// as a slider drag, is one undo group on the undo manager the binding is
// given.
#pragma once

#include "panels/controls/BindingAdapter.h"
#include "platform/object/KVObject.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace ql {

class UndoManager;

enum class BindingNumberKind { AsIs, Integer, Double };

// How a binding shows and writes its value.
struct KeyPathBindingOptions {
    // Numbers of a kind, within bounds, shown through a named transformer.
    static KeyPathBindingOptions numbers(BindingNumberKind kind, std::optional<double> minimum = std::nullopt,
                                         std::optional<double> maximum = std::nullopt,
                                         const QString& transformer = {});

    // A name of the value-transformer registry.
    QString transformer;
    // In place of a transformer: the model value as the control shows it,
    // and the control's value as the model takes it.
    std::function<QVariant(const QVariant& modelValue)> display;
    std::function<QVariant(const QVariant& shownValue)> parse;
    // Whether what the user left in the control may be written at all; a
    // refused value writes nothing and the control shows the model's again.
    std::function<bool(const QVariant& shownValue)> accepts;
    // The same for the value the entry makes, once read back: a value
    // refused here writes nothing either.
    std::function<bool(const QVariant& modelValue)> acceptsValue;
    // The kind numbers are written as.
    BindingNumberKind number = BindingNumberKind::AsIs;
    // Bounds for numbers written.
    std::optional<double> minimum;
    std::optional<double> maximum;
    // Writes in place of setting the key path (for values that need an undo
    // step of their own).
    std::function<void(KVObject& target, const QVariant& value)> write;
};

class KeyPathBinding : public QObject {
    Q_OBJECT
public:
    using NumberKind = BindingNumberKind;
    using Options = KeyPathBindingOptions;
    using UndoManagerProvider = std::function<UndoManager*()>;

    KeyPathBinding(std::unique_ptr<BindingAdapter> adapter, const QString& keyPath, Options options = {},
                   QObject* parent = nullptr);
    ~KeyPathBinding() override;

    const QString& keyPath() const { return m_keyPath; }
    BindingAdapter* adapter() const { return m_adapter.get(); }
    QObject* control() const { return m_adapter->control(); }

    KVObject* target() const { return m_target.data(); }
    // Shows the new target's value; writes nothing.
    void setTarget(KVObject* target);
    void setUndoManagerProvider(UndoManagerProvider provider) { m_undoManager = std::move(provider); }

    // Shows the target's value now.
    void refresh();
    // Writes the control's value now, as an edit does.
    void commit();

signals:
    // After a write, with the value written.
    void didWrite(const QVariant& value);

private:
    QVariant displayed(const QVariant& modelValue) const;
    QVariant modelValue(const QVariant& shownValue) const;
    void beginContinuousEdit();
    void endContinuousEdit();
    void detach();

    std::unique_ptr<BindingAdapter> m_adapter;
    QString m_keyPath;
    Options m_options;
    QPointer<KVObject> m_target;
    ObservationId m_observation = 0;
    QMetaObject::Connection m_targetGone;
    UndoManagerProvider m_undoManager;
    QPointer<UndoManager> m_groupManager;
};

} // namespace ql
