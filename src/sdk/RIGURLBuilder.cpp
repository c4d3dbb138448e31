#include "sdk/RIGURLBuilder.h"

#include <cstring>
#include <curl/curl.h>
#include <memory>

namespace qlkit {
namespace {

bool isLegalInURL(unsigned char c)
{
    if (c >= 0x80 || c <= 0x20 || c == 0x7F)
        return false;
    return !std::strchr("\"%<>\\^`{|}", c);
}

std::string escape(const std::string& text, const char* alsoEscaped)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (isLegalInURL(c) && !std::strchr(alsoEscaped, c)) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

} // namespace

RIGURLBuilder RIGURLBuilder::URLWithBase(const std::string& base)
{
    RIGURLBuilder builder;
    builder.m_URLString = base;
    return builder;
}

void RIGURLBuilder::appendComponent(const std::string& text) { m_URLString += text; }

void RIGURLBuilder::escapeAndAppendComponent(const std::string& text) { m_URLString += escapeString(text); }

void RIGURLBuilder::appendValue(const Value& value, const std::string& name)
{
    if (value.isNull())
        return;
    m_URLString += m_queryParams == 0 ? "?" : "&";
    ++m_queryParams;
    m_URLString += name;
    m_URLString += "=";
    m_URLString += escapeQueryValue(value.description());
}

std::string RIGURLBuilder::escapeString(const std::string& text) { return escape(text, ""); }

std::string RIGURLBuilder::escapeQueryValue(const std::string& text) { return escape(text, "&=+#?"); }

std::optional<std::string> RIGURLBuilder::URL() const
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, m_URLString.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    return m_URLString;
}

} // namespace qlkit
