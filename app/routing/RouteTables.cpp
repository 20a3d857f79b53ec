#include "app/routing/RouteTables.h"

#include <array>
#include <strings.h>

#include "app/routing/HeadsetRoutes.h"
#include "app/routing/KeyRoutes.h"
#include "app/routing/MouseRoutes.h"
#include "app/routing/RouteHandlers.h"
#include "store/JsonFile.h"

namespace {

using enum NameMatch;

// Rows without a handler name their panel; they log what they would call until it exists.
constexpr RouteRow kClickRows[] = {
    {Prefix, "key_", route::SelectKey, "key assignment panel: select key N"},
    {Prefix, "color_option_", route::Lighting, "lighting colour swatch N"},
    {Prefix, "audiocolor_option_", route::Lighting, "music lighting colour swatch N"},
    {Prefix, "windowdeviceset_", route::SystemInputSettings, "system keyboard / mouse settings"},
    {Exact, "default_btn", route::RestoreDefaults, "restore the device defaults"},
    {Exact, "reset_repeat_btn", route::ResetRepeat, "keyboard repeat settings reset"},
    {Exact, "device_add_btn", route::Profile, "profile panel: add"},
    {Exact, "device_sub_btn", route::Profile, "profile panel: delete"},
    {Exact, "device_export_btn", route::Profile, "profile panel: export"},
    {Exact, "device_import_btn", route::Profile, "profile panel: import"},
    {Exact, "device_copy_btn", route::Profile, "profile panel: copy"},
    {Exact, "device_reset_btn", route::Profile, "profile panel: reset"},
    {Exact, "device_profile_edit_save_btn", route::Profile, "profile panel: rename"},
    {Exact, "profile_fun_spread_btn", route::Profile, "profile panel: fold the menu"},
    {Exact, "key_butt_keysave", route::KeySet, "key assignment panel: save key"},
    {Exact, "key_butt_keydefalut", route::KeySet, "key assignment panel: key default"},
    {Exact, "key_butt_keycancel", route::KeySet, "key assignment panel: cancel"},
    {Exact, "key_butt_prosave", route::KeySet, "key assignment panel: save profile"},
    {Exact, "macro_btn_starredio", route::MacroRecordStart, "macro editor: start recording"},
    {Exact, "macro_btn_stopredio", route::MacroRecordStop, "macro editor: stop recording"},
    {Exact, "macro_btn_name_add", route::Macro, "macro editor: add macro"},
    {Exact, "macro_btn_name_sub", route::Macro, "macro editor: delete macro"},
    {Exact, "macro_btn_name_edit", route::Macro, "macro editor: rename macro"},
    {Exact, "macro_btn_save", route::Macro, "macro editor: save"},
    {Exact, "macro_btn_cancel", route::Macro, "macro editor: cancel"},
    {Exact, "macro_btn_export", route::Macro, "macro editor: export"},
    {Exact, "macro_btn_import", route::Macro, "macro editor: import"},
    {Exact, "macro_btn_up", route::Macro, "macro editor: event up"},
    {Exact, "macro_btn_down", route::Macro, "macro editor: event down"},
    {Exact, "macro_btn_uptop", route::Macro, "macro editor: event to top"},
    {Exact, "macro_btn_downbottom", route::Macro, "macro editor: event to bottom"},
    {Exact, "macro_btn_delete", route::Macro, "macro editor: delete event"},
    {Exact, "macro_btn_deleteall", route::Macro, "macro editor: delete all events"},
    {ExactCaseSensitive, "macro_inset_moveleftkey_btn", route::Macro, "macro editor: insert mouse move left"},
    {ExactCaseSensitive, "macro_inset_moverightkey_btn", route::Macro, "macro editor: insert mouse move right"},
    {ExactCaseSensitive, "macro_inset_moveupkey_btn", route::Macro, "macro editor: insert mouse move up"},
    {ExactCaseSensitive, "macro_inset_movedownkey_btn", route::Macro, "macro editor: insert mouse move down"},
    {Exact, "shootdate_save_btn", route::Recoil, "recoil panel: save"},
    {Exact, "shootdate_reset_btn", route::Recoil, "recoil panel: reset"},
    {Exact, "shootdate_import_btn", route::Recoil, "recoil panel: import"},
    {Exact, "shootdate_export_btn", route::Recoil, "recoil panel: export"},
    {Exact, "bullet_selected_prev", route::Recoil, "recoil panel: previous bullet"},
    {Exact, "bullet_selected_next", route::Recoil, "recoil panel: next bullet"},
    {Exact, "custom_bright_color_btn", route::Lighting, "keyboard custom lighting on"},
    {Exact, "custom_off_color_btn", route::Lighting, "keyboard custom lighting off"},
    {Exact, "Close_bkColor_btn", route::Lighting, "music lighting: background off"},
    {Exact, "deng_same_mode", route::ShareLighting, "shared lighting: share the active lighting"},
    {Exact, "hs_EQ_btn_save", route::HeadsetSaveEqualiser, "headset equaliser: save"},
    {Exact, "hs_EQ_btn_delete", route::HeadsetDeleteEqualiser, "headset equaliser: delete"},
    {Exact, "device_select_prev", route::DevicePrevious, "device list: previous"},
    {Exact, "device_select_next", route::DeviceNext, "device list: next"},
    {Exact, "music_setting_btn", route::MusicWindow, "music lighting window"},
};

constexpr RouteRow kComboRows[] = {
    {Exact, "device_profile_combo", route::Profile, "profile switch after 400 ms"},
    {Exact, "light_combo_modeSelect", route::Lighting, "lighting effect"},
    {Exact, "light_combo_custommodeSelect", route::Lighting, "keyboard custom set"},
    {Exact, "light_combo_ZZCCmodeSelect", route::Lighting, "keyboard sub-mode"},
    {Exact, "light_combo_audiomodeSelect", route::Lighting, "music lighting effect"},
    {Exact, "keyset_function_combo", route::KeySet, "key assignment panel: function tab, apply"},
    {Exact, "keyset_macro_over_combo", route::KeySet, "key assignment panel: repeat count, apply"},
    {Exact, "keyset_mousekey_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mouseswing_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousewheel_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousedpi_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_media_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_system_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_macro_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_gunkey_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_combokey_combo", route::KeySet, "key assignment panel: apply"},
    {Exact, "macro_name_list", route::Macro, "macro editor: macro selection"},
    {Exact, "custom_eq_name_combo", route::HeadsetCustomEqualiser, "headset equaliser preset"},
};

constexpr RouteRow kOptionRows[] = {
    {Exact, "device_select", route::DeviceSelect, "device selection"},
    {Exact, "deng_Op_tab", route::SettingsTab, "settings area 1"},
    {Exact, "key_Op_tab", route::SettingsTab, "settings area 2"},
    {Exact, "macro_Op_tab", route::SettingsTab, "settings area 3"},
    {Exact, "system_Op_tab", route::SettingsTab, "settings area 4"},
    {Exact, "cursor_Op_tab", route::SettingsTab, "settings area 5"},
    {Exact, "6533_voice_Op_tab", route::SettingsTab, "settings area 6"},
    {Exact, "magic_Op_tab", route::SettingsTab, "settings area 7"},
    {Exact, "Virtual7.1_Op_tab", route::SettingsTab, "settings area 8"},
    {Exact, "deng_FXL_check", route::Lighting, "lighting direction"},
    {Exact, "deng_FXR_check", route::Lighting, "lighting direction"},
    {Exact, "deng_7color_check", route::Lighting, "seven-colour cycling"},
    {Exact, "deng_7audiocolor_check", route::Lighting, "music seven-colour cycling"},
    {Exact, "audio_BkColor_check", route::Lighting, "music lighting: edit the background"},
    {Exact, "audio_FgColor_check", route::Lighting, "music lighting: edit the foreground"},
    {Prefix, "key_ComBox_check_", route::KeySet, "key assignment panel: modifier"},
    {Prefix, "DPI_enable_check_", route::MouseDpiCheck, "mouse settings: DPI stage"},
    {Prefix, "polling_rate_option_", route::PollingRate, "report rate"},
    {Prefix, "mouse_device_seting_option_", route::MouseSettingsTab, "mouse settings"},
    {Exact, "pointer_precision_check", route::MousePointer, "mouse settings: pointer precision"},
    {Exact, "scrolls_page_check", route::MousePointer, "mouse settings: scroll by page"},
    {Prefix, "repeat_delay_check_", route::KeyboardSettings, "keyboard repeat delay"},
    {Exact, "winlockflag_option", route::KeyboardSettings, "keyboard Windows-key lock"},
    {Exact, "wflag_option", route::KeyboardSettings, "keyboard WASD swap"},
    {Exact, "6flag_option", route::KeyboardSettings, "keyboard 6-key mode"},
    {Exact, "mode_change", route::KeyboardSettings, "keyboard mode switch"},
    {Prefix, "shoot_gun_op_", route::Recoil, "recoil panel: gun"},
    {Prefix, "bullet_op_", route::Recoil, "recoil panel: bullet"},
    {Exact, "bullet_x_check", route::Recoil, "recoil panel: x"},
    {Exact, "bullet_y_check", route::Recoil, "recoil panel: y"},
    {Prefix, "magic_option_", route::HeadsetVoice, "headset voice changer"},
    {Prefix, "6533_eq_option_", route::HeadsetPreset, "headset equaliser"},
    {Exact, "magic_enable_option", route::HeadsetVoiceChanger, "headset voice changer switch"},
    {Exact, "6533_MicIn_option", route::HeadsetMicrophone, "headset microphone"},
    {Exact, "6533_MicMoniter_option", route::HeadsetMonitor, "headset microphone monitor"},
};

constexpr RouteRow kSliderRows[] = {
    {Prefix, "DPI_slider_", route::MouseDpiSlider, "mouse DPI stage"},
    {Prefix, "6533_eq_hz_slider_", route::HeadsetBand, "headset equaliser band"},
    {Exact, "pointer_speed_slider", route::MousePointer, "mouse settings: pointer speed"},
    {Exact, "scroll_speed_slider", route::MousePointer, "mouse settings: scroll speed"},
    {Exact, "double_click_slider", route::MousePointer, "mouse settings: double-click speed"},
    {Exact, "repeat_rate_slider", route::KeyboardSettings, "keyboard repeat rate"},
    {Exact, "deng_light_slider", route::Lighting, "lighting brightness"},
    {Exact, "deng_speed_slider", route::Lighting, "lighting speed"},
    {Exact, "6533_MicIn_slider", route::HeadsetMicrophoneLevel, "headset microphone level"},
    {Exact, "6533_MicMoniter_slider", route::HeadsetMonitorLevel, "headset monitor level"},
};

constexpr RouteRow kMoveValueRows[] = {
    {Prefix, "DPI_slider_", route::MouseDpiSliderMoving, "mouse DPI edit follows the slider"},
};

constexpr RouteRow kEditRows[] = {
    {Prefix, "DPI_edit_", route::MouseDpiEdit, "mouse DPI, 200 to 6500"},
    {Exact, "deng_edit_R", route::Lighting, "lighting red"},
    {Exact, "deng_edit_G", route::Lighting, "lighting green"},
    {Exact, "deng_edit_B", route::Lighting, "lighting blue"},
    {Exact, "deng_audioedit_R", route::Lighting, "music lighting red"},
    {Exact, "deng_audioedit_G", route::Lighting, "music lighting green"},
    {Exact, "deng_audioedit_B", route::Lighting, "music lighting blue"},
    {Exact, "keyset_keyboard_text_edit", route::KeyCaptureEnd, "key assignment panel: end of key capture"},
    {Exact, "bullet_x_eidt", route::Recoil, "recoil panel: x"},
    {Exact, "bullet_y_eidt", route::Recoil, "recoil panel: y"},
    {Exact, "bullet_delay_eidt", route::Recoil, "recoil panel: delay"},
    {Exact, "macro_delay", route::Macro, "macro editor: delay"},
    {Exact, "keyset_mouseswing_num_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mouseswing_delay_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mouseswing_speed_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousewheel_num_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousewheel_delay_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousewheel_speed_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousefire_interval_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_mousefire_num_edit", route::KeySet, "key assignment panel: apply"},
    {Exact, "keyset_macro_cycle_edit", route::KeySet, "key assignment panel: apply"},
};

constexpr RouteRow kColourRows[] = {
    {Exact, "deng_Color_Pallet", route::Lighting, "lighting colour"},
    {Exact, "deng_audioColor_Pallet", route::Lighting, "music lighting colour"},
};

constexpr RouteRow kSelectEndRows[] = {
    {Exact, "mouse_device_key_light", route::MouseLightPointsChosen, "mouse lighting points chosen"},
};

constexpr std::array kTables{
    RouteTable{DuiLib::DUI_MSGTYPE_CLICK, kClickRows, false},
    RouteTable{DuiLib::DUI_MSGTYPE_ITEMSELECT, kComboRows, true},
    RouteTable{DuiLib::DUI_MSGTYPE_SELECTCHANGED, kOptionRows, true},
    RouteTable{DuiLib::DUI_MSGTYPE_VALUECHANGED, kSliderRows, true},
    RouteTable{DuiLib::DUI_MSGTYPE_MOVEVALUECHANGED, kMoveValueRows, true},
    RouteTable{DuiLib::DUI_MSGTYPE_KILLFOCUS, kEditRows, true},
    RouteTable{DuiLib::DUI_MSGTYPE_COLORCHANGED, kColourRows, true},
    RouteTable{"click_select_end", kSelectEndRows, true},
};

bool SameName(const std::string& a, const char* b, bool caseSensitive) {
    return caseSensitive ? a == b : strcasecmp(a.c_str(), b) == 0;
}

}  // namespace

std::span<const RouteTable> RouteTables() { return kTables; }

bool RowMatches(const RouteRow& row, const std::string& name, bool caseSensitive, int& number) {
    number = -1;
    switch (row.match) {
    case NameMatch::Exact: return SameName(name, row.name, caseSensitive);
    case NameMatch::ExactCaseSensitive: return name == row.name;
    case NameMatch::Prefix: {
        std::string prefix;
        int n = 0;
        if (!SplitIndexedName(name, prefix, n) || !SameName(prefix, row.name, caseSensitive)) return false;
        number = n;
        return true;
    }
    }
    return false;
}
