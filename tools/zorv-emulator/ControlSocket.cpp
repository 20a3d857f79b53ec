#include "tools/zorv-emulator/ControlSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include <json/reader.h>
#include <json/writer.h>

#include "platform/Time.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"
#include "tools/zorv-emulator/UnixSocket.h"

namespace emu {

namespace {
constexpr size_t kMaxRequestBytes = 64 * 1024;
constexpr size_t kMaxReplyBytes = 64 * 1024 * 1024;
constexpr int kRequestTimeoutMs = 2000;
constexpr int kReplyTimeoutMs = 10000;

// Reads until the peer half-closes, the limit is passed or the time runs out.
bool ReadToEnd(int fd, size_t limit, int timeoutMs, std::string& out) {
    uint32_t start = GetTickCount();
    char buffer[4096];
    for (;;) {
        int left = timeoutMs - static_cast<int>(GetTickCount() - start);
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
        if (out.size() > limit) return false;
    }
}

bool WriteAll(int fd, const std::string& bytes, int timeoutMs) {
    uint32_t start = GetTickCount();
    size_t done = 0;
    while (done < bytes.size()) {
        int left = timeoutMs - static_cast<int>(GetTickCount() - start);
        if (left <= 0) return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, left) <= 0) {
            if (errno == EINTR) continue;
            return false;
        }
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ParseJson(const std::string& text, Json::Value& out) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &out, &errors);
}

std::string Compact(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

std::string ReplyText(const ControlResult& result) {
    Json::Value reply(Json::objectValue);
    reply["exit"] = result.exitCode;
    reply["output"] = result.output;
    return Compact(reply);
}
}  // namespace

ControlServer::ControlServer(EmulatedKeyboard& keyboard, std::string path, std::function<void()> onQuit)
    : keyboard_(keyboard), path_(std::move(path)), onQuit_(std::move(onQuit)) {}

ControlServer::~ControlServer() { Stop(); }

bool ControlServer::Start(std::string& error) {
    if (worker_.Running()) return true;
    listenFd_ = ListenUnixSocket(path_, SOCK_STREAM, error);
    if (listenFd_ < 0) return false;
    worker_.Start(this, [this](const WorkerArgs& args) { Loop(args); });
    return true;
}

void ControlServer::Stop() {
    if (worker_.Running()) worker_.Stop(1000);
    if (listenFd_ >= 0) {
        CloseSocket(listenFd_);
        unlink(path_.c_str());
    }
}

void ControlServer::Loop(const WorkerArgs& args) {
    while (WorkerKeepRunning(args)) {
        pollfd fds[2] = {{args.stopEvent->Fd(), POLLIN, 0}, {listenFd_, POLLIN, 0}};
        if (poll(fds, 2, 50) <= 0 || !(fds[1].revents & POLLIN)) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Serve(fd);
        close(fd);
    }
}

void ControlServer::Serve(int fd) {
    std::string request;
    Json::Value root;
    ControlResult result;
    std::vector<std::string> args;
    if (!ReadToEnd(fd, kMaxRequestBytes, kRequestTimeoutMs, request) || !ParseJson(request, root) ||
        !root.isObject() || !root["args"].isArray()) {
        result = {kExitBadArguments, "malformed control request\n"};
    } else {
        for (const Json::Value& arg : root["args"]) args.push_back(arg.isString() ? arg.asString() : "");
        std::string error;
        auto command = ParseControlCommand(args, error);
        result = command ? ExecuteControlCommand(keyboard_, *command) : ControlResult{kExitBadArguments, error + "\n"};
        if (command && command->verb == ControlVerb::Quit) {
            WriteAll(fd, ReplyText(result), kRequestTimeoutMs);
            if (onQuit_) onQuit_();
            return;
        }
    }
    WriteAll(fd, ReplyText(result), kRequestTimeoutMs);
}

ControlResult RunControlClient(const std::string& path, const std::vector<std::string>& args) {
    std::string error;
    int fd = ConnectUnixSocket(path, SOCK_STREAM, error);
    if (fd < 0) return {kExitFailed, "no emulator answers on " + path + " (" + error + ")\n"};
    Json::Value request(Json::objectValue);
    request["args"] = Json::Value(Json::arrayValue);
    for (const std::string& arg : args) request["args"].append(arg);
    std::string reply;
    bool exchanged = WriteAll(fd, Compact(request), kRequestTimeoutMs) && shutdown(fd, SHUT_WR) == 0 &&
                     ReadToEnd(fd, kMaxReplyBytes, kReplyTimeoutMs, reply);
    close(fd);
    Json::Value root;
    if (!exchanged || !ParseJson(reply, root) || !root.isObject() || !root["exit"].isInt() ||
        !root["output"].isString())
        return {kExitFailed, "the emulator on " + path + " gave no usable answer\n"};
    return {root["exit"].asInt(), root["output"].asString()};
}

}  // namespace emu
