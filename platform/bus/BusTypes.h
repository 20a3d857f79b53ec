#pragma once
// What travels between programs over the bus, and what a window hands the bus to receive it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class BusStatus {
    Ok,
    NoBus,            // no session bus, or the bus is not started
    NoSuchWindow,     // nobody owns the target's name
    NameTaken,        // the window handle's name belongs to another window
    InvalidArgument,  // target or payload cannot be sent
    Timeout,          // no answer within the time-out
    Refused,          // the window did not admit the message
    WrongThread,      // a blocking call on the bus thread (it would wait on itself)
    Failed,           // any other bus error
};
const char* BusStatusText(BusStatus status);

struct BusMessage {
    std::string name;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

struct BusCopyData {
    uint64_t senderHandle = 0;
    uint64_t dataId = 0;
    std::vector<uint8_t> bytes;
};

// The answer to one Send or CopyData call. Copies share the one answer; it may be given from any
// thread, once. When the last copy goes without an answer, the caller gets 0 (as a window that
// does not handle a message answers), so it never waits for its time-out.
class BusReply {
public:
    struct State;
    BusReply() = default;
    explicit BusReply(std::shared_ptr<State> state) : state_(std::move(state)) {}

    void Answer(int64_t result) const;
    bool Answered() const;

private:
    std::shared_ptr<State> state_;
};

// The window side of the bus. Every call comes on the bus thread while the bus is locked: the
// window layer must only copy what it needs and post it to its UI thread (answering the reply
// from there), never wait on the UI thread, and make no blocking bus call (those are refused).
class IBusWindow {
public:
    virtual ~IBusWindow() = default;
    // A posted message: the sender is already on its way.
    virtual void OnBusMessage(const BusMessage& message) = 0;
    // A sent message: the sender waits for reply.Answer.
    virtual void OnBusSend(const BusMessage& message, BusReply reply) = 0;
    virtual void OnBusCopyData(const BusCopyData& data, BusReply reply) = 0;
};

struct WindowRegistration {
    BusStatus status = BusStatus::Failed;
    // Whether the title and class names could be claimed (false as well when the text is empty).
    bool titleOwned = false;
    bool classOwned = false;
};

// Result of a call that answers with a number.
struct BusAnswer {
    BusStatus status = BusStatus::Failed;
    int64_t value = 0;
};
