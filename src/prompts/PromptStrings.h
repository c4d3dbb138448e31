// The texts of one prompt: its own string tables (a "<Name>.bundle" folder
// in the resources) override the built-in defaults, and the program's own
// tables override both. The choice of tables is made once, at the first text.
#pragma once

#include "prompts/StringBundle.h"

#include <optional>

namespace ql {

struct PromptEnvironment;

class PromptStrings {
public:
    explicit PromptStrings(QString bundleName) : m_bundleName(std::move(bundleName)) {}

    // With `useAllAvailableLanguages`, the first preferred language decides
    // (or its part before "-"); without, the tables' own choice.
    QString localizedString(const PromptEnvironment& env, bool useAllAvailableLanguages, const QString& key,
                            const QString& defaultText);

private:
    QString m_bundleName;
    std::optional<StringBundle> m_bundle;
    std::optional<StringBundle> m_application;
};

} // namespace ql
