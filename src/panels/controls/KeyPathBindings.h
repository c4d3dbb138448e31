// The bindings of one pane: every control tied to a key path of the same
// target, re-pointed together, with one source of undo manager for the
// continuous edits.
#pragma once

#include "panels/controls/KeyPathBinding.h"

#include <QList>

namespace ql {

class KeyPathBindings : public QObject {
    Q_OBJECT
public:
    explicit KeyPathBindings(QObject* parent = nullptr);

    // Ties a control (see BindingAdapter::forControl for the kinds) to a key
    // path of the target.
    KeyPathBinding* bind(QObject* control, const QString& keyPath, KeyPathBinding::Options options = {});
    KeyPathBinding* bind(std::unique_ptr<BindingAdapter> adapter, const QString& keyPath,
                         KeyPathBinding::Options options = {});
    // Shows `widget` while `visibleWhen` holds for the key path's value.
    KeyPathBinding* bindVisibility(QWidget* widget, const QString& keyPath,
                                   std::function<bool(const QVariant&)> visibleWhen);
    // Enables `widget` while the key path's value is true.
    KeyPathBinding* bindEnabled(QWidget* widget, const QString& keyPath);

    KVObject* target() const { return m_target.data(); }
    void setTarget(KVObject* target);
    void setUndoManagerProvider(KeyPathBinding::UndoManagerProvider provider);
    void refresh();

    const QList<KeyPathBinding*>& bindings() const { return m_bindings; }
    KeyPathBinding* bindingFor(const QObject* control) const;

private:
    QList<KeyPathBinding*> m_bindings;
    QPointer<KVObject> m_target;
    KeyPathBinding::UndoManagerProvider m_undoManager;
};

} // namespace ql
