// OpenSSL, set up so that it is never torn down at exit: the kit's background
// transfers may still be using it while the process ends.
#pragma once

namespace qlkit {

void initialiseCrypto();

} // namespace qlkit
