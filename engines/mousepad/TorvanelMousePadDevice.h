#pragma once
// The lit mouse pad's engine and page: the accessories' lighting side with the pad's own wave,
// its frames streamed as light frames (command 0x12), and the information block read on connect.
#include <string>

#include "engines/headset/LitAccessoryDevice.h"
#include "store/BasicProfiledata.h"

class CTorvanelMousePadDevice : public CTorvanelLitAccessoryDevice {
public:
    static constexpr const char* kClassName = "TorvanelMousePadDevice";

    CTorvanelMousePadDevice();
    ~CTorvanelMousePadDevice() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void OnConnected() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void SetModelIndex(int index) override;
    void BindPage() override;

    CBasicProfiledata& Profile() { return profile_; }

protected:
    CBasicProfiledata& LightProfile() override { return profile_; }
    void OnOtherEvent(uint16_t code) override;
    int StreamCurrentFrame() override;

private:
    CBasicProfiledata profile_;
};

// Registers "TorvanelMousePadDevice" with the control factory.
void RegisterMousePadControls();
