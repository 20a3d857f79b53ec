#include "update/http/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/DebugOutput.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kDefaultResolveTimeoutMs = 0;
constexpr uint32_t kDefaultConnectTimeoutMs = 60000;
constexpr uint32_t kDefaultSendTimeoutMs = 30000;
constexpr uint32_t kDefaultReceiveTimeoutMs = 30000;
constexpr const char kUserAgent[] = "WinHTTP Client/1.0";

std::mutex g_settingsLock;
HttpSettings g_settings{kUserAgent, kDefaultResolveTimeoutMs, kDefaultConnectTimeoutMs, kDefaultSendTimeoutMs,
                        kDefaultReceiveTimeoutMs};
std::atomic<uint32_t> g_lastError{0};

void RecordError(uint32_t code) { g_lastError = code; }
void RecordCurlError(CURLcode code) { RecordError(kHttpErrorBase + static_cast<uint32_t>(code)); }

// "resolve,connect,send,receive"; any malformed part keeps the default of that part.
void ApplyTimeoutOverride(HttpSettings& settings) {
    const char* text = std::getenv(kHttpTimeoutsVariable);
    if (!text || !*text) return;
    uint32_t* fields[] = {&settings.resolveTimeoutMs, &settings.connectTimeoutMs, &settings.sendTimeoutMs,
                          &settings.receiveTimeoutMs};
    std::istringstream parts(text);
    std::string part;
    for (uint32_t* field : fields) {
        if (!std::getline(parts, part, ',')) break;
        char* end = nullptr;
        const unsigned long value = std::strtoul(part.c_str(), &end, 10);
        if (end != part.c_str() && *end == '\0' && value <= 0xFFFFFFFFul) *field = static_cast<uint32_t>(value);
    }
}

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Compares without regard to case; returns the verb in upper case or "" when it is not allowed.
std::string NormalisedVerb(const std::string& verb) {
    std::string upper(verb);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper == "GET" || upper == "POST" ? upper : std::string();
}

// The header block, one line per header (curl adds the line ends). The block's blank line
// separates nothing on the wire, so it carries no header.
std::vector<std::string> HeaderLines(int32_t bodyLength) {
    const std::string block = "Content-Length: " + std::to_string(bodyLength) +
                              "\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n"
                              "Accept:application/prs.Nuvex.v1+json\r\n";
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < block.size()) {
        const size_t end = block.find("\r\n", start);
        const std::string line = block.substr(start, end - start);
        if (!line.empty()) lines.push_back(line);
        start = end + 2;
    }
    // Curl's own "Expect: 100-continue" for larger bodies is not part of the block.
    lines.push_back("Expect:");
    return lines;
}

struct Transfer {
    std::span<char> response;
    size_t placed = 0;
    bool full = false;
    const std::function<bool()>* cancelled = nullptr;
    CURL* curl = nullptr;
    uint32_t sendTimeoutMs = 0;
    uint32_t receiveTimeoutMs = 0;
    bool started = false;
    curl_off_t lastUp = -1;
    curl_off_t lastDown = -1;
    Clock::time_point lastMove{};
    bool timedOut = false;
    bool stopped = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    const size_t capacity = t->response.empty() ? 0 : t->response.size() - 1;
    const size_t room = capacity - std::min(capacity, t->placed);
    const size_t take = std::min(room, bytes);
    if (take) std::memcpy(t->response.data() + t->placed, data, take);
    t->placed += take;
    if (take < bytes) {
        // The rest does not fit; the answer ends here.
        t->full = true;
        return take == 0 ? 0 : take;
    }
    return bytes;
}

// The send and receive time-outs, which curl has no separate setting for, measured from the
// last byte that moved once the connection stands (the connect time-out covers the time before).
bool Stalled(Transfer& t, curl_off_t bodyLength) {
    curl_off_t pretransfer = 0, up = 0, down = 0;
    curl_easy_getinfo(t.curl, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer <= 0) return false;
    curl_easy_getinfo(t.curl, CURLINFO_SIZE_UPLOAD_T, &up);
    curl_easy_getinfo(t.curl, CURLINFO_SIZE_DOWNLOAD_T, &down);
    const Clock::time_point now = Clock::now();
    if (!t.started || up != t.lastUp || down != t.lastDown) {
        t.started = true;
        t.lastUp = up;
        t.lastDown = down;
        t.lastMove = now;
        return false;
    }
    const uint32_t limit = up < bodyLength ? t.sendTimeoutMs : t.receiveTimeoutMs;
    return limit && now - t.lastMove >= std::chrono::milliseconds(limit);
}

// Drives the transfer in short slices so that the caller's stop and the time-outs are seen
// within a fraction of a second.
CURLcode Perform(Transfer& t, curl_off_t bodyLength) {
    constexpr int kSliceMs = 50;
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_FAILED_INIT;
    curl_multi_add_handle(multi, t.curl);
    CURLcode result = CURLE_OK;
    int running = 1;
    while (running) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (!running) break;
        if (t.cancelled && *t.cancelled && (*t.cancelled)()) {
            t.stopped = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (Stalled(t, bodyLength)) {
            t.timedOut = true;
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, kSliceMs, nullptr);
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == t.curl && !t.stopped && !t.timedOut)
            result = message->data.result;
    curl_multi_remove_handle(multi, t.curl);
    curl_multi_cleanup(multi);
    return result;
}

void WriteNoLinkMarker(std::span<char> response) {
    const size_t marker = sizeof(kNoLinkServer) - 1;
    // The caller's zero fill ends the text; the zero written here keeps it ended without one.
    if (response.size() <= marker) return;
    std::memcpy(response.data(), kNoLinkServer, marker);
    response[marker] = '\0';
}

struct CurlHandle {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    ~CurlHandle() {
        if (headers) curl_slist_free_all(headers);
        if (curl) curl_easy_cleanup(curl);
    }
};

void UseCaFromEnvironment(CURL* curl) {
    const char* bundle = std::getenv("CURL_CA_BUNDLE");
    if (!bundle || !*bundle) bundle = std::getenv("SSL_CERT_FILE");
    if (bundle && *bundle) curl_easy_setopt(curl, CURLOPT_CAINFO, bundle);
    const char* folder = std::getenv("SSL_CERT_DIR");
    if (folder && *folder) curl_easy_setopt(curl, CURLOPT_CAPATH, folder);
}

}  // namespace

void ResetHttpSettings() {
    HttpSettings settings{kUserAgent, kDefaultResolveTimeoutMs, kDefaultConnectTimeoutMs, kDefaultSendTimeoutMs,
                          kDefaultReceiveTimeoutMs};
    ApplyTimeoutOverride(settings);
    {
        std::lock_guard lock(g_settingsLock);
        g_settings = settings;
    }
    g_lastError = 0;
}

HttpSettings CurrentHttpSettings() {
    std::lock_guard lock(g_settingsLock);
    return g_settings;
}

uint32_t LastHttpError() { return g_lastError; }

int32_t SendHttpRequest(const std::string& verb, const std::string& url, const char* body, int32_t bodyLength,
                        std::span<char> response, const std::function<bool()>& cancelled) {
    if (url.empty()) {
        RecordError(kHttpErrorPathNotFound);
        return -1;
    }
    const std::string method = NormalisedVerb(verb);
    if (method.empty() || bodyLength < 0 || (bodyLength > 0 && !body)) {
        RecordError(kHttpErrorInvalidParameter);
        return -1;
    }
    GlobalInitOnce();
    CurlHandle handle;
    if (!handle.curl) {
        RecordCurlError(CURLE_FAILED_INIT);
        return -1;
    }
    const HttpSettings settings = CurrentHttpSettings();
    CURL* curl = handle.curl;
    Transfer transfer;
    transfer.response = response;
    transfer.cancelled = &cancelled;
    transfer.curl = curl;
    transfer.sendTimeoutMs = settings.sendTimeoutMs;
    transfer.receiveTimeoutMs = settings.receiveTimeoutMs;

    for (const std::string& line : HeaderLines(bodyLength)) handle.headers = curl_slist_append(handle.headers, line.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, settings.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Resolving and connecting share curl's connect time-out; a resolve limit of its own adds to it.
    const uint64_t connectMs = uint64_t{settings.connectTimeoutMs} + settings.resolveTimeoutMs;
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min<uint64_t>(connectMs, 0x7FFFFFFF)));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    UseCaFromEnvironment(curl);
    if (bodyLength > 0) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(bodyLength));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body);
        if (method == "GET") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    } else if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, 0L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

    const CURLcode result = Perform(transfer, bodyLength);
    if (!response.empty()) response[std::min(transfer.placed, response.size() - 1)] = '\0';

    long requestBytes = 0;
    curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &requestBytes);
    const bool sent = requestBytes > 0;
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && transfer.full)) {
        RecordCurlError(result);
        DebugOutput(std::string("http: ") + method + " " + url + ": " +
                    (transfer.timedOut ? "time-out" : curl_easy_strerror(result)));
    }
    if (!sent) {
        WriteNoLinkMarker(response);
        return 0;
    }
    return static_cast<int32_t>(std::min<size_t>(transfer.placed, 0x7FFFFFFF));
}
