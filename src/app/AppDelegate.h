// The program's start: the user defaults before anything else, then the
// documents it was asked to open.
#pragma once

#include <QStringList>

namespace ql {

class DocumentController;
class ZVDesignHelper;

class AppDelegate {
public:
    AppDelegate(DocumentController& controller, ZVDesignHelper& helper) : m_controller(controller), m_helper(helper) {}

    // Registers the defaults, then opens the files given. A file that fails
    // is reported by the controller; when no document opened, a new empty
    // one keeps the program running with a window to work in.
    void applicationDidFinishLaunching(const QStringList& paths);

private:
    DocumentController& m_controller;
    ZVDesignHelper& m_helper;
};

} // namespace ql
