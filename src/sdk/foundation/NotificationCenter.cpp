#include "sdk/foundation/NotificationCenter.h"

#include <algorithm>

namespace qlkit {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

int NotificationCenter::addObserver(const std::string& name, Observer observer)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({m_nextToken, name, std::move(observer)});
    return m_nextToken++;
}

void NotificationCenter::removeObserver(int token)
{
    std::lock_guard lock(m_mutex);
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.token == token; }),
                    m_entries.end());
}

void NotificationCenter::post(const std::string& name)
{
    std::vector<Observer> observers;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& entry : m_entries)
            if (entry.name == name)
                observers.push_back(entry.observer);
    }
    for (const auto& observer : observers)
        observer(name);
}

} // namespace qlkit
