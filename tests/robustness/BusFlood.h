#pragma once
// A program that floods a window with posted messages, and one that times how long the window
// takes to answer a sent message meanwhile: both with their own connection to the session bus.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace robustness {

struct FloodFigures {
    uint64_t sent = 0;
    uint64_t sendErrors = 0;
    double seconds = 0;
};

// Posts `name` (w, l) to the bus name at `perSecond` for `seconds`, without asking for answers.
class BusFlooder {
public:
    BusFlooder(std::string busName, std::string name, uint64_t wParam, int64_t lParam);
    ~BusFlooder();
    void Start(int perSecond, int seconds);
    FloodFigures Join();

private:
    std::string busName_, name_;
    uint64_t wParam_;
    int64_t lParam_;
    std::thread thread_;
    FloodFigures figures_;
};

struct ProbeFigures {
    std::vector<double> answerMs;  // answered calls
    int unanswered = 0;            // errors and time-outs
    double Percentile(double p) const;
    double Max() const;
};

// Sends `name` (0, 0) every `periodMs` and times the answer, until Stop.
class AnswerProbe {
public:
    AnswerProbe(std::string busName, std::string name);
    ~AnswerProbe();
    void Start(int periodMs);
    ProbeFigures Stop();

private:
    std::string busName_, name_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    ProbeFigures figures_;
};

}  // namespace robustness
