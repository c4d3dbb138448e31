// Broadcast notifications by name, delivered on the posting thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qlkit {

class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    using Observer = std::function<void(const std::string& name)>;
    // Returns a token for removeObserver.
    int addObserver(const std::string& name, Observer observer);
    void removeObserver(int token);
    void post(const std::string& name);

private:
    struct Entry {
        int token;
        std::string name;
        Observer observer;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    int m_nextToken = 1;
};

} // namespace qlkit
