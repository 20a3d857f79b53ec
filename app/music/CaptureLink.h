#pragma once
// The main window's side of the capture program: starting it, finding its window, the link and
// shutdown sequences and the style record. Every call runs on the UI thread; a capture program
// that is missing makes each send a no-op, one that does not answer is given up after one
// time-out until its window is found again.
#include <cstdint>
#include <string>
#include <vector>

#include "app/music/AudioLightInfo.h"

class CMessageBus;

// Sends wait at most this long: a hung capture program must not freeze the window.
inline constexpr uint32_t kCaptureControlTimeoutMs = 500;
inline constexpr uint32_t kCaptureStyleTimeoutMs = 1500;
inline constexpr uint32_t kCaptureFindTimeoutMs = 500;

class CAudioCaptureLink {
public:
    explicit CAudioCaptureLink(CMessageBus* bus) : bus_(bus) {}

    // The program and its arguments; the default is "VavozAzazoz" in the program folder.
    void SetCommand(std::vector<std::string> argv) { command_ = std::move(argv); }
    const std::vector<std::string>& Command() const { return command_; }
    // Starts the program detached and hidden; false when it cannot be started.
    bool StartProgram();

    // Looks the window up by class and title; 0 (and forgotten) when it is not there.
    uint64_t FindCaptureWindow();
    uint64_t CaptureWindow() const { return captureWindow_; }
    // Whether a data copy claims to come from the capture window we know.
    bool IsCaptureWindow(uint64_t sender) const { return sender != 0 && sender == captureWindow_; }

    // (0, main window), (3, 0), (1, 0); false when the window is not found or did not answer.
    bool SendLinkSequence(uint64_t mainWindow);
    // (2, 0), (4, 0), (5, 0).
    void SendShutdownSequence();
    // Data copy 10: R, G, B of the current style (a green of 0 goes as 1). Only to a known window.
    bool SendStyle(uint64_t mainWindow, const AudioLightInfo& info);

private:
    bool SendControl(uint64_t code, int64_t lParam);
    void NoteFailure(const std::string& what);

    CMessageBus* bus_;
    std::vector<std::string> command_;
    uint64_t captureWindow_ = 0;
};

// The style record's colour: components as stored, except a green of 0, which goes as 1.
std::array<uint32_t, 3> StyleColourToSend(const AudioLightInfo& info);
