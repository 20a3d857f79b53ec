// Key table and macro image uploads against an emulated keyboard.
#include <json/json.h>

#include "store/JsonFile.h"
#include "tests/engines/keyboard/KeyboardEngineFixture.h"
#include "tests/support/MacroFiles.h"

using namespace kbtest;

namespace {

constexpr int kKeyA = 64;
constexpr int kKeyS = 65;
constexpr int kKeyD = 66;

class MacroUpload : public KeyboardEngineTest {
protected:
    // A library of four macros; macro i has eventCounts[i] key events with delay 10 + event number.
    void WriteLibrary(const std::array<int, 4>& eventCounts) {
        std::vector<testsupport::MacroSpec> macros;
        for (int i = 0; i < 4; ++i) {
            std::vector<MacroEvent> events;
            for (int e = 0; e < eventCounts[i]; ++e)
                events.push_back({e % 2 ? "up" : "down", kMacroTypeKey, 4 + i, std::to_string(10 + e)});
            macros.push_back({"macro_" + std::to_string(i), "g" + std::to_string(i), events});
        }
        testsupport::WriteMacroLibrary(UserFolder(), macros);
    }
    void Assign(int key, KeyAssignment code) {
        std::vector<KeyListEntry> keys = engine_->KeyList();
        ASSERT_LT(static_cast<size_t>(key), keys.size());
        keys[key].assignment = code;
        engine_->SetKeyList(keys);
    }
    std::vector<uint8_t> DeviceKey(int key) const {
        const int position = engine_->KeyToPosition().at(key);
        const auto& table = keyboard_->Snapshot().memory.keyTable;
        return {table.begin() + position * 3, table.begin() + position * 3 + 3};
    }
};

}  // namespace

TEST_F(MacroUpload, MacrosAreNumberedInFirstUseOrder) {
    Connect();
    engine_->OnConnected();
    WriteLibrary({1, 1, 1, 2});
    Assign(kKeyA, {0x70, 3, 0});
    Assign(kKeyS, {0x70, 1, 2});
    Assign(kKeyD, {0x71, 3, 5});
    EXPECT_EQ(engine_->GetMacroList(), (std::vector<int>{3, 1}));

    keyboard_->ClearPacketLog();
    ASSERT_EQ(engine_->WriteMacros(engine_->GetMacroList()), 0);
    const std::vector<uint8_t> image = {
        0xAA, 0x55, 40, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
        20, 0, 32, 0,                                           // block offsets
        2, 0, 0, 0, 10, 0, 0x8A, 7, 11, 0, 0x0A, 7,             // macro 3
        1, 0, 0, 0, 10, 0, 0x8A, 5,                             // macro 1
    };
    const auto memory = keyboard_->Snapshot().memory.macroImage;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
    EXPECT_EQ(ReceivedCodes().front(), 0x03);
    EXPECT_EQ(CountOf(0x15), 1u);

    ASSERT_EQ(engine_->WriteOwnKeyAssignments(0), 1);
    EXPECT_EQ(DeviceKey(kKeyA), (std::vector<uint8_t>{0x70, 0, 0}));
    EXPECT_EQ(DeviceKey(kKeyS), (std::vector<uint8_t>{0x70, 1, 2}));
    EXPECT_EQ(DeviceKey(kKeyD), (std::vector<uint8_t>{0x71, 0, 5}));
    // The engine's own list keeps the library numbers.
    EXPECT_EQ(engine_->KeyList()[kKeyA].assignment, (KeyAssignment{0x70, 3, 0}));
}

TEST_F(MacroUpload, AnImageBeyondTheMacroMemoryIsRefusedWithTheEventsToRemove) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->DeviceInfo()[6], 4);  // 512 bytes
    const struct {
        std::array<int, 4> events;
        int result;
        size_t uploads;
    } cases[] = {
        {{0, 23, 0, 100}, 3, 0},   // 16 + 12 + 4 × 123 = 520 bytes
        {{0, 21, 0, 100}, 0, 1},   // exactly 512
        {{0, 22, 0, 100}, 2, 0},   // 516
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        WriteLibrary(c.events);
        keyboard_->ClearPacketLog();
        EXPECT_EQ(engine_->WriteMacros({3, 1}), c.result);
        EXPECT_EQ(CountOf(0x15) > 0 ? 1u : 0u, c.uploads);
    }
}

TEST_F(MacroUpload, AKeyWhoseMacroIsGoneGetsItsFactoryCodeBack) {
    Connect();
    engine_->OnConnected();
    WriteLibrary({1, 1, 1, 1});
    const KeyAssignment factory = engine_->KeyList()[kKeyA].defaultAssignment;
    Assign(kKeyA, {0x70, 9, 0});
    ASSERT_EQ(engine_->WriteOwnKeyAssignments(0), 1);
    EXPECT_EQ(DeviceKey(kKeyA), (std::vector<uint8_t>(factory.begin(), factory.end())));

    engine_->ValidateMacroKeys();
    EXPECT_EQ(engine_->KeyList()[kKeyA].assignment, factory);
}

TEST_F(MacroUpload, AnEmptyListOrLibrarySendsOnlyTheInformationRead) {
    Connect();
    engine_->OnConnected();
    keyboard_->ClearPacketLog();
    EXPECT_EQ(engine_->WriteMacros({}), 0);  // no library at all
    WriteLibrary({1, 1, 1, 1});
    EXPECT_EQ(engine_->WriteMacros({}), 0);
    EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x03, 0x03}));
}
