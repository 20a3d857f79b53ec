#include "platform/bus/BusAdmission.h"

#include "platform/bus/KnownMessages.h"

const char* RefusalOfMessage(std::string_view name) {
    const KnownMessage* known = FindKnownMessage(name);
    if (!known) return "not a registered message";
    if (known->reach == MessageReach::InProcessOnly) return "carries an in-process record pointer";
    return nullptr;
}

const char* RefusalOfMessage(std::string_view name, uint64_t wParam, int64_t lParam) {
    if (const char* why = RefusalOfMessage(name)) return why;
    const KnownMessage* known = FindKnownMessage(name);
    if (wParam < known->wParam.min || wParam > known->wParam.max) return "wparam out of range";
    if (lParam < known->lParam.min || lParam > known->lParam.max) return "lparam out of range";
    return nullptr;
}

const char* RefusalOfCopyData(size_t size) {
    if (size > kMaxCopyDataBytes) return "payload over 1048576 bytes";
    return nullptr;
}

const char* RefusalOfCopyData(uint64_t dataId, size_t size) {
    if (!FindKnownCopyData(dataId)) return "not a documented data id";
    return RefusalOfCopyData(size);
}
