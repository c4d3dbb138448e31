// Where a browser asks the user: the prompter of the window that shows its
// document, else the program's.
#pragma once

#include <QString>

class QObject;

namespace ql {

class Prompter;

Prompter* browserPrompter(QObject* document);
// A warning attached to the window that returns at once; nothing when there
// is no prompter to show it.
void showBrowserAlert(QObject* document, const QString& message, const QString& details);

} // namespace ql
