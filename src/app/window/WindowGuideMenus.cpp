// The View menu's rulers, units, guides and snapping, and the Page menu's
// guide commands. "Show Guides" and "Snap to Guides" are check items on the
// user defaults that the overlay and snapping read.
#include "app/window/WindowMenus.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVGuideView.h"
#include "platform/runtime/UserDefaults.h"

#include <QMenu>

namespace ql {

namespace {

UserDefaults& userDefaults()
{
    return ZVDesignHelper::sharedInstance().defaults();
}

} // namespace

void WindowMenus::buildGuideItems()
{
    DocumentWindow& window = m_window;
    const auto onDocument = [&window](void (Document::*command)()) {
        return [&window, command] {
            if (Document* document = window.document())
                (document->*command)();
        };
    };

    m_view->addSeparator();
    addItem(m_view, tr("Hide Rulers"), QStringLiteral("toggleRulers:"), {}, onDocument(&Document::toggleRulers));
    QMenu* units = m_view->addMenu(tr("Units"));
    const QStringList names {tr("Inches"), tr("Centimeters"), tr("Points")};
    for (int tag = 0; tag < names.size(); ++tag) {
        QAction* unit = addItem(units, names.at(tag), QStringLiteral("setUnits:"), {}, [&window, tag] {
            if (Document* document = window.document())
                document->setUnits(tag);
        });
        unit->setData(tag);
        unit->setCheckable(true);
    }
    watch(units);
    addValidation(QStringLiteral("setUnits:"), [](QAction* item) {
        item->setChecked(userDefaults().integerForKey(QStringLiteral("unitsType")) == item->data().toInt());
        return true;
    });

    for (const auto& [title, key] : {std::pair {tr("Show Guides"), QStringLiteral("showGuides")},
                                     std::pair {tr("Snap to Guides"), QStringLiteral("snapToGuides")}}) {
        const QString selector = QStringLiteral("toggleDefault:%1").arg(key);
        QAction* flag = addItem(m_view, title, selector, {}, [&window, key = key] {
            userDefaults().setBool(key, !userDefaults().boolForKey(key));
            userDefaults().synchronize();
            if (Document* document = window.document()) {
                if (ZVCanvasView* page = document->currentPage())
                    page->guideView()->setNeedsDisplay();
            }
        });
        flag->setCheckable(true);
        addValidation(selector, [key = key](QAction* item) {
            item->setChecked(userDefaults().boolForKey(key));
            return true;
        });
    }

    m_page->addSeparator();
    addItem(m_page, tr("Insert Vertical Guide"), QStringLiteral("insertVerticalGuide:"), {},
            onDocument(&Document::insertVerticalGuide));
    addItem(m_page, tr("Insert Horizontal Guide"), QStringLiteral("insertHorizontalGuide:"), {},
            onDocument(&Document::insertHorizontalGuide));
    addItem(m_page, tr("Delete Guides"), QStringLiteral("deleteGuides:"), {}, onDocument(&Document::deleteGuides));
}

} // namespace ql
