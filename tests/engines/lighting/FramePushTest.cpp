// What a frame push hands to the light buttons and the device.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "LightingTestSupport.h"

namespace {

struct RecordingSink : ILightFrameSink {
    struct Shown { size_t index; uint32_t colour; uint8_t brightness; bool visible; };
    std::map<size_t, bool> buttons;  // index -> visible
    std::vector<Shown> shown;
    std::vector<std::vector<uint8_t>> streamed;
    int result = 1;

    bool LightButtonExists(size_t i) const override { return buttons.count(i) != 0; }
    bool LightButtonVisible(size_t i) const override { return buttons.at(i); }
    void ShowLightButton(size_t i, uint32_t colour, uint8_t brightness, bool visible) override {
        shown.push_back({i, colour, brightness, visible});
    }
    int StreamLightFrame(const uint8_t* bytes, size_t length) override {
        streamed.emplace_back(bytes, bytes + length);
        return result;
    }
};

const LightRecord kPoint0{200, 100, 50, 128};

}  // namespace

TEST(BaseFramePush, ScalesEveryPointButPoint170) {
    CLightRenderer renderer;
    renderer.SetLightCount(172);
    renderer.SetLightValue(1, kPoint0.Pack());
    renderer.SetLightValue(170, kPoint0.Pack());
    RecordingSink sink;
    sink.buttons = {{1, true}, {2, false}};
    EXPECT_EQ(renderer.PushFrame(sink, {}), 1);
    ASSERT_EQ(sink.shown.size(), 1u);  // the hidden button is left alone
    EXPECT_EQ(sink.shown[0].colour, 200u + 50u * 256u + 100u * 65536u);
    EXPECT_EQ(sink.shown[0].brightness, 128);
    ASSERT_EQ(sink.streamed.size(), 1u);
    const auto& frame = sink.streamed[0];
    ASSERT_EQ(frame.size(), 512u);  // 172 points would be 516 bytes: capped at the frame
    EXPECT_EQ((std::vector<uint8_t>(frame.begin() + 3, frame.begin() + 6)), (std::vector<uint8_t>{100, 50, 25}));
    EXPECT_EQ(frame[510], 0);  // point 170 is never sent

    sink.streamed.clear();
    renderer.PushFrame(sink, {.throughReceiver = true});
    EXPECT_TRUE(sink.streamed.empty());
    renderer.SetLightingEnabled(false);
    sink.shown.clear();
    renderer.PushFrame(sink, {});
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(sink.streamed.empty());
}

TEST(KeyboardFramePush, StreamsOnlyTheMusicEffectsThroughTheKeyToLightMap) {
    struct Case { uint8_t effect; bool receiver; bool streams; };
    const Case cases[] = {{26, false, true}, {27, false, true}, {6, false, false}, {26, true, false}};
    for (const Case& c : cases) {
        KeyboardRig rig(0x5062, {.effect = c.effect});
        // Key 2's light position lies beyond the frame and is dropped; key 3 is past N.
        rig.renderer.SetKeyMaps({}, {{0, 2}, {1, 255}, {2, 200}, {3, 0}}, 3);
        rig.renderer.SetLightValue(0, kPoint0.Pack());
        rig.renderer.SetLightValue(3, LightRecord{255, 255, 255, 255}.Pack());
        RecordingSink sink;
        rig.renderer.PushFrame(sink, {.throughReceiver = c.receiver});
        ASSERT_EQ(sink.streamed.size(), c.streams ? 1u : 0u) << int(c.effect);
        if (!c.streams) continue;
        EXPECT_EQ(sink.streamed[0], (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 100, 50, 25}));
    }
}

TEST(KeyboardFramePush, ButtonsShowTheFrameOnlyOnTheLightingPage) {
    for (int page : {1, 2}) {
        KeyboardRig rig(0x5062, {.effect = 6});
        rig.renderer.SetLightValue(0, kPoint0.Pack());
        RecordingSink sink;
        sink.buttons = {{0, true}, {1, false}};
        rig.renderer.PushFrame(sink, {.functionPage = page});
        ASSERT_EQ(sink.shown.size(), 2u);
        EXPECT_EQ(sink.shown[0].visible, page == 1);
        EXPECT_EQ(sink.shown[0].colour, page == 1 ? 200u + 50u * 256u + 100u * 65536u : 0u);
        EXPECT_FALSE(sink.shown[1].visible);
        EXPECT_EQ(sink.shown[1].brightness, 0);
    }
}

TEST(KeyboardFramePush, FailedStreamIsReported) {
    KeyboardRig rig(0x5062, {.effect = 26});
    rig.renderer.SetKeyMaps({}, {{0, 0}}, 1);
    RecordingSink sink;
    sink.result = 0;
    EXPECT_EQ(rig.renderer.PushFrame(sink, {}), 0);
}

TEST(KeyboardFramePush, CustomColoursAreRawAndSizedByTheMap) {
    KeyboardRig rig(0x5062, {.effect = 20});
    rig.renderer.SetKeyMaps({}, {{0, 1}, {1, 255}}, 2);
    rig.renderer.SetLightValue(0, kPoint0.Pack());
    const DeviceLightFrame frame = rig.renderer.CustomColourFrame();
    EXPECT_EQ(frame.length, 6u);
    EXPECT_EQ((std::vector<uint8_t>(frame.bytes.begin(), frame.bytes.begin() + 6)),
              (std::vector<uint8_t>{0, 0, 0, 200, 100, 50}));
}
