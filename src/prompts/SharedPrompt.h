// The program's one instance of a prompt: made by load() at start-up, before
// the program configures it, and owned by the application object.
#pragma once

#include "prompts/PromptEnvironment.h"

#include <QCoreApplication>
#include <QPointer>

namespace ql {

template <class Prompt>
class SharedPrompt {
public:
    static Prompt& instance()
    {
        if (!slot())
            load({});
        return *slot();
    }

    static void load(const PromptEnvironment& env)
    {
        if (!slot())
            slot() = new Prompt(env, QCoreApplication::instance());
    }

private:
    static QPointer<Prompt>& slot()
    {
        static QPointer<Prompt> prompt;
        return prompt;
    }
};

} // namespace ql
