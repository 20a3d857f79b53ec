// The list entry's timers and the device events every family shares.
#include "engines/device/TorvanelUSBDevice.h"

#include <QWidget>

#include "toolkit/PaintManager.h"
#include "toolkit/WindowMessages.h"
#include "platform/Time.h"

namespace {

constexpr unsigned kFrameIntervalMs = 5;
constexpr unsigned kFrameIntervalReceiverMs = 500;
// The picture follows the frames at about the display's pace; the device still gets every frame.
constexpr uint32_t kPageFrameIntervalMs = 33;
constexpr unsigned kPowerStartMs = 50;
constexpr unsigned kPowerIntervalMs = 20000;
constexpr unsigned kLinkRetryMs = 3000;
constexpr unsigned kLinkMonitorStartMs = 2000;
constexpr unsigned kEventTimerDelayMs = 50;
constexpr int kLinkFailureWrap = 20;
constexpr uint32_t kPowerStatusBytes = 6;

}  // namespace

void CTorvanelUSBDevice::StartEntryTimer(unsigned id, unsigned ms) {
    if (listEntry_) listEntry_->StartTimer(id, ms);
}

void CTorvanelUSBDevice::TellLink(bool online) { SendToMainWindow(kMsgDeviceLink, pageRow_, online ? 1 : 0); }

void CTorvanelUSBDevice::OnTimer(unsigned id) {
    const bool connected = commandChannel_.IsConnected();
    switch (id) {
    case kTimerPushFrame: {
        // The key caps repaint themselves when their colour changes, so the page as a whole is
        // not invalidated here; a hidden window shows nothing at all.
        const uint32_t now = GetTickCount();
        QWidget* host = m_pManager ? m_pManager->GetHostWidget() : nullptr;
        pageFrameDue_ = host && host->isVisible() && now - lastPageFrameMs_ >= kPageFrameIntervalMs;
        if (pageFrameDue_) lastPageFrameMs_ = now;
        PushFrame();
        pageFrameDue_ = true;
        if (connected) StartEntryTimer(kTimerPushFrame, ThroughReceiver() ? kFrameIntervalReceiverMs : kFrameIntervalMs);
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
