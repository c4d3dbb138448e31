// The program's start and the application's delegate: the user defaults
// before anything else, then the documents it was asked to open. It owns the
// template chooser's controller, made hidden at start, and shows the chooser
// on request; document windows reach it to close the chooser once they are
// set up.
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

namespace ql {

class DocumentController;
class ZVDesignHelper;
class ZVTemplateWindowController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The delegate of the running application while it lives.
    AppDelegate(DocumentController& controller, ZVDesignHelper& helper, QObject* parent = nullptr);
    // With a chooser made elsewhere (tests give it their own bucket).
    AppDelegate(DocumentController& controller, ZVDesignHelper& helper,
                std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application's delegate; null when there is none.
    static AppDelegate* shared();

    // Registers the defaults, then opens the files given. A file that fails
    // is reported by the controller; when no document opened, a new empty
    // one keeps the program running with a window to work in.
    void applicationDidFinishLaunching(const QStringList& paths);

    ZVTemplateWindowController* templateWindowController() const { return m_templateWindowController.get(); }
    // Shows the chooser in front of every other window.
    void openTemplates();

private:
    DocumentController& m_controller;
    ZVDesignHelper& m_helper;
    std::unique_ptr<ZVTemplateWindowController> m_templateWindowController;
};

} // namespace ql
