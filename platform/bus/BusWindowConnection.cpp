#include "platform/bus/BusWindowConnection.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/bus/BusAdmission.h"
#include "platform/bus/BusCore.h"
#include "platform/bus/BusNames.h"

namespace {
constexpr const char* kMessageSignature = "stx";
constexpr const char* kCopyDataSignature = "ttay";

struct WindowMethod {
    const char* member;
    const char* signature;
};
constexpr WindowMethod kWindowMethods[] = {
    {"Message", kMessageSignature},
    {"Send", kMessageSignature},
    {"CopyData", kCopyDataSignature},
};

const WindowMethod* FindWindowMethod(const char* member) {
    if (!member) return nullptr;
    for (const auto& method : kWindowMethods)
        if (std::strcmp(method.member, member) == 0) return &method;
    return nullptr;
}

std::string SenderOf(sd_bus_message* m) {
    const char* sender = sd_bus_message_get_sender(m);
    return sender ? sender : "?";
}
}  // namespace

const sd_bus_vtable BusWindowConnection::kVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Title", "s", BusWindowConnection::GetTitle, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ClassName", "s", BusWindowConnection::GetClassName, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Handle", "t", BusWindowConnection::GetHandle, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Message", kMessageSignature, "", BusWindowConnection::OnMessage, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Send", kMessageSignature, "x", BusWindowConnection::OnSend, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("CopyData", kCopyDataSignature, "x", BusWindowConnection::OnCopyData, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

BusWindowConnection::BusWindowConnection(BusCore& core, uint64_t handle, std::string title, std::string className,
                                         IBusWindow* sink)
    : core_(core),
      handle_(handle),
      title_(std::move(title)),
      className_(std::move(className)),
      sink_(sink),
      waiting_(std::make_shared<WaitingCalls>()) {}

BusWindowConnection::~BusWindowConnection() {
    sd_bus_slot_unref(object_);
    sd_bus_slot_unref(filter_);
    if (bus_) sd_bus_flush_close_unref(bus_);
}

std::string BusWindowConnection::Describe() const { return BusTarget::ByHandle(handle_).Describe(); }

WindowRegistration BusWindowConnection::Open() {
    WindowRegistration result;
    int r = OpenSessionConnection(&bus_, "zorv-window");
    if (r < 0) {
        DebugOutput("bus: no session bus for window " + Describe() + ": " + std::strerror(-r));
        result.status = BusStatus::NoBus;
        return result;
    }
    r = sd_bus_add_filter(bus_, &filter_, OnIncoming, this);
    if (r >= 0) r = sd_bus_add_object_vtable(bus_, &object_, kWindowObjectPath, kWindowInterface, kVtable, this);
    if (r < 0) {
        DebugOutput("bus: cannot serve window " + Describe() + ": " + std::strerror(-r));
        result.status = StatusOfErrno(r);
        return result;
    }

    // Do-not-queue: a name someone else holds is reported, never waited for.
    auto claim = [this](const std::string& name) -> int {
        int claimed = sd_bus_request_name(bus_, name.c_str(), 0);
        if (claimed >= 0) ownedNames_.push_back(name);
        return claimed;
    };
    r = claim(HandleBusName(handle_));
    if (r < 0) {
        DebugOutput("bus: cannot claim the name of window " + Describe() + ": " + std::strerror(-r));
        result.status = r == -EEXIST ? BusStatus::NameTaken : StatusOfErrno(r);
        return result;
    }
    auto claimText = [&](const std::string& text, const std::string& name, const char* what) {
        if (text.empty()) return false;
        if (name.empty()) {
            DebugOutput(std::string("bus: window ") + Describe() + " " + what + " too long for a bus name");
            return false;
        }
        int claimed = claim(name);
        if (claimed < 0)
            DebugOutput(std::string("bus: window ") + Describe() + " " + what + " name " + name + " not claimed: " +
                        (claimed == -EEXIST ? "taken by another window" : std::strerror(-claimed)));
        return claimed >= 0;
    };
    result.titleOwned = claimText(title_, TitleBusName(title_), "title");
    result.classOwned = claimText(className_, ClassBusName(className_), "class");
    result.status = BusStatus::Ok;
    return result;
}

void BusWindowConnection::Retire() {
    sink_ = nullptr;
    if (broken_) return;
    for (const auto& name : ownedNames_) sd_bus_release_name(bus_, name.c_str());
    ownedNames_.clear();
}

int BusWindowConnection::OnIncoming(sd_bus_message* m, void* userdata, sd_bus_error*) {
    // Only logs; sd-bus itself answers a call it cannot dispatch with an error.
    auto* self = static_cast<BusWindowConnection*>(userdata);
    if (!sd_bus_message_is_method_call(m, nullptr, nullptr)) return 0;
    const char* path = sd_bus_message_get_path(m);
    if (!path || std::strcmp(path, kWindowObjectPath) != 0) return 0;
    const char* interface = sd_bus_message_get_interface(m);
    bool ours = interface && std::strcmp(interface, kWindowInterface) == 0;
    if (interface && !ours) return 0;
    const char* member = sd_bus_message_get_member(m);
    const WindowMethod* method = FindWindowMethod(member);
    if (!method) {
        if (ours)
            DebugOutput(std::string("bus: dropped call ") + (member ? member : "?") + " for window " +
                        self->Describe() + " from " + SenderOf(m) + ": no such method");
        return 0;
    }
    if (sd_bus_message_has_signature(m, method->signature) <= 0) {
        const char* signature = sd_bus_message_get_signature(m, 1);
        DebugOutput(std::string("bus: dropped call ") + member + "(" + (signature ? signature : "") +
                    ") for window " + self->Describe() + " from " + SenderOf(m) + ": malformed arguments, expected (" +
                    method->signature + ")");
    }
    return 0;
}

int BusWindowConnection::Refuse(sd_bus_message* m, const char* method, const std::string& what, const char* why) {
    DebugOutput(std::string("bus: dropped ") + method + " " + what + " for window " + Describe() + " from " +
                SenderOf(m) + ": " + why);
    return sd_bus_reply_method_errorf(m, kErrorNotAdmitted, "%s %s: %s", method, what.c_str(), why);
}

bool BusWindowConnection::AdmitMessage(sd_bus_message* m, const char* method, const BusMessage& message) {
    if (!sink_) {
        sd_bus_reply_method_errorf(m, kErrorWindowClosed, "window %s is closed", Describe().c_str());
        return false;
    }
    return Admit(m, method, "\"" + message.name + "\"",
                 RefusalOfMessage(message.name, message.wParam, message.lParam), 0);
}

bool BusWindowConnection::Admit(sd_bus_message* m, const char* method, const std::string& what, const char* refusal,
                                size_t payloadBytes) {
    // The sender's share comes first, so that a flood of anything, admitted or not, costs one line.
    const BusFloodGate::Verdict verdict = gate_.Admit(SenderOf(m), BusGateNowUsec());
    if (!verdict.admitted) {
        if (verdict.firstRefusal) {
            Refuse(m, method, what, kFloodReason);
        } else {
            sd_bus_reply_method_errorf(m, kErrorNotAdmitted, "%s %s: %s", method, what.c_str(), kFloodReason);
        }
        return false;
    }
    if (verdict.refusedBefore)
        DebugOutput("bus: " + std::to_string(verdict.refusedBefore) + " calls from " + SenderOf(m) + " for window " +
                    Describe() + " were refused while it flooded");
    if (refusal) {
        Refuse(m, method, what, refusal);
        return false;
    }
    if (std::strcmp(method, "Message") != 0 &&
        (waiting_->calls.load() >= kMaxWaitingCalls || waiting_->bytes.load() + payloadBytes > kMaxWaitingBytes)) {
        Refuse(m, method, what, "the window has too many calls waiting for its answer");
        return false;
    }
    return true;
}

BusReply BusWindowConnection::MakeReply(sd_bus_message* m, size_t payloadBytes) {
    return MakeBusReply(core_.shared_from_this(), m, waiting_, payloadBytes);
}

namespace {
int ReadMessage(sd_bus_message* m, BusMessage& message) {
    const char* name = nullptr;
    int r = sd_bus_message_read(m, "stx", &name, &message.wParam, &message.lParam);
    if (r >= 0) message.name = name;
    return r;
}
}  // namespace

int BusWindowConnection::OnMessage(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<BusWindowConnection*>(userdata);
    BusMessage message;
    int r = ReadMessage(m, message);
    if (r < 0) return r;
    if (!self->AdmitMessage(m, "Message", message)) return 1;
    // Posted: the sender learns only that the window took it.
    r = sd_bus_reply_method_return(m, "");
    self->sink_->OnBusMessage(message);
    return r < 0 ? r : 1;
}

int BusWindowConnection::OnSend(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<BusWindowConnection*>(userdata);
    BusMessage message;
    int r = ReadMessage(m, message);
    if (r < 0) return r;
    if (!self->AdmitMessage(m, "Send", message)) return 1;
    self->sink_->OnBusSend(message, self->MakeReply(m));
    return 1;
}

int BusWindowConnection::OnCopyData(sd_bus_message* m, void* userdata, sd_bus_error*) {
    auto* self = static_cast<BusWindowConnection*>(userdata);
    BusCopyData data;
    int r = sd_bus_message_read(m, "tt", &data.senderHandle, &data.dataId);
    const void* bytes = nullptr;
    size_t size = 0;
    if (r >= 0) r = sd_bus_message_read_array(m, 'y', &bytes, &size);
    if (r < 0) return r;
    if (!self->sink_)
        return sd_bus_reply_method_errorf(m, kErrorWindowClosed, "window %s is closed", self->Describe().c_str());
    char what[64];
    std::snprintf(what, sizeof what, "id %llu (%zu bytes)", static_cast<unsigned long long>(data.dataId), size);
    if (!self->Admit(m, "CopyData", what, RefusalOfCopyData(data.dataId, size), size)) return 1;
    const auto* first = static_cast<const uint8_t*>(bytes);
    data.bytes.assign(first, first + size);
    self->sink_->OnBusCopyData(data, self->MakeReply(m, size));
    return 1;
}

int BusWindowConnection::GetTitle(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                                  void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", static_cast<BusWindowConnection*>(userdata)->title_.c_str());
}

int BusWindowConnection::GetClassName(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                                      void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", static_cast<BusWindowConnection*>(userdata)->className_.c_str());
}

int BusWindowConnection::GetHandle(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                                   void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "t", static_cast<BusWindowConnection*>(userdata)->handle_);
}
