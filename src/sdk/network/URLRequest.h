// An HTTP request and response as the kit's network layer passes them on.
// Header fields keep the order in which they were set: they go on the wire
// in that order.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qlkit {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// Field names compare without regard to case.
std::optional<std::string> headerValue(const HeaderFields& fields, const std::string& name);

// The session keeps no response cache, so both policies load afresh.
enum class CachePolicy { UseProtocolCachePolicy, ReloadIgnoringLocalCacheData };

// The platform's own limit for a whole exchange: a week, long enough for any
// upload on a slow link, so that only the idle rule ends a moving transfer.
inline constexpr double kDefaultResourceTimeout = 7 * 24 * 3600.0;
inline constexpr std::size_t kDefaultMaximumResponseBodyLength = 32u << 20;

struct URLRequest {
    std::string URL;
    std::string HTTPMethod = "GET";
    HeaderFields allHTTPHeaderFields;
    std::string HTTPBody;
    // A file streamed as the body instead of HTTPBody.
    std::optional<std::filesystem::path> HTTPBodyFile;
    // The idle limit: no byte for this long (or no connection within it)
    // ends the transfer.
    double timeoutInterval = 60.0;
    // The limit for the whole exchange, redirects included, however steadily
    // bytes go on moving. Not the request's timeout: that is the idle limit.
    double timeoutIntervalForResource = kDefaultResourceTimeout;
    // The most body bytes taken from the answer; a longer body fails the task.
    // Zero: nobody reads the body, so none is taken and the exchange ends
    // with the final response's headers.
    std::size_t maximumResponseBodyLength = kDefaultMaximumResponseBodyLength;
    CachePolicy cachePolicy = CachePolicy::UseProtocolCachePolicy;

    std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const;
    // Replaces every earlier value of the field, keeping its first place.
    void setValue(const std::string& value, const std::string& field);
    // Joins to an existing value with "," as header lists do.
    void addValue(const std::string& value, const std::string& field);
};

struct HTTPURLResponse {
    std::string URL;
    long statusCode = 0;
    HeaderFields allHeaderFields;

    std::optional<std::string> valueForHTTPHeaderField(const std::string& field) const
    {
        return headerValue(allHeaderFields, field);
    }
};

} // namespace qlkit
