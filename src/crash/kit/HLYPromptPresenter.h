// The question whether to send a crash report, which the application asks
// its user in its own windows. The kit never opens a window itself.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace qlkit {

enum class HLYPromptChoice { Send, AlwaysSend, DontSend };

struct HLYPromptTexts {
    std::string title;
    std::string message;
    std::string cancelTitle;
    std::string sendTitle;
    std::optional<std::string> alwaysSendTitle; // no such button without it
};

class HLYPromptPresenter {
public:
    virtual ~HLYPromptPresenter() = default;
    // Called on the main queue; the answer may come later, from any thread.
    virtual void presentCrashReportPrompt(const HLYPromptTexts& texts, std::function<void(HLYPromptChoice)> answer) = 0;
};

} // namespace qlkit
