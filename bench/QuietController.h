#pragma once
// A document controller as the program sets one up, with user defaults of
// their own in `defaults`, alerts answered by a script and no autosave: for
// benches that open documents in the real window.
#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"

struct QuietController {
    explicit QuietController(const QString& defaults)
    {
        ql::UserDefaults::useStandardStoreAt(defaults);
        ql::ZVDesignHelper::sharedInstance().setDefaults();
        controller.setPrompter(&prompter);
        controller.setAutosaveDelay(24 * 3600 * 1000);
    }
    ~QuietController() { controller.setPrompter(nullptr); }

    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
};
