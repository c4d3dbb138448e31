#include "sdk/foundation/InfoDictionary.h"

#include <mutex>

namespace qlkit::info {
namespace {

struct Slot {
    std::mutex mutex;
    std::optional<Map> dictionary;
};

Slot& slot()
{
    static auto* instance = new Slot; // read by background work until exit
    return *instance;
}

} // namespace

void setMainInfoDictionary(std::optional<Map> dictionary)
{
    std::lock_guard lock(slot().mutex);
    slot().dictionary = std::move(dictionary);
}

std::optional<Map> mainInfoDictionary()
{
    std::lock_guard lock(slot().mutex);
    return slot().dictionary;
}

std::optional<Value> mainInfoValue(const std::string& key)
{
    std::lock_guard lock(slot().mutex);
    if (!slot().dictionary)
        return std::nullopt;
    if (const Value* value = slot().dictionary->find(key))
        return *value;
    return std::nullopt;
}

} // namespace qlkit::info
