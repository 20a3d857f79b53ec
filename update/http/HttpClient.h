#pragma once
// The small synchronous HTTP client of the update check: one request with a form-encoded body,
// the raw answer bytes in the caller's buffer. Realised over libcurl.
//
// Proxies come from the environment as curl reads them (http_proxy, https_proxy, no_proxy).
// TLS certificates and host names are verified; a CA file in CURL_CA_BUNDLE or SSL_CERT_FILE
// (a folder in SSL_CERT_DIR) replaces the system's list.
//
// Last error values on Linux:
//   3                    the URL was empty
//   87                   the verb was neither GET nor POST, or the body did not fit its length
//   12000 + CURLcode     the failing transfer step, for example 12006 host not resolved,
//                        12007 no connection, 12028 a time-out, 12060 certificate refused,
//                        12042 stopped by the caller (see kHttpErrorBase)
#include <cstdint>
#include <functional>
#include <span>
#include <string>

struct HttpSettings {
    std::string userAgent;
    uint32_t resolveTimeoutMs = 0;  // 0: no limit of its own (the connect time-out covers it)
    uint32_t connectTimeoutMs = 0;
    uint32_t sendTimeoutMs = 0;     // longest wait for the body to move on
    uint32_t receiveTimeoutMs = 0;  // longest wait for the answer or its next bytes
};

inline constexpr uint32_t kHttpErrorPathNotFound = 3;
inline constexpr uint32_t kHttpErrorInvalidParameter = 87;
inline constexpr uint32_t kHttpErrorBase = 12000;

// The 14 marker bytes written, without a zero, to the start of the buffer when no request could be sent.
inline constexpr char kNoLinkServer[] = "NO_LINK_SERVER";

// Environment override of the four time-outs, "resolve,connect,send,receive" in milliseconds;
// read by ResetHttpSettings (tests and slow links shorten or lengthen them without a rebuild).
inline constexpr const char* kHttpTimeoutsVariable = "ZORV_HTTP_TIMEOUTS";

// User agent "WinHTTP Client/1.0", time-outs 0 / 60000 / 30000 / 30000 ms (or kHttpTimeoutsVariable),
// last error 0.
void ResetHttpSettings();
HttpSettings CurrentHttpSettings();

// Returns -1 when the request is refused before any network work, else the number of answer
// bytes placed in response (0 with kNoLinkServer when no request could be sent). At most
// response.size() - 1 bytes are placed and a zero always follows them, so a longer answer is
// cut at a byte boundary. cancelled is asked while the transfer waits; true ends it at once.
int32_t SendHttpRequest(const std::string& verb, const std::string& url, const char* body, int32_t bodyLength,
                        std::span<char> response, const std::function<bool()>& cancelled = {});

uint32_t LastHttpError();
