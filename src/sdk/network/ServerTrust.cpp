#include "sdk/network/ServerTrust.h"

#include <memory>
#include <openssl/x509v3.h>

namespace qlkit {

bool ServerTrust::evaluate(X509_STORE* store, std::string* failure) const
{
    if (!leaf || !store)
        return false;
    std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> context(X509_STORE_CTX_new(), X509_STORE_CTX_free);
    if (!context || X509_STORE_CTX_init(context.get(), store, leaf, chain) != 1)
        return false;
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(context.get());
    X509_VERIFY_PARAM_set_purpose(param, X509_PURPOSE_SSL_SERVER);
    // An address literal is matched against IP entries, anything else as a name.
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1)
        X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size());
    const bool ok = X509_verify_cert(context.get()) == 1;
    if (!ok && failure)
        *failure = X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
    return ok;
}

bool ServerTrust::evaluateWithSystemTrust(std::string* failure) const
{
    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(), X509_STORE_free);
    if (!store || X509_STORE_set_default_paths(store.get()) != 1)
        return false;
    return evaluate(store.get(), failure);
}

} // namespace qlkit
