// The kit's own small key-value store, apart from the application's settings:
// a map in memory, written as an XML property list on synchronize().
// Safe to call from any thread, never from inside its own queues.
#pragma once

#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/Value.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace qlkit {

class HLYUserDefaults {
public:
    // The process's store, in the application-support folder; never destroyed.
    static HLYUserDefaults& standardUserDefaults();
    static std::filesystem::path defaultDirectory();

    // A store kept in `directory` (tests and tools use their own folders).
    explicit HLYUserDefaults(std::filesystem::path directory);
    ~HLYUserDefaults();
    HLYUserDefaults(const HLYUserDefaults&) = delete;
    HLYUserDefaults& operator=(const HLYUserDefaults&) = delete;

    std::optional<Value> objectForKey(const std::string& key);
    std::optional<std::string> stringForKey(const std::string& key);
    bool boolForKey(const std::string& key);
    // A missing or null value removes the key.
    void setObject(const std::optional<Value>& value, const std::string& key);
    void setString(const std::string& value, const std::string& key) { setObject(Value(value), key); }
    void setBool(bool value, const std::string& key) { setObject(Value(value), key); }
    void removeObjectForKey(const std::string& key) { setObject(std::nullopt, key); }
    void removeAllObjects();
    Map dictionaryRepresentation();
    void synchronize();

    const std::filesystem::path& directoryURL() const { return m_directoryURL; }
    const std::filesystem::path& fileURL() const { return m_fileURL; }

private:
    std::optional<Map> loadDictionaryFromDisk();

    std::shared_ptr<SerialQueue> m_accessQueue;
    std::shared_ptr<SerialQueue> m_ioQueue;
    std::filesystem::path m_directoryURL;
    std::filesystem::path m_fileURL;
    Map m_dataDictionary; // touched only on the access queue
};

} // namespace qlkit
