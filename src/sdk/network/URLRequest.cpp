#include "sdk/network/URLRequest.h"

#include <algorithm>
#include <strings.h>

namespace qlkit {
namespace {

bool sameField(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

} // namespace

std::optional<std::string> headerValue(const HeaderFields& fields, const std::string& name)
{
    for (const auto& [field, value] : fields)
        if (sameField(field, name))
            return value;
    return std::nullopt;
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(const std::string& field) const
{
    return headerValue(allHTTPHeaderFields, field);
}

void URLRequest::setValue(const std::string& value, const std::string& field)
{
    auto first = std::find_if(allHTTPHeaderFields.begin(), allHTTPHeaderFields.end(),
                              [&](const auto& entry) { return sameField(entry.first, field); });
    if (first == allHTTPHeaderFields.end()) {
        allHTTPHeaderFields.emplace_back(field, value);
        return;
    }
    first->second = value;
    allHTTPHeaderFields.erase(std::remove_if(first + 1, allHTTPHeaderFields.end(),
                                             [&](const auto& entry) { return sameField(entry.first, field); }),
                              allHTTPHeaderFields.end());
}

void URLRequest::addValue(const std::string& value, const std::string& field)
{
    for (auto& entry : allHTTPHeaderFields)
        if (sameField(entry.first, field)) {
            entry.second += "," + value;
            return;
        }
    allHTTPHeaderFields.emplace_back(field, value);
}

} // namespace qlkit
