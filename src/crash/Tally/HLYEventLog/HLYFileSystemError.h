// File-system failures of the event log, as the kit's error values.
#pragma once

#include "sdk/network/KitError.h"

#include <string>
#include <system_error>

namespace qlkit {

inline KitError HLYFileSystemError(int code, const std::string& what)
{
    return KitError {"NSPOSIXErrorDomain", code, {}, what + ": " + std::generic_category().message(code)};
}

inline KitError HLYFileSystemError(const std::error_code& code, const std::string& what)
{
    return KitError {"NSPOSIXErrorDomain", code.value(), {}, what + ": " + code.message()};
}

} // namespace qlkit
