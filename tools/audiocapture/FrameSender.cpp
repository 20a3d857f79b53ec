#include "tools/audiocapture/FrameSender.h"

#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstring>

#include "platform/bus/BusCore.h"
#include "platform/bus/BusNames.h"

using namespace capture;

CFrameSender::~CFrameSender() {
    std::lock_guard<std::mutex> hold(lock_);
    if (bus_) bus_ = sd_bus_flush_close_unref(bus_);
}

bool CFrameSender::Connect(std::string& error) {
    std::lock_guard<std::mutex> hold(lock_);
    if (bus_) return true;
    const int r = OpenSessionConnection(&bus_, "VavozAzazoz-frames");
    if (r < 0) {
        error = std::string("no session bus for the frames: ") + std::strerror(-r);
        return false;
    }
    return true;
}

void CFrameSender::Retarget(uint64_t mainWindow, uint64_t captureWindow) {
    std::lock_guard<std::mutex> hold(lock_);
    destination_ = HandleBusName(mainWindow);
    captureWindow_ = captureWindow;
    haveLast_ = false;
}

CFrameSender::Outcome CFrameSender::Send(const CaptureFrame& frame, Clock::time_point now) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!bus_) return Outcome::NoTarget;
    // Answers that came meanwhile are counted, what else the daemon sent us is dropped, and output
    // the socket could not take at once is pushed on; never waits.
    while (sd_bus_process(bus_, nullptr) > 0) {
    }
    if (destination_.empty()) return Outcome::NoTarget;
    if (haveLast_ && frame == last_ && now - lastSent_ < kRepeatInterval) return Outcome::Repeat;
    if (unanswered_ >= kMaxUnanswered) return Outcome::Busy;
    for (size_t i = 0; i < kSpectrumValues; ++i) PutWord(&spectrumBytes_[i * 4], frame.spectrum[i]);
    for (size_t i = 0; i < kPeakValues; ++i) PutWord(&peakBytes_[i * 4], frame.peaks[i]);
    const bool sent = Post(kSpectrumDataId, spectrumBytes_.data(), spectrumBytes_.size(), false) &&
                      Post(kPeakDataId, peakBytes_.data(), peakBytes_.size(), true);
    if (!sent) {
        haveLast_ = false;
        return Outcome::Dropped;
    }
    if (lastFailed_) std::fprintf(stderr, "VavozAzazoz: frames go out again\n");
    lastFailed_ = false;
    last_ = frame;
    haveLast_ = true;
    lastSent_ = now;
    return Outcome::Sent;
}

int CFrameSender::OnAnswer(sd_bus_message*, void* self, sd_bus_error*) {
    // Called from sd_bus_process inside Send, with the lock held. An error or time-out counts too.
    auto* sender = static_cast<CFrameSender*>(self);
    if (sender->unanswered_ > 0) --sender->unanswered_;
    return 0;
}

bool CFrameSender::Post(uint64_t dataId, const uint8_t* bytes, size_t size, bool answered) {
    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &call, destination_.c_str(), kWindowObjectPath, kWindowInterface,
                                           "CopyData");
    if (r >= 0 && !answered) r = sd_bus_message_set_expect_reply(call, 0);
    if (r >= 0) r = sd_bus_message_append(call, "tt", captureWindow_, dataId);
    if (r >= 0) r = sd_bus_message_append_array(call, 'y', bytes, size);
    if (r >= 0) r = answered ? sd_bus_call_async(bus_, nullptr, call, &CFrameSender::OnAnswer, this, kAnswerTimeoutUs)
                             : sd_bus_send(bus_, call, nullptr);
    sd_bus_message_unref(call);
    if (r >= 0 && answered) ++unanswered_;
    if (r < 0 && !lastFailed_) {
        // A full queue or a lost bus: frames are dropped.
        std::fprintf(stderr, "VavozAzazoz: a frame was dropped: %s\n", std::strerror(-r));
        lastFailed_ = true;
    }
    return r >= 0;
}
