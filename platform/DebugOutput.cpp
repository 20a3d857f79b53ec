#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {
std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}
DebugSink& CurrentSink() {
    static DebugSink sink;
    return sink;
}
bool DefaultToStderr() {
    static const bool on = [] {
        const char* v = std::getenv("ZORV_DEBUG");
        return v && std::strcmp(v, "1") == 0;
    }();
    return on;
}
}  // namespace

void DebugOutput(const std::string& line) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (CurrentSink()) {
        CurrentSink()(line);
    } else if (DefaultToStderr()) {
        std::fputs(line.c_str(), stderr);
        if (line.empty() || line.back() != '\n') std::fputc('\n', stderr);
    }
}

void SetDebugSink(DebugSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    CurrentSink() = std::move(sink);
}

struct DebugCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
    DebugSink previous;
};

DebugCapture::DebugCapture() : state_(new State) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    state_->previous = CurrentSink();
    State* s = state_;
    CurrentSink() = [s](const std::string& line) {
        std::lock_guard<std::mutex> l(s->mutex);
        s->lines.push_back(line);
    };
}

DebugCapture::~DebugCapture() {
    {
        std::lock_guard<std::mutex> lock(SinkMutex());
        CurrentSink() = state_->previous;
    }
    delete state_;
}

std::string DebugCapture::Text() const {
    std::lock_guard<std::mutex> l(state_->mutex);
    std::string all;
    for (const auto& line : state_->lines) {
        all += line;
        if (line.empty() || line.back() != '\n') all += '\n';
    }
    return all;
}

bool DebugCapture::Contains(const std::string& fragment) const { return Text().find(fragment) != std::string::npos; }

size_t DebugCapture::Count(const std::string& line) const {
    std::lock_guard<std::mutex> l(state_->mutex);
    size_t n = 0;
    for (const auto& each : state_->lines) n += each == line;
    return n;
}

void DebugCapture::Clear() {
    std::lock_guard<std::mutex> l(state_->mutex);
    state_->lines.clear();
}
