// The HTTP client against a real server on 127.0.0.1 (plain, TLS, silent, behind a proxy).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "tests/update/UpdateServer.h"
#include "update/http/HttpClient.h"

using namespace updatetest;

namespace {

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ResetHttpSettings();
    }
    // Sends into a zero-filled buffer of the given size.
    int32_t Send(const std::string& verb, const std::string& url, const std::string& body, size_t capacity = 102400,
                 const std::function<bool()>& cancelled = {}) {
        buffer_.assign(capacity, '\0');
        return SendHttpRequest(verb, url, body.data(), static_cast<int32_t>(body.size()), buffer_, cancelled);
    }
    std::string Text() const { return std::string(buffer_.data()); }
    static bool HasHeader(const LoggedRequest& request, const std::string& line) {
        return std::find(request.headers.begin(), request.headers.end(), line) != request.headers.end();
    }

    std::filesystem::path dir_;
    std::vector<char> buffer_;
    DirectToTestServices direct_;
};

TEST_F(HttpClientTest, VerbsAreMatchedWithoutCaseAndSentInUpperCase) {
    UpdateServer server(dir_, DefaultAnswer(200, "{\"name\":\"x\"}"));
    ZORV_REQUIRE_UPDATE_SERVER(server);
    const struct {
        const char* given;
        const char* sent;
    } cases[] = {{"get", "GET"}, {"Post", "POST"}, {"POST", "POST"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Send(c.given, server.Url() + "/api/updates", "a=1"), 12) << c.given;
        EXPECT_EQ(Text(), "{\"name\":\"x\"}");
    }
    const std::vector<LoggedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(requests[i].requestLine, std::string(cases[i].sent) + " /api/updates HTTP/1.1");
    EXPECT_EQ(LastHttpError(), 0u);
}

TEST_F(HttpClientTest, RefusedRequestsDoNoNetworkWorkAndLeaveTheBufferAlone) {
    UpdateServer server(dir_, DefaultAnswer(200, "{}"));
    ZORV_REQUIRE_UPDATE_SERVER(server);
    EXPECT_EQ(Send("DELETE", server.Url() + "/api/updates", "a=1"), -1);
    EXPECT_EQ(LastHttpError(), 87u);
    EXPECT_EQ(buffer_[0], '\0');
    EXPECT_EQ(Send("POST", "", "a=1"), -1);
    EXPECT_EQ(LastHttpError(), 3u);
    buffer_.assign(16, '\0');
    EXPECT_EQ(SendHttpRequest("POST", server.Url(), "abc", -1, buffer_), -1);
    EXPECT_EQ(LastHttpError(), 87u);
    EXPECT_TRUE(server.Requests().empty());
    // Only a reset clears the last error; a success leaves it.
    EXPECT_EQ(Send("GET", server.Url(), ""), 2);
    EXPECT_EQ(LastHttpError(), 87u);
    ResetHttpSettings();
    EXPECT_EQ(LastHttpError(), 0u);
}

TEST_F(HttpClientTest, HeaderBlockAndBodyGoOutExactly) {
    UpdateServer server(dir_, DefaultAnswer(200, "ok"));
    ZORV_REQUIRE_UPDATE_SERVER(server);
    const std::string body("app_key=NULL&version=0\0", 23);
    EXPECT_EQ(Send("POST", server.Url() + "/api/updates", body), 2);
    EXPECT_EQ(Send("POST", server.Url() + "/api/updates", ""), 2);
    const std::vector<LoggedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const char* line : {"Content-Type: application/x-www-form-urlencoded", "Accept:application/prs.Nuvex.v1+json",
                             "User-Agent: WinHTTP Client/1.0"}) {
        EXPECT_TRUE(HasHeader(requests[0], line)) << line;
        EXPECT_TRUE(HasHeader(requests[1], line)) << line;
    }
    EXPECT_TRUE(HasHeader(requests[0], "Content-Length: 23"));
    EXPECT_EQ(requests[0].body, body);
    EXPECT_TRUE(HasHeader(requests[1], "Content-Length: 0"));
    EXPECT_TRUE(requests[1].body.empty());
    // One Content-Length only, and no curl extras such as "Expect".
    for (const LoggedRequest& request : requests) {
        EXPECT_EQ(std::count_if(request.headers.begin(), request.headers.end(),
                                [](const std::string& h) { return h.rfind("Content-Length", 0) == 0; }),
                  1);
        for (const std::string& header : request.headers) EXPECT_NE(header.rfind("Expect", 0), 0u) << header;
    }
}

TEST_F(HttpClientTest, ErrorStatusesReturnTheirBodyLikeSuccess) {
    for (const int status : {404, 500}) {
        UpdateServer server(dir_, DefaultAnswer(status, "{\"error\":1}"));
        ZORV_REQUIRE_UPDATE_SERVER(server);
        EXPECT_EQ(Send("POST", server.Url() + "/api/updates", "a=1"), 11) << status;
        EXPECT_EQ(Text(), "{\"error\":1}");
    }
}

TEST_F(HttpClientTest, UnreachableServerGivesTheMarker) {
    // A port that was just free: nobody listens there.
    int port = 0;
    {
        UpdateServer server(dir_, DefaultAnswer(200, ""));
        ZORV_REQUIRE_UPDATE_SERVER(server);
        port = server.Port();
    }
    EXPECT_EQ(Send("POST", "http://127.0.0.1:" + std::to_string(port) + "/api/updates", "a=1"), 0);
    EXPECT_EQ(Text(), "NO_LINK_SERVER");
    EXPECT_EQ(LastHttpError(), kHttpErrorBase + 7);  // no connection
    EXPECT_EQ(Send("POST", "not a url", "a=1"), 0);
    EXPECT_EQ(Text(), "NO_LINK_SERVER");
    EXPECT_EQ(Send("POST", "ftp://127.0.0.1/x", "a=1"), 0);
    EXPECT_EQ(Text(), "NO_LINK_SERVER");
}

TEST_F(HttpClientTest, LongAnswerIsCutWithATerminatingZero) {
    Json::Value answers;
    answers["default"]["status"] = 200;
    answers["default"]["repeat"] = std::string(1024, 'x');
    answers["default"]["times"] = 200;  // 200 KB
    UpdateServer server(dir_, answers);
    ZORV_REQUIRE_UPDATE_SERVER(server);
    EXPECT_EQ(Send("POST", server.Url(), "a=1", 102400), 102399);
    EXPECT_EQ(buffer_[102399], '\0');
    EXPECT_EQ(Text().size(), 102399u);
    // The smallest buffers still end in a zero and never take a byte more.
    EXPECT_EQ(Send("POST", server.Url(), "a=1", 1), 0);
    EXPECT_EQ(buffer_[0], '\0');
}

TEST_F(HttpClientTest, SilentServerIsBoundedByTheReceiveTimeOutAndByTheCaller) {
    UpdateServer server(dir_, DefaultAnswer(200, ""), {"--silent"});
    ZORV_REQUIRE_UPDATE_SERVER(server);
    ScopedEnv timeouts(kHttpTimeoutsVariable, "0,2000,1000,400");
    ResetHttpSettings();
    EXPECT_EQ(CurrentHttpSettings().receiveTimeoutMs, 400u);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Send("POST", server.Url(), "a=1"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(Text(), "");  // sent, but no answer: no marker
    EXPECT_EQ(LastHttpError(), kHttpErrorBase + 28);

    // With the default time-outs, the caller's stop ends the wait.
    ScopedEnv defaults(kHttpTimeoutsVariable, "");
    ResetHttpSettings();
    start = std::chrono::steady_clock::now();
    const auto stopAt = start + std::chrono::milliseconds(300);
    EXPECT_EQ(Send("POST", server.Url(), "a=1", 1024, [&] { return std::chrono::steady_clock::now() > stopAt; }), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(HttpClientTest, CertificatesAreVerified) {
    TestCertificates certs;
    if (!MakeTestCertificates(dir_, certs)) GTEST_SKIP() << "openssl could not make the test certificates";
    {
        UpdateServer selfSigned(dir_, DefaultAnswer(200, "secret"), {"--tls", certs.selfCert, certs.selfKey});
        ZORV_REQUIRE_UPDATE_SERVER(selfSigned);
        EXPECT_EQ(Send("POST", selfSigned.Url("https") + "/api/updates", "a=1"), 0);
        EXPECT_EQ(Text(), "NO_LINK_SERVER");
        EXPECT_EQ(LastHttpError(), kHttpErrorBase + 60);  // certificate refused
    }
    UpdateServer trusted(dir_, DefaultAnswer(200, "{\"name\":\"T3H7\"}"), {"--tls", certs.serverCert, certs.serverKey});
    ZORV_REQUIRE_UPDATE_SERVER(trusted);
    EXPECT_EQ(Send("POST", trusted.Url("https") + "/api/updates", "a=1"), 0) << "unknown CA must be refused";
    ScopedEnv ca("SSL_CERT_FILE", certs.caCert.string());
    ScopedEnv noBundle("CURL_CA_BUNDLE", "");  // it would take precedence
    EXPECT_EQ(Send("POST", trusted.Url("https") + "/api/updates", "a=1"), 15);
    EXPECT_EQ(Text(), "{\"name\":\"T3H7\"}");
    // The certificate names 127.0.0.1 and localhost only.
    EXPECT_EQ(Send("POST", "https://127.0.0.2:" + std::to_string(trusted.Port()) + "/api/updates", "a=1"), 0);
}

TEST_F(HttpClientTest, ProxyFromTheEnvironmentIsUsed) {
    const std::filesystem::path serviceDir = dir_ / "service";
    const std::filesystem::path proxyDir = dir_ / "proxy";
    std::filesystem::create_directories(serviceDir);
    std::filesystem::create_directories(proxyDir);
    UpdateServer service(serviceDir, DefaultAnswer(200, "{\"name\":\"via proxy\"}"));
    ZORV_REQUIRE_UPDATE_SERVER(service);
    UpdateServer proxy(proxyDir, Json::Value(), {"--proxy"});
    ZORV_REQUIRE_UPDATE_SERVER(proxy);
    ScopedEnv viaProxy("http_proxy", proxy.Url());
    ScopedEnv noBypass("no_proxy", "");
    ScopedEnv noBypassUpper("NO_PROXY", "");
    EXPECT_EQ(Send("POST", service.Url() + "/api/updates", "app_key=NULL&version=0"), 20);
    EXPECT_EQ(Text(), "{\"name\":\"via proxy\"}");
    const std::vector<LoggedRequest> seenByProxy = proxy.Requests();
    ASSERT_EQ(seenByProxy.size(), 1u);
    EXPECT_EQ(seenByProxy[0].requestLine, "POST " + service.Url() + "/api/updates HTTP/1.1");
    ASSERT_EQ(service.Requests().size(), 1u);
    EXPECT_EQ(service.Requests()[0].body, "app_key=NULL&version=0");
}

}  // namespace
