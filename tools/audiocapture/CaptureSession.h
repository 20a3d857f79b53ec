#pragma once
// The capture program's life: its window on the bus (class and title of the capture protocol), the
// control codes, the style colour, and the frames to the main window. The bus thread only queues
// what arrives; the main thread acts on it, so nothing waits on the bus thread. Frames are
// analysed and sent on the sound source's thread, without waiting for the main window.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/bus/MessageBus.h"
#include "tools/audiocapture/FrameSender.h"
#include "tools/audiocapture/SoundSource.h"
#include "tools/audiocapture/SpectrumAnalyser.h"

struct CaptureOptions {
    // Without a link from a main window within this time the program ends (it was started by a
    // manager that went away before linking).
    uint32_t linkWaitMs = 60000;
    // How often the main window and the sound server are checked.
    uint32_t watchIntervalMs = 1000;
};

class CCaptureSession : public IBusWindow {
public:
    CCaptureSession(CMessageBus& bus, std::unique_ptr<ISoundSource> source, CaptureOptions options);
    ~CCaptureSession() override;
    CCaptureSession(const CCaptureSession&) = delete;
    CCaptureSession& operator=(const CCaptureSession&) = delete;

    // Registers the window and opens the frames' connection; false when the bus refuses either.
    bool Attach();
    // Runs until told to end, the main window is gone or RequestEnd; returns the exit code.
    int Run();
    // Any thread (signals).
    void RequestEnd();

    // IBusWindow, on the bus thread: queue and answer, nothing more.
    void OnBusMessage(const BusMessage& message) override;
    void OnBusSend(const BusMessage& message, BusReply reply) override;
    void OnBusCopyData(const BusCopyData& data, BusReply reply) override;

private:
    struct Command {
        uint64_t code = 0;
        uint64_t handle = 0;
    };
    bool QueueControl(const BusMessage& message);
    void Act(const Command& command);
    void OpenInput();
    void CloseInput();
    void OnSamples(std::span<const float> samples);
    void OnFrame(const CaptureFrame& frame);
    bool MainWindowGone();

    CMessageBus& bus_;
    std::unique_ptr<ISoundSource> source_;
    const CaptureOptions options_;
    uint64_t handle_ = 0;

    std::mutex analyserLock_;
    CSpectrumAnalyser analyser_;

    CFrameSender frames_;

    std::mutex lock_;  // commands_, end_
    std::condition_variable wake_;
    std::deque<Command> commands_;
    bool end_ = false;

    std::atomic<uint64_t> mainWindow_{0};
    std::atomic<bool> sending_{false};
};
