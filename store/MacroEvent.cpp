#include "store/MacroEvent.h"

#include <algorithm>

#include "store/JsonAccess.h"

MacroEvent MacroEvent::FromJson(const Json::Value& event) {
    MacroEvent e;
    e.Action = ToText(MemberOf(event, "Action"));
    e.Type = ToInt32(MemberOf(event, "Type"));
    e.Button = ToInt32(MemberOf(event, "Button"));
    e.Delay = std::to_string(MacroDelayMs(MemberOf(event, "Delay")));
    return e;
}

Json::Value MacroEvent::ToJson() const {
    Json::Value event(Json::objectValue);
    event["Action"] = Action;
    event["Button"] = Button;
    event["Delay"] = Delay;
    event["Type"] = Type;
    return event;
}

int MacroDelayMs(const Json::Value& delay) {
    // A device delay is 16 bits: longer waits stay at the longest, not at their low bits.
    return std::clamp(NumberOrDecimalText(delay), 0, kMaxMacroDelayMs);
}

MacroEventRecord EventToRecord(const Json::Value& event) {
    int delay = MacroDelayMs(MemberOf(event, "Delay"));
    bool down = ToText(MemberOf(event, "Action")) == "down";
    MacroEventRecord r;
    r.bytes[0] = static_cast<uint8_t>(delay & 0xFF);
    r.bytes[1] = static_cast<uint8_t>(delay >> 8);
    r.bytes[2] = static_cast<uint8_t>((ToInt32(MemberOf(event, "Type")) & 0x7F) | (down ? 0x80 : 0));
    r.bytes[3] = static_cast<uint8_t>(ToInt32(MemberOf(event, "Button")) & 0xFF);
    return r;
}

MacroEventRecord EventToRecord(const MacroEvent& event) { return EventToRecord(event.ToJson()); }
