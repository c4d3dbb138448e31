#include "panels/inspectors/ZVInspectorController.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/controls/KeyPathBindings.h"

#include <QBoxLayout>

namespace ql {

ZVInspectorController::ZVInspectorController(QObject* parent)
    : ViewController(parent), m_bindings(new KeyPathBindings(this))
{
    m_bindings->setUndoManagerProvider([this] { return undoManager(); });
}

ZVInspectorController::~ZVInspectorController()
{
    if (m_document)
        m_document->removeObservers(this);
}

void ZVInspectorController::setRepresentedObject(QObject* object)
{
    if (m_document)
        m_document->removeObservers(this);
    m_document = qobject_cast<Document*>(object);
    ViewController::setRepresentedObject(object);
    if (m_document) {
        m_document->addObserver(QStringLiteral("currentPage.focusedPuttyView"), this,
                                [this](const KeyValueChange&) { followFocusedElement(); });
    }
    followFocusedElement();
}

ZVPuttyView* ZVInspectorController::element() const
{
    return m_element.data();
}

ZVCanvasView* ZVInspectorController::currentPage() const
{
    auto* document = qobject_cast<Document*>(m_document.data());
    return document ? document->currentPage() : nullptr;
}

UndoManager* ZVInspectorController::undoManager() const
{
    return m_element ? m_element->undoManager() : nullptr;
}

bool ZVInspectorController::showsElement(const ZVPuttyView&) const
{
    return true;
}

QWidget* ZVInspectorController::loadView()
{
    QWidget* view = placeholderView(title());
    buildView(view);
    elementChanged(m_element);
    enableControls(view, m_element != nullptr);
    return view;
}

void ZVInspectorController::enableControls(QWidget* view, bool hasElement)
{
    view->setEnabled(hasElement);
}

void ZVInspectorController::addToView(QWidget* view, QWidget* widget)
{
    // Parts are as high as they need; the view's stretch takes the rest.
    widget->setSizePolicy(widget->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
    auto* layout = static_cast<QBoxLayout*>(view->layout());
    layout->insertWidget(layout->count() - 1, widget);
}

void ZVInspectorController::followFocusedElement()
{
    ZVCanvasView* page = currentPage();
    ZVPuttyView* focused = page ? page->focusedPuttyView() : nullptr;
    m_element = focused && showsElement(*focused) ? focused : nullptr;
    // Announcing the same element again (a new unit, say) shows it afresh.
    m_bindings->setTarget(m_element);
    if (isViewLoaded()) {
        elementChanged(m_element);
        enableControls(view(), m_element != nullptr);
    }
}

} // namespace ql
