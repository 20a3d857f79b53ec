#include "engines/device/TorvanelUSBDevice.h"

#include "toolkit/PaintManager.h"
#include "toolkit/WindowMessages.h"
#include "engines/device/DeviceKeyButton.h"
#include "store/DataFolders.h"
#include "store/JsonFile.h"

using namespace DuiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr const char* kSelectPanelClass = "SelectPanel";
constexpr const char* kPowerLayoutName = "device_power_Layout";

// One row of the function page table: -1 leaves the switch as it is.
struct FunctionPageRow {
    int page;
    int functionTab;
    int keyFunctionTab;
};
constexpr FunctionPageRow kFunctionPages[] = {
    {2, 0, 1}, {6, 0, 1}, {3, 1, -1}, {8, 1, -1}, {5, 2, -1}, {7, 0, 2},
};

}  // namespace

CTorvanelUSBDevice::CTorvanelUSBDevice(std::unique_ptr<CLightRenderer> renderer)
    : renderer_(renderer ? std::move(renderer) : std::make_unique<CLightRenderer>()) {}


std::string CTorvanelUSBDevice::GetClass() const { return kClassName; }

void* CTorvanelUSBDevice::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CTorvanelUSBDevice::SetKeyCount(int count) {
    if (count < 0) count = 0;
    if (static_cast<size_t>(count) == keyButtons_.size()) return;
    keyButtons_.assign(static_cast<size_t>(count), nullptr);
}

void CTorvanelUSBDevice::SetLightCount(int count) {
    if (count < 0) count = 0;
    lightButtons_.assign(static_cast<size_t>(count), nullptr);
    renderer_->SetLightCount(static_cast<size_t>(count));
}

void CTorvanelUSBDevice::SetReceiverCapable(bool capable) {
    receiverCapable_ = capable;
    if (!powerControl_) return;
    if (auto* container = static_cast<CContainerUI*>(powerControl_->GetInterface("Container"))) {
        if (CControlUI* part = container->FindSubControl(kPowerLayoutName)) part->SetVisible(capable);
    }
}

void CTorvanelUSBDevice::SetPowerControl(CControlUI* control) {
    powerControl_ = control;
    SetReceiverCapable(receiverCapable_);
}

void CTorvanelUSBDevice::SetInterfaceRow(const DeviceInterfaceEntry& row) {
    interfaceRow_ = row;
    connectionKind_ = row.deviceKind;
    interfaceRole_ = row.interfaceRole;
}

std::string CTorvanelUSBDevice::UserDataFolder() const { return ::UserDataFolder(typeFolderName_); }
std::string CTorvanelUSBDevice::DefaultDataFolder() const { return ::DefaultDataFolder(); }
std::string CTorvanelUSBDevice::DefaultProfilePath() const { return ::DefaultProfilePath(typeFolderName_); }

bool CTorvanelUSBDevice::ThroughReceiver() const {
    return connectionKind_ == kKindKeyboardViaReceiver || connectionKind_ == kKindMouseViaReceiver;
}

void CTorvanelUSBDevice::ClearButtons() {
    std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
    std::fill(lightButtons_.begin(), lightButtons_.end(), nullptr);
}

void CTorvanelUSBDevice::InitPage() {
    if (pageLayoutPath_.empty()) {
        keyButtons_.clear();
        lightButtons_.clear();
        renderer_->SetLightCount(0);
        return;
    }
    BindKeyButtons(kSelectPanelClass, false, false);
}

void CTorvanelUSBDevice::BindKeyButtons(const std::string& picture, bool byName, bool lightPrefixToo) {
    ClearButtons();
    selectPanel_ = nullptr;
    if (byName) {
        selectPanel_ = FindPageControl(picture);
    } else {
        for (int i = 0; i < GetCount(); ++i) {
            if (GetItemAt(i)->GetClass() == picture) {
                selectPanel_ = GetItemAt(i);
                break;
            }
        }
    }
    if (!selectPanel_) return;
    selectPanel_->VisitTree([&](CControlUI* control) {
        if (control == selectPanel_ || control->GetClass() != CDeviceKeyButtonUI::kClassName) return true;
        auto* button = static_cast<CDeviceKeyButtonUI*>(control);
        std::string prefix;
        int number = -1;
        if (SplitIndexedName(button->GetName(), prefix, number) && number >= 0) {
            if (prefix == "key_" && number < KeyCount()) keyButtons_[number] = button;
            if (lightPrefixToo && prefix == "light_" && number < LightCount()) {
                lightButtons_[number] = button;
                button->SetLightColor(kWhite, 255);
            }
        }
        if (SplitIndexedName(button->GetUserData(), prefix, number) && number >= 0 && prefix == "light_" &&
            number < LightCount()) {
            lightButtons_[number] = button;
            button->SetLightColor(kWhite, 255);
        }
        return true;
    });
}

CControlUI* CTorvanelUSBDevice::FindPageControl(const std::string& name) { return FindSubControl(name); }

CDeviceKeyButtonUI* CTorvanelUSBDevice::KeyButton(int index) const {
    return index >= 0 && index < KeyCount() ? keyButtons_[index] : nullptr;
}

CDeviceKeyButtonUI* CTorvanelUSBDevice::LightButton(int index) const {
    return index >= 0 && index < LightCount() ? lightButtons_[index] : nullptr;
}

void CTorvanelUSBDevice::PushFrame() {
    FramePushContext context;
    context.throughReceiver = ThroughReceiver();
    context.functionPage = functionPage_;
    context.showOnPage = pageFrameDue_;
    context.toDevice = pageFrameToDevice_;
    lastPushResult_ = renderer_->PushFrame(*this, context);
}

bool CTorvanelUSBDevice::LightButtonExists(size_t index) const {
    return index < lightButtons_.size() && lightButtons_[index];
}

bool CTorvanelUSBDevice::LightButtonVisible(size_t index) const {
    return LightButtonExists(index) && lightButtons_[index]->IsVisible();
}

void CTorvanelUSBDevice::ShowLightButton(size_t index, uint32_t colour, uint8_t brightness, bool) {
    if (LightButtonExists(index)) lightButtons_[index]->SetLightColor(colour, brightness);
}

int CTorvanelUSBDevice::StreamLightFrame(const uint8_t* bytes, size_t length) {
    return commandChannel_.StreamLightFrame(bytes, static_cast<uint32_t>(length));
}

ILightingPanel* CTorvanelUSBDevice::LightingPanel() const {
    return dynamic_cast<ILightingPanel*>(lightingPanelControl_);
}

void CTorvanelUSBDevice::SetAudioLight(const std::array<uint32_t, 3>& words) {
    audioLight_ = words;
    renderer_->SetAudioLight(words);
    if (ILightingPanel* panel = LightingPanel()) panel->SetAudioLight(words);
}

std::array<uint32_t, 3> CTorvanelUSBDevice::GetAudioLight() {
    if (ILightingPanel* panel = LightingPanel()) {
        audioLight_ = panel->GetAudioLight();
        renderer_->SetAudioLight(audioLight_);
    }
    return audioLight_;
}

void CTorvanelUSBDevice::ShowFunctionPage(int page) {
    functionPage_ = page;
    WakeFrameTimer();
    auto findTabs = [this](const char* name) {
        CControlUI* control = FindSubControl(name);
        return control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
    };
    if (!functionSwitch_) functionSwitch_ = findTabs("device_function_switch");
    if (!keyFunctionSwitch_) keyFunctionSwitch_ = findTabs("device_key_function_switch");
    if (!functionSwitch_ || !keyFunctionSwitch_) return;
    int functionTab = 0, keyFunctionTab = 0;
    if (page == 4) {
        const bool wired = connectionKind_ == kKindKeyboard || connectionKind_ == kKindMouse;
        functionTab = wired ? 3 : 0;
        keyFunctionTab = wired ? -1 : 2;
    } else {
        for (const FunctionPageRow& row : kFunctionPages) {
            if (row.page == page) {
                functionTab = row.functionTab;
                keyFunctionTab = row.keyFunctionTab;
            }
        }
    }
    functionSwitch_->SelectItem(functionTab);
    if (keyFunctionTab >= 0) keyFunctionSwitch_->SelectItem(keyFunctionTab);
}

void CTorvanelUSBDevice::SetLightControl(int on) {
    lightControl_ = on;
    if (on && connectionKind_ == kKindKeyboard) commandChannel_.AnnounceLightControl();
}

void CTorvanelUSBDevice::SendToMainWindow(unsigned msg, uintptr_t wParam, intptr_t lParam) {
    if (mainWindow_) DuiLib::SendMessage(mainWindow_, msg, wParam, lParam);
}
