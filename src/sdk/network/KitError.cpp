#include "sdk/network/KitError.h"

namespace qlkit {

std::string KitError::describe() const
{
    std::string text = domain + " " + std::to_string(code);
    if (!message.empty())
        text += ": " + message;
    return text;
}

} // namespace qlkit
