#include "panels/ViewController.h"

#include "panels/controls/FocusedWheel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ql {

ViewController::ViewController(QObject* parent) : QObject(parent) {}

ViewController::~ViewController()
{
    if (m_view && !m_view->parent())
        delete m_view;
}

QString ViewController::nibName() const
{
    QString name = QString::fromLatin1(metaObject()->className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

QWidget* ViewController::view()
{
    if (!m_view) {
        m_view = loadView();
        m_view->setObjectName(nibName() + QStringLiteral(".view"));
        // Panes scroll: a wheel passing over a control must not change it.
        FocusedWheel::cover(m_view);
    }
    return m_view;
}

void ViewController::setRepresentedObject(QObject* object)
{
    m_representedObject = object;
    emit representedObjectChanged(object);
}

QWidget* ViewController::placeholderView(const QString& title)
{
    auto* view = new QWidget;
    auto* layout = new QVBoxLayout(view);
    auto* label = new QLabel(title, view);
    label->setObjectName(QStringLiteral("title"));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(label);
    layout->addStretch(1);
    view->setMinimumHeight(120);
    return view;
}

} // namespace ql
