// The command set over a real interface socket, as the host's command channel uses it.
#include <algorithm>
#include <numeric>
#include <set>

#include "EmulatorFixture.h"
#include "tools/zorv-emulator/FactoryKeyTable.h"

using namespace emu;

namespace {
constexpr uint8_t kBegin = 0x01, kEnd = 0x02, kInfo = 0x03, kReadParams = 0x05, kWriteParams = 0x06,
                  kReadKeys = 0x07, kWriteKeys = 0x09, kCustom = 0x0B, kFrame = 0x12, kMacro = 0x15,
                  kShoot = 0x17, kParamsOnce = 0x1A, kLights = 0x1B, kAnnounce = 0x1C, kLink = 0xAA;

std::vector<uint8_t> Pattern(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

KeyCode CodeAt(const std::vector<uint8_t>& table, size_t position) {
    return {table[3 * position], table[3 * position + 1], table[3 * position + 2]};
}
}  // namespace

class FirmwareTest : public EmulatorTest {
protected:
    void SetUp() override {
        keyboard_ = StartKeyboard();
        client_ = std::make_unique<RawHidClient>(keyboard_->SocketPath());
        ASSERT_TRUE(client_->Connected());
        auto info = client_->ReadChunked(kInfo, 34);
        ASSERT_TRUE(info);
        keyCount_ = (*info)[5];
    }

    std::unique_ptr<EmulatedKeyboard> keyboard_;
    std::unique_ptr<RawHidClient> client_;
    size_t keyCount_ = 0;
};

class KeyLayoutTest : public EmulatorTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(KeyLayoutTest, KeyAndLightTablesFollowTheDeviceOwnPositionOrder) {
    auto keyboard = StartKeyboard(GetParam());
    RawHidClient client(keyboard->SocketPath());
    auto info = client.ReadChunked(kInfo, 34);
    ASSERT_TRUE(info);
    const size_t n = (*info)[5];
    EXPECT_LE(n, 170u);
    EXPECT_LE(n * 3, 512u);
    EXPECT_EQ((*info)[6], 4) << "512 bytes of macro memory";

    auto keys = client.ReadChunked(kReadKeys, n * 3);
    auto lights = client.ReadChunked(kLights, n);
    ASSERT_TRUE(keys && lights);

    const auto& factory = FactoryKeyTable();
    std::set<size_t> foundKeys;
    std::set<uint8_t> usedLights;
    size_t inKeyNumberPlace = 0, lightAtOwnPosition = 0;
    for (size_t p = 0; p < n; ++p) {
        KeyCode code = CodeAt(*keys, p);
        EXPECT_NE(code, kNoKeyCode) << "position " << p;
        auto row = std::find(factory.begin(), factory.end(), code);
        if (row == factory.end()) {
            EXPECT_EQ(code, (KeyCode{0, 0, 0})) << "an empty matrix cell at " << p;
            EXPECT_EQ((*lights)[p], 0xFF) << "no key, no LED at " << p;
            continue;
        }
        size_t key = static_cast<size_t>(row - factory.begin());
        EXPECT_TRUE(foundKeys.insert(key).second) << "key " << key << " twice";
        inKeyNumberPlace += key == p;
        uint8_t light = (*lights)[p];
        EXPECT_LT(light, n);
        EXPECT_TRUE(usedLights.insert(light).second) << "light " << int(light) << " twice";
        lightAtOwnPosition += light == p;
    }
    EXPECT_GT(foundKeys.size(), 80u);
    EXPECT_LT(inKeyNumberPlace, foundKeys.size() / 4) << "positions must not simply be key numbers";
    EXPECT_LT(lightAtOwnPosition, foundKeys.size() / 4) << "lights must not simply be positions";
}

INSTANTIATE_TEST_SUITE_P(Products, KeyLayoutTest, ::testing::Values(0x5062, 0x5085, 0x5086));

TEST_F(EmulatorTest, ModelsDifferInTheirKeys) {
    auto countKeys = [&](uint16_t product) {
        auto keyboard = StartKeyboard(product, "", "k" + std::to_string(product));
        RawHidClient client(keyboard->SocketPath());
        size_t n = (*client.ReadChunked(kInfo, 34))[5];
        auto lights = client.ReadChunked(kLights, n);
        return std::count_if(lights->begin(), lights->end(), [](uint8_t l) { return l != 0xFF; });
    };
    auto full = countKeys(0x5062);
    EXPECT_LT(countKeys(0x5085), full);
    EXPECT_LT(countKeys(0x5086), full);
}

TEST_F(FirmwareTest, RepliesEchoTheRequestAndCarryAValidChecksum) {
    auto reply = client_->Request(kInfo, 10, 24);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 64u);
    EXPECT_EQ((*reply)[0], 0x04);
    EXPECT_EQ((*reply)[3], kInfo);
    EXPECT_EQ((*reply)[4], 10);
    EXPECT_EQ((*reply)[5], 24);
    EXPECT_EQ((*reply)[6], 0);
    EXPECT_EQ((*reply)[7], 0);
    uint16_t stored = static_cast<uint16_t>((*reply)[1] | (*reply)[2] << 8);
    EXPECT_EQ(stored, ChecksumOf(*reply));

    // Two chunks (24 + 10, the receiver's chunk size) read the same block as one.
    auto whole = client_->ReadChunked(kInfo, 34);
    auto first = client_->Request(kInfo, 24, 0);
    ASSERT_TRUE(whole && first);
    std::vector<uint8_t> joined(first->begin() + 8, first->begin() + 32);
    joined.insert(joined.end(), reply->begin() + 8, reply->begin() + 18);
    EXPECT_EQ(joined, *whole);
}

TEST_F(FirmwareTest, ConfigModeFollowsBeginAndEnd) {
    std::vector<uint8_t> begin = BuildRequest(kBegin);
    EXPECT_EQ(begin[1], 0x01);
    EXPECT_EQ(begin[2], 0x00);
    ASSERT_TRUE(client_->Send(begin));
    auto reply = client_->ReceiveReport(4);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0);
    EXPECT_TRUE(keyboard_->Snapshot().configMode);
    ASSERT_TRUE(client_->Request(kEnd));
    EXPECT_FALSE(keyboard_->Snapshot().configMode);
}

TEST_F(FirmwareTest, MalformedRequestsAreRejectedWithStatusFFAndChangeNothing) {
    std::vector<uint8_t> badChecksum = BuildRequest(kWriteParams, 4, 0x30, {9, 9, 9, 9});
    badChecksum[1] ^= 0x01;
    struct Case {
        const char* what;
        std::vector<uint8_t> packet;
    } cases[] = {
        {"bad checksum", badChecksum},
        {"unknown command", BuildRequest(0x40, 0, 0)},
        {"length above 56", BuildRequest(kReadParams, 57, 0)},
    };
    auto before = keyboard_->Snapshot().memory.params;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(client_->Send(c.packet));
        auto reply = client_->ReceiveReport(4);
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[3], c.packet[3]);
        EXPECT_EQ((*reply)[7], 0xFF);
    }
    EXPECT_EQ(keyboard_->Snapshot().memory.params, before);
}

TEST_F(FirmwareTest, AccessesBeyondTheirMemoryAnswerFEAndWriteNothing) {
    const uint16_t paramEnd = 3 * 25 + 28;
    struct Case {
        const char* what;
        uint8_t code;
        uint8_t length;
        uint16_t offset;
    } cases[] = {
        {"params past the last record", kReadParams, 28, static_cast<uint16_t>(paramEnd - 27)},
        {"params write past the area", kWriteParams, 4, paramEnd},
        {"key table bank 1", kWriteKeys, 3, 512},
        {"key table past N", kReadKeys, 6, static_cast<uint16_t>(keyCount_ * 3 - 3)},
        {"macro beyond its 512 bytes", kMacro, 16, 504},
        {"custom colour slot 8", kCustom, 3, 8 * 512},
        {"device info past 34", kInfo, 8, 30},
    };
    auto before = keyboard_->Snapshot().memory;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto reply = client_->Request(c.code, c.length, c.offset, std::vector<uint8_t>(c.length, 0xAB));
        ASSERT_TRUE(reply);
        EXPECT_EQ((*reply)[7], 0xFE);
    }
    auto after = keyboard_->Snapshot().memory;
    EXPECT_EQ(after.params, before.params);
    EXPECT_EQ(after.keyTable, before.keyTable);
    EXPECT_EQ(after.macroImage, before.macroImage);
    EXPECT_EQ(after.customColours, before.customColours);
}

TEST_F(FirmwareTest, ParameterRecordsAtProfileTimes25OverlapByThreeBytes) {
    auto active = client_->ReadChunked(kReadParams, 1, 0);
    ASSERT_TRUE(active);
    EXPECT_EQ((*active)[0], 0);
    auto factory0 = client_->ReadChunked(kReadParams, 28, 0);
    ASSERT_TRUE(factory0);
    EXPECT_NE((*factory0)[2], 0) << "profile 0 is lit";

    std::vector<uint8_t> record = Pattern(28, 0x41);
    record[0] = 0x05;
    ASSERT_TRUE(client_->WriteChunked(kWriteParams, record, 25));
    EXPECT_EQ(*client_->ReadChunked(kReadParams, 28, 25), record);
    auto once = client_->Request(kParamsOnce, 28, 25);
    ASSERT_TRUE(once);
    EXPECT_EQ(std::vector<uint8_t>(once->begin() + 8, once->begin() + 36), record);

    // Bytes 25-27 of profile 0 are bytes 0-2 of profile 1; the rest of profile 0 is untouched.
    auto record0 = client_->ReadChunked(kReadParams, 28, 0);
    ASSERT_TRUE(record0);
    EXPECT_TRUE(std::equal(record0->begin() + 25, record0->end(), record.begin()));
    EXPECT_TRUE(std::equal(record0->begin(), record0->begin() + 25, factory0->begin()));
}

TEST_F(FirmwareTest, KeyTableWrittenInBankZeroReadsBack) {
    auto keys = client_->ReadChunked(kReadKeys, keyCount_ * 3);
    ASSERT_TRUE(keys);
    std::vector<uint8_t> changed = *keys;
    std::swap_ranges(changed.begin(), changed.begin() + 3, changed.begin() + 3 * 10);
    changed[3 * 20] = 0x70;  // a macro key
    changed[3 * 20 + 1] = 0x00;
    ASSERT_TRUE(client_->WriteChunked(kWriteKeys, changed));
    EXPECT_EQ(*client_->ReadChunked(kReadKeys, keyCount_ * 3), changed);
    EXPECT_EQ(keyboard_->Snapshot().memory.keyTable, changed);
}

TEST_F(FirmwareTest, MacroImageFillsItsCapacityButNotMore) {
    std::vector<uint8_t> image = Pattern(512, 3);
    ASSERT_TRUE(client_->WriteChunked(kMacro, image));
    EXPECT_EQ(keyboard_->Snapshot().memory.macroImage, image);

    // A 520-byte image: every chunk inside the capacity lands, the last one is refused.
    std::vector<uint8_t> tooLong = Pattern(520, 9);
    EXPECT_FALSE(client_->WriteChunked(kMacro, tooLong));
    auto stored = keyboard_->Snapshot().memory.macroImage;
    EXPECT_TRUE(std::equal(stored.begin(), stored.begin() + 504, tooLong.begin()));
    EXPECT_TRUE(std::equal(stored.begin() + 504, stored.end(), image.begin() + 504));
}

TEST_F(FirmwareTest, LightFramesCountOnlyWholeFrames) {
    std::vector<uint8_t> frame = Pattern(keyCount_ * 3, 1);
    ASSERT_TRUE(client_->WriteChunked(kFrame, frame));
    auto snapshot = keyboard_->Snapshot();
    EXPECT_EQ(snapshot.frameCount, 1u);
    EXPECT_EQ(snapshot.lastFrame, frame);

    // A frame's tail without its start is not a frame.
    std::vector<uint8_t> tail(frame.end() - 30, frame.end());
    ASSERT_TRUE(client_->WriteChunked(kFrame, tail, static_cast<uint16_t>(frame.size() - 30)));
    EXPECT_EQ(keyboard_->Snapshot().frameCount, 1u);
    ASSERT_TRUE(client_->WriteChunked(kFrame, Pattern(keyCount_ * 3, 2)));
    EXPECT_EQ(keyboard_->Snapshot().frameCount, 2u);
    EXPECT_EQ(keyboard_->Snapshot().lastFrame, Pattern(keyCount_ * 3, 2));
}

TEST_F(FirmwareTest, CustomColoursLandInTheirSlot) {
    std::vector<uint8_t> colours = Pattern(keyCount_ * 3, 5);
    ASSERT_TRUE(client_->WriteChunked(kCustom, colours, 2 * 512));
    auto memory = keyboard_->Snapshot().memory;
    auto slot = memory.CustomColourSlot(2);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), slot.begin()));
    auto slot1 = memory.CustomColourSlot(1);
    EXPECT_TRUE(std::all_of(slot1.begin(), slot1.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(FirmwareTest, SmallCommandsAreAnsweredAndRemembered) {
    auto link = client_->Request(kLink);
    ASSERT_TRUE(link);
    EXPECT_EQ((*link)[3], kLink);
    EXPECT_EQ((*link)[8], 0xFF) << "linked";

    ASSERT_TRUE(client_->Request(kAnnounce));
    ASSERT_TRUE(client_->Request(kAnnounce));
    EXPECT_EQ(keyboard_->Snapshot().lightControlAnnouncements, 2u);

    std::vector<uint8_t> shoot = Pattern(112, 11);
    ASSERT_TRUE(client_->WriteChunked(kShoot, shoot));
    auto stored = keyboard_->Snapshot().memory.shootData;
    EXPECT_TRUE(std::equal(shoot.begin(), shoot.end(), stored.begin()));
}

TEST_F(FirmwareTest, ReportsOfOtherCollectionsAreNotCommands) {
    ASSERT_TRUE(client_->Send({0x01, 0x02}));  // keyboard LED output report
    auto reply = client_->Request(kInfo, 34);  // the next reply answers the next request
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[3], kInfo);
    auto log = keyboard_->PacketLogEntries();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].bytes, (std::vector<uint8_t>{0x01, 0x02}));
}
