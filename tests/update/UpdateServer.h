#pragma once
// The test update service (update_server.py) started on 127.0.0.1, its request log, and a test
// certificate authority made with openssl.
#include <json/json.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"

// A test that needs the service skips, saying why, when python3 cannot start it.
#define ZORV_REQUIRE_UPDATE_SERVER(server) \
    if (!(server).Started()) GTEST_SKIP() << "the test update service (python3 " ZORV_UPDATE_SERVER ") did not start"

namespace updatetest {

inline std::filesystem::path TestFolder(const std::string& name) {
    const char* tmp = std::getenv("ZORV_TEST_TMP");
    std::filesystem::path dir = std::filesystem::path(tmp ? tmp : "/tmp/zorv-update-tests") / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// One request as the server read it.
struct LoggedRequest {
    std::string requestLine;
    std::vector<std::string> headers;
    std::string body;
};

class UpdateServer {
public:
    // extra: "--silent", "--proxy", "--tls cert key", ...; answers: the answers document.
    UpdateServer(const std::filesystem::path& dir, const Json::Value& answers, std::vector<std::string> extra = {})
        : dir_(dir) {
        const std::filesystem::path answersFile = dir / "answers.json";
        std::ofstream(answersFile) << answers.toStyledString();
        std::filesystem::remove(dir / "port");
        std::filesystem::remove(dir / "requests.log");
        std::vector<std::string> argv{"python3", ZORV_UPDATE_SERVER, "--port-file", (dir / "port").string(),
                                      "--log", (dir / "requests.log").string(), "--answers", answersFile.string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        pid_ = testsupport::Spawn(argv, dir / "server.out");
        for (int waited = 0; waited < 10000 && port_ == 0; waited += 20) {
            std::ifstream portFile(dir / "port");
            if (!(portFile >> port_)) port_ = 0;
            if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~UpdateServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            testsupport::WaitExit(pid_, 2000);
        }
    }
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    bool Started() const { return port_ != 0; }
    int Port() const { return port_; }
    std::string Url(const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(port_);
    }
    std::vector<LoggedRequest> Requests() const {
        std::vector<LoggedRequest> requests;
        std::ifstream log(dir_ / "requests.log");
        std::string line;
        while (std::getline(log, line)) {
            Json::Value entry;
            std::istringstream in(line);
            if (!Json::parseFromStream(Json::CharReaderBuilder(), in, &entry, nullptr)) continue;
            LoggedRequest request;
            request.requestLine = entry["request_line"].asString();
            for (const Json::Value& header : entry["headers"]) request.headers.push_back(header.asString());
            const std::string hex = entry["body_hex"].asString();
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                request.body.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            requests.push_back(std::move(request));
        }
        return requests;
    }

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// An answer document with one default answer.
inline Json::Value DefaultAnswer(int status, const std::string& body) {
    Json::Value answers;
    answers["default"]["status"] = status;
    answers["default"]["body"] = body;
    return answers;
}

// A CA, a server certificate it signed for 127.0.0.1, and a self-signed one; false without openssl.
struct TestCertificates {
    std::filesystem::path caCert, serverCert, serverKey, selfCert, selfKey;
};
inline bool MakeTestCertificates(const std::filesystem::path& dir, TestCertificates& out) {
    const std::string d = dir.string();
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string quiet = " >/dev/null 2>&1";
    const std::string commands[] = {
        "openssl req -x509" + key + " -keyout '" + d + "/ca.key' -out '" + d + "/ca.pem' -days 2 -subj '/CN=Zorv Test CA'",
        "openssl req" + key + " -keyout '" + d + "/server.key' -out '" + d + "/server.csr' -subj '/CN=127.0.0.1'",
        "printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\\n' > '" + d + "/ext.cnf'",
        "openssl x509 -req -in '" + d + "/server.csr' -CA '" + d + "/ca.pem' -CAkey '" + d + "/ca.key' -CAcreateserial -out '" +
            d + "/server.pem' -days 2 -extfile '" + d + "/ext.cnf'",
        "openssl req -x509" + key + " -keyout '" + d + "/self.key' -out '" + d + "/self.pem' -days 2 -subj '/CN=127.0.0.1'" +
            " -addext 'subjectAltName=IP:127.0.0.1'",
    };
    for (const std::string& command : commands)
        if (std::system((command + quiet).c_str()) != 0) return false;
    out = {dir / "ca.pem", dir / "server.pem", dir / "server.key", dir / "self.pem", dir / "self.key"};
    return true;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

// Requests to the test services go straight to them, whatever proxy the machine names.
struct DirectToTestServices {
    ScopedEnv noProxy{"no_proxy", "127.0.0.1,127.0.0.2,localhost"};
    ScopedEnv noProxyUpper{"NO_PROXY", "127.0.0.1,127.0.0.2,localhost"};
};

}  // namespace updatetest
