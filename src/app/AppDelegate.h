// The application's delegate: it owns the template chooser's controller,
// made hidden at launch, and shows the chooser on request. Document windows
// reach it to close the chooser once they are set up.
#pragma once

#include <QObject>
#include <memory>

namespace ql {

class DocumentController;
class ZVTemplateWindowController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The delegate of the running application while it lives.
    explicit AppDelegate(DocumentController& documents, QObject* parent = nullptr);
    // With a chooser made elsewhere (tests give it their own bucket).
    explicit AppDelegate(std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application's delegate; null when there is none.
    static AppDelegate* shared();

    ZVTemplateWindowController* templateWindowController() const { return m_templateWindowController.get(); }
    // Shows the chooser in front of every other window.
    void openTemplates();

private:
    std::unique_ptr<ZVTemplateWindowController> m_templateWindowController;
};

} // namespace ql
