// Base of the panes' controllers: a view made on first request (as a view
// controller loads its interface file, named after the class) and a
// represented object, usually the document, that the controller works on.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace ql {

class ViewController : public QObject {
    Q_OBJECT
public:
    explicit ViewController(QObject* parent = nullptr);
    ~ViewController() override;

    // The class's name, as the interface file would be named.
    QString nibName() const;

    // The view, made the first time it is asked for. Whoever places it owns
    // it; a view never placed goes with the controller.
    QWidget* view();
    bool isViewLoaded() const { return !m_view.isNull(); }

    QObject* representedObject() const { return m_representedObject.data(); }
    virtual void setRepresentedObject(QObject* object);

signals:
    void representedObjectChanged(QObject* object);

protected:
    // Makes the view and its parts.
    virtual QWidget* loadView() = 0;
    // A titled, empty pane for controllers whose contents come later.
    static QWidget* placeholderView(const QString& title);

private:
    QPointer<QWidget> m_view;
    QPointer<QObject> m_representedObject;
};

} // namespace ql
