#include "sdk/foundation/InfoDictionary.h"

#include <mutex>

namespace qlkit::info {
namespace {

std::mutex g_mutex;
std::optional<Map> g_main;

} // namespace

void setMainInfoDictionary(std::optional<Map> dictionary)
{
    std::lock_guard lock(g_mutex);
    g_main = std::move(dictionary);
}

std::optional<Map> mainInfoDictionary()
{
    std::lock_guard lock(g_mutex);
    return g_main;
}

std::optional<Value> mainInfoValue(const std::string& key)
{
    std::lock_guard lock(g_mutex);
    if (!g_main)
        return std::nullopt;
    if (const Value* value = g_main->find(key))
        return *value;
    return std::nullopt;
}

} // namespace qlkit::info
