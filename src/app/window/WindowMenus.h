// The document window's menus: File, Edit, View, Page, Arrange and Align,
// and the validation of every item by its action's name (the action's
// objectName is the selector, "zoomIn:"). A rule sets the item's title and
// answers whether it is enabled; items without a rule are enabled. Items
// validate when their menu opens, before a shortcut is matched, and when the
// window asks; the window's other controls validate with them
// (WindowControls).
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class ZVCanvasView;

namespace ql {

class DocumentWindow;
class WindowControls;

class WindowMenus : public QObject {
    Q_OBJECT
public:
    using Rule = std::function<bool(QAction* item)>;

    explicit WindowMenus(DocumentWindow& window);

    QMenu* fileMenu() const { return m_file; }
    QMenu* editMenu() const { return m_edit; }
    QMenu* viewMenu() const { return m_view; }
    QMenu* pageMenu() const { return m_page; }
    QMenu* arrangeMenu() const { return m_arrange; }
    QMenu* alignMenu() const { return m_align; }

    // A new item of `menu` named by its selector.
    QAction* addItem(QMenu* menu, const QString& title, const QString& selector, const QKeySequence& shortcut,
                     std::function<void()> trigger);
    // A command in no menu, for controls only (a toolbar button's); a tag
    // of 0 or more tells apart commands of one selector.
    QAction* addCommand(const QString& selector, std::function<void()> trigger, int tag = -1);
    // The first item with that selector (and tag, when one is given).
    QAction* item(const QString& selector, int tag = -1) const;
    // Whether an item answers to that selector (and tag, when one is given).
    static bool isItem(const QAction* action, const QString& selector, int tag = -1);
    // An item by its titles from the menu bar down, "View/Zoom In"; the
    // titles compare without their mnemonic ampersands.
    QAction* itemAtPath(const QString& path) const;

    void addValidation(const QString& selector, Rule rule);
    bool validateMenuItem(QAction* item);
    void validateMenus();

    WindowControls& controls() const { return *m_controls; }

private:
    void buildFileMenu();
    // WindowOutputMenu.cpp: save as template, export, share and print in
    // File, the preview command and the share submenu's validation.
    void buildOutputItems();
    void buildEditMenu();
    // WindowEditMenu.cpp: the clipboard and selection commands of Edit.
    void buildEditCommands();
    void buildViewMenu();
    // WindowPageMenu.cpp
    void buildPageMenu();
    // WindowGuideMenus.cpp: rulers, units and guides in View, guide commands in Page.
    void buildGuideItems();
    // WindowArrangeMenu.cpp: the element commands' menu and their validation
    // by the current page.
    void buildArrangeMenu();
    // Whether the current page enables the element command of `item`.
    bool pageValidates(const QAction& item) const;
    void buildAlignMenu();
    // An item that runs a command of the current page.
    QAction* addPageItem(QMenu* menu, const QString& title, const QString& selector, const QKeySequence& shortcut,
                         void (ZVCanvasView::*command)());
    // WindowInsertMenu.cpp: the Insert menu, and Help.
    void buildInsertMenu();
    void buildHelpMenu();
    void addValidations();
    void watch(QMenu* menu);

    DocumentWindow& m_window;
    QMenu* m_file = nullptr;
    QMenu* m_edit = nullptr;
    QMenu* m_view = nullptr;
    QMenu* m_page = nullptr;
    QMenu* m_arrange = nullptr;
    QMenu* m_align = nullptr;
    QHash<QString, Rule> m_rules;
    WindowControls* m_controls;
};

} // namespace ql
