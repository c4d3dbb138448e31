// Base of the inspectors shown in the inspector pane: a titled view that the
// document's inspector tab places, working on the document it represents.
// An inspector follows the document's current page and that page's focused
// element ("currentPage.focusedPuttyView"): its controls are bound to key
// paths of that element (named after them) and show it as it changes;
// without one of its kind they are disabled and empty.
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class KeyPathBindings;
class KVObject;
class UndoManager;

class ZVInspectorController : public ViewController {
    Q_OBJECT
public:
    explicit ZVInspectorController(QObject* parent = nullptr);
    ~ZVInspectorController() override;

    // The document; its page and focused element are followed from then on.
    void setRepresentedObject(QObject* object) override;

    // The element shown, when the focused element is of this inspector's kind.
    ZVPuttyView* element() const;
    ZVCanvasView* currentPage() const;
    KeyPathBindings* bindings() const { return m_bindings; }
    // Where changes made here are recorded: the element's document.
    UndoManager* undoManager() const;

protected:
    QWidget* loadView() override;
    virtual QString title() const = 0;
    // Adds the inspector's own controls under its title; the view's layout
    // is a QVBoxLayout whose last item is the stretch.
    virtual void buildView(QWidget* view) { (void)view; }
    // Whether the inspector shows this element (its kind); all by default.
    virtual bool showsElement(const ZVPuttyView& element) const;
    // After the element shown, or the page, changed or was announced again.
    virtual void elementChanged(ZVPuttyView* element) { (void)element; }
    // Enables what makes sense with or without an element shown: the whole
    // view by default.
    virtual void enableControls(QWidget* view, bool hasElement);
    // Adds a widget above the stretch of the view's layout.
    static void addToView(QWidget* view, QWidget* widget);

private:
    void followFocusedElement();

    KeyPathBindings* m_bindings;
    QPointer<KVObject> m_document;
    QPointer<ZVPuttyView> m_element;
};

} // namespace ql
