#include "sdk/network/CurlTransfer.h"

#include "sdk/foundation/CryptoInit.h"
#include "sdk/foundation/FileOps.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>
#include <strings.h>

namespace qlkit {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kMaximumRedirects = 10;

struct TransferState {
    const TransferCallbacks* callbacks = nullptr;
    // The host this transfer connects to: each redirect is a transfer of its
    // own, so a handshake is always judged against the host it is made with.
    std::string host;
    std::size_t bodyLimit = 0;
    std::size_t bodyReceived = 0;
    HTTPURLResponse pending;
    bool headersComplete = false;
    bool responseDelivered = false;
    bool followsRedirect = false; // the final response is a redirect to follow
    bool stoppedReading = false;  // the body was left unread on purpose
    bool bodyTooLong = false;
    bool trustRefused = false;
    bool dataRefused = false;
    // The idle rule: no byte in or out for `idleLimit` ends the transfer.
    SteadyClock::duration idleLimit {};
    SteadyClock::time_point lastMoved {};
    curl_off_t moved = -1;
    bool idleTimedOut = false;
    std::FILE* bodyFile = nullptr;
    CURL* curl = nullptr;
};

bool sameField(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool isFollowedRedirect(long status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

void deliverResponse(TransferState& state, CURL* curl)
{
    if (state.responseDelivered || !state.headersComplete || state.followsRedirect)
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
        // A new status line: an interim response came before.
        state.pending = HTTPURLResponse {};
        state.headersComplete = false;
        const auto space = line.find(' ');
        if (space != std::string::npos)
            state.pending.statusCode = std::strtol(line.c_str() + space + 1, nullptr, 10);
    } else if (line == "\r\n" || line == "\n") {
        state.headersComplete = state.pending.statusCode >= 200 || state.pending.statusCode == 101;
        state.followsRedirect = state.headersComplete && isFollowedRedirect(state.pending.statusCode)
                                && state.pending.valueForHTTPHeaderField("Location").has_value();
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
        state.pending.allHeaderFields.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    }
    return size * count;
}

std::size_t onBody(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    const std::size_t length = size * count;
    deliverResponse(state, state.curl);
    // A redirect's body, or one nobody reads: the headers are all we need.
    if (state.followsRedirect || state.bodyLimit == 0) {
        state.stoppedReading = true;
        return 0;
    }
    if (length > state.bodyLimit - state.bodyReceived) {
        state.bodyTooLong = true;
        return 0;
    }
    state.bodyReceived += length;
    if (state.callbacks->data && !state.callbacks->data(std::string_view(buffer, length))) {
        state.dataRefused = true;
        return 0;
    }
    return length;
}

// The body's file, when it is a regular one: a pipe in its place would hang
// the upload, a device would send without end.
std::FILE* openBodyFile(const std::filesystem::path& path)
{
    return files::streamOf(files::openFile(path), "rb");
}

std::size_t onReadBody(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto& state = *static_cast<TransferState*>(user);
    const std::size_t got = std::fread(buffer, 1, size * count, state.bodyFile);
    if (got == 0 && std::ferror(state.bodyFile))
        return CURL_READFUNC_ABORT;
    return got;
}

// Counts bytes sent and received alike: an upload the server has stopped
// reading is as idle as an answer that never comes. libcurl calls this about
// once a second while nothing moves.
int onProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto& state = *static_cast<TransferState*>(user);
    const auto now = SteadyClock::now();
    if (received + sent != state.moved) {
        state.moved = received + sent;
        state.lastMoved = now;
        return 0;
    }
    if (now - state.lastMoved < state.idleLimit)
        return 0;
    state.idleTimedOut = true;
    return 1;
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

KitError failure(long code, std::string message) { return KitError {kURLErrorDomain, code, {}, std::move(message)}; }

KitError transportError(CURLcode code, const TransferState& state, const char* detail)
{
    long number = kURLErrorUnknown;
    if (state.idleTimedOut) {
        return failure(kURLErrorTimedOut, "no byte moved for "
                                              + std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                   state.idleLimit)
                                                                   .count())
                                              + " ms");
    } else if (state.trustRefused) {
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
    return failure(number, detail && *detail ? detail : curl_easy_strerror(code));
}

using CurlURL = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

std::string urlPart(const std::string& url, CURLUPart part)
{
    CurlURL parsed(curl_url(), curl_url_cleanup);
    char* text = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK
        || curl_url_get(parsed.get(), part, &text, 0) != CURLUE_OK)
        return {};
    std::string result = text;
    curl_free(text);
    return result;
}

std::string hostOf(const std::string& url)
{
    std::string host = urlPart(url, CURLUPART_HOST);
    // "[::1]" is matched as the address inside the brackets.
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return host;
}

// Schemes are compared without regard to case: "Https:" is as secure as "https:".
std::string schemeOf(const std::string& url)
{
    std::string scheme = urlPart(url, CURLUPART_SCHEME);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return scheme;
}

// The absolute address a redirect's Location names, relative to `base`.
std::optional<std::string> resolvedLocation(const std::string& base, const std::string& location)
{
    CurlURL parsed(curl_url(), curl_url_cleanup);
    char* text = nullptr;
    const unsigned flags = CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE | CURLU_ALLOW_SPACE;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, base.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK
        || curl_url_set(parsed.get(), CURLUPART_URL, location.c_str(), flags) != CURLUE_OK
        || curl_url_get(parsed.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return std::nullopt;
    std::string result = text;
    curl_free(text);
    return result;
}

bool isToken(const std::string& name)
{
    static constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={} \t";
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7F && kSeparators.find(char(c)) == std::string_view::npos;
    });
}

// A line break in a field would end it early and start fields (or a request)
// of the sender's choosing; such a request is refused whole, before anything
// is sent. Values are not quoted back: they may be secrets.
std::optional<KitError> unsafeHeaderField(const URLRequest& request)
{
    for (const auto& [field, value] : request.allHTTPHeaderFields) {
        if (!isToken(field))
            return failure(kURLErrorBadURL, "the request has a header field whose name is not a valid HTTP field name");
        if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            return failure(kURLErrorBadURL, "the value of the header field " + field + " holds a line break or NUL byte");
    }
    return std::nullopt;
}

bool hasBody(const URLRequest& request)
{
    return request.HTTPBodyFile || !request.HTTPBody.empty() || (request.HTTPMethod != "GET" && request.HTTPMethod != "HEAD");
}

// The request that a redirect with `status` asks for: a POST after 301 or 302,
// and anything but HEAD after 303, becomes a GET without its body; other
// methods keep theirs. Fields that described the dropped body go with it.
URLRequest redirected(const URLRequest& request, long status, std::string location)
{
    URLRequest next = request;
    next.URL = std::move(location);
    const bool toGet = (status == 303 && request.HTTPMethod != "HEAD")
                       || ((status == 301 || status == 302) && request.HTTPMethod == "POST");
    if (toGet && request.HTTPMethod != "GET") {
        next.HTTPMethod = "GET";
        next.HTTPBody.clear();
        next.HTTPBodyFile.reset();
        std::erase_if(next.allHTTPHeaderFields, [](const auto& entry) {
            return sameField(entry.first, "Content-Length") || sameField(entry.first, "Content-Type")
                   || sameField(entry.first, "Content-Encoding");
        });
    }
    return next;
}

struct Hop {
    std::optional<KitError> error;
    std::optional<std::pair<long, std::string>> redirect; // status and absolute target
};

// One request and its response, without following redirects.
Hop performHop(const URLRequest& request, const TransferCallbacks& callbacks, SteadyClock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    if (left <= 0)
        return {failure(kURLErrorTimedOut, "the request took longer than its time limit"), std::nullopt};

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return {failure(kURLErrorUnknown, "cannot start a transfer"), std::nullopt};
    TransferState state;
    state.callbacks = &callbacks;
    state.host = hostOf(request.URL);
    state.bodyLimit = request.maximumResponseBodyLength;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    state.curl = c;
    curl_easy_setopt(c, CURLOPT_URL, request.URL.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_SSL_CTX_FUNCTION, onSSLContext);
    curl_easy_setopt(c, CURLOPT_SSL_CTX_DATA, &state);
    // The request timeout is an idle timeout: no byte in or out for that long
    // ends the transfer, and connecting gets the same time. A transfer that
    // keeps moving goes on until the whole exchange's deadline.
    const double timeout = request.timeoutInterval > 0 ? request.timeoutInterval : 60.0;
    state.idleLimit = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(timeout));
    state.lastMoved = SteadyClock::now();
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(std::min<double>(timeout * 1000, double(left))));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(left));

    std::unique_ptr<std::FILE, decltype(&std::fclose)> bodyFile(nullptr, std::fclose);
    const bool withBody = hasBody(request);
    curl_off_t bodyLength = 0;
    if (request.HTTPMethod == "HEAD") {
        curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else if (withBody) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        if (request.HTTPBodyFile) {
            bodyFile.reset(openBodyFile(*request.HTTPBodyFile));
            if (!bodyFile)
                return {failure(kURLErrorCannotOpenFile, "cannot read " + request.HTTPBodyFile->string()), std::nullopt};
            std::fseek(bodyFile.get(), 0, SEEK_END);
            bodyLength = curl_off_t(std::ftell(bodyFile.get()));
            std::rewind(bodyFile.get());
            state.bodyFile = bodyFile.get();
            curl_easy_setopt(c, CURLOPT_READFUNCTION, onReadBody);
            curl_easy_setopt(c, CURLOPT_READDATA, &state);
        } else {
            bodyLength = curl_off_t(request.HTTPBody.size());
            curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.HTTPBody.data());
        }
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, bodyLength);
        if (request.HTTPMethod != "POST")
            curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.HTTPMethod.c_str());
    } else if (request.HTTPMethod != "GET") {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.HTTPMethod.c_str());
    }

    curl_slist* headers = nullptr;
    for (const auto& [field, value] : request.allHTTPHeaderFields) {
        std::string line;
        if (sameField(field, "Content-Length")) {
            // The length sent is always the body's own, in the field's place:
            // a wrong or stale one would leave the server waiting for bytes
            // that never come.
            if (!withBody || request.HTTPMethod == "HEAD")
                continue;
            line = field + ": " + std::to_string(bodyLength);
        } else {
            // "Field;" is libcurl's way of sending a field with an empty value.
            line = value.empty() ? field + ";" : field + ": " + value;
        }
        headers = curl_slist_append(headers, line.c_str());
    }
    // Remove what libcurl would add on its own.
    if (!request.valueForHTTPHeaderField("Accept"))
        headers = curl_slist_append(headers, "Accept:");
    if (!request.valueForHTTPHeaderField("Expect"))
        headers = curl_slist_append(headers, "Expect:");
    if (withBody && !request.valueForHTTPHeaderField("Content-Type"))
        headers = curl_slist_append(headers, "Content-Type:");
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(headers, curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);

    const CURLcode result = curl_easy_perform(c);
    const bool finished = result == CURLE_OK || (result == CURLE_WRITE_ERROR && state.stoppedReading);
    if (finished && state.followsRedirect) {
        auto target = resolvedLocation(request.URL, *state.pending.valueForHTTPHeaderField("Location"));
        if (!target)
            return {failure(kURLErrorBadServerResponse, "a redirect names no usable location"), std::nullopt};
        return {std::nullopt, std::pair {state.pending.statusCode, std::move(*target)}};
    }
    if (finished) {
        deliverResponse(state, c);
        if (!state.responseDelivered)
            return {failure(kURLErrorBadServerResponse, "no response"), std::nullopt};
        return {};
    }
    if (state.bodyTooLong)
        return {failure(kURLErrorDataLengthExceedsMaximum,
                        "the answer is longer than the " + std::to_string(state.bodyLimit) + " bytes this request takes"),
                std::nullopt};
    if (state.dataRefused)
        return {failure(kURLErrorCannotOpenFile, "the received data could not be stored"), std::nullopt};
    return {transportError(result, state, errorText), std::nullopt};
}

} // namespace

std::optional<KitError> performTransfer(const URLRequest& request, const TransferCallbacks& callbacks)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        initialiseCrypto();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
    if (auto refused = unsafeHeaderField(request))
        return refused;

    const double limit = request.timeoutIntervalForResource > 0 ? request.timeoutIntervalForResource : kDefaultResourceTimeout;
    const auto deadline = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(limit));
    // A secure request is never redirected to plain HTTP, where its headers
    // (the API key among them) would travel in the clear.
    const bool secure = schemeOf(request.URL) == "https";
    URLRequest hop = request;
    for (int redirects = 0;; ++redirects) {
        auto outcome = performHop(hop, callbacks, deadline);
        if (outcome.error || !outcome.redirect)
            return outcome.error;
        if (redirects == kMaximumRedirects)
            return failure(kURLErrorHTTPTooManyRedirects, "more than " + std::to_string(kMaximumRedirects) + " redirects");
        auto& [status, target] = *outcome.redirect;
        const std::string scheme = schemeOf(target);
        if (scheme != "http" && scheme != "https")
            return failure(kURLErrorUnsupportedURL, "a redirect leads to an unsupported address");
        if (secure && scheme != "https")
            return failure(kURLErrorRequiresSecureConnection, "a secure request was redirected to plain HTTP");
        hop = redirected(hop, status, std::move(target));
    }
}

} // namespace qlkit
