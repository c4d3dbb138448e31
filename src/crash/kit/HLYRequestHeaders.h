// The header fields every request of the crash reporter starts with, in
// their fixed order: client, accepted answers, locale, tokens and API key.
#pragma once

#include "sdk/network/URLRequest.h"

#include <string>

namespace qlkit {

void HLYSetKitRequestHeaders(URLRequest& request, const std::string& apiKey);

} // namespace qlkit
