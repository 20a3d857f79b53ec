#pragma once
// Turns captured keys and buttons into macro events in an editor's event rows: decoding, repeat
// and duplicate suppression, the click on the stop button, delays by delay mode, and the four
// placements (append, before, after, replace).
#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>

#include "input/HookMessages.h"
#include "store/MacroEvent.h"

inline constexpr int kDelayMeasured = 1;
inline constexpr int kDelayFixed = 2;
inline constexpr int kDelayNone = 3;
inline constexpr int kDefaultFixedDelayMs = 50;

enum class RecordPlacement { Append, Before, After, Replace };

// The event rows of a macro editor as the recorder sees them.
class IMacroEventRows {
public:
    virtual ~IMacroEventRows() = default;
    virtual int RowCount() const = 0;
    virtual int SelectedRow() const = 0;  // -1 without a selection
    // A new row at the index showing the event object ({Action, Button, Type, Delay}).
    virtual void InsertEventRow(int index, const Json::Value& event) = 0;
    virtual Json::Value RowEvent(int index) const = 0;
    // Replaces the row's event object and what the row shows of it.
    virtual void SetRowEvent(int index, const Json::Value& event) = 0;
    virtual void SelectRow(int index) = 0;
    // Scrolls to the selected row a little later (after the list laid the new row out).
    virtual void ScrollToSelectionSoon() = 0;
    // The stop button in screen coordinates.
    virtual DuiLib::RECT StopButtonRect() const = 0;
};

// A decoded key: its keyboard table row and the event kind and button.
struct DecodedKeyEvent {
    size_t row = 0;
    int type = 0;
    int button = 0;
    bool down = false;
};

// The key of a keyboard hook record (scan code and extended flag); nullopt for a key that is not
// in the table. Does not suppress repeats.
std::optional<DecodedKeyEvent> DecodeKeyRecord(DuiLib::UINT keyMessage, const KeyboardHookRecord& record);

class CMacroRecorder {
public:
    // Algorithms 1.1: the delay mode and fixed delay of the new recording, and its start time.
    void Begin(int delayMode, int fixedDelayMs, uint32_t nowMs);
    int DelayMode() const { return delayMode_; }
    int FixedDelay() const { return fixedDelay_; }
    void SetFixedDelay(int ms) { fixedDelay_ = ms; }
    // Set once the recording placed its first event.
    bool HasPreviousEvent() const { return hasPrevious_; }

    // One keyboard or mouse hook message; true when a row was added or changed.
    bool OnKeyboard(RecordPlacement placement, DuiLib::UINT keyMessage, const KeyboardHookRecord& record,
                    uint32_t nowMs, IMacroEventRows& rows);
    bool OnMouse(RecordPlacement placement, DuiLib::UINT mouseMessage, const MouseHookRecord& record, uint32_t nowMs,
                 IMacroEventRows& rows);

private:
    struct KeyMemory {
        bool held = false;
        uint32_t scanCode = 0;
        bool extended = false;
    };

    bool Place(RecordPlacement placement, int type, int button, bool down, uint32_t nowMs, IMacroEventRows& rows);
    int NextDelay(uint32_t nowMs);

    int delayMode_ = kDelayMeasured;
    int fixedDelay_ = kDefaultFixedDelayMs;
    uint32_t lastEventMs_ = 0;
    bool hasPrevious_ = false;
    // One memory per handler, as each handler keeps its own.
    std::array<KeyMemory, 4> keyMemory_{};
    std::array<DuiLib::UINT, 4> lastMouseMessage_{};
    std::array<uint32_t, 4> lastMouseData_{};
};
