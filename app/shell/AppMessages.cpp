#include "app/shell/AppMessages.h"

#include "toolkit/WindowMessages.h"
#include "platform/bus/KnownMessages.h"

DuiLib::UINT UWM_APP_INSTANCE = 0;
DuiLib::UINT UWM_UPDATE_STATUS = 0;
DuiLib::UINT UWM_LIGHT_CONTROL_NOTIFY = 0;
DuiLib::UINT UWM_LIGHT_CONTROL_REQUEST = 0;
DuiLib::UINT UWM_DEVICE_LIST_REQUEST = 0;
DuiLib::UINT UWM_AUDIO_RECORD_CONTROL = 0;

namespace {
DuiLib::UINT RegisterByCodeName(std::string_view codeName) {
    const KnownMessage* known = FindKnownMessageByCodeName(codeName);
    return known ? DuiLib::RegisterWindowMessage(std::string(known->name)) : 0;
}
}  // namespace

std::string RegisteredName(std::string_view codeName) {
    const KnownMessage* known = FindKnownMessageByCodeName(codeName);
    return known ? std::string(known->name) : std::string();
}

void RegisterAppInstanceMessage() { UWM_APP_INSTANCE = DuiLib::RegisterWindowMessage(kAppInstanceName); }

void RegisterApplicationMessages() {
    UWM_UPDATE_STATUS = RegisterByCodeName("UWM_UPDATE_STATUS");
    UWM_LIGHT_CONTROL_NOTIFY = RegisterByCodeName("UWM_LIGHT_CONTROL_NOTIFY");
    UWM_LIGHT_CONTROL_REQUEST = RegisterByCodeName("UWM_LIGHT_CONTROL_REQUEST");
    UWM_DEVICE_LIST_REQUEST = RegisterByCodeName("UWM_DEVICE_LIST_REQUEST");
    UWM_AUDIO_RECORD_CONTROL = RegisterByCodeName("UWM_AUDIO_RECORD_CONTROL");
}

bool IsGameMessage(DuiLib::UINT msg) {
    if (msg == 0) return false;
    for (std::string_view name : kGameMessageNames)
        if (DuiLib::RegisterWindowMessage(std::string(name)) == msg) return true;
    return false;
}
