#include "sdk/foundation/CryptoInit.h"

#include <mutex>
#include <openssl/crypto.h>
#include <openssl/ssl.h>

namespace qlkit {

void initialiseCrypto()
{
    static std::once_flag once;
    std::call_once(once, [] {
        OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
        OPENSSL_init_ssl(OPENSSL_INIT_NO_ATEXIT, nullptr);
    });
}

} // namespace qlkit
