#include "app/music/MusicWnd.h"

#include <algorithm>

#include "platform/DebugOutput.h"
#include "toolkit/Button.h"
#include "toolkit/Edit.h"
#include "toolkit/Slider.h"
#include "toolkit/WindowMessages.h"

using namespace DuiLib;

namespace {
constexpr std::array<int, 7> kAcceptedDpis{48, 72, 96, 120, 144, 168, 192};
constexpr int kDefaultDpi = 96;
// The desktop's DPI-change message: new DPI in the low word of wParam.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr const char* kSliderNames[] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr const char kTabPrefix[] = "audio_select_tab";
constexpr const char kNamePrefix[] = "audio_edit_name";
HWND g_musicWindow = 0;

// 1 to 4 for "audio_select_tab1".."4" (or the name edits), else 0.
int StyleNumber(const std::string& name, const char* prefix) {
    const std::string p(prefix);
    if (name.size() != p.size() + 1 || name.compare(0, p.size(), p) != 0) return 0;
    const char digit = name.back();
    return digit >= '1' && digit <= '4' ? digit - '0' : 0;
}
}  // namespace

void CMusicWnd::InitWindow() {
    controlsFound_ = true;
    for (int i = 0; i < kAudioStyleCount; ++i) {
        const std::string n = std::to_string(i + 1);
        CControlUI* tab = FindControl(kTabPrefix + n);
        CControlUI* edit = FindControl(kNamePrefix + n);
        tabs_[i] = tab ? static_cast<COptionUI*>(tab->GetInterface("Option")) : nullptr;
        names_[i] = edit ? static_cast<CEditUI*>(edit->GetInterface("Edit")) : nullptr;
        controlsFound_ = controlsFound_ && tabs_[i] && names_[i];
    }
    for (int c = 0; c < 3; ++c) {
        CControlUI* slider = FindControl(kSliderNames[c]);
        sliders_[c] = slider ? static_cast<CSliderUI*>(slider->GetInterface("Slider")) : nullptr;
        controlsFound_ = controlsFound_ && sliders_[c];
    }
    controlsFound_ = controlsFound_ && FindControl("okbtn") && FindControl("closebtn");
    if (!controlsFound_) {
        DebugOutput("GetAudioLightInfo control is NULL");
        return;
    }
    for (CSliderUI* slider : sliders_) {
        slider->SetMinValue(0);
        slider->SetMaxValue(kMaxStyleComponent);
    }
    for (int i = 0; i < kAudioStyleCount; ++i) names_[i]->SetText(info_.names[i]);
    tabs_[info_.style]->Selected(true, false);
    ShowStyle();
}

void CMusicWnd::ShowStyle() {
    const auto& colour = info_.Colour();
    for (int c = 0; c < 3; ++c) sliders_[c]->SetValue(colour[c]);
}

void CMusicWnd::OnStyleSelected(int style) {
    info_.style = static_cast<uint8_t>(style);
    ShowStyle();
}

void CMusicWnd::OnSlider(CControlUI* sender) {
    for (int c = 0; c < 3; ++c)
        if (sender == sliders_[c])
            info_.colours[info_.style][c] = static_cast<uint8_t>(std::clamp(sliders_[c]->GetValue(), 0, int(kMaxStyleComponent)));
}

void CMusicWnd::OnNameEdited(CControlUI* sender) {
    for (int i = 0; i < kAudioStyleCount; ++i) {
        if (sender != names_[i]) continue;
        const std::string text = names_[i]->GetText();
        if (text.empty()) {
            info_.names[i] = kDefaultStyleNames[i];
            names_[i]->SetText(info_.names[i]);
        } else {
            info_.names[i] = text;
        }
    }
}

void CMusicWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender && controlsFound_) {
        const std::string& name = msg.pSender->GetName();
        if (msg.sType == DUI_MSGTYPE_CLICK) {
            if (name == "okbtn") {
                if (resultTarget_) *resultTarget_ = info_;
                return Close(1);
            }
            if (name == "closebtn") return Close(0);
        } else if (msg.sType == DUI_MSGTYPE_SELECTCHANGED) {
            const int number = StyleNumber(name, kTabPrefix);
            auto* option = static_cast<COptionUI*>(msg.pSender->GetInterface("Option"));
            if (number > 0 && option && option->IsSelected()) return OnStyleSelected(number - 1);
        } else if (msg.sType == DUI_MSGTYPE_VALUECHANGED || msg.sType == DUI_MSGTYPE_MOVEVALUECHANGED) {
            return OnSlider(msg.pSender);
        } else if (msg.sType == DUI_MSGTYPE_KILLFOCUS && StyleNumber(name, kNamePrefix) > 0) {
            return OnNameEdited(msg.pSender);
        }
    } else if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender && msg.pSender->GetName() == "closebtn") {
        return Close(0);
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMusicWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (msg != kDpiChangedMessage) return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, bHandled);
    bHandled = true;
    SetDPI(static_cast<int>(wParam & 0xFFFF));
    m_pm.ResetDPIAssets();
    ResizeClient(m_pm.GetDPIObj()->Scale(kMusicWndWidth), m_pm.GetDPIObj()->Scale(kMusicWndHeight));
    CenterWindow();
    if (CControlUI* root = m_pm.GetRoot()) root->NeedUpdate();
    return 0;
}

void CMusicWnd::SetDPI(int dpi) {
    if (std::find(kAcceptedDpis.begin(), kAcceptedDpis.end(), dpi) == kAcceptedDpis.end()) {
        DebugOutput("SET_WND DPI SET ERROR");
        dpi = kDefaultDpi;
    }
    dpi_ = dpi;
    m_pm.SetDPI(dpi);
}

void CMusicWnd::OnFinalMessage(HWND hwnd) {
    if (g_musicWindow == hwnd) g_musicWindow = 0;
    delete this;
}

int ShowMusicWindow(HWND mainWindow, int dpi, AudioLightInfo& info) {
    if (g_musicWindow && IsWindow(g_musicWindow)) return 0;
    auto* window = new CMusicWnd();
    window->SetAudioLightInfo(info);
    g_musicWindow = window->Create(mainWindow, "  ", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, kMusicWndWidth,
                                   kMusicWndHeight);
    window->SetDPI(dpi);
    window->ResizeClient(window->GetPaintManager()->GetDPIObj()->Scale(kMusicWndWidth),
                         window->GetPaintManager()->GetDPIObj()->Scale(kMusicWndHeight));
    window->CenterWindow();
    if (!window->HasControls()) window->Close(0);
    // The window deletes itself after its last message: "okbtn" hands the record over first.
    AudioLightInfo edited = info;
    window->SetResultTarget(&edited);
    const HWND handle = g_musicWindow;
    const UINT result = window->ShowModal();
    // A loop ended from outside (the application quitting) leaves the window open: it must not
    // write into the record of this call any more.
    if (handle && g_musicWindow == handle && IsWindow(handle)) {
        window->SetResultTarget(nullptr);
        return 0;
    }
    if (result != 1) return 0;
    info = edited;
    return 1;
}

HWND MusicWindowHandle() { return g_musicWindow; }
