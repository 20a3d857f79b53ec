// The mouse's event interfaces and their listener threads. The threads only read reports; every
// action runs on the UI thread.
#include <vector>

#include "engines/mouse/TorvanelMouseDevice.h"
#include "platform/DebugOutput.h"

namespace {
constexpr uint32_t kListenerStopMs = 500;
// Bounded so that the listener sees its stop event within its stop time-out.
constexpr uint32_t kEventReadTimeoutMs = 50;
constexpr unsigned kReloadDelayMs = 50;
constexpr uint16_t kSyncCode = 0x0401;
constexpr const char* kSyncLine = "接收到自动添加设备的同步信息要求";
constexpr const char* kReceivedLine = "接收到自动添加设备的同步信息要求  TEST";
}  // namespace

CHidInterface& CTorvanelMouseDevice::EventRecordOf(int kind) {
    return kind == kKindMouseViaReceiver ? eventChannel_.SecondaryRecord() : eventChannel_.PrimaryRecord();
}

void CTorvanelMouseDevice::OpenEventInterface(const std::string& path, int kind) {
    const EventListener& listener = ListenerOf(kind);
    if (listener.open.load() && listener.path == path) return;
    AttachEventInterface(path, kind);
}

int CTorvanelMouseDevice::AttachEventInterface(const std::string& path, int kind) {
    CloseEventInterface(kind);
    EventListener& listener = ListenerOf(kind);
    const bool receiver = kind == kKindMouseViaReceiver;
    int opened = 0;
    {
        CriticalSectionLock lock(receiver ? eventChannel_.ReceiverRecordLock() : eventChannel_.TransferLock());
        EventRecordOf(kind).Close();
        opened = EventRecordOf(kind).Open(path, 1, 1, 1, 0);
    }
    if (opened != 1) return 0;
    listener.path = path;
    listener.open.store(true);
    listener.thread.Start(this, [this, &listener](const WorkerArgs& args) { ListenerBody(listener, args); },
                          kListenerStopMs);
    return 1;
}

void CTorvanelMouseDevice::CloseEventInterface(int kind) {
    EventListener& listener = ListenerOf(kind);
    if (!listener.open.load() && !listener.thread.Running()) return;
    if (listener.thread.Running()) listener.thread.Stop(kListenerStopMs);
    const bool receiver = kind == kKindMouseViaReceiver;
    CriticalSectionLock lock(receiver ? eventChannel_.ReceiverRecordLock() : eventChannel_.TransferLock());
    listener.open.store(false);
    listener.path.clear();
    EventRecordOf(kind).Close();
}

void CTorvanelMouseDevice::StopListeners() {
    for (EventListener& listener : listeners_) CloseEventInterface(listener.kind);
}

void CTorvanelMouseDevice::ListenerBody(EventListener& listener, const WorkerArgs& args) {
    CHidInterface& record = EventRecordOf(listener.kind);
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
        uiQueue_.Post([this, code] { ActOnEvent(code); });
    }
    DebugOutput(kMouseListenerExitLine);
}

void CTorvanelMouseDevice::ActOnEvent(uint16_t code) {
    DebugOutput(kReceivedLine);
    if (code == kSyncCode) {
        DebugOutput(kSyncLine);
        StartEntryTimer(kTimerReloadLighting, kReloadDelayMs);
        return;
    }
    if (code < kSyncCode || !commandChannel_.IsConnected()) return;
    const unsigned hi = code >> 8, lo = code & 0xFF;
    if (hi != 0x10 && hi != 0x11) return;
    deviceProfile_.store(static_cast<uint8_t>(lo & 0x0F));
    if (hi == 0x11) {
        cachedActiveStage_.store(static_cast<uint8_t>(lo >> 4));
        settingsCache_[12] = static_cast<uint8_t>(lo >> 4);
    }
    RefreshPage();
}
