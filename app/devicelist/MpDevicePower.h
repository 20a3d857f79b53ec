#pragma once
// The power area of one device page: battery percentage and ring, charging state image, the
// wireless mark and, for mouse pads, the phone on the charging pad.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/Container.h"
#include "engines/device/DeviceLinks.h"

inline constexpr const char kPowerLayoutFile[] = "XML\\CustomControlXML\\MpDevicePower.xml";
// Status reports longer than this are cut.
inline constexpr size_t kPowerStatusMaxBytes = 64;

class CMpDevicePowerUI : public DuiLib::CHorizontalLayoutUI, public IPowerStatusView {
public:
    static constexpr const char* kClassName = "MpDevicePower";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    bool Activate() override;

    void SetDeviceKind(int kind) { deviceKind_ = kind; }
    int DeviceKind() const { return deviceKind_; }
    void SetInterfaceRole(int role) { interfaceRole_ = role; }
    int InterfaceRole() const { return interfaceRole_; }

    // Byte 0 battery percent, 1 charging state, 2 phone type, 3 wireless flag; at most 64 bytes
    // are looked at, and missing bytes count as 0.
    void UpdatePowerStatus(const uint8_t* status, size_t length);
    void ShowPowerStatus(const std::array<uint8_t, 6>& status) override {
        UpdatePowerStatus(status.data(), status.size());
    }

private:
    DuiLib::CControlUI* Part(const char* name) { return FindSubControl(name); }
    void ShowCharging(uint8_t state, bool wireless);
    void ShowPhone(uint8_t phoneType);

    int deviceKind_ = 0;
    int interfaceRole_ = 0;
};
