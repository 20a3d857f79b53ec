#pragma once
// The debugger output channel: diagnostics only, never shown to the user, never a log file.
#include <functional>
#include <string>

using DebugSink = std::function<void(const std::string& line)>;

// Sends one line, unchanged, to the current sink.
void DebugOutput(const std::string& line);
// Replaces the sink (nullptr restores the default: stderr when ZORV_DEBUG=1, else nowhere).
void SetDebugSink(DebugSink sink);

// Collects every line while alive (tests); restores the previous sink on destruction.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    std::string Text() const;
    bool Contains(const std::string& fragment) const;
    size_t Count(const std::string& line) const;
    void Clear();

private:
    struct State;
    State* state_;
};
