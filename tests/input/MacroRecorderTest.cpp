// The recording rules on a plain list of event rows: delays per delay mode, repeat and duplicate
// suppression, the stop button, the 4000-event limit and the four placements.
#include <gtest/gtest.h>

#include <vector>

#include "input/MacroRecorder.h"

namespace {

constexpr uint32_t kScanA = 0x1E;
constexpr uint32_t kScanB = 0x30;
constexpr uint32_t kScanLShift = 0x2A;

class FakeRows : public IMacroEventRows {
public:
    std::vector<Json::Value> rows;
    int selected = -1;
    int scrolls = 0;
    DuiLib::RECT stop{100, 100, 180, 132};

    int RowCount() const override { return static_cast<int>(rows.size()); }
    int SelectedRow() const override { return selected; }
    void InsertEventRow(int index, const Json::Value& event) override { rows.insert(rows.begin() + index, event); }
    Json::Value RowEvent(int index) const override { return rows.at(index); }
    void SetRowEvent(int index, const Json::Value& event) override { rows.at(index) = event; }
    void SelectRow(int index) override { selected = index; }
    void ScrollToSelectionSoon() override { ++scrolls; }
    DuiLib::RECT StopButtonRect() const override { return stop; }

    // "down A 120" style summary of a row.
    std::string Row(int i) const {
        const Json::Value& e = rows.at(i);
        return e["Action"].asString() + " " + std::to_string(e["Type"].asInt()) + ":" + std::to_string(e["Button"].asInt()) +
               " " + (e["Delay"].isString() ? e["Delay"].asString() : "#" + std::to_string(e["Delay"].asInt()));
    }
};

KeyboardHookRecord Key(uint32_t scan, bool extended = false) {
    KeyboardHookRecord record;
    record.scanCode = scan;
    record.flags = extended ? kKeyFlagExtended : 0;
    return record;
}

MouseHookRecord At(int x, int y, uint32_t xButton = 0) {
    MouseHookRecord record;
    record.pt = {x, y};
    record.mouseData = xButton << 16;
    return record;
}

class MacroRecorderTest : public ::testing::Test {
protected:
    void Press(uint32_t scan, uint32_t now, RecordPlacement where = RecordPlacement::Append) {
        recorder_.OnKeyboard(where, kMsgKeyDown, Key(scan), now, rows_);
    }
    void Release(uint32_t scan, uint32_t now, RecordPlacement where = RecordPlacement::Append) {
        recorder_.OnKeyboard(where, kMsgKeyUp, Key(scan), now, rows_);
    }
    void Fill(int count) {
        for (int i = 0; i < count; ++i) rows_.rows.push_back(Json::Value(Json::objectValue));
    }
    CMacroRecorder recorder_;
    FakeRows rows_;
};

TEST_F(MacroRecorderTest, DelayModesGiveThePredecessorItsDelay) {
    struct Case {
        const char* name;
        int mode;
        int fixed;
        std::vector<std::string> afterPress;
        std::vector<std::string> afterRelease;
    };
    const Case cases[] = {
        {"measured", kDelayMeasured, 0, {"down 10:4 #0"}, {"down 10:4 120", "up 10:4 0"}},
        {"fixed 80", kDelayFixed, 80, {"down 10:4 #0"}, {"down 10:4 80", "up 10:4 80"}},
        {"none", kDelayNone, 80, {"down 10:4 #0"}, {"down 10:4 0", "up 10:4 0"}},
    };
    for (const Case& c : cases) {
        CMacroRecorder recorder;
        FakeRows rows;
        recorder.Begin(c.mode, c.fixed, 1000);
        EXPECT_FALSE(recorder.HasPreviousEvent());
        recorder.OnKeyboard(RecordPlacement::Append, kMsgKeyDown, Key(kScanA), 1000, rows);
        EXPECT_TRUE(recorder.HasPreviousEvent());
        std::vector<std::string> got;
        for (int i = 0; i < rows.RowCount(); ++i) got.push_back(rows.Row(i));
        EXPECT_EQ(got, c.afterPress) << c.name;
        recorder.OnKeyboard(RecordPlacement::Append, kMsgKeyUp, Key(kScanA), 1120, rows);
        got.clear();
        for (int i = 0; i < rows.RowCount(); ++i) got.push_back(rows.Row(i));
        EXPECT_EQ(got, c.afterRelease) << c.name;
        EXPECT_EQ(rows.selected, 1) << c.name;
        EXPECT_EQ(rows.scrolls, 2) << c.name;
    }
}

TEST_F(MacroRecorderTest, HoldingAKeyRecordsOnePressAndOneRelease) {
    recorder_.Begin(kDelayMeasured, 0, 0);
    Press(kScanA, 0);
    for (uint32_t t = 500; t < 1000; t += 33) Press(kScanA, t);  // auto-repeat
    Release(kScanA, 1000);
    ASSERT_EQ(rows_.RowCount(), 2);
    EXPECT_EQ(rows_.Row(0), "down 10:4 1000");
    EXPECT_EQ(rows_.Row(1), "up 10:4 0");
    Press(kScanA, 1100);  // a new press after the release counts again
    EXPECT_EQ(rows_.RowCount(), 3);
}

TEST_F(MacroRecorderTest, ModifiersAndUnknownKeys) {
    recorder_.Begin(kDelayNone, 0, 0);
    Press(kScanLShift, 0);
    Press(0x76, 0);  // a key outside the table
    Release(kScanLShift, 0);
    ASSERT_EQ(rows_.RowCount(), 2);
    EXPECT_EQ(rows_.Row(0), "down 9:2 0");
    EXPECT_EQ(rows_.Row(1), "up 9:2 0");
}

TEST_F(MacroRecorderTest, LongPausesAreCappedAtTheLongestDelay) {
    recorder_.Begin(kDelayMeasured, 0, 0);
    Press(kScanA, 0);
    Release(kScanA, 70000);
    EXPECT_EQ(rows_.Row(0), "down 10:4 65535");
}

TEST_F(MacroRecorderTest, AFullMacroTakesNoMoreEvents) {
    Fill(4000);
    recorder_.Begin(kDelayMeasured, 0, 0);
    Press(kScanA, 10);
    EXPECT_EQ(rows_.RowCount(), 4000);
    rows_.rows.pop_back();
    Press(kScanB, 20);
    EXPECT_EQ(rows_.RowCount(), 4000);
}

TEST_F(MacroRecorderTest, PlacementsAroundTheSelectedRow) {
    struct Case {
        const char* name;
        RecordPlacement where;
        int selected;
        std::vector<int> buttonsAfter;  // Button of each row; the filled rows carry 100 + index
        int selectedAfter;
    };
    const Case cases[] = {
        // Two events recorded before row 3 land at 3 and 4 in order; the old row 3 is at 5, selected.
        {"before", RecordPlacement::Before, 3, {100, 101, 102, 4, 5, 103, 104}, 5},
        {"before the first row", RecordPlacement::Before, 0, {4, 5, 100, 101, 102, 103, 104}, 2},
        {"after", RecordPlacement::After, 1, {100, 101, 4, 5, 102, 103, 104}, 3},
        {"append ignores the selection", RecordPlacement::Append, 1, {100, 101, 102, 103, 104, 4, 5}, 6},
        {"replace", RecordPlacement::Replace, 2, {100, 101, 5, 103, 104}, 2},
        {"before without a selection", RecordPlacement::Before, -1, {100, 101, 102, 103, 104}, -1},
        {"replace without a selection", RecordPlacement::Replace, -1, {100, 101, 102, 103, 104}, -1},
    };
    for (const Case& c : cases) {
        CMacroRecorder recorder;
        FakeRows rows;
        for (int i = 0; i < 5; ++i) {
            Json::Value event(Json::objectValue);
            event["Action"] = "down";
            event["Type"] = 10;
            event["Button"] = 100 + i;
            event["Delay"] = "7";
            rows.rows.push_back(event);
        }
        rows.selected = c.selected;
        recorder.Begin(kDelayFixed, 30, 0);
        recorder.OnKeyboard(c.where, kMsgKeyDown, Key(kScanA), 0, rows);  // usage 4
        recorder.OnKeyboard(c.where, kMsgKeyDown, Key(kScanB), 0, rows);  // usage 5
        std::vector<int> buttons;
        for (const Json::Value& e : rows.rows) buttons.push_back(e["Button"].asInt());
        EXPECT_EQ(buttons, c.buttonsAfter) << c.name;
        EXPECT_EQ(rows.selected, c.selectedAfter) << c.name;
    }
}

TEST_F(MacroRecorderTest, ReplaceKeepsActionAndDelay) {
    Json::Value event(Json::objectValue);
    event["Action"] = "up";
    event["Type"] = 1;
    event["Button"] = 2;
    event["Delay"] = "250";
    rows_.rows.push_back(event);
    rows_.selected = 0;
    recorder_.Begin(kDelayNone, 0, 0);
    Press(kScanLShift, 5, RecordPlacement::Replace);
    EXPECT_EQ(rows_.Row(0), "up 9:2 250");
}

TEST_F(MacroRecorderTest, MouseButtonsStopButtonAndDuplicates) {
    recorder_.Begin(kDelayNone, 0, 0);
    auto click = [&](unsigned message, MouseHookRecord record) {
        return recorder_.OnMouse(RecordPlacement::Append, message, record, 0, rows_);
    };
    EXPECT_FALSE(click(kMsgLButtonDown, At(120, 110)));  // left press on the stop button
    EXPECT_FALSE(click(kMsgLButtonUp, At(120, 110)));
    EXPECT_TRUE(click(kMsgRButtonDown, At(120, 110)));   // a right click there is recorded
    EXPECT_FALSE(click(kMsgRButtonDown, At(10, 10)));    // the same message again: a duplicate
    EXPECT_TRUE(click(kMsgRButtonUp, At(10, 10)));
    EXPECT_TRUE(click(kMsgXButtonDown, At(10, 10, kXButtonForward)));
    EXPECT_TRUE(click(kMsgXButtonDown, At(10, 10, kXButtonBack)));  // same message, other button
    EXPECT_FALSE(click(kMsgXButtonUp, At(10, 10, 3)));               // no such X button
    EXPECT_TRUE(click(kMsgMButtonDown, At(10, 10)));
    EXPECT_FALSE(click(0x0200, At(10, 10)));  // moves are not recorded
    std::vector<std::string> got;
    for (int i = 0; i < rows_.RowCount(); ++i) got.push_back(rows_.Row(i));
    const std::vector<std::string> expected{"down 1:2 0", "up 1:2 0", "down 1:16 0", "down 1:8 0", "down 1:4 0"};
    EXPECT_EQ(got, expected);
}

}  // namespace
