#include "tests/platform/bus/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

pid_t Spawn(const std::vector<std::string>& argv, int outFd, int errFd) {
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

int WaitExit(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || MsLeft(deadline) == 0) return -1;
        usleep(2000);
    }
}

bool Drain(int fd, std::string& into) {
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
}
}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, int timeoutMs) {
    ProcessResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return result;
    if (pipe2(err, O_CLOEXEC) != 0) return result;
    pid_t pid = Spawn(argv, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && MsLeft(deadline) > 0) {
        if (poll(fds, 2, MsLeft(deadline)) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) &&
                !Drain(fds[i].fd, i == 0 ? result.out : result.err)) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    if (pid > 0) {
        result.exitCode = WaitExit(pid, deadline);
        if (result.exitCode == -1) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_ = Spawn(argv, out[1], devNull);
    close(out[1]);
    close(devNull);
    outFd_ = out[0];
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
}

bool BackgroundProcess::ReadSome(int timeoutMs) {
    pollfd fd = {outFd_, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) return false;
    return Drain(outFd_, out_);
}

std::string BackgroundProcess::WaitForLine(const std::string& fragment, int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t end;
        while ((end = out_.find('\n', scanned_)) != std::string::npos) {
            std::string line = out_.substr(scanned_, end - scanned_);
            scanned_ = end + 1;
            if (line.find(fragment) != std::string::npos) return line;
        }
        if (MsLeft(deadline) == 0 || !ReadSome(MsLeft(deadline))) return {};
    }
}

int BackgroundProcess::Wait(int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int code = WaitExit(pid_, deadline);
    if (code != -1) {
        pid_ = -1;
        while (ReadSome(0)) {
        }
    }
    return code;
}

void BackgroundProcess::Terminate() {
    if (pid_ > 0) kill(pid_, SIGTERM);
}
