// The event records of the keyboard and their listener threads. The threads only read reports;
// every action runs on the UI thread.
#include <vector>

#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"

namespace {

// Bounded so that the listener sees its stop event within its stop time-out.
constexpr uint32_t kEventReadTimeoutMs = 50;
constexpr const char* kSyncLine = "接收到自动添加设备的同步信息要求";
constexpr const char* kReceivedLine = "接收到自动添加设备的同步信息要求  TEST";

bool IsProfileCode(uint16_t code) { return (code >> 8) == 0x10 || (code >> 8) == 0x11; }

}  // namespace

int CTorvanelKeyboardDevice::AttachEventRecord(const std::string& path, int kind) {
    EventListener& listener = ListenerOf(kind);
    const bool receiver = kind == kKindKeyboardViaReceiver;
    CHidInterface& record = receiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
    int opened = 0;
    {
        CriticalSectionLock lock(receiver ? eventChannel_.ReceiverRecordLock() : eventChannel_.TransferLock());
        opened = record.Open(path, 1, 1, 1, 0);
    }
    if (opened != 1) return 0;
    listener.open.store(true);
    if (receiver) eventChannel_.SetViaReceiver(true);
    listener.thread.Start(this, [this, &listener](const WorkerArgs& args) { ListenerBody(listener, args); },
                          kListenerStopMs);
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

void CTorvanelKeyboardDevice::ListenerBody(EventListener& listener, const WorkerArgs& args) {
    const int kind = listener.kind;
    CHidInterface& record =
        kind == kKindKeyboardViaReceiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
    std::vector<uint8_t> report(64);
    while (WorkerKeepRunning(args)) {
        if (!listener.open.load()) continue;
        if (record.InputReport.size() > report.size()) report.resize(record.InputReport.size());
        uint32_t bytesRead = 0;
        if (record.ReadReport(report.data(), static_cast<uint32_t>(report.size()), &bytesRead, kEventReadTimeoutMs) != 1)
            continue;
        std::vector<HidDataItem>& data = record.InputData;
        if (record.UnpackReport(report.data(), static_cast<uint16_t>(bytesRead), HidReportKind::Input, data) != 1 ||
            data.empty())
            continue;
        const uint16_t code = data[0].isButton ? (data[0].usages.empty() ? 0 : data[0].usages[0])
                                               : static_cast<uint16_t>(data[0].value);
        if (code == 0) continue;  // the release report that follows every event
        uiQueue_.Post([this, kind, code] { ActOnEvent(kind, code); });
    }
    DebugOutput(kListenerExitLine);
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
