// The main window's input hook: key capture for the key assignment panel, macro recording into
// the macro editor, the event row menu, and the game events' temporary lighting.
#include <QCursor>

#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "input/DeviceHook.h"
#include "input/HookMessages.h"
#include "input/InputCapture.h"
#include "input/MacroRecorder.h"
#include "panels/keyset/KeySetActions.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/macro/MacroActions.h"
#include "panels/macro/MacroControlUI.h"
#include "panels/profile/ProfileDialogs.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "toolkit/MenuWnd.h"

using namespace DuiLib;

namespace {

constexpr UINT kGameLightingMs = 5000;
constexpr int kMaxStockEffect = 20;
constexpr DWORD kMenuAtCursor = eMenuAlignment_Left | eMenuAlignment_Top;  // 6
constexpr int kMessageNotice = 0;

struct RecordingMenuItem {
    const char* item;
    int hookMode;
    int delayMode;  // 0: fixed when "macro_check_time" is selected, else measured
};
constexpr RecordingMenuItem kRecordingMenu[] = {
    {"redio_previous_record_time", HookMode::kKbMacroPrevious, 0},
    {"redio_previous_constant_time", HookMode::kKbMacroPrevious, kDelayFixed},
    {"redio_previous_ignore_time", HookMode::kKbMacroPrevious, kDelayNone},
    {"redio_later_record_time", HookMode::kKbMacroLater, 0},
    {"redio_later_constant_time", HookMode::kKbMacroLater, kDelayFixed},
    {"redio_later_ignore_time", HookMode::kKbMacroLater, kDelayNone},
    {"macro_action_edit", HookMode::kKbMacroSingle, kDelayNone},
};

struct RecordingMessage {
    HookMsg message;
    RecordPlacement placement;
    bool mouse;
};
constexpr RecordingMessage kRecordingMessages[] = {
    {HookMsg::KeyKbMacro, RecordPlacement::Append, false},
    {HookMsg::KeyKbMacroPrevious, RecordPlacement::Before, false},
    {HookMsg::KeyKbMacroLater, RecordPlacement::After, false},
    {HookMsg::KeyKbMacroSingle, RecordPlacement::Replace, false},
    {HookMsg::KeyMsMacro, RecordPlacement::Append, true},
    {HookMsg::KeyMsMacroPrevious, RecordPlacement::Before, true},
    {HookMsg::KeyMsMacroLater, RecordPlacement::After, true},
    {HookMsg::KeyMsMacroSingle, RecordPlacement::Replace, true},
};

CLightControlUI* LightingPanelOf(CTorvanelUSBDevice& engine) {
    CControlUI* control = engine.FindSubControl("LightControlItem");
    return control ? static_cast<CLightControlUI*>(control->GetInterface(CLightControlUI::kClassName)) : nullptr;
}

// Stores a lighting record on the page, in its profile and in the device.
void ApplyLightRecord(CTorvanelUSBDevice& engine, const LightInfoRecord& record, int width, int height) {
    const LightInfoRecord::Words words = record.ToWords();
    engine.SetLightState({words.w0, words.w1, words.w2, words.w3});
    engine.SaveProfile();
    engine.ApplyLighting();
    engine.WriteLightParams(0, 0, 1, width, height);
}

LightInfoRecord CurrentLightRecord(CTorvanelUSBDevice& engine) {
    const std::array<uint32_t, 4> words = engine.GetLightState();
    return LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])});
}

}  // namespace

CMainWnd::InputState::InputState() = default;
CMainWnd::InputState::~InputState() = default;

void CMainWnd::InitInput() {
    RegisterHookMessages();
    CInputCapture::Instance().SetPointerPosition([] {
        const QPoint at = QCursor::pos();
        return POINT{at.x(), at.y()};
    });
    input_.hook = std::make_unique<CDeviceHook>();
}

void CMainWnd::StopInput() {
    if (input_.hook) input_.hook->Stop();
    CInputCapture::Instance().Reset();
}

void CMainWnd::OnInputNotify(TNotifyUI& msg) {
    const std::string sender = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType == DUI_MSGTYPE_SETFOCUS && sender == "keyset_keyboard_text_edit") {
        DuiLib::SendMessage(GetHWND(), AppMsg::kInputHook, 1, 0);
        return;
    }
    if ((msg.sType == DUI_MSGTYPE_ITEMACTIVATE || msg.sType == DUI_MSGTYPE_MENU) && sender == "macro_action")
        OpenMacroActionMenu();
}

void CMainWnd::OpenMacroActionMenu() {
    CTorvanelUSBDevice* engine = ActiveDevice();
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (!panel || panel->IsRecording()) return;
    if (input_.actionMenu && IsWindow(input_.actionMenu)) DuiLib::PostMessage(input_.actionMenu, WM_CLOSE, 0, 0);
    auto* menu = new CMenuWnd();
    const QPoint cursor = QCursor::pos();
    menu->Init(GetHWND(), "macro_action_menu.xml", POINT{cursor.x(), cursor.y()}, kMenuAtCursor);
    menu->GetPaintManager()->SetDPI(dpi_);
    input_.actionMenu = menu->GetHWND();
}

bool CMainWnd::OnInputMenuCommand(const std::string& item) {
    CTorvanelUSBDevice* engine = ActiveDevice();
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (!panel) return false;
    for (const RecordingMenuItem& row : kRecordingMenu) {
        if (item != row.item) continue;
        const int delayMode = row.delayMode != 0 ? row.delayMode : (panel->FixedDelayChecked() ? kDelayFixed : kDelayMeasured);
        StartMacroRecording(delayMode, row.hookMode);
        return true;
    }
    return InsertFromMenu(*panel, item);
}

void CMainWnd::TellCaptureFailed() {
    const std::string reason = input_.hook ? input_.hook->LastError() : std::string();
    DebugOutput("main window: input capture failed: " + reason);
    CControlUI* probe = FindControl("text_test");
    std::string text = "message_text_33";
    if (probe) {
        probe->SetResourceText(true);
        probe->SetText(text);
        text = probe->GetText();
    }
    AskProfileMessage(GetHWND(), dpi_, reason.empty() ? text : text + "\n(" + reason + ")", !probe && reason.empty(),
                      kMessageNotice);
}

void CMainWnd::SetKeyCapture(bool on) { DuiLib::SendMessage(GetHWND(), AppMsg::kInputHook, on ? 1 : 0, 0); }

void CMainWnd::OnInputHookSwitch(WPARAM on) {
    if (!input_.hook) return;
    if (on != 1) {
        input_.hook->Stop();
        input_.engine = nullptr;
        return;
    }
    input_.engine = ActiveDevice();
    if (!input_.hook->Start(0, HookMode::kSingleKey, GetHWND(), true, true)) {
        input_.engine = nullptr;
        TellCaptureFailed();
    }
}

void CMainWnd::StartMacroRecording(int delayMode, int hookMode) {
    CTorvanelUSBDevice* engine = ActiveDevice();
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (!panel || !input_.hook || panel->Library().GetSelectedMacro() < 0) return;
    panel->BeginRecording(delayMode, RecordPlacement::Append, GetTickCount());
    input_.engine = engine;
    if (!input_.hook->Start(0, hookMode, GetHWND(), true, true)) {
        // Nothing would arrive: the editor goes back to idle rather than pretend to record.
        panel->SetRecordingState(false);
        input_.engine = nullptr;
        TellCaptureFailed();
    }
}

void CMainWnd::StopMacroRecording() {
    CTorvanelUSBDevice* engine = input_.engine ? input_.engine : ActiveDevice();
    if (input_.hook) input_.hook->Stop();
    input_.engine = nullptr;
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (panel && panel->IsRecording()) panel->EndRecording();
}

void CMainWnd::StopInputOnPageChange() {
    if (!input_.engine || input_.engine == ActiveDevice()) return;
    StopMacroRecording();
}

bool CMainWnd::OnInputMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg < kRegisteredMessageBase) return false;
    if (IsGameMessage(msg)) {
        OnGameMessage(wParam, lParam);
        return true;
    }
    const std::optional<HookMsg> hook = FindHookMessage(msg);
    if (!hook || lParam == 0) return hook.has_value();
    CTorvanelUSBDevice* engine = ActiveDevice();
    if (!engine) return true;
    if (*hook == HookMsg::KeySingleKey) {
        const auto& record = *reinterpret_cast<const KeyboardHookRecord*>(lParam);
        const std::optional<DecodedKeyEvent> key = DecodeKeyRecord(static_cast<UINT>(wParam), record);
        // A capture takes the pressed key; its release names the same key again.
        if (key && key->down) CaptureKeyForPanel(*engine, key->row);
        return true;
    }
    CMacroControlUI* panel = FindMacroPanel(*engine);
    if (!panel || !panel->IsRecording()) return true;
    for (const RecordingMessage& row : kRecordingMessages) {
        if (row.message != *hook) continue;
        const uint32_t now = GetTickCount();
        if (row.mouse) {
            if (row.placement == RecordPlacement::Append) DebugOutput("WM_HOOK_KEY_MSMACRO");
            panel->OnMouseHook(row.placement, static_cast<UINT>(wParam), *reinterpret_cast<const MouseHookRecord*>(lParam), now);
        } else {
            panel->OnKeyboardHook(row.placement, static_cast<UINT>(wParam),
                                  *reinterpret_cast<const KeyboardHookRecord*>(lParam), now);
        }
    }
    return true;
}

void CMainWnd::OnGameMessage(WPARAM wParam, LPARAM lParam) {
    DebugOutput("main window: game message " + std::to_string(wParam) + " " + std::to_string(lParam));
    CTorvanelUSBDevice* engine = ActiveDevice();
    if (engine && wParam <= 2) {
        engine->CommandChannel().SetStreamPaused(false);
        const uint8_t effect = static_cast<uint8_t>(lParam & 0xFF);
        if (CLightControlUI* panel = LightingPanelOf(*engine)) panel->SetEffect(effect);
        LightInfoRecord record = CurrentLightRecord(*engine);
        if (wParam == 0)
            record.OldLedmode = record.SelectItem == 0 || record.SelectItem > kMaxStockEffect ? 1 : record.SelectItem;
        record.SelectItem = effect;
        ApplyLightRecord(*engine, record, screenWidth_, screenHeight_);
    }
    KillWindowTimer(AppTimer::kGameLightingRestore);
    SetWindowTimer(AppTimer::kGameLightingRestore, kGameLightingMs);
}

void CMainWnd::OnGameLightingRestore() {
    CTorvanelUSBDevice* engine = ActiveDevice();
    if (!engine) return;
    engine->CommandChannel().SetStreamPaused(false);
    LightInfoRecord record = CurrentLightRecord(*engine);
    if (CLightControlUI* panel = LightingPanelOf(*engine)) panel->SetEffect(record.OldLedmode);
    record.SelectItem = record.OldLedmode;
    ApplyLightRecord(*engine, record, screenWidth_, screenHeight_);
    DebugOutput("main window: game lighting ends");
}
