// The main window's music lighting (the capture program, its watchdog, its data copies and the
// music window) and shared lighting (its thread and the user's share).
#include "app/devicelist/DeviceList.h"
#include "app/dialogs/MsgWnd.h"
#include "app/music/MusicWnd.h"
#include "app/shell/MainWnd.h"
#include "platform/DebugOutput.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

namespace {
// The watchdog's report: wParam 1 the capture program runs now, 0 it ended.
constexpr UINT kCaptureProgramChange = WM_USER + 0x720;
// The capture program could not be started (shown once the window is set up).
constexpr UINT kCaptureStartFailed = WM_USER + 0x721;
constexpr const char kCaptureStartFailedText[] = "Record open failed!";

constexpr std::pair<DeviceFamily, SharedFamily> kSharingFamilies[] = {
    {DeviceFamily::Keyboard, SharedFamily::Keyboard},
    {DeviceFamily::Mouse, SharedFamily::Mouse},
    {DeviceFamily::MousePad, SharedFamily::MousePad},
    {DeviceFamily::Headset, SharedFamily::Headset},
};
}  // namespace

void CMainWnd::StartMusicLighting() {
    // Every engine of the device list takes part in shared lighting, whatever its family.
    if (deviceList_)
        for (const auto& [family, shared] : kSharingFamilies)
            for (CTorvanelUSBDevice* engine : deviceList_->Family(family)) sharedLighting_->Register(shared, engine);
    watchdogParams_.window = GetHWND();
    watchdogParams_.message = kCaptureProgramChange;
    workers_[kCaptureWatchdogSlot].Start(&watchdogParams_, [this](const WorkerArgs& args) {
        RunCaptureWatchdog(args, watchdogParams_);
    }, kWorkerStopTimeoutMs);
    workers_[kSharedLightingSlot].Start(sharedLighting_.get(), [this](const WorkerArgs& args) {
        sharedLighting_->Run(args);
    }, kWorkerStopTimeoutMs);
    // The capture program reaches us only over the session bus.
    if (!bus_ || !bus_->Running())
        DebugOutput("music: no session bus; the capture program is not started");
    else if (!music_->StartCaptureProgram())
        DuiLib::PostMessage(GetHWND(), kCaptureStartFailed);
    music_->LoadStyles(GetHWND());
}

void CMainWnd::LinkCaptureProgram() {
    if (music_->LinkCapture(GetHWND())) DebugOutput("music: capture program linked");
}

bool CMainWnd::HandleMusicMessage(UINT msg, WPARAM wParam) {
    if (msg == kCaptureStartFailed) {
        ShowMessageBox(GetHWND(), std::string(), kCaptureStartFailedText, dpi_, 1, kMessageBoxNotice);
        return true;
    }
    if (msg != kCaptureProgramChange) return false;
    if (wParam) {
        // A capture program started by someone else (or again) is linked like the first one; the
        // one linked at start-up already is left alone.
        const uint64_t known = music_->Link().CaptureWindow();
        if (known == 0 || music_->Link().FindCaptureWindow() != known) {
            DebugOutput("music: the capture program runs");
            LinkCaptureProgram();
        }
    } else {
        DebugOutput("music: the capture program has ended; music lighting stays dark until it runs again");
        music_->Link().FindCaptureWindow();
    }
    return true;
}

LRESULT CMainWnd::OnCaptureCopyData(const BusCopyData& data) {
    static const std::vector<CTorvanelUSBDevice*> kNone;
    const auto& keyboards = deviceList_ ? deviceList_->Keyboards() : kNone;
    const CaptureDataOutcome outcome = music_->OnCaptureData(data, keyboards);
    if (outcome == CaptureDataOutcome::Fed) return 1;
    DebugOutput("main window: data copy " + std::to_string(data.dataId) + " of " + std::to_string(data.bytes.size()) +
                " bytes dropped: " + CaptureDataOutcomeText(outcome));
    return 0;
}

void CMainWnd::StopMusicLighting() { music_->Shutdown(); }

void CMainWnd::OpenMusicWindow() {
    AudioLightInfo info = music_->Info();
    if (ShowMusicWindow(GetHWND(), dpi_, info) == 1) music_->ApplyEditedStyles(GetHWND(), info);
}

void CMainWnd::ShareActiveLighting() {
    sharedLighting_->ShareActiveLighting(ActiveDevice(), SharedScreen{screenWidth_, screenHeight_});
}
