#include "app/AppDelegate.h"

#include "app/design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "panels/templates/ZVTemplateWindowController.h"

#include <QWidget>

namespace ql {

namespace {

AppDelegate* sharedDelegate = nullptr;

} // namespace

AppDelegate::AppDelegate(DocumentController& controller, ZVDesignHelper& helper, QObject* parent)
    : AppDelegate(controller, helper, std::make_unique<ZVTemplateWindowController>(controller), parent)
{
}

AppDelegate::AppDelegate(DocumentController& controller, ZVDesignHelper& helper,
                         std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_helper(helper)
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

void AppDelegate::applicationDidFinishLaunching(const QStringList& paths)
{
    m_helper.setDefaults();
    if (paths.isEmpty() || m_controller.openDocuments(paths).isEmpty())
        m_controller.newDocument();
}

void AppDelegate::openTemplates()
{
    m_templateWindowController->showWindow();
    QWidget* window = m_templateWindowController->window();
    window->raise();
    window->activateWindow();
}

} // namespace ql
