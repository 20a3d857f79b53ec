#pragma once
// Runs a program with its output on pipes, as a shell would.
#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when it could not run or did not end in time
    std::string out;
    std::string err;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, int timeoutMs = 10000);

// A program left running while the test talks to it.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();  // kills it if still running
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Reads its output until a line contains the fragment; returns that line, or "" on time-out.
    std::string WaitForLine(const std::string& fragment, int timeoutMs = 5000);
    // Waits for it to end; the exit code, or -1 on time-out.
    int Wait(int timeoutMs = 5000);
    void Terminate();
    const std::string& Output() const { return out_; }

private:
    bool ReadSome(int timeoutMs);

    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string out_;
    size_t scanned_ = 0;
};
