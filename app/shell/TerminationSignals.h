#pragma once
// SIGTERM and SIGINT end the program the way the tray menu's "exit" does: the signal handler only
// writes to a pipe; the UI thread reads it in its event loop and runs the callback there.
#include <functional>
#include <memory>

class QSocketNotifier;

class CTerminationSignals {
public:
    CTerminationSignals();
    ~CTerminationSignals();  // puts the previous handlers back
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // One instance per process; false when the pipe or the handlers cannot be set up.
    bool Install(std::function<void(int signal)> onSignal);

private:
    void Uninstall();
    void OnReadable();

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};
