#include "app/AppDelegate.h"

#include "panels/templates/ZVTemplateWindowController.h"

#include <QWidget>

namespace ql {

namespace {

AppDelegate* sharedDelegate = nullptr;

} // namespace

AppDelegate::AppDelegate(DocumentController& documents, QObject* parent)
    : AppDelegate(std::make_unique<ZVTemplateWindowController>(documents), parent)
{
}

AppDelegate::AppDelegate(std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent)
    : QObject(parent)
    , m_templateWindowController(std::move(chooser))
{
    sharedDelegate = this;
}

AppDelegate::~AppDelegate()
{
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
}

AppDelegate* AppDelegate::shared()
{
    return sharedDelegate;
}

void AppDelegate::openTemplates()
{
    m_templateWindowController->showWindow();
    QWidget* window = m_templateWindowController->window();
    window->raise();
    window->activateWindow();
}

} // namespace ql
