// The root certificates the kit trusts for its own connections (DER bytes).
// Of the eight roots the service once named, only two are still distributed
// with this system's trust store; the list stays a value so callers may pass
// another.
#pragma once

#include <string>
#include <vector>

namespace qlkit {

std::vector<std::string> RIGPinnedCertificates();

} // namespace qlkit
