// What the kit's core asks of a kit it starts: all three operations optional.
#pragma once

#include <optional>
#include <string>

namespace qlkit {

class RIGKit {
public:
    virtual ~RIGKit() = default;
    // The kit's class name: the key of the kit map and of "KitName" entries.
    virtual std::string kitClassName() const = 0;
    virtual void start() {}
    virtual std::optional<std::string> version() const { return std::nullopt; }
    // The kit's reverse-domain identifier.
    virtual std::optional<std::string> bundleIdentifier() const { return std::nullopt; }
};

} // namespace qlkit
