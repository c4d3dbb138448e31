#pragma once
// A document controller as the program sets one up, with the run's own user
// defaults, alerts answered by a script and no autosave: for benches that
// open documents in the real window.
#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "platform/ui/ScriptedPrompter.h"
#include "RunSettings.h"

struct QuietController {
    QuietController()
    {
        useRunSettingsStore();
        ql::ZVDesignHelper::sharedInstance().setDefaults();
        controller.setPrompter(&prompter);
        controller.setAutosaveDelay(24 * 3600 * 1000);
    }
    ~QuietController() { controller.setPrompter(nullptr); }

    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
};
