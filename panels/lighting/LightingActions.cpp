#include "panels/lighting/LightingActions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

#include "toolkit/XmlNode.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "engines/lighting/LightRenderer.h"
#include "panels/lighting/LightControlUI.h"
#include "store/JsonFile.h"

using namespace DuiLib;

namespace {

using StateBytes = std::array<uint8_t, 16>;

constexpr int kMaxComponent = 255;
// The keyboard by cable; sub-mode and custom sets are not written through the receiver.
constexpr int kWiredKeyboardKind = 1;

struct Context {
    CTorvanelUSBDevice& engine;
    CLightControlUI& panel;
    int width;
    int height;
    int index;  // N of an indexed sender, or the colour component of an edit
};

// The engine apply sequence; clearShared ends a running shared lighting first.
void ApplyLightChange(Context& c, bool clearShared, const std::function<void(StateBytes&)>& change) {
    if (clearShared) c.engine.CommandChannel().SetStreamPaused(false);
    StateBytes bytes = LightStateBytes(c.engine.GetLightState());
    change(bytes);
    c.engine.SetLightState(LightStateWords(bytes));
    c.engine.SaveProfile();
    c.engine.ApplyLighting();
    c.engine.WriteLightParams(0, 0, 1, c.width, c.height);
}

void SetColour(StateBytes& b, DWORD argb) {
    b[kStateRed] = RedOf(argb);
    b[kStateGreen] = GreenOf(argb);
    b[kStateBlue] = BlueOf(argb);
    b[kStateMultiColour] = 0;
}

CTorvanelKeyboardDevice* WiredKeyboard(Context& c) {
    if (c.engine.ConnectionKind() != kWiredKeyboardKind) return nullptr;
    return dynamic_cast<CTorvanelKeyboardDevice*>(&c.engine);
}

// ---- lighting state -------------------------------------------------------------------------

void OnEffect(Context& c) {
    const int effect = c.panel.GetEffect();
    if (effect < 0) return;
    c.panel.ApplyEffectRules(effect);
    ApplyLightChange(c, true, [&](StateBytes& b) { b[kStateEffect] = static_cast<uint8_t>(effect); });
}

void OnBrightness(Context& c) {
    const int level = c.panel.GetBrightness();
    ApplyLightChange(c, true, [&](StateBytes& b) { b[kStateBrightness] = static_cast<uint8_t>(level); });
}

void OnSpeed(Context& c) {
    const int level = c.panel.GetSpeed();
    ApplyLightChange(c, true, [&](StateBytes& b) { b[kStateSpeed] = static_cast<uint8_t>(level); });
}

void OnLeftDirection(Context& c) {
    ApplyLightChange(c, true, [](StateBytes& b) { b[kStateDirection] = 1; });
}

void OnRightDirection(Context& c) {
    ApplyLightChange(c, true, [](StateBytes& b) { b[kStateDirection] = 0; });
}

void OnSevenColour(Context& c) {
    const bool on = c.panel.GetSevenColour();
    ApplyLightChange(c, true, [&](StateBytes& b) { b[kStateMultiColour] = on ? 1 : 0; });
}

void OnPalette(Context& c) {
    const DWORD argb = c.panel.GetPaletteColour();
    c.panel.ShowChosenColour(argb);
    ApplyLightChange(c, true, [&](StateBytes& b) { SetColour(b, argb); });
}

void OnSwatch(Context& c) {
    const DWORD argb = c.panel.SwatchColour(c.index);
    if (argb == 0) return;  // no such swatch
    c.panel.ShowChosenColour(argb);
    ApplyLightChange(c, false, [&](StateBytes& b) { SetColour(b, argb); });
}

void OnColourEdit(Context& c) {
    std::string shown;
    const uint8_t value = ClampColourText(c.panel.GetColourText(c.index), shown);
    c.panel.SetColourText(c.index, shown);
    StateBytes current = LightStateBytes(c.engine.GetLightState());
    current[kStateRed + c.index] = value;
    const DWORD argb = ArgbOf(current[kStateRed], current[kStateGreen], current[kStateBlue]);
    c.panel.SetPaletteColour(argb);
    c.panel.SetSevenColour(false);
    ApplyLightChange(c, true, [&](StateBytes& b) { SetColour(b, argb); });
}

void OnSubMode(Context& c) {
    const int mode = c.panel.GetSubMode();
    if (!WiredKeyboard(c) || mode < 0) return;
    ApplyLightChange(c, false, [&](StateBytes& b) { b[kStateAuxMode] = static_cast<uint8_t>(mode); });
}

void OnCustomSet(Context& c) {
    CTorvanelKeyboardDevice* keyboard = WiredKeyboard(c);
    const int set = c.panel.GetCustomSet();
    if (!keyboard || set < 0) return;
    keyboard->SetCustomGroup(set);
    StateBytes bytes = LightStateBytes(keyboard->GetLightState());
    bytes[kStateCustomGroup] = static_cast<uint8_t>(set);
    keyboard->SetLightState(LightStateWords(bytes));
    keyboard->SaveProfile();
    keyboard->WriteLightParams(0, 0, 1, c.width, c.height);
    keyboard->ReloadCustomColours();
}

void FillCustom(Context& c, bool on) {
    if (auto* keyboard = dynamic_cast<CTorvanelKeyboardDevice*>(&c.engine)) keyboard->FillCustomColours(on);
}
void OnCustomBright(Context& c) { FillCustom(c, true); }
void OnCustomOff(Context& c) { FillCustom(c, false); }

// ---- music lighting -------------------------------------------------------------------------

// Reads the record through the engine, changes it and hands it back; no device parameter write
// and the shared lighting stays as it is.
void ChangeAudioLight(Context& c, const std::function<void(AudioLightInfoRecord&)>& change) {
    const auto words = c.engine.GetAudioLight();
    AudioLightInfoRecord record = AudioLightInfoRecord::FromWords({words[0], words[1], static_cast<uint8_t>(words[2])});
    change(record);
    const auto out = record.ToWords();
    c.engine.SetAudioLight({out.w0, out.w1, out.b8});
    c.engine.SaveProfile();
    c.engine.ApplyLighting();
}

uint8_t* EditedColour(AudioLightInfoRecord& r) { return r.ColorTypeFlags ? &r.FgColorR : &r.BkColorR; }

void SetEditedColour(AudioLightInfoRecord& r, DWORD argb) {
    uint8_t* colour = EditedColour(r);
    colour[0] = RedOf(argb);
    colour[1] = GreenOf(argb);
    colour[2] = BlueOf(argb);
}

void OnAudioControls(Context& c) {
    ChangeAudioLight(c, [](AudioLightInfoRecord&) {});
}

void OnAudioPalette(Context& c) {
    const DWORD argb = c.panel.GetAudioPaletteColour();
    ChangeAudioLight(c, [&](AudioLightInfoRecord& r) { SetEditedColour(r, argb); });
}

void OnAudioSwatch(Context& c) {
    const DWORD argb = c.panel.GetLightAudioColor(c.index);
    if (argb == 0) return;  // no such swatch
    ChangeAudioLight(c, [&](AudioLightInfoRecord& r) {
        SetEditedColour(r, argb);
        if (r.ColorTypeFlags) r.SevenColorFlags = 0;
    });
}

void OnAudioEdit(Context& c) {
    std::string shown;
    const uint8_t value = ClampColourText(c.panel.GetAudioColourText(c.index), shown);
    c.panel.SetAudioColourText(c.index, shown);
    ChangeAudioLight(c, [&](AudioLightInfoRecord& r) { EditedColour(r)[c.index] = value; });
}

void OnCloseBackground(Context& c) {
    ChangeAudioLight(c, [](AudioLightInfoRecord& r) { r.BkColorR = r.BkColorG = r.BkColorB = 0; });
}

// ---- routing --------------------------------------------------------------------------------

using Handler = void (*)(Context&);

struct Route {
    const char* type;
    const char* sender;
    Handler handler;
    int index = 0;
};

constexpr Route kRoutes[] = {
    {"itemselect", "light_combo_modeSelect", OnEffect},
    {"itemselect", "light_combo_custommodeSelect", OnCustomSet},
    {"itemselect", "light_combo_ZZCCmodeSelect", OnSubMode},
    {"itemselect", "light_combo_audiomodeSelect", OnAudioControls},
    {"valuechanged", "deng_light_slider", OnBrightness},
    {"valuechanged", "deng_speed_slider", OnSpeed},
    {"selectchanged", "deng_FXL_check", OnLeftDirection},
    {"selectchanged", "deng_FXR_check", OnRightDirection},
    {"selectchanged", "deng_7color_check", OnSevenColour},
    {"selectchanged", "deng_7audiocolor_check", OnAudioControls},
    {"selectchanged", "audio_BkColor_check", OnAudioControls},
    {"selectchanged", "audio_FgColor_check", OnAudioControls},
    {"colorchanged", "deng_Color_Pallet", OnPalette},
    {"colorchanged", "deng_audioColor_Pallet", OnAudioPalette},
    {"killfocus", "deng_edit_R", OnColourEdit, kRed},
    {"killfocus", "deng_edit_G", OnColourEdit, kGreen},
    {"killfocus", "deng_edit_B", OnColourEdit, kBlue},
    {"killfocus", "deng_audioedit_R", OnAudioEdit, kRed},
    {"killfocus", "deng_audioedit_G", OnAudioEdit, kGreen},
    {"killfocus", "deng_audioedit_B", OnAudioEdit, kBlue},
    {"click", "custom_bright_color_btn", OnCustomBright},
    {"click", "custom_off_color_btn", OnCustomOff},
    {"click", "Close_bkColor_btn", OnCloseBackground},
};

// Swatches are clicked buttons named prefix + N.
struct IndexedRoute {
    const char* prefix;
    Handler handler;
};
constexpr IndexedRoute kSwatchRoutes[] = {
    {"color_option_", OnSwatch},
    {"audiocolor_option_", OnAudioSwatch},
};

constexpr const char* kClick = "click";

}  // namespace

uint8_t ClampColourText(const std::string& text, std::string& shown) {
    shown = text;
    int value = 0;
    bool digits = !text.empty();
    for (char ch : text) {
        if (!std::isdigit(static_cast<unsigned char>(ch))) {
            digits = false;
            break;
        }
        value = std::min(kMaxComponent + 1, value * 10 + (ch - '0'));  // stops growing past the cap
    }
    if (!digits) value = 0;
    if (value > kMaxComponent) value = kMaxComponent;
    if (!digits || text != std::to_string(value)) shown = std::to_string(value);
    return static_cast<uint8_t>(value);
}

bool HandleLightingNotify(CTorvanelUSBDevice& engine, CLightControlUI& panel, const std::string& type,
                          const std::string& senderName, int screenWidth, int screenHeight) {
    Context context{engine, panel, screenWidth, screenHeight, 0};
    const bool click = type == kClick;
    for (const Route& route : kRoutes) {
        if (type != route.type) continue;
        // Click senders are compared without regard to case, the rest exactly.
        if (click ? !detail::SameNoCase(senderName, route.sender) : senderName != route.sender) continue;
        context.index = route.index;
        route.handler(context);
        return true;
    }
    if (!click) return false;
    std::string prefix;
    int number = 0;
    if (!SplitIndexedName(senderName, prefix, number)) return false;
    for (const IndexedRoute& route : kSwatchRoutes) {
        if (!detail::SameNoCase(prefix, route.prefix)) continue;
        context.index = number;
        route.handler(context);
        return true;
    }
    return false;
}

CLightControlUI* FindLightingPanel(CTorvanelUSBDevice& engine) {
    CControlUI* control = engine.FindSubControl("LightControlItem");
    return control ? static_cast<CLightControlUI*>(control->GetInterface(CLightControlUI::kClassName)) : nullptr;
}

std::array<uint8_t, 16> LightStateBytes(const std::array<uint32_t, 4>& words) {
    std::array<uint8_t, 16> b{};
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
    return b;
}

std::array<uint32_t, 4> LightStateWords(const std::array<uint8_t, 16>& b) {
    std::array<uint32_t, 4> w{};
    for (size_t i = 0; i < b.size(); ++i) w[i / 4] |= uint32_t{b[i]} << (8 * (i % 4));
    return w;
}
