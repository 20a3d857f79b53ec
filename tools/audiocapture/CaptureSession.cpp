#include "tools/audiocapture/CaptureSession.h"

#include <chrono>
#include <cstdio>

#include "app/music/CaptureProtocol.h"

using namespace capture;

namespace {
void Log(const std::string& line) { std::fprintf(stderr, "VavozAzazoz: %s\n", line.c_str()); }
}  // namespace

CCaptureSession::CCaptureSession(CMessageBus& bus, std::unique_ptr<ISoundSource> source, CaptureOptions options)
    : bus_(bus), source_(std::move(source)), options_(options),
      analyser_([this](const CaptureFrame& frame) { OnFrame(frame); }) {}

CCaptureSession::~CCaptureSession() {
    if (handle_) bus_.UnregisterWindow(handle_);
    CloseInput();
}

bool CCaptureSession::Attach() {
    std::string error;
    if (!frames_.Connect(error)) {
        Log(error);
        return false;
    }
    handle_ = NewWindowHandle();
    const WindowRegistration registration = bus_.RegisterWindow(handle_, WindowTitle(), WindowClass(), this);
    if (registration.status != BusStatus::Ok || !registration.titleOwned || !registration.classOwned) {
        Log(std::string("cannot own the capture window names: ") + BusStatusText(registration.status));
        if (registration.status == BusStatus::Ok) bus_.UnregisterWindow(handle_);
        handle_ = 0;
        return false;
    }
    return true;
}

void CCaptureSession::RequestEnd() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        end_ = true;
    }
    wake_.notify_all();
}

bool CCaptureSession::QueueControl(const BusMessage& message) {
    if (message.name != kControlMessage || message.wParam > kLastControlCode) return false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        commands_.push_back({message.wParam, static_cast<uint64_t>(message.lParam)});
    }
    wake_.notify_all();
    return true;
}

void CCaptureSession::OnBusMessage(const BusMessage& message) { QueueControl(message); }

void CCaptureSession::OnBusSend(const BusMessage& message, BusReply reply) { reply.Answer(QueueControl(message) ? 1 : 0); }

void CCaptureSession::OnBusCopyData(const BusCopyData& data, BusReply reply) {
    if (data.dataId != kStyleDataId || data.bytes.size() < 12) {
        reply.Answer(0);
        return;
    }
    analyser_.SetStyleColour(GetWord(&data.bytes[0]), GetWord(&data.bytes[4]), GetWord(&data.bytes[8]));
    reply.Answer(1);
}

int CCaptureSession::Run() {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    std::unique_lock<std::mutex> hold(lock_);
    while (!end_) {
        wake_.wait_for(hold, std::chrono::milliseconds(options_.watchIntervalMs),
                       [this] { return end_ || !commands_.empty(); });
        while (!commands_.empty() && !end_) {
            const Command command = commands_.front();
            commands_.pop_front();
            hold.unlock();
            Act(command);
            hold.lock();
        }
        if (end_) break;
        hold.unlock();
        if (source_ && source_->IsOpen()) source_->Maintain();
        const bool linked = mainWindow_.load() != 0;
        bool over = false;
        if (linked && MainWindowGone()) {
            Log("the main window is gone, ending");
            over = true;
        } else if (!linked && Clock::now() - started > std::chrono::milliseconds(options_.linkWaitMs)) {
            Log("no main window linked, ending");
            over = true;
        }
        hold.lock();
        if (over) end_ = true;
    }
    hold.unlock();
    CloseInput();
    return 0;
}

bool CCaptureSession::MainWindowGone() { return !bus_.WindowExists(BusTarget::ByHandle(mainWindow_.load())); }

void CCaptureSession::Act(const Command& command) {
    switch (command.code) {
    case kLink:
        mainWindow_ = command.handle;
        frames_.Retarget(command.handle, handle_);
        Log("linked to main window " + std::to_string(command.handle));
        break;
    case kStartSending:
        OpenInput();
        sending_ = true;
        break;
    case kStopSending: sending_ = false; break;
    case kResetAnalysis: {
        std::lock_guard<std::mutex> hold(analyserLock_);
        analyser_.Reset();
        // The main window forgets its previous frame as well: the next one goes out in any case.
        frames_.Retarget(mainWindow_.load(), handle_);
        break;
    }
    case kCloseInput: CloseInput(); break;
    case kQuit: RequestEnd(); break;
    default: break;
    }
}

void CCaptureSession::OpenInput() {
    if (!source_ || source_->IsOpen()) return;
    std::string error;
    if (source_->Open([this](std::span<const float> samples) { OnSamples(samples); }, error))
        Log("input: " + source_->Describe());
    else
        Log("input cannot be opened: " + error);
}

void CCaptureSession::CloseInput() {
    if (source_) source_->Close();
}

void CCaptureSession::OnSamples(std::span<const float> samples) {
    std::lock_guard<std::mutex> hold(analyserLock_);
    analyser_.Push(samples);
}

void CCaptureSession::OnFrame(const CaptureFrame& frame) {
    if (sending_.load()) frames_.Send(frame);
}
