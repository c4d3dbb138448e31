#include "sdk/HLYUserDefaults.h"

#include "sdk/KitConstants.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/Paths.h"
#include "sdk/foundation/Plist.h"

namespace qlkit {

HLYUserDefaults& HLYUserDefaults::standardUserDefaults()
{
    static HLYUserDefaults* instance = new HLYUserDefaults(defaultDirectory());
    return *instance;
}

std::filesystem::path HLYUserDefaults::defaultDirectory()
{
    return paths::applicationSupportDirectory() / kKitIdentifier;
}

HLYUserDefaults::HLYUserDefaults(std::filesystem::path directory)
    : m_accessQueue(SerialQueue::create(std::string(kKitIdentifier) + ".userdefaults.access"))
    , m_ioQueue(SerialQueue::create(std::string(kKitIdentifier) + ".userdefaults.io"))
    , m_directoryURL(std::move(directory))
    , m_fileURL(m_directoryURL / "HLYUserDefaults.plist")
{
    // Loaded in the background; every later call queues behind the load.
    m_accessQueue->async([this] { m_dataDictionary = loadDictionaryFromDisk().value_or(Map()); });
}

HLYUserDefaults::~HLYUserDefaults()
{
    // Queued work refers to this object: let it finish first.
    m_accessQueue->sync([] {});
    m_ioQueue->sync([] {});
}

std::optional<Value> HLYUserDefaults::objectForKey(const std::string& key)
{
    std::optional<Value> result;
    m_accessQueue->sync([&] {
        if (const Value* value = m_dataDictionary.find(key))
            result = *value;
    });
    return result;
}

std::optional<std::string> HLYUserDefaults::stringForKey(const std::string& key)
{
    auto value = objectForKey(key);
    if (value && value->asString())
        return *value->asString();
    return std::nullopt;
}

bool HLYUserDefaults::boolForKey(const std::string& key)
{
    auto value = objectForKey(key);
    return value && value->isNumber() && value->boolValue();
}

void HLYUserDefaults::setObject(const std::optional<Value>& value, const std::string& key)
{
    m_accessQueue->sync([&] {
        if (!value || value->isNull())
            m_dataDictionary.remove(key);
        else
            m_dataDictionary.set(key, *value);
    });
}

void HLYUserDefaults::removeAllObjects()
{
    m_accessQueue->sync([&] { m_dataDictionary.clear(); });
}

Map HLYUserDefaults::dictionaryRepresentation()
{
    Map copy;
    m_accessQueue->sync([&] { copy = m_dataDictionary; });
    return copy;
}

void HLYUserDefaults::synchronize()
{
    const Map snapshot = dictionaryRepresentation();
    m_ioQueue->sync([&] {
        std::error_code ec;
        if (!std::filesystem::exists(m_directoryURL, ec)) {
            std::filesystem::create_directories(m_directoryURL, ec);
            if (ec)
                log::always("[Rigging:UserDefaults] failed to create directory with error:" + ec.message());
        }
        if (!files::writeFileAtomically(m_fileURL, plist::serializeXml(Value(snapshot))))
            log::always("[Rigging:UserDefaults] Unable to open file for writing at path " + m_fileURL.string());
    });
}

std::optional<Map> HLYUserDefaults::loadDictionaryFromDisk()
{
    std::optional<Map> result;
    m_ioQueue->sync([&] {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(m_fileURL, ec);
        if (ec || !std::filesystem::exists(status))
            return;
        if (std::filesystem::is_directory(status)) {
            log::always("[Rigging:UserDefaults] found directory where file expected. Removing conflicting directory");
            std::string error;
            if (!files::removeItem(m_fileURL, &error))
                log::always("[Rigging:UserDefaults] error removing conflicting directory: {error = " + error + "}");
            return;
        }
        const auto contents = files::readFile(m_fileURL);
        auto root = contents ? plist::parseXml(*contents) : std::nullopt;
        if (!root || !root->asMap()) {
            log::always("[Rigging:UserDefaults] failed to read existing file");
            return;
        }
        result = std::move(*root->asMap());
    });
    return result;
}

} // namespace qlkit
