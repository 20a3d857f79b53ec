// The event records of the keyboard and their listener threads. The threads only read reports;
// every action runs on the UI thread. A listener sleeps in its read until the device sends
// something; stopping it closes the record, which ends the read at once.
#include <algorithm>
#include <vector>

#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

namespace {

// With nothing streaming a listener sleeps in its read until a report comes; the time-out only
// lets it see that frames began to stream.
constexpr uint32_t kIdleReadMs = 1000;
// The device answers every streamed frame on the interface of its event collection, and every
// answer wakes a reader of that interface, even one that throws the answer away. While frames
// stream the listener takes what came in at this pace instead (the kernel keeps 64 reports).
constexpr uint32_t kStreamingDrainMs = 10;
// A record whose device went away fails every read at once; the listener waits this long before
// the next try, twice as long after every further failure, up to the most.
constexpr uint32_t kFirstFailurePauseMs = 20;
constexpr uint32_t kMostFailurePauseMs = 1000;
constexpr size_t kLeastReportBytes = 64;
constexpr const char* kSyncLine = "接收到自动添加设备的同步信息要求";
constexpr const char* kReceivedLine = "接收到自动添加设备的同步信息要求  TEST";

bool IsProfileCode(uint16_t code) { return (code >> 8) == 0x10 || (code >> 8) == 0x11; }

}  // namespace

int CTorvanelKeyboardDevice::AttachEventRecord(const std::string& path, int kind) {
    EventListener& listener = ListenerOf(kind);
    const bool receiver = kind == kKindKeyboardViaReceiver;
    CHidInterface& record = receiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
    // A listener still running is stopped before the record opens again: its stop closes the record.
    if (listener.thread.Running()) listener.thread.Stop(kListenerStopMs);
    int opened = 0;
    {
        CriticalSectionLock lock(receiver ? eventChannel_.ReceiverRecordLock() : eventChannel_.TransferLock());
        opened = record.Open(path, 1, 1, 1, 0);
    }
    if (opened != 1) return 0;
    listener.open.store(true);
    if (receiver) eventChannel_.SetViaReceiver(true);
    const size_t reportBytes = std::max(kLeastReportBytes, record.InputReport.size());
    listener.thread.Start(
        this,
        [this, &listener, reportBytes, data = record.InputData](const WorkerArgs& args) {
            ListenerBody(listener, args, reportBytes, data);
        },
        kListenerStopMs, [&record] { record.Close(); });
    return 1;
}

int CTorvanelKeyboardDevice::ReattachEventRecord(const std::string& path, int kind) {
    DetachEventRecord(kind);
    return AttachEventRecord(path, kind);
}

void CTorvanelKeyboardDevice::DetachEventRecord(int kind) {
    EventListener& listener = ListenerOf(kind);
    const bool receiver = kind == kKindKeyboardViaReceiver;
    if (listener.thread.Running()) listener.thread.Stop(kListenerStopMs);
    CHidInterface& record = receiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
    record.Close();
    listener.open.store(false);
    if (receiver) eventChannel_.SetViaReceiver(false);
}

void CTorvanelKeyboardDevice::StopListeners() {
    for (EventListener& listener : listeners_) DetachEventRecord(listener.kind);
}

void CTorvanelKeyboardDevice::ListenerBody(EventListener& listener, const WorkerArgs& args, size_t reportBytes,
                                           std::vector<HidDataItem> data) {
    const int kind = listener.kind;
    CHidInterface& record =
        kind == kKindKeyboardViaReceiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
    std::vector<uint8_t> report(reportBytes);
    uint32_t failurePause = kFirstFailurePauseMs;
    while (WorkerPause(args, 0)) {
        const bool streaming = keyboardRenderer_->IsStreaming();
        if (streaming && !WorkerPause(args, kStreamingDrainMs)) break;
        // The first read waits (not at all while streaming); the ones after it take what is queued.
        uint32_t waitMs = streaming ? 0 : kIdleReadMs;
        const uint32_t start = GetTickCount();
        int reports = 0;
        uint32_t bytesRead = 0;
        while (record.ReadReport(report.data(), static_cast<uint32_t>(report.size()), &bytesRead, waitMs) == 1) {
            ++reports;
            waitMs = 0;
            if (const uint16_t code = EventCode(record, report.data(), bytesRead, data))
                uiQueue_.Post([this, kind, code] { ActOnEvent(kind, code); });
        }
        if (reports > 0 || streaming || GetTickCount() - start >= kIdleReadMs) {
            failurePause = kFirstFailurePauseMs;
            continue;
        }
        // A read that failed before its time: closed by a stop, or a device that is gone.
        if (!WorkerPause(args, failurePause)) break;
        failurePause = std::min(failurePause * 2, kMostFailurePauseMs);
    }
    DebugOutput(kListenerExitLine);
}

uint16_t CTorvanelKeyboardDevice::EventCode(const CHidInterface& record, const uint8_t* report, uint32_t length,
                                            std::vector<HidDataItem>& data) {
    if (record.UnpackReport(report, static_cast<uint16_t>(length), HidReportKind::Input, data) != 1 || data.empty())
        return 0;
    // 0 is also the release report that follows every event.
    return data[0].isButton ? (data[0].usages.empty() ? 0 : data[0].usages[0]) : static_cast<uint16_t>(data[0].value);
}

void CTorvanelKeyboardDevice::ActOnEvent(int kind, uint16_t code) {
    DebugOutput(kReceivedLine);
    if (kind == kKindKeyboardViaReceiver && code != 0x0401 && !IsProfileCode(code)) return;
    if (code == 0x0401 || code == 0x0402) DebugOutput(kSyncLine);
    if (code >= 0x0500 && code <= 0x05FF) {
        keyboardRenderer_->OnKeyEvent(code - 0x0500, 1);
    } else if (code >= 0x0600 && code <= 0x06FF) {
        keyboardRenderer_->OnKeyEvent(code - 0x0600, 2);
    } else {
        HandleDeviceEvent(code);
    }
}
