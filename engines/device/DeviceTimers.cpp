// The list entry's timers and the device events every family shares.
#include "engines/device/TorvanelUSBDevice.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "toolkit/PaintManager.h"
#include "toolkit/WindowMessages.h"
#include "platform/Time.h"

namespace {

constexpr unsigned kFrameIntervalMs = 5;
constexpr unsigned kFrameIntervalReceiverMs = 500;
// The picture follows the frames at the display's pace, never faster than they change.
constexpr unsigned kFallbackRefreshHz = 60;
constexpr unsigned kPowerStartMs = 50;
constexpr unsigned kPowerIntervalMs = 20000;
constexpr unsigned kLinkRetryMs = 3000;
constexpr unsigned kLinkMonitorStartMs = 2000;
constexpr unsigned kEventTimerDelayMs = 50;
constexpr int kLinkFailureWrap = 20;
constexpr uint32_t kPowerStatusBytes = 6;

unsigned PageFrameIntervalMs(QWidget* host) {
    QScreen* screen = host && host->screen() ? host->screen() : QGuiApplication::primaryScreen();
    const qreal hz = screen ? screen->refreshRate() : 0;
    const unsigned rate = hz >= 1 ? static_cast<unsigned>(hz + 0.5) : kFallbackRefreshHz;
    return std::max(1u, 1000u / rate);
}

}  // namespace

// Starts the frame timer again when the window is shown.
class CTorvanelUSBDevice::HostWatch : public QObject {
public:
    HostWatch(CTorvanelUSBDevice* engine, QWidget* host) : QObject(host), engine_(engine) {}
    void Detach() { engine_ = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (engine_ && (event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange))
            engine_->WakeFrameTimer();
        return QObject::eventFilter(watched, event);
    }

private:
    CTorvanelUSBDevice* engine_;
};

CTorvanelUSBDevice::~CTorvanelUSBDevice() {
    if (hostWatch_) hostWatch_->Detach();
}

void CTorvanelUSBDevice::WatchHostWindow() {
    if (hostWatch_ || !m_pManager) return;
    if (QWidget* host = m_pManager->GetHostWidget()) {
        hostWatch_ = new HostWatch(this, host);
        host->installEventFilter(hostWatch_);
    }
}

void CTorvanelUSBDevice::StartEntryTimer(unsigned id, unsigned ms) {
    if (!listEntry_) return;
    if (id == kTimerPushFrame) frameTimerArmed_ = true;
    listEntry_->StartTimer(id, ms);
}

bool CTorvanelUSBDevice::PictureShown() {
    QWidget* host = m_pManager ? m_pManager->GetHostWidget() : nullptr;
    return preview_ && host && host->isVisible() && !host->isMinimized() && IsVisible() && listEntry_ &&
           listEntry_->IsPageSelected();
}

bool CTorvanelUSBDevice::FrameTimerNeeded() { return !StreamsOnItsOwnThread() || PictureShown(); }

void CTorvanelUSBDevice::WakeFrameTimer() {
    WatchHostWindow();
    shownFrameValid_ = false;
    renderer_->SetFrameConsumer(CLightRenderer::FrameConsumer::Picture,
                                PictureShown() && functionPage_ == 1 && renderer_->LightingEnabled());
    if (frameTimerStarted_ && !frameTimerArmed_ && commandChannel_.IsConnected() && FrameTimerNeeded())
        StartEntryTimer(kTimerPushFrame, 1);
}

void CTorvanelUSBDevice::SetPreview(bool preview) {
    if (preview == preview_) return;
    preview_ = preview;
    WakeFrameTimer();
}

void CTorvanelUSBDevice::SetVisible(bool visible) {
    CHorizontalLayoutUI::SetVisible(visible);
    WakeFrameTimer();
}

void CTorvanelUSBDevice::TellLink(bool online) { SendToMainWindow(kMsgDeviceLink, pageRow_, online ? 1 : 0); }

void CTorvanelUSBDevice::OnTimer(unsigned id) {
    const bool connected = commandChannel_.IsConnected();
    switch (id) {
    case kTimerPushFrame: {
        // The picture is drawn only when it is on screen and the frame changed since it was last
        // shown; the timer runs on only while it streams or the picture is shown.
        frameTimerArmed_ = false;
        const bool shown = PictureShown();
        renderer_->SetFrameConsumer(CLightRenderer::FrameConsumer::Picture,
                                    shown && functionPage_ == 1 && renderer_->LightingEnabled());
        const uint32_t serial = renderer_->FrameSerial();
        const bool showNow = shown && (!shownFrameValid_ || serial != shownFrameSerial_);
        if (showNow) {
            shownFrameSerial_ = serial;
            shownFrameValid_ = true;
        }
        const bool toDevice = !StreamsOnItsOwnThread();
        pageFrameDue_ = showNow;
        pageFrameToDevice_ = toDevice;
        lastPushResult_ = 1;
        PushFrame();
        pageFrameDue_ = true;
        pageFrameToDevice_ = true;
        if (!connected) frameTimerStarted_ = false;
        if (!connected || !FrameTimerNeeded()) break;
        unsigned next = ThroughReceiver() ? kFrameIntervalReceiverMs
                                          : toDevice ? kFrameIntervalMs
                                                     : PageFrameIntervalMs(m_pManager ? m_pManager->GetHostWidget() : nullptr);
        // A failed push waits before the next one instead of blocking the UI thread.
        if (lastPushResult_ != 1) next = std::max(next, kFailedPushPauseMs);
        StartEntryTimer(kTimerPushFrame, next);
        break;
    }
    case kTimerConnect:
        if (ThroughReceiver() && connected) {
            if (CheckReceiverLink() != 1) {
                linkFailures_ = linkFailures_ >= kLinkFailureWrap ? 0 : linkFailures_ + 1;
                if (listEntry_ && listEntry_->IsEntryShown()) {
                    listEntry_->ShowEntry(false);
                    TellLink(false);
                }
                StartEntryTimer(kTimerConnect, kLinkRetryMs);
                break;
            }
            TellLink(true);
        }
        OnConnected();
        linkFailures_ = 0;
        frameTimerStarted_ = true;
        WatchHostWindow();
        StartEntryTimer(kTimerPushFrame, kFrameIntervalMs);
        if (receiverCapable_ && commandChannel_.IsConnected()) StartEntryTimer(kTimerPowerStatus, kPowerStartMs);
        if (ThroughReceiver()) StartEntryTimer(kTimerLinkMonitor, kLinkMonitorStartMs);
        break;
    case kTimerReloadLighting:
        ReloadLighting();
        break;
    case kTimerRefresh15:
        Refresh15();
        break;
    case kTimerRefresh16:
        Refresh16();
        break;
    case kTimerPowerStatus:
        ReadPowerStatus();
        if (receiverCapable_) StartEntryTimer(kTimerPowerStatus, kPowerIntervalMs);
        break;
    case kTimerLinkMonitor:
        if (!ThroughReceiver()) break;
        if (CheckReceiverLink() == 1) {
            if (listEntry_ && !listEntry_->IsEntryShown()) {
                listEntry_->ShowEntry(true);
                TellLink(true);
                if (receiverCapable_) ReadPowerStatus();
            }
        } else if (listEntry_ && listEntry_->IsEntryShown()) {
            listEntry_->ShowEntry(false);
            TellLink(false);
        }
        StartEntryTimer(kTimerLinkMonitor, kLinkRetryMs);
        break;
    case kTimerSecondSync:
        SendToMainWindow(kMsgSecondSync, pageRow_, 0);
        break;
    default:
        break;
    }
}

void CTorvanelUSBDevice::ReadPowerStatus() {
    if (!commandChannel_.IsConnected()) return;
    std::array<uint8_t, 6> status{};
    if (commandChannel_.ReadParamsOnce(status.data(), kPowerStatusBytes, 0) != 1) return;
    status[3] = ThroughReceiver() ? 1 : 0;
    if (auto* view = dynamic_cast<IPowerStatusView*>(powerControl_)) view->ShowPowerStatus(status);
    SendToMainWindow(kMsgPowerStatus, status[4], 0);
}

void CTorvanelUSBDevice::HandleDeviceEvent(uint16_t code) {
    const unsigned high = code >> 8;
    if (code == 0x0401) {
        StartEntryTimer(kTimerReloadLighting, kEventTimerDelayMs);
    } else if (code == 0x0402) {
        StartEntryTimer(kTimerSecondSync, kEventTimerDelayMs);
    } else if ((high == 0x10 || high == 0x11) && commandChannel_.IsConnected()) {
        SetWorkingProfile(static_cast<uint8_t>(code & 0x0F));
        RefreshPage();
    }
}
