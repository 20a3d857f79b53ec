// What music lighting keeps and computes without a window: the styles file, the style record for
// the capture program, the reduction of spectrum frames and the checks on data copies.
#include <gtest/gtest.h>
#include <json/json.h>

#include <filesystem>
#include <fstream>

#include "app/music/AudioLightInfo.h"
#include "app/music/CaptureData.h"
#include "app/music/CaptureLink.h"
#include "app/music/MusicLighting.h"
#include "platform/bus/BusTypes.h"
#include "store/JsonFile.h"

namespace fs = std::filesystem;
using namespace capture;

namespace {

const std::string kShipped = std::string(ZORV_SOURCE_DIR) + "/resources/DefaultData/AudioFile.json";

class AudioFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(testing::TempDir()) / ("music-" + std::to_string(getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string User() const { return (dir_ / "AudioFile.json").string(); }
    void WriteText(const std::string& text) { std::ofstream(User()) << text; }

    fs::path dir_;
};

TEST_F(AudioFileTest, TheFirstStartCreatesTheUserCopyFromTheDefault) {
    ASSERT_FALSE(fs::exists(User()));
    const AudioLightInfo info = ReadAudioLightInfo(LoadAudioDevice(User(), kShipped));
    ASSERT_TRUE(fs::exists(User()));
    EXPECT_EQ(ReadJsonValue(User()), ReadJsonValue(kShipped));
    EXPECT_EQ(info.style, 0);
    EXPECT_EQ(info.names[2], "第三组");
    EXPECT_EQ(info.colours[3], (std::array<uint8_t, 3>{9, 9, 9}));
}

TEST_F(AudioFileTest, ADamagedUserCopyIsKeptAsideAndReplaced) {
    WriteText("{ not json");
    LoadAudioDevice(User(), kShipped);
    EXPECT_EQ(ReadJsonValue(User()), ReadJsonValue(kShipped));
    EXPECT_TRUE(fs::exists(User() + ".damaged"));
}

TEST_F(AudioFileTest, SavingReplacesTheStylesAndKeepsEveryOtherMember) {
    Json::Value document = ReadJsonValue(kShipped);
    document["Theirs"] = "kept";
    document["Device"]["Other"] = 7;
    ASSERT_TRUE(WriteJsonValue(User(), document));
    CMusicLighting music(nullptr);
    music.SetFilePaths(User(), kShipped);
    music.LoadStyles(0);
    AudioLightInfo edited = music.Info();
    edited.style = 2;
    edited.colours[2] = {5, 0, 7};
    edited.names[1] = "Club";
    ASSERT_TRUE(music.ApplyEditedStyles(0, edited));
    const Json::Value saved = ReadJsonValue(User());
    EXPECT_EQ(saved["Theirs"].asString(), "kept");
    EXPECT_EQ(saved["Device"]["Other"].asInt(), 7);
    const Json::Value& styles = saved["Device"]["AudioLightInfo"];
    EXPECT_EQ(styles["nAudioStyle"].asInt(), 2);
    EXPECT_EQ(styles["nStyleName2"].asString(), "Club");
    EXPECT_EQ(styles["nStyleR2"].asInt(), 5);
    EXPECT_EQ(styles["nStyleG2"].asInt(), 0) << "the file keeps the green the user chose";
    EXPECT_EQ(ReadAudioLightInfo(saved["Device"]), edited);
}

TEST(AudioLightInfoTest, OutOfRangeOrMissingMembersReadAsSafeValues) {
    Json::Value device;
    device["AudioLightInfo"]["nAudioStyle"] = 9;
    device["AudioLightInfo"]["nStyleR1"] = 300;
    device["AudioLightInfo"]["nStyleG1"] = -4;
    device["AudioLightInfo"]["nStyleName2"] = "";
    device["AudioLightInfo"]["nStyleName3"] = 12;
    const AudioLightInfo info = ReadAudioLightInfo(device);
    EXPECT_EQ(info.style, 0);
    EXPECT_EQ(info.colours[1][0], 9);
    EXPECT_EQ(info.colours[1][1], 0);
    EXPECT_EQ(info.names[1], "第二组");
    EXPECT_EQ(info.names[2], "第三组");
    EXPECT_EQ(ReadAudioLightInfo(Json::Value("text")), AudioLightInfo{});
}

TEST(StyleRecordTest, AGreenOfZeroGoesAsOne) {
    AudioLightInfo info;
    info.style = 3;
    info.colours[3] = {5, 0, 7};
    EXPECT_EQ(StyleColourToSend(info), (std::array<uint32_t, 3>{5, 1, 7}));
    info.colours[3] = {0, 4, 0};
    EXPECT_EQ(StyleColourToSend(info), (std::array<uint32_t, 3>{0, 4, 0}));
    const auto record = StyleRecord(5, 1, 7);
    ASSERT_EQ(record.size(), 40u);
    EXPECT_EQ(GetWord(&record[4]), 1u);
    for (size_t i = 12; i < record.size(); ++i) EXPECT_EQ(record[i], 0) << i;
}

std::vector<uint8_t> SpectrumBytes(const std::function<uint32_t(size_t)>& value) {
    std::vector<uint8_t> bytes(kSpectrumBytes);
    for (size_t i = 0; i < kSpectrumValues; ++i) PutWord(&bytes[i * 4], value(i));
    return bytes;
}

int32_t Mean(const CAudioBandReducer::Bands& bands, size_t band) { return int32_t(GetWord(&bands.means[band * 4])); }

TEST(BandReducerTest, MeansOfTheDifferencesPerTwentyValues) {
    CAudioBandReducer reducer;
    const auto first = reducer.Reduce(SpectrumBytes([](size_t i) { return uint32_t(i); }));
    ASSERT_TRUE(first);
    EXPECT_EQ(Mean(*first, 0), 9);     // 0..19 against zeros
    EXPECT_EQ(Mean(*first, 24), 489);  // 480..499
    // A frame equal to the previous one gives 25 zero means, and zeros after them.
    const auto same = reducer.Reduce(SpectrumBytes([](size_t i) { return uint32_t(i); }));
    ASSERT_TRUE(same);
    for (size_t band = 0; band < kMusicBands; ++band) EXPECT_EQ(Mean(*same, band), 0) << band;
    for (size_t byte = kMusicBands * 4; byte < kBandBufferBytes; ++byte) EXPECT_EQ(same->means[byte], 0);
    // Differences are absolute; the deviation is the sample one (over 19), truncated.
    const auto down = reducer.Reduce(SpectrumBytes([](size_t i) { return i < 20 && i % 2 ? 0u : uint32_t(i); }));
    ASSERT_TRUE(down);
    EXPECT_EQ(Mean(*down, 0), 5);  // odd values 1..19 went to 0: (1+3+...+19) / 20
    EXPECT_EQ(down->deviations[0], 6u);
}

TEST(BandReducerTest, ExtremeValuesNeitherOverflowNorWrapNegative) {
    CAudioBandReducer reducer;
    ASSERT_TRUE(reducer.Reduce(SpectrumBytes([](size_t) { return 0x80000000u; })));  // INT32_MIN
    const auto swing = reducer.Reduce(SpectrumBytes([](size_t) { return 0x7FFFFFFFu; }));
    ASSERT_TRUE(swing);
    for (size_t band = 0; band < kMusicBands; ++band) EXPECT_EQ(Mean(*swing, band), INT32_MAX);
}

TEST(CaptureDataTest, ShortPayloadsAreRefusedAndLongOnesCut) {
    CAudioBandReducer reducer;
    EXPECT_FALSE(reducer.Reduce(std::vector<uint8_t>(kSpectrumBytes - 1)));
    EXPECT_TRUE(reducer.Reduce(std::vector<uint8_t>(kSpectrumBytes + 500, 0xFF)));
    EXPECT_FALSE(DecodePeakValues(std::vector<uint8_t>(23)));
    std::vector<uint8_t> peaks(40, 0);
    peaks[0] = 7;
    peaks[24] = 9;  // beyond the six values
    const auto decoded = DecodePeakValues(peaks);
    ASSERT_TRUE(decoded);
    EXPECT_EQ((*decoded)[0], 7u);
}

TEST(CaptureDataTest, OnlyTheLinkedCaptureWindowFeedsTheKeyboards) {
    CMusicLighting music(nullptr);
    BusCopyData data;
    data.dataId = kSpectrumDataId;
    data.bytes.assign(kSpectrumBytes, 1);
    data.senderHandle = 0x1234;
    EXPECT_EQ(music.OnCaptureData(data, {}), CaptureDataOutcome::UnknownSender);
    data.dataId = 77;
    EXPECT_EQ(music.OnCaptureData(data, {}), CaptureDataOutcome::NotCaptureData);
}

}  // namespace
