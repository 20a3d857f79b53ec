#pragma once
// The macro event shared by macro files, recoil files, recording and the editor, and the 4-byte
// form in which the engines upload it.
#include <json/json.h>

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kMaxMacroDelayMs = 65535;

// Event kinds (Type).
inline constexpr int kMacroTypeMouseButton = 1;
inline constexpr int kMacroTypeMouseMoveX = 4;  // "down" left, "up" right
inline constexpr int kMacroTypeMouseMoveY = 5;  // "down" up, "up" down
inline constexpr int kMacroTypeModifier = 9;
inline constexpr int kMacroTypeKey = 10;

struct MacroEvent {
    std::string Action = "down";  // "down" or "up"
    int Type = 0;
    int Button = 0;
    std::string Delay = "0";  // decimal text; files may hold an integer instead

    static MacroEvent FromJson(const Json::Value& event);
    // Delay is written as text, the form of macro files.
    Json::Value ToJson() const;
    bool operator==(const MacroEvent&) const = default;
};

// Bytes: delay low, delay high, Type (low 7 bits) | 0x80 for "down", Button (low 8 bits).
struct MacroEventRecord {
    std::array<uint8_t, 4> bytes{};
    bool operator==(const MacroEventRecord&) const = default;
};

// The delay of an event in milliseconds from text or a number, kept within 0..65535.
int MacroDelayMs(const Json::Value& delay);
MacroEventRecord EventToRecord(const Json::Value& event);
MacroEventRecord EventToRecord(const MacroEvent& event);
