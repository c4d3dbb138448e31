// What output commands reach outside the document: the user (alerts, panels,
// the print dialog), the desktop (opening files), the user defaults and a
// progress panel. Any of them may be missing; a command then does without.
#pragma once

namespace ql {

class ProgressPanel;
class Prompter;
class UserDefaults;
class Workspace;

struct OutputContext {
    Prompter* prompter = nullptr;
    Workspace* workspace = nullptr;
    UserDefaults* defaults = nullptr;
    ProgressPanel* progress = nullptr;
};

} // namespace ql
