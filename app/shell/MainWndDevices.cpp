// The main window's side of the device list: creating the pages, arrivals, removals and presence
// reports, and what the notification routing reaches through the window.
#include <QEvent>
#include <QObject>
#include <QWidget>

#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "app/dialogs/MsgWnd.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "app/shell/MainWndChildren.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/lighting/LightingActions.h"
#include "panels/profile/ProfileActions.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {

// Activation, hover and leave of the window reach the engines as the active flag.
class ActivationFilter : public QObject {
public:
    ActivationFilter(QObject* parent, HWND window) : QObject(parent), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::WindowActivate: DuiLib::PostMessage(window_, AppMsg::kWindowActive, 1, 0); break;
        case QEvent::WindowDeactivate: DuiLib::PostMessage(window_, AppMsg::kWindowActive, 0, 0); break;
        case QEvent::Enter: DuiLib::PostMessage(window_, AppMsg::kWindowActive, 1, 0); break;
        case QEvent::Leave: DuiLib::PostMessage(window_, AppMsg::kWindowActive, 0, 0); break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    HWND window_;
};

}  // namespace

void CMainWnd::CreateDevicePages() {
    deviceList_ = std::make_unique<CDeviceList>(m_pm, models_.rows, models_.lock);
    deviceList_->SetCloseChildWindows([this] { CloseChildWindows(*this); });
    deviceList_->SetSharedAvailableHook([](CTorvanelUSBDevice& engine, bool available) {
        if (CLightControlUI* panel = FindLightingPanel(engine)) panel->SetSharedAvailable(available);
    });
    const int pages = deviceList_->CreatePages(this, std::string());
    deviceList_->SetLightControl(lightControl_);
    DebugOutput("main window: " + std::to_string(pages) + " device pages");
}

template <typename Change>
void CMainWnd::ChangeDeviceList(Change change) {
    if (!deviceList_) return;
    const auto& pages = deviceList_->Pages();
    std::vector<bool> before;
    for (const DevicePageRecord& page : pages) before.push_back(page.entry && page.entry->IsEntryShown());
    change(*deviceList_);
    StopInputOnPageChange();
    for (size_t i = 0; i < pages.size() && i < before.size(); ++i) {
        const bool shown = pages[i].entry && pages[i].entry->IsEntryShown();
        if (shown != before[i])
            DebugOutput("main window: page of row " + std::to_string(pages[i].pageRow) + (shown ? " shown" : " hidden"));
    }
    UpdateNoDeviceView();
}

std::string CMainWnd::RowPath(int row) {
    CriticalSectionLock hold(models_.lock);
    return row >= 0 && row < static_cast<int>(models_.rows.size()) ? models_.rows[row].devicePath : std::string();
}

void CMainWnd::OnDeviceArrival(int row) {
    DebugOutput("device arrival: row " + std::to_string(row) + " " + RowPath(row));
    ChangeDeviceList([row](CDeviceList& list) { list.OnDeviceArrival(row); });
}

void CMainWnd::OnDeviceRemoval(int row) {
    DebugOutput("device removal: row " + std::to_string(row));
    ChangeDeviceList([row](CDeviceList& list) { list.OnDeviceRemoval(row); });
}

void CMainWnd::OnPagePresence(int pageRow, int present) {
    ChangeDeviceList([pageRow, present](CDeviceList& list) { list.OnPresenceReport(pageRow, present); });
}

CTorvanelUSBDevice* CMainWnd::ActiveDevice() { return deviceList_ ? deviceList_->ActiveDevice() : nullptr; }

int CMainWnd::AskUser(const std::string& textKey, int buttons) {
    return ShowMessageBox(GetHWND(), std::string(), textKey, dpi_, 1, buttons);
}

void CMainWnd::StartProfileSwitchTimer() {
    // A new choice within the delay restarts it, so only the last one is switched to.
    KillWindowTimer(AppTimer::kProfileSwitch);
    SetWindowTimer(AppTimer::kProfileSwitch, kProfileSelectDelayMs);
}

void CMainWnd::OnProfileSwitchTimer() {
    CTorvanelUSBDevice* engine = ActiveDevice();
    CDeviceProfileUI* panel = engine ? FindProfilePanel(*engine) : nullptr;
    if (panel) SwitchToSelectedProfile(*engine, *panel, ScreenSize{screenWidth_, screenHeight_});
}

void CMainWnd::OnDeviceSettingsReset() {
    CTorvanelUSBDevice* engine = ActiveDevice();
    CDeviceProfileUI* panel = engine ? FindProfilePanel(*engine) : nullptr;
    if (panel) ResetWithoutConfirmation(*engine, *panel, ScreenSize{screenWidth_, screenHeight_});
}

void CMainWnd::OnDeviceEntrySelected(CControlUI* sender) {
    TNotifyUI msg;
    msg.sType = DUI_MSGTYPE_SELECTCHANGED;
    msg.pSender = sender;
    ChangeDeviceList([&msg](CDeviceList& list) { list.Notify(msg); });
}

void CMainWnd::SelectNeighbourDevice(bool next) {
    ChangeDeviceList([next](CDeviceList& list) { next ? list.SelectNext() : list.SelectPrevious(); });
}

void CMainWnd::WatchActivation() {
    if (QWidget* host = GetHostWidget()) host->installEventFilter(new ActivationFilter(host, GetHWND()));
}

void CMainWnd::SetWindowActive(int active) {
    if (active == active_) return;
    active_ = active;
    if (deviceList_) deviceList_->SetWindowActive(active);
}
