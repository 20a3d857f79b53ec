#include "platform/bus/BusAdmission.h"

#include "platform/bus/KnownMessages.h"

const char* RefusalOfMessage(std::string_view name) {
    const KnownMessage* known = FindKnownMessage(name);
    if (!known) return "not a registered message";
    if (known->reach == MessageReach::InProcessOnly) return "carries an in-process record pointer";
    return nullptr;
}

const char* RefusalOfCopyData(size_t size) {
    if (size > kMaxCopyDataBytes) return "payload over 1048576 bytes";
    return nullptr;
}
