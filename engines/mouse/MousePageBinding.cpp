// Binding the page, the lists, the DPI, report-rate and pointer controls, page refresh and the
// page edits the main window hands over.
#include <cstdlib>
#include <string>

#include "toolkit/Button.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/Slider.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/mouse/ShootPanelLink.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "store/JsonFile.h"
#include "store/LightingFiles.h"
#include "store/MacroLibrary.h"
#include "store/ShootData.h"

using namespace DuiLib;

namespace {

constexpr const char* kSettingsLayout = "mouse_device_seting_layout";
constexpr const char* kOptionLayout = "mouse_option_layout";
constexpr const char* kSettingsOptionPrefix = "mouse_device_seting_option_";
constexpr const char* kSelectPanelClass = "SelectPanel";
constexpr int kReportRateOptions = 5;
// The function page of each settings tab: lighting, buttons, DPI and report rate, recoil, pointer.
constexpr int kTabFunctionPages[] = {1, 2, 5, 7, 4};


std::string Indexed(const char* prefix, int index) { return prefix + std::to_string(index); }

}  // namespace

CSliderUI* CTorvanelMouseDevice::Slider(const std::string& name) {
    CControlUI* control = FindPageControl(name);
    return control ? static_cast<CSliderUI*>(control->GetInterface("Slider")) : nullptr;
}

COptionUI* CTorvanelMouseDevice::Option(const std::string& name) {
    CControlUI* control = FindPageControl(name);
    return control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
}

void CTorvanelMouseDevice::BindPage() {
    if (pageLayoutPath_.empty()) {
        CTorvanelUSBDevice::InitPage();
        return;
    }
    // Key and light zone buttons of the mouse picture, in every select panel of the settings tabs.
    ClearButtons();
    VisitTree([&](CControlUI* control) {
        if (control->GetClass() != kSelectPanelClass) return true;
        control->VisitTree([&](CControlUI* child) {
            if (child->GetClass() != CDeviceKeyButtonUI::kClassName) return true;
            auto* button = static_cast<CDeviceKeyButtonUI*>(child);
            std::string prefix;
            int number = -1;
            const std::string name = button->GetName();
            if (name.starts_with("light_0_") && SplitIndexedName(name, prefix, number) && number >= 0 &&
                number < LightCount()) {
                lightButtons_[number] = button;
            } else if (SplitIndexedName(name, prefix, number) && number >= 0) {
                if (prefix == "key_" && number < KeyCount()) keyButtons_[number] = button;
                if (prefix == "light_" && number < LightCount()) lightButtons_[number] = button;
            }
            return true;
        });
        return true;
    });
    if (CControlUI* control = FindPageControl("DeviceProfileItem")) {
        if ((profilePanel_ = dynamic_cast<IProfilePanel*>(control)))
            profileId_ = profilePanel_->LoadProfiles(UserDataFolder(), DefaultProfilePath());
    }
    lightingPanelControl_ = FindPageControl("LightControlItem");
    if (ILightingPanel* panel = LightingPanel()) {
        LoadLists();
        panel->SetEffectLists(effectNames_, effectVisible_, areaEffectNames_, customLightNames_);
    }
    if ((macroPanel_ = dynamic_cast<IMacroPanel*>(FindPageControl("MacroControlItem"))))
        macroPanel_->BindEngine(UserDataFolder(), this);
    keyPanelControl_ = FindPageControl("KeySetControlItem");
    if ((keyPanel_ = dynamic_cast<IKeyAssignmentPanel*>(keyPanelControl_))) {
        keyPanel_->BindEngine(this);
        keyPanel_->SetMacroList(macroNames_);
    }
    shootPanel_ = FindPageControl("ShootControlItem");
    if (auto* shoot = dynamic_cast<IShootPanel*>(shootPanel_)) shoot->SetUpShootPanel(UserDataFolder(), DefaultDataFolder());
    SelectSettingsTab(0);
}

void CTorvanelMouseDevice::LoadLists() {
    macroNames_.clear();
    for (const MacroInfoEntry& macro : ReadMacroLibrary(UserDataFolder() + "macro.config"))
        macroNames_.push_back(macro.MacroName);
    const DefaultLightLists lists = ReadDefaultLightLists(DefaultLightFilePath(DefaultDataFolder()), modelIndex_);
    if (lists.hasEffects) {
        effectNames_.clear();
        effectVisible_.clear();
        for (const StockEffect& effect : lists.effects) {
            effectNames_.push_back(effect.LightName);
            effectVisible_.push_back(effect.visible ? 1 : 0);
        }
    }
    if (lists.hasAreaEffects) areaEffectNames_ = lists.areaEffectNames;
    bool present = false;
    const auto custom = ReadCustomLightEntries(
        profile_.GetLightConfigPath().empty() ? LightConfigPath(UserDataFolder()) : profile_.GetLightConfigPath(),
        modelIndex_, &present);
    if (present) {
        customLightNames_.clear();
        for (const CustomLightEntry& entry : custom) customLightNames_.push_back(entry.LightName);
    }
}

// The picture's buttons carry their assignment's code as tool tip; the key panel names it.
void CTorvanelMouseDevice::RebuildButtonList() {
    for (int i = 0; i < KeyCount() && static_cast<size_t>(i) < keyList_.size(); ++i) {
        if (CDeviceKeyButtonUI* button = KeyButton(i)) {
            char code[16];
            const KeyAssignment& a = keyList_[i].assignment;
            std::snprintf(code, sizeof code, "%02X %02X %02X", a[0], a[1], a[2]);
            button->SetToolTip(code);
        }
    }
}

void CTorvanelMouseDevice::RefreshPage() {
    LoadLists();
    RebuildButtonList();
    if (ILightingPanel* panel = LightingPanel()) {
        panel->SetEffectLists(effectNames_, effectVisible_, areaEffectNames_, customLightNames_);
        panel->ShowLightState(renderer_->GetLightState());
    }
    for (int i = 0; i < kMouseDpiStages && static_cast<size_t>(i) < dpiStages_.size(); ++i) {
        EnableDpiStage(i, true);
        ShowDpiValue(i, dpiStages_[i].DpiX());
    }
    if (CSliderUI* slider = Slider("pointer_speed_slider")) slider->SetValue(systemStages_.MouseSpeed);
    if (COptionUI* check = Option("pointer_precision_check")) check->Selected(systemStages_.PointerPrecision != 0, false);
    if (CSliderUI* slider = Slider("double_click_slider")) slider->SetValue(systemStages_.DoubleClickTime);
    if (COptionUI* check = Option("scrolls_page_check")) check->Selected(systemStages_.ScorllPage != 0, false);
    if (CSliderUI* slider = Slider("scroll_speed_slider")) slider->SetValue(systemStages_.WheelScorlllinse);
    ShowReportRate(systemStages_.ReportRate);
}

void CTorvanelMouseDevice::EnableDpiStage(int stage, bool on) {
    if (stage < 0 || stage >= kMouseDpiStages) return;
    if (CControlUI* layout = FindPageControl(Indexed("DPI_layout_", stage))) layout->SetEnabled(on);
    if (COptionUI* check = Option(Indexed("DPI_enable_check_", stage))) check->Selected(on, false);
    std::vector<COptionUI*> checked;
    for (int i = 0; i < kMouseDpiStages; ++i) {
        COptionUI* check = Option(Indexed("DPI_enable_check_", i));
        if (!check) continue;
        if (on) check->SetEnabled(true);
        if (check->IsSelected()) checked.push_back(check);
    }
    // The last stage left on cannot be switched off.
    if (!on && checked.size() == 1) checked.front()->SetEnabled(false);
}

bool CTorvanelMouseDevice::DpiStageChecked(int stage) {
    COptionUI* check = Option(Indexed("DPI_enable_check_", stage));
    return check && check->IsSelected();
}

void CTorvanelMouseDevice::ShowDpiValue(int stage, int steps) {
    if (CSliderUI* slider = Slider(Indexed("DPI_slider_", stage))) {
        slider->SetValue(steps);
        const bool active = stage == profile_.GetActiveDpiStage();
        slider->SetForeImage("Control/SliderBar_BK1.png");
        const char* thumb = active ? "Control/SliderBar1_Thumb.png" : "Control/SliderBar2_Thumb.png";
        for (const char* attribute : {"thumbimage", "thumbhotimage", "thumbpushedimage"})
            slider->SetAttribute(attribute, thumb);
    }
    if (CControlUI* edit = FindPageControl(Indexed("DPI_edit_", stage)))
        edit->SetText(std::to_string(steps * DpiStep()));
}

int CTorvanelMouseDevice::DpiSliderValue(int stage) {
    CSliderUI* slider = Slider(Indexed("DPI_slider_", stage));
    return slider ? slider->GetValue() : 0;
}

int CTorvanelMouseDevice::DpiTypedValue(int stage) {
    CControlUI* edit = FindPageControl(Indexed("DPI_edit_", stage));
    const std::string text = edit ? edit->GetText() : std::string();
    // Digits only; anything else counts as nothing typed.
    long dpi = 0;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos && text.size() < 8)
        dpi = std::strtol(text.c_str(), nullptr, 10);
    const long highest = static_cast<long>(HighestDpiSteps()) * DpiStep();
    if (highest > 0) dpi = std::min(dpi, highest);
    return static_cast<int>(std::max<long>(dpi, LowestDpi()));
}

void CTorvanelMouseDevice::ShowReportRate(int index) {
    if (index < 0 || index >= kReportRateOptions) index = 0;
    for (int i = 0; i < kReportRateOptions; ++i) {
        if (COptionUI* option = Option(Indexed("polling_rate_option_", i))) option->Selected(i == index, false);
    }
}

void CTorvanelMouseDevice::SelectSettingsTab(int index) {
    CControlUI* control = FindPageControl(kSettingsLayout);
    auto* tabs = control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
    if (tabs) {
        if (index < 0 || index >= tabs->GetCount()) index = 0;
        tabs->SelectItem(index);
    }
    CControlUI* optionLayout = FindPageControl(kOptionLayout);
    auto* options = optionLayout ? static_cast<CContainerUI*>(optionLayout->GetInterface("Container")) : nullptr;
    if (!options) return;
    const std::string chosen = Indexed(kSettingsOptionPrefix, index);
    for (int i = 0; i < options->GetCount(); ++i) {
        CControlUI* child = options->GetItemAt(i);
        if (auto* option = static_cast<COptionUI*>(child->GetInterface("Option")))
            option->Selected(option->GetName() == chosen, false);
    }
}

void CTorvanelMouseDevice::ShowSettingsTab(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kTabFunctionPages))) return;
    SelectSettingsTab(index);
    ShowFunctionPage(kTabFunctionPages[index]);
}

void CTorvanelMouseDevice::StoreStagesAndWrite() {
    profile_.SetDpiStages(dpiStages_);
    SaveProfile();
    WriteLightParams(0, 0);
}

void CTorvanelMouseDevice::OnDpiCheckChanged(int stage) {
    if (stage < 0 || stage >= kMouseDpiStages) return;
    const bool on = DpiStageChecked(stage);
    EnableDpiStage(stage, on);
    if (static_cast<size_t>(stage) >= dpiStages_.size()) dpiStages_.resize(stage + 1);
    dpiStages_[stage].StageActive = on ? 1 : 0;
    StoreStagesAndWrite();
}

void CTorvanelMouseDevice::OnDpiSliderMoving(int stage) { ShowDpiValue(stage, DpiSliderValue(stage)); }

void CTorvanelMouseDevice::OnDpiValueChosen(int stage, int steps) {
    if (stage < 0 || stage >= kMouseDpiStages) return;
    steps = std::clamp(steps, 0, 0xFFFF);
    ShowDpiValue(stage, steps);
    if (static_cast<size_t>(stage) >= dpiStages_.size()) dpiStages_.resize(stage + 1);
    dpiStages_[stage].SetDpiX(static_cast<uint16_t>(steps));
    StoreStagesAndWrite();
}

void CTorvanelMouseDevice::OnDpiEditDone(int stage) {
    const int step = DpiStep();
    // Without an information block there is no step to divide by: nothing is changed.
    if (step <= 0) return;
    OnDpiValueChosen(stage, DpiTypedValue(stage) / step);
}

void CTorvanelMouseDevice::OnReportRateSelected(int index) {
    ShowReportRate(index);
    systemStages_.ReportRate = static_cast<uint16_t>(index < 0 || index >= kReportRateOptions ? 0 : index);
    profile_.SetSystemStages(systemStages_.ToWords());
    SaveProfile();
    WriteLightParams(0, 0);
}

void CTorvanelMouseDevice::OnPointerSettingChanged(const std::string& name) {
    auto sliderValue = [this, &name] {
        CSliderUI* slider = Slider(name);
        return static_cast<uint16_t>(slider ? std::max(slider->GetValue(), 0) : 0);
    };
    auto checked = [this, &name] {
        COptionUI* check = Option(name);
        return static_cast<uint16_t>(check && check->IsSelected() ? 1 : 0);
    };
    if (name == "pointer_speed_slider") {
        systemStages_.MouseSpeed = sliderValue();
    } else if (name == "pointer_precision_check") {
        systemStages_.PointerPrecision = checked();
    } else if (name == "double_click_slider") {
        systemStages_.DoubleClickTime = sliderValue();
    } else if (name == "scrolls_page_check") {
        systemStages_.ScorllPage = checked();
    } else if (name == "scroll_speed_slider") {
        systemStages_.WheelScorlllinse = sliderValue();
        systemStages_.ScorllPage = 0;
        if (COptionUI* page = Option("scrolls_page_check")) page->Selected(false, false);
    } else {
        return;
    }
    profile_.SetSystemStages(systemStages_.ToWords());
    SaveProfile();
}
