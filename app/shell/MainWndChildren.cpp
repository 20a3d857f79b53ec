#include "app/shell/MainWndChildren.h"

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/devicelist/DeviceList.h"
#include "app/dialogs/AboutWnd.h"
#include "app/language/LanguageSwitcher.h"
#include "app/music/MusicWnd.h"
#include "app/shell/MainWnd.h"
#include "app/skins/RootBackground.h"
#include "app/skins/SkinFrame.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "update/check/UpdateCheck.h"
#include "update/setwnd/SetWnd.h"
#include "toolkit/WindowMessages.h"
#include "platform/DebugOutput.h"

namespace {
CLanguageSwitcher& Switcher() {
    static CLanguageSwitcher switcher;
    return switcher;
}

std::unique_ptr<CRootBackground>& RootBackground() {
    static std::unique_ptr<CRootBackground> receiver;
    return receiver;
}

// Key caps and their tooltips are plain texts resolved when set, so they are set again.
void RelabelKeyboardPages(CMainWnd& window) {
    if (!window.DeviceList()) return;
    for (CTorvanelUSBDevice* engine : window.DeviceList()->Keyboards())
        if (auto* keyboard = dynamic_cast<CTorvanelKeyboardDevice*>(engine)) keyboard->RefreshKeyLabels();
}

// What the update list needs of each device-list entry, in display order.
std::vector<DeviceVersionSource> DeviceVersionsInDisplayOrder(CMainWnd& window) {
    std::vector<DeviceVersionSource> versions;
    if (!window.DeviceList()) return versions;
    for (const DevicePageRecord& page : window.DeviceList()->Pages()) {
        DeviceVersionSource source;
        if (page.engine) {
            CCommandChannel& channel = page.engine->CommandChannel();
            source.connected = channel.IsConnected();
            source.versionNumber = channel.PrimaryRecord().Attributes.VersionNumber;
        }
        versions.push_back(source);
    }
    return versions;
}
}  // namespace

void ApplyStartupLanguage(CMainWnd&) {
    // A new main window starts from the first language file, so nothing counts as applied yet.
    Switcher() = CLanguageSwitcher();
    CLanguageSwitcher& switcher = Switcher();
    if (!switcher.LoadFirstLanguage()) DebugOutput("language: \"lan_cn.xml\" could not be read");
    switcher.ApplySavedLanguage();
    DuiLib::CPaintManagerUI::ReloadAllText();
}

void ApplyLanguageMessage(CMainWnd& window, DuiLib::WPARAM languageIndex) {
    if (!Switcher().ApplyLanguage(static_cast<int>(languageIndex))) return;
    DuiLib::CPaintManagerUI::ReloadAllText();
    RefreshLanguageWindows({AboutWindowHandle(), SettingsWindowHandle()});
    RelabelKeyboardPages(window);
}

void OpenAboutWindow(CMainWnd& window) { ShowAbout(window.GetHWND()); }

void OpenSkinChooser(CMainWnd& window) { CSkinFrame::Open(window.GetHWND(), window.FindControl("skinbtn")); }

void OpenSettingsWindow(CMainWnd& window, bool centred) {
    if (DuiLib::HWND open = SettingsWindow(); open && DuiLib::IsWindow(open)) {
        // Already open (perhaps behind another program): brought forward, not opened twice.
        if (DuiLib::CWindowWnd* existing = DuiLib::FromHandle(open)) existing->ShowWindow(true, true);
        return;
    }
    auto* settings = new CSetWnd();
    settings->SetDeleteOnClose(true);
    settings->SetProductList(UpdateTargets(DeviceVersionsInDisplayOrder(window)));
    settings->SetOwnerAndLanguage(window.GetHWND(), Switcher().GetLanguageIndex());
    settings->SetDisplayScale(window.Dpi());
    const int scaledWidth = CSetWnd::kWidth * window.Dpi() / 96;
    settings->Create(window.GetHWND(), "SetWnd", DuiLib::WS_POPUP, DuiLib::WS_EX_TOOLWINDOW, 0, 0, CSetWnd::kWidth,
                     CSetWnd::kHeight);
    if (centred) {
        settings->CenterWindow();
    } else {
        // Beside the caption's settings button: right edge 30 (scaled) inside the main window's.
        const DuiLib::RECT main = window.GetWindowRect();
        settings->MoveWindow(main.right - scaledWidth - 30 * window.Dpi() / 96, main.top + 60 * window.Dpi() / 96);
    }
    // Modal for the user, without a nested loop: the program's own loop keeps running, so
    // leaving the program while the window is open ends both cleanly.
    if (QWidget* host = settings->GetHostWidget()) host->setWindowModality(Qt::ApplicationModal);
    settings->ShowWindow(true);
}

void CloseChildWindows(CMainWnd&) {
    if (DuiLib::HWND about = AboutWindowHandle()) DuiLib::SendMessage(about, DuiLib::WM_CLOSE);
    if (DuiLib::HWND settings = SettingsWindow()) DuiLib::SendMessage(settings, DuiLib::WM_CLOSE);
    if (DuiLib::HWND music = MusicWindowHandle()) DuiLib::SendMessage(music, DuiLib::WM_CLOSE);
}

DuiLib::HWND SettingsWindowHandle() { return SettingsWindow(); }

void WatchSkinChanges(CMainWnd& window) {
    RootBackground() = std::make_unique<CRootBackground>(*window.GetPaintManager());
    TheSkinObserver().AttachReceiver(RootBackground().get());
}

void DestroyChildWindows(CMainWnd&) {
    // Children go before their owner; a confirmed update does not hold the program.
    if (DuiLib::HWND settings = SettingsWindow()) DuiLib::SendMessage(settings, kSetWndForceClose);
    if (DuiLib::HWND about = AboutWindowHandle()) DuiLib::SendMessage(about, DuiLib::WM_CLOSE);
    if (DuiLib::HWND chooser = CSkinFrame::OpenWindow()) DuiLib::SendMessage(chooser, DuiLib::WM_CLOSE);
    RootBackground().reset();
}

void SyncSliderValueLabels(CMainWnd& window) {
    DuiLib::CControlUI* root = window.GetPaintManager()->GetRoot();
    if (!root) return;
    root->VisitTree([](DuiLib::CControlUI* control) {
        auto* slider = static_cast<DuiLib::CSliderUI*>(control->GetInterface("Slider"));
        auto* row = slider ? slider->GetParent() : nullptr;
        if (!row || !slider->GetManager()) return true;
        // The label sits in the same page; find it next to the slider, not in another page.
        DuiLib::CControlUI* label = nullptr;
        row->VisitTree([&](DuiLib::CControlUI* candidate) {
            if (candidate->GetName() == slider->GetName() + "_value") label = candidate;
            return label == nullptr;
        });
        if (label) label->SetText(std::to_string(slider->GetValue()));
        return true;
    });
}
