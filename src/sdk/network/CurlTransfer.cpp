#include "sdk/network/CurlTransfer.h"

#include "sdk/foundation/CryptoInit.h"

#include <cmath>
#include <cstdio>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <strings.h>

namespace qlkit {
namespace {

struct TransferState {
    const TransferCallbacks* callbacks = nullptr;
    std::string host;
    HTTPURLResponse pending;
    bool headersComplete = false;
    bool responseDelivered = false;
    bool trustRefused = false;
    bool dataRefused = false;
    std::FILE* bodyFile = nullptr;
    CURL* curl = nullptr;
};

void deliverResponse(TransferState& state, CURL* curl)
{
    if (state.responseDelivered || !state.headersComplete)
        return;
    state.responseDelivered = true;
    char* effective = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        state.pending.URL = effective;
    if (state.callbacks->response)
        state.callbacks->response(state.pending);
}

std::string trimmed(std::string text)
{
    const auto start = text.find_first_not_of(" \t\r\n");
    const auto end = text.find_last_not_of(" \t\r\n");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

std::size_t onHeader(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    const std::string line(buffer, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        // A new status line: an interim or redirect response came before.
        state.pending = HTTPURLResponse {};
        state.headersComplete = false;
        const auto space = line.find(' ');
        if (space != std::string::npos)
            state.pending.statusCode = std::strtol(line.c_str() + space + 1, nullptr, 10);
    } else if (line == "\r\n" || line == "\n") {
        state.headersComplete = state.pending.statusCode >= 200 || state.pending.statusCode == 101;
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
        state.pending.allHeaderFields.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    }
    return size * count;
}

std::size_t onBody(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    deliverResponse(state, state.curl);
    if (state.callbacks->data && !state.callbacks->data(std::string_view(buffer, size * count))) {
        state.dataRefused = true;
        return 0;
    }
    return size * count;
}

std::size_t onReadBody(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    const std::size_t got = std::fread(buffer, 1, size * count, state.bodyFile);
    if (got == 0 && std::ferror(state.bodyFile))
        return CURL_READFUNC_ABORT;
    return got;
}

int verifyServer(X509_STORE_CTX* context, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    const ServerTrust trust {X509_STORE_CTX_get0_cert(context), X509_STORE_CTX_get0_untrusted(context), state.host};
    const auto disposition = state.callbacks->trust ? state.callbacks->trust(trust)
                                                    : AuthChallengeDisposition::PerformDefaultHandling;
    bool trusted = false;
    switch (disposition) {
    case AuthChallengeDisposition::UseCredential: trusted = true; break;
    case AuthChallengeDisposition::PerformDefaultHandling: trusted = trust.evaluateWithSystemTrust(); break;
    case AuthChallengeDisposition::CancelAuthenticationChallenge: trusted = false; break;
    }
    if (!trusted) {
        state.trustRefused = true;
        X509_STORE_CTX_set_error(context, X509_V_ERR_APPLICATION_VERIFICATION);
        return 0;
    }
    X509_STORE_CTX_set_error(context, X509_V_OK);
    return 1;
}

CURLcode onSSLContext(CURL*, void* sslContext, void* user)
{
    // The trust decision is ours (the session delegate's), not the library's.
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(sslContext), verifyServer, user);
    return CURLE_OK;
}

KitError transportError(CURLcode code, const TransferState& state, const char* detail)
{
    long number = kURLErrorUnknown;
    if (state.trustRefused) {
        number = kURLErrorCancelled;
    } else {
        switch (code) {
        case CURLE_OPERATION_TIMEDOUT: number = kURLErrorTimedOut; break;
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST: number = kURLErrorCannotConnectToHost; break;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE: number = kURLErrorNetworkConnectionLost; break;
        case CURLE_WEIRD_SERVER_REPLY: number = kURLErrorCannotParseResponse; break;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL: number = kURLErrorBadURL; break;
        case CURLE_SSL_CONNECT_ERROR: number = kURLErrorSecureConnectionFailed; break;
        case CURLE_PEER_FAILED_VERIFICATION: number = kURLErrorServerCertificateUntrusted; break;
        default: break;
        }
    }
    KitError error {kURLErrorDomain, number, {}, detail && *detail ? detail : curl_easy_strerror(code)};
    return error;
}

std::string hostOf(const std::string& url)
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), curl_url_cleanup);
    char* host = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK
        || curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK)
        return {};
    std::string result = host;
    curl_free(host);
    // "[::1]" is matched as the address inside the brackets.
    if (result.size() > 2 && result.front() == '[' && result.back() == ']')
        result = result.substr(1, result.size() - 2);
    return result;
}

bool hasField(const URLRequest& request, const char* field) { return request.valueForHTTPHeaderField(field).has_value(); }

} // namespace

std::optional<KitError> performTransfer(const URLRequest& request, const TransferCallbacks& callbacks)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        initialiseCrypto();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return KitError {kURLErrorDomain, kURLErrorUnknown, {}, "cannot start a transfer"};
    TransferState state;
    state.callbacks = &callbacks;
    state.host = hostOf(request.URL);
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    state.curl = c;
    curl_easy_setopt(c, CURLOPT_URL, request.URL.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // A secure request is never redirected to plain HTTP, where its headers
    // (the API key among them) would travel in the clear.
    const bool secure = request.URL.rfind("https:", 0) == 0 || request.URL.rfind("HTTPS:", 0) == 0;
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, onSSLContext);
    curl_easy_setopt(c, CURLOPT_SSL_CTX_DATA, &state);
    // The request timeout is an idle timeout: no byte for that long ends the
    // transfer; connecting gets the same time.
    const double timeout = request.timeoutInterval > 0 ? request.timeoutInterval : 60.0;
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(timeout * 1000));
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, long(std::ceil(timeout)));

    std::unique_ptr<std::FILE, decltype(&std::fclose)> bodyFile(nullptr, std::fclose);
    const bool hasBody = request.HTTPBodyFile || !request.HTTPBody.empty()
                         || (request.HTTPMethod != "GET" && request.HTTPMethod != "HEAD");
    if (request.HTTPMethod == "HEAD") {
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else if (hasBody) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        if (request.HTTPBodyFile) {
            bodyFile.reset(std::fopen(request.HTTPBodyFile->c_str(), "rb"));
            if (!bodyFile)
                return KitError {kURLErrorDomain, kURLErrorCannotOpenFile, {}, "cannot read " + request.HTTPBodyFile->string()};
            std::fseek(bodyFile.get(), 0, SEEK_END);
            const long size = std::ftell(bodyFile.get());
            std::rewind(bodyFile.get());
            state.bodyFile = bodyFile.get();
            curl_easy_setopt(c, CURLOPT_READFUNCTION, onReadBody);
            curl_easy_setopt(c, CURLOPT_READDATA, &state);
            curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(size));
        } else {
            curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.HTTPBody.data());
            curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.HTTPBody.size()));
        }
        if (request.HTTPMethod != "POST")
            curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.HTTPMethod.c_str());
    } else if (request.HTTPMethod != "GET") {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.HTTPMethod.c_str());
    }

    curl_slist* headers = nullptr;
    for (const auto& [field, value] : request.allHTTPHeaderFields) {
        // "Field;" is libcurl's way of sending a field with an empty value.
        const std::string line = value.empty() ? field + ";" : field + ": " + value;
        headers = curl_slist_append(headers, line.c_str());
    }
    // Remove what libcurl would add on its own.
    if (!hasField(request, "Accept"))
        headers = curl_slist_append(headers, "Accept:");
    if (!hasField(request, "Expect"))
        headers = curl_slist_append(headers, "Expect:");
    if (hasBody && !hasField(request, "Content-Type"))
        headers = curl_slist_append(headers, "Content-Type:");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    const CURLcode result = curl_easy_perform(c);
    if (result == CURLE_OK) {
        deliverResponse(state, c);
        if (!state.responseDelivered)
            return KitError {kURLErrorDomain, kURLErrorBadServerResponse, {}, "no response"};
        return std::nullopt;
    }
    if (state.dataRefused)
        return KitError {kURLErrorDomain, kURLErrorCannotOpenFile, {}, "the received data could not be stored"};
    return transportError(result, state, errorText);
}

} // namespace qlkit
