#include "app/devicelist/MpDevicePower.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/Label.h"
#include "toolkit/PaintManager.h"
#include "device/registry/DeviceKinds.h"

using namespace DuiLib;

namespace {

constexpr const char* kValueName = "device_power_value";
constexpr const char* kWirelessLogoName = "device_wuxian_logo";
constexpr const char* kProgressName = "device_Power_progress";
constexpr const char* kStatusName = "device_power_status";
constexpr const char* kPhoneName = "device_phone_type";

struct ChargingLook {
    uint8_t state;
    bool wireless;  // only consulted for state 1
    bool progressShown;
    const char* image;
};
constexpr ChargingLook kChargingLooks[] = {
    {0, false, true, "file='power/powered.png'"},
    {1, true, false, "file='power/wuxian_powering.png'"},
    {1, false, true, "file='power/powering.png'"},
    {2, false, true, "file='power/power.png'"},
};

struct PhoneLook {
    uint8_t type;
    const char* tooltip;
    const char* image;
};
constexpr PhoneLook kPhoneLooks[] = {
    {1, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {2, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {3, "Phone_type_other", "file='power/Phone_type_other.png'"},
};
constexpr PhoneLook kNoPhone = {0, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"};

}  // namespace

std::string CMpDevicePowerUI::GetClass() const { return kClassName; }

void* CMpDevicePowerUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

bool CMpDevicePowerUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
    return true;
}

void CMpDevicePowerUI::UpdatePowerStatus(const uint8_t* status, size_t length) {
    std::array<uint8_t, 4> bytes{};
    if (status) std::copy_n(status, std::min({length, kPowerStatusMaxBytes, bytes.size()}), bytes.begin());
    // A device that reports more than full still shows a sane ring.
    const int percent = std::min<int>(bytes[0], 100);
    const bool wireless = bytes[3] != 0;

    if (CControlUI* control = Part(kProgressName))
        if (auto* progress = static_cast<CProgressUI*>(control->GetInterface("Progress"))) progress->SetValue(100 - percent);
    if (CControlUI* value = Part(kValueName)) {
        char text[16];
        std::snprintf(text, sizeof text, "%d%s", static_cast<int>(bytes[0]), "%");
        value->SetResourceText(false);
        value->SetText(text);
    }
    if (deviceKind_ == kKindMouse)
        if (CControlUI* logo = Part(kWirelessLogoName)) logo->SetVisible(wireless);
    ShowCharging(bytes[1], wireless);
    if (deviceKind_ == kKindMousePad) ShowPhone(bytes[2]);
}

void CMpDevicePowerUI::ShowCharging(uint8_t state, bool wireless) {
    for (const ChargingLook& look : kChargingLooks) {
        if (look.state != state || (state == 1 && look.wireless != wireless)) continue;
        if (CControlUI* progress = Part(kProgressName)) progress->SetVisible(look.progressShown);
        if (CControlUI* image = Part(kStatusName)) image->SetBkImage(look.image);
        return;
    }
}

void CMpDevicePowerUI::ShowPhone(uint8_t phoneType) {
    const PhoneLook* look = &kNoPhone;
    for (const PhoneLook& candidate : kPhoneLooks)
        if (candidate.type == phoneType) look = &candidate;
    if (CControlUI* phone = Part(kPhoneName)) {
        phone->SetToolTip(look->tooltip);
        phone->SetBkImage(look->image);
    }
}
