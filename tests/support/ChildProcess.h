#pragma once
// Starting a program of ours from a test and waiting for its end.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Runs a program (a path, or a name looked up on PATH) with stdout and stderr into a file;
// returns the pid.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    std::fflush(stdout);  // the child must not repeat what the parent has not written yet
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* out = freopen(output.c_str(), "w", stdout);
        if (!out || dup2(fileno(stdout), 2) < 0) _exit(127);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// Exit code, -2 for a death by signal, or -1 when it did not end in time (it is killed then).
inline int WaitExit(pid_t pid, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

// Whether a program is found on PATH (and may be run).
inline bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && access((std::filesystem::path(dir) / program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace testsupport
