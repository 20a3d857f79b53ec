#include "input/MacroRecorder.h"

#include "engines/keyboard/KeyCodeTables.h"
#include "input/KeyCaptureTable.h"
#include "store/MacroLibrary.h"

namespace {

constexpr uint32_t kMeasuredDelayCap = 65534;

struct MouseRow {
    DuiLib::UINT down;
    DuiLib::UINT up;
    uint32_t xButton;  // 0 for the plain buttons
    int mask;
};
constexpr MouseRow kMouseRows[] = {
    {kMsgLButtonDown, kMsgLButtonUp, 0, 0x01},
    {kMsgRButtonDown, kMsgRButtonUp, 0, 0x02},
    {kMsgMButtonDown, kMsgMButtonUp, 0, 0x04},
    {kMsgXButtonDown, kMsgXButtonUp, kXButtonForward, 0x10},
    {kMsgXButtonDown, kMsgXButtonUp, kXButtonBack, 0x08},
};

size_t HandlerIndex(RecordPlacement placement) { return static_cast<size_t>(placement); }

Json::Value EventObject(bool down, int type, int button, const Json::Value& delay) {
    Json::Value event(Json::objectValue);
    event["Action"] = down ? "down" : "up";
    event["Button"] = button;
    event["Type"] = type;
    event["Delay"] = delay;
    return event;
}

}  // namespace

std::optional<DecodedKeyEvent> DecodeKeyRecord(DuiLib::UINT keyMessage, const KeyboardHookRecord& record) {
    const std::optional<size_t> row =
        FindCaptureRow(static_cast<uint8_t>(record.scanCode), (record.flags & kKeyFlagExtended) != 0);
    if (!row || record.scanCode > 0xFF) return std::nullopt;
    const KeyAssignment& code = kKeyboardCodeTable[*row].code;
    DecodedKeyEvent decoded;
    decoded.row = *row;
    decoded.down = keyMessage == kMsgKeyDown || keyMessage == kMsgSysKeyDown;
    if (code[2] != 0) {
        decoded.type = kMacroTypeKey;
        decoded.button = code[2];
    } else if (code[1] != 0) {
        decoded.type = kMacroTypeModifier;
        decoded.button = code[1];
    } else {
        return std::nullopt;
    }
    return decoded;
}

void CMacroRecorder::Begin(int delayMode, int fixedDelayMs, uint32_t nowMs) {
    delayMode_ = delayMode;
    if (delayMode == kDelayFixed) fixedDelay_ = fixedDelayMs;
    lastEventMs_ = nowMs;
    hasPrevious_ = false;
}

bool CMacroRecorder::OnKeyboard(RecordPlacement placement, DuiLib::UINT keyMessage, const KeyboardHookRecord& record,
                                uint32_t nowMs, IMacroEventRows& rows) {
    KeyMemory& memory = keyMemory_[HandlerIndex(placement)];
    const bool down = keyMessage == kMsgKeyDown || keyMessage == kMsgSysKeyDown;
    const bool extended = (record.flags & kKeyFlagExtended) != 0;
    const bool remembered = memory.held && memory.scanCode == record.scanCode && memory.extended == extended;
    if (down) {
        if (remembered) return false;  // auto-repeat
        memory = {true, record.scanCode, extended};
    } else if (remembered) {
        memory = {};
    }
    const std::optional<DecodedKeyEvent> key = DecodeKeyRecord(keyMessage, record);
    if (!key) return false;
    return Place(placement, key->type, key->button, key->down, nowMs, rows);
}

bool CMacroRecorder::OnMouse(RecordPlacement placement, DuiLib::UINT mouseMessage, const MouseHookRecord& record,
                             uint32_t nowMs, IMacroEventRows& rows) {
    const uint32_t xButton = record.mouseData >> 16;
    const MouseRow* found = nullptr;
    for (const MouseRow& row : kMouseRows) {
        if (mouseMessage != row.down && mouseMessage != row.up) continue;
        if (row.xButton != 0 && row.xButton != xButton) continue;
        found = &row;
        break;
    }
    if (!found) return false;
    const size_t handler = HandlerIndex(placement);
    // The X buttons share their messages; the button tells them apart.
    const uint32_t data = found->xButton != 0 ? xButton : 0;
    if (lastMouseMessage_[handler] == mouseMessage && lastMouseData_[handler] == data) return false;
    lastMouseMessage_[handler] = mouseMessage;
    lastMouseData_[handler] = data;
    if (found->mask == 0x01 && rows.StopButtonRect().Contains(record.pt)) return false;
    return Place(placement, kMacroTypeMouseButton, found->mask, mouseMessage == found->down, nowMs, rows);
}

int CMacroRecorder::NextDelay(uint32_t nowMs) {
    switch (delayMode_) {
    case kDelayFixed: return fixedDelay_;
    case kDelayNone: return 0;
    default: {
        const uint32_t elapsed = nowMs - lastEventMs_;
        lastEventMs_ = nowMs;
        return elapsed > kMeasuredDelayCap ? kMaxMacroDelayMs : static_cast<int>(elapsed);
    }
    }
}

bool CMacroRecorder::Place(RecordPlacement placement, int type, int button, bool down, uint32_t nowMs,
                           IMacroEventRows& rows) {
    const int selected = rows.SelectedRow();
    if (placement == RecordPlacement::Replace) {
        if (selected < 0) return false;
        Json::Value event = rows.RowEvent(selected);
        event["Type"] = type;
        event["Button"] = button;
        rows.SetRowEvent(selected, event);
        return true;
    }
    if (rows.RowCount() >= kMaxMacroEvents) return false;
    if (placement != RecordPlacement::Append && selected < 0) return false;
    const int delay = NextDelay(nowMs);
    int at = rows.RowCount();
    if (placement == RecordPlacement::Before) at = selected;
    else if (placement == RecordPlacement::After) at = selected + 1;
    const int predecessor = at - 1;
    const bool first = predecessor < 0;
    const Json::Value ownDelay =
        first ? Json::Value(0) : Json::Value(delayMode_ == kDelayFixed ? std::to_string(fixedDelay_) : "0");
    rows.InsertEventRow(at, EventObject(down, type, button, ownDelay));
    if (!first) {
        Json::Value previous = rows.RowEvent(predecessor);
        previous["Delay"] = std::to_string(delay);
        rows.SetRowEvent(predecessor, previous);
    }
    // Before: the formerly selected row (now one further down) stays selected, so that further
    // events go before it in their order.
    rows.SelectRow(placement == RecordPlacement::Before ? at + 1 : at);
    hasPrevious_ = true;
    rows.ScrollToSelectionSoon();
    return true;
}
