#include "app/AppDelegate.h"

#include "app/design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"

namespace ql {

void AppDelegate::applicationDidFinishLaunching(const QStringList& paths)
{
    m_helper.setDefaults();
    if (paths.isEmpty() || m_controller.openDocuments(paths).isEmpty())
        m_controller.newDocument();
}

} // namespace ql
