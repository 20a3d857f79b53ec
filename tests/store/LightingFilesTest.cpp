#include "store/LightingFiles.h"
#include "StoreTestSupport.h"

using namespace storetest;

class LightingFiles : public StoreTest {};

TEST_F(LightingFiles, NameListsAreTakenByModelIndex) {
    WriteText(Path("default_light.json"), R"({"DefaultLightName":[
        [{"LightName":"k0","visible":1,"value":0},{"LightName":"k1","visible":0,"value":7}],
        [{"LightName":"m0","visible":true}],null,[]],
      "AreaLightName":[[{"LightName":"a0"}],[{"LightName":"a1"}]]})");
    DefaultLightLists keyboard = ReadDefaultLightLists(Path("default_light.json"), 0);
    ASSERT_TRUE(keyboard.hasEffects);
    ASSERT_EQ(keyboard.effects.size(), 2u);
    EXPECT_EQ(keyboard.effects[1].LightName, "k1");
    EXPECT_FALSE(keyboard.effects[1].visible);
    EXPECT_EQ(keyboard.effects[1].value, 7);
    EXPECT_EQ(keyboard.areaEffectNames, std::vector<std::string>{"a0"});
    DefaultLightLists mouse = ReadDefaultLightLists(Path("default_light.json"), 1);
    EXPECT_TRUE(mouse.effects[0].visible);
    EXPECT_FALSE(ReadDefaultLightLists(Path("default_light.json"), 2).hasEffects);
    EXPECT_TRUE(ReadDefaultLightLists(Path("default_light.json"), 3).hasEffects);
    // Four elements give the keyboards of model index 4 and 5 no list.
    EXPECT_FALSE(ReadDefaultLightLists(Path("default_light.json"), 4).hasEffects);
    EXPECT_FALSE(ReadDefaultLightLists(Path("default_light.json"), 5).hasAreaEffects);
}

TEST_F(LightingFiles, CustomNamesUseTheModelIndexWhileEffectsUseTheDeviceIndex) {
    WriteText(Path("nuvex_light.config"), R"({"LightInfo":[[{"LightName":"A","Guid":"ga"}],
        [{"LightName":"B","Guid":"gb"}]]})");
    bool present = false;
    std::vector<CustomLightEntry> mouseNames = ReadCustomLightEntries(Path("nuvex_light.config"), 1, &present);
    EXPECT_TRUE(present);
    ASSERT_EQ(mouseNames.size(), 1u);
    EXPECT_EQ(mouseNames[0].LightName, "B");
    ReadCustomLightEntries(Path("nuvex_light.config"), 2, &present);
    EXPECT_FALSE(present);
    EXPECT_EQ(LightConfigPath(Root()), Root() + "nuvex_light.config");
}

TEST_F(LightingFiles, BadFilesGiveEmptyLists) {
    for (const BadContent& bad : BadContents()) {
        SCOPED_TRACE(bad.label);
        WriteText(Path("f"), bad.bytes);
        EXPECT_FALSE(ReadDefaultLightLists(Path("f"), 0).hasEffects);
        EXPECT_TRUE(ReadCustomLightEntries(Path("f"), 0).empty());
        EXPECT_TRUE(ReadLedEffectFile(Path("f")).empty());
    }
    EXPECT_TRUE(ReadLedEffectFile(Path("missing.light")).empty());
}
