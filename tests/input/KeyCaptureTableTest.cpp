// The capture table names keys by set-1 scan code and extended flag; every backend must reach
// each of its 113 rows from the desktop's own key numbers, and only the lock keys pass a grab.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "engines/keyboard/KeyCodeTables.h"
#include "input/KeyCaptureTable.h"
#include "input/MacroRecorder.h"

namespace {

struct KeyCase {
    uint16_t linuxKey;
    size_t row;
    const char* textKey;
};

// Modifiers on both sides, the extended editing and keypad keys, and the keys whose Linux number
// is not their scan code.
constexpr KeyCase kKeys[] = {
    {KEY_LEFTCTRL, 0, "keyboard_key_LCtrl"},      {KEY_LEFTSHIFT, 1, "keyboard_key_LShift"},
    {KEY_LEFTMETA, 3, "keyboard_key_LWin"},       {KEY_RIGHTCTRL, 4, "keyboard_key_RCtrl"},
    {KEY_RIGHTSHIFT, 5, "keyboard_key_RShift"},   {KEY_RIGHTALT, 6, "keyboard_key_RAlt"},
    {KEY_A, 8, "keyboard_key_A"},                 {KEY_Z, 33, "keyboard_key_Z"},
    {KEY_1, 34, "keyboard_key_1"},                {KEY_0, 43, "keyboard_key_0"},
    {KEY_BACKSLASH, 53, "keyboard_key_xiegang"},  {KEY_F11, 71, "keyboard_key_F11"},
    {KEY_SYSRQ, 73, "keyboard_key_Print Scr"},    {KEY_PAUSE, 75, "keyboard_key_Pause"},
    {KEY_INSERT, 76, "keyboard_key_Insert"},      {KEY_UP, 85, "keyboard_key_Up"},
    {KEY_NUMLOCK, 86, "keyboard_key_Num Lock"},   {KEY_KPSLASH, 87, "keyboard_key_Num /"},
    {KEY_KPENTER, 91, "keyboard_key_Num Enter"},  {KEY_KP1, 92, "keyboard_key_Num 1"},
    {KEY_KPDOT, 102, "keyboard_key_Decimal"},     {KEY_COMPOSE, 103, "keyboard_key_App"},
    {KEY_102ND, 104, "keyboard_key_K45"},         {KEY_RO, 105, "keyboard_key_K56"},
    {KEY_HANGEUL, 112, "keyboard_key_K151"},
};

TEST(KeyCaptureTable, DesktopKeysFindTheirRowAndName) {
    for (const KeyCase& c : kKeys) {
        const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(c.linuxKey);
        ASSERT_TRUE(scan) << c.textKey;
        const std::optional<size_t> row = FindCaptureRow(scan->code, scan->extended);
        ASSERT_TRUE(row) << c.textKey;
        EXPECT_EQ(*row, c.row) << c.textKey;
        EXPECT_STREQ(kKeyboardCodeTable[*row].textKey, c.textKey);
    }
}

TEST(KeyCaptureTable, EveryRowIsReachableFromExactlyOneDesktopKey) {
    std::set<size_t> reached;
    for (uint16_t key = 1; key < KEY_MAX; ++key) {
        const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(key);
        if (!scan) continue;
        if (const std::optional<size_t> row = FindCaptureRow(scan->code, scan->extended)) {
            EXPECT_TRUE(reached.insert(*row).second) << "row " << *row << " reached twice, again by key " << key;
        }
    }
    EXPECT_EQ(reached.size(), kCaptureTableRows);
}

TEST(KeyCaptureTable, ExtendedFlagsAreExactlyTheTwentyListedKeys) {
    std::set<size_t> extended;
    for (size_t row = 0; row < kCaptureTable.size(); ++row)
        if (kCaptureTable[row].extended) extended.insert(row);
    const std::set<size_t> expected{3, 4, 5, 6, 7, 73, 76, 77, 78, 79, 80, 81, 82, 83, 84, 85, 86, 87, 91, 103};
    EXPECT_EQ(extended, expected);
}

TEST(KeyCaptureTable, OnlyTheThreeLockKeysPassAGrab) {
    int locks = 0;
    for (uint16_t key = 1; key < KEY_MAX; ++key) locks += IsLockKey(key) ? 1 : 0;
    EXPECT_EQ(locks, 3);
    EXPECT_TRUE(IsLockKey(KEY_CAPSLOCK) && IsLockKey(KEY_NUMLOCK) && IsLockKey(KEY_SCROLLLOCK));
}

TEST(KeyCaptureTable, DecodedKeysCarryTheirUsageOrModifierBit) {
    struct Decode {
        uint32_t scan;
        uint32_t flags;
        int type;
        int button;
    };
    const Decode cases[] = {
        {0x1E, 0, kMacroTypeKey, 0x04},             // A
        {0x2A, 0, kMacroTypeModifier, 0x02},        // left Shift
        {0x36, kKeyFlagExtended, kMacroTypeModifier, 0x20},  // right Shift
        {0x1C, kKeyFlagExtended, kMacroTypeKey, 0x58},       // keypad Enter
        {0x1C, 0, kMacroTypeKey, 0x28},                      // Enter
    };
    for (const Decode& c : cases) {
        KeyboardHookRecord record;
        record.scanCode = c.scan;
        record.flags = c.flags;
        const std::optional<DecodedKeyEvent> key = DecodeKeyRecord(kMsgKeyDown, record);
        ASSERT_TRUE(key) << c.scan;
        EXPECT_EQ(key->type, c.type) << c.scan;
        EXPECT_EQ(key->button, c.button) << c.scan;
        EXPECT_TRUE(key->down);
    }
    KeyboardHookRecord unknown;
    unknown.scanCode = 0x76;  // not in the table
    EXPECT_FALSE(DecodeKeyRecord(kMsgKeyDown, unknown));
}

}  // namespace
