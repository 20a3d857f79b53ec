// The shipped DefaultData files, loaded through the same readers the program uses.
#include <set>

#include "store/BasicProfiledata.h"
#include "store/DataFolders.h"
#include "store/Hs6533Profiledata.h"
#include "store/KeyboardProfiledata.h"
#include "store/LightingFiles.h"
#include "store/MouseProfiledata.h"
#include "store/ShippedLists.h"
#include "store/ShootData.h"
#include "StoreTestSupport.h"

using namespace storetest;

namespace {
// Factory key table rows as (key number, code): the keys the renderer and the device locate.
const std::pair<int, int32_t> kFactorySamples[] = {
    {0, 0x200029},   {1, 0x20003A}, {12, 0x200045}, {16, 0xA01B00}, {17, 0x309201},
    {64, 0x200004},  {84, 0x200200}, {104, 0x200000}, {110, 0xA00100}, {120, 0xD0A201},
    {124, 0xD0A205}, {125, 0x208000}, {126, 0x200000}, {169, 0x200000},
};
const int32_t kMouseButtonDefaults[] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800,
                                        0x130100, 0x130200, 0x130300, 0xA01B00, 0x169001};
// Keyboard effects without a renderer of their own; the panel does not offer them.
const std::set<int> kHiddenKeyboardEffects = {0, 19, 31};
constexpr int kKeyboardEffectCount = 36;
constexpr int kSmallDeviceEffectCount = 9;  // the mouse sends 9 and above as 0
}  // namespace

class ShippedData : public StoreTest {
protected:
    std::string Shipped(const std::string& name) const { return DefaultDataFolder() + name; }
};

TEST_F(ShippedData, KeyboardDefaultsHaveASectionPerDeviceIndexWithTheFactoryKeys) {
    for (int model : {0, 4, 5}) {
        SCOPED_TRACE(model);
        CKeyboardProfiledata profile;
        profile.SetDefaultPath(DefaultProfilePath("keyboard"));
        profile.SetDeviceIndex(KeyboardDeviceIndex(model));
        Json::Value section = profile.LoadSection(DefaultProfilePath("keyboard"));
        ASSERT_TRUE(section.isObject());
        std::vector<KeyListEntry> keys = profile.GetKeyList();
        ASSERT_EQ(keys.size(), 170u);
        for (const auto& [key, code] : kFactorySamples) {
            EXPECT_EQ(AssignmentToInt(keys[key].assignment), code) << key;
            EXPECT_EQ(keys[key].defaultAssignment, keys[key].assignment) << key;
        }
        for (int k = 2; k <= 11; ++k) EXPECT_EQ(AssignmentToInt(keys[k].assignment), 0x20003A + k - 1);
        LightInfoRecord light = profile.GetLightInfo();
        EXPECT_LT(light.SelectItem, kKeyboardEffectCount);
        EXPECT_EQ(kHiddenKeyboardEffects.count(light.SelectItem), 0u);
        EXPECT_LE(light.Light, 4);
        EXPECT_LE(light.Speed, 4);
        profile.GetAudioLightInfo();
        EXPECT_EQ(profile.GetCustomLightColors(profile.GetCustomLightGroup(), 170).size(), 170u);
        EXPECT_EQ(section["SystemStages"].size(), 7u);
    }
}

TEST_F(ShippedData, MouseMousePadAndHeadsetDefaultsAreComplete) {
    CMouseProfiledata mouse;
    ASSERT_TRUE(mouse.LoadSection(DefaultProfilePath("mouse")).isObject());
    std::vector<KeyListEntry> buttons = mouse.GetKeyList();
    ASSERT_EQ(buttons.size(), std::size(kMouseButtonDefaults));
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(AssignmentToInt(buttons[i].assignment), kMouseButtonDefaults[i]) << i;
    std::vector<DpiStage> stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 5u);
    EXPECT_LT(mouse.GetActiveDpiStage(), 5);
    for (const DpiStage& s : stages) EXPECT_GT(s.DpiX(), 0);
    EXPECT_LT(mouse.GetLightInfo().SelectItem, kSmallDeviceEffectCount);
    EXPECT_EQ(mouse.GetLightList().size(), 6u);
    EXPECT_FALSE(mouse.GetCorrectInfo().empty());
    EXPECT_NE(mouse.GetSystemStages()[0], 0u);

    CBasicProfiledata pad;
    ASSERT_TRUE(pad.LoadSection(DefaultProfilePath("MousePad")).isObject());
    EXPECT_EQ(pad.GetLightList().size(), 15u);

    CHs6533Profiledata headset;
    ASSERT_TRUE(headset.LoadSection(DefaultProfilePath("HD")).isObject());
    EXPECT_EQ(headset.GetLightList().size(), 13u);
    HeadsetSystemSetStages set = headset.GetSystemSetStages();
    EXPECT_GE(set.EqType, 1);
    EXPECT_LE(set.EqType, 12);
    EXPECT_EQ(headset.GetEqValues(1), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(headset.GetEqValues(12), (std::vector<int>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
}

TEST_F(ShippedData, DefaultLightListsAgreeWithTheEffectNumbers) {
    std::string path = DefaultLightFilePath(DefaultDataFolder());
    for (int model = 0; model < 6; ++model) {
        SCOPED_TRACE(model);
        DefaultLightLists lists = ReadDefaultLightLists(path, model);
        ASSERT_TRUE(lists.hasEffects);
        EXPECT_TRUE(lists.hasAreaEffects);
        EXPECT_EQ(lists.areaEffectNames.size(), 5u);
        bool keyboard = model == 0 || model == 4 || model == 5;
        ASSERT_EQ(lists.effects.size(), keyboard ? 36u : 9u);
        for (size_t i = 0; i < lists.effects.size(); ++i) {
            const StockEffect& e = lists.effects[i];
            EXPECT_EQ(e.value, static_cast<int>(i));
            EXPECT_FALSE(e.LightName.empty());
            bool hidden = keyboard ? kHiddenKeyboardEffects.count(static_cast<int>(i)) > 0
                                   : (model >= 2 && i >= 5 && i <= 7);
            EXPECT_EQ(e.visible, !hidden) << i;
        }
    }
    // The shared-lighting effects exist where the translation table sends them.
    DefaultLightLists kb = ReadDefaultLightLists(path, 0);
    EXPECT_EQ(kb.effects[5].LightName, "light_mode_breathing");
    EXPECT_EQ(kb.effects[6].LightName, "light_mode_static");
    EXPECT_EQ(kb.effects[30].LightName, "light_mode_blink");
    EXPECT_EQ(kb.effects[4].LightName, "light_mode_spectrum");
    EXPECT_EQ(kb.effects[29].LightName, "light_mode_off");
    DefaultLightLists ms = ReadDefaultLightLists(path, 1);
    EXPECT_EQ(ms.effects[2].LightName, "light_mode_breathing");
    EXPECT_EQ(ms.effects[3].LightName, "light_mode_static");
    EXPECT_EQ(ms.effects[4].LightName, "light_mode_blink");
    EXPECT_EQ(ms.effects[1].LightName, "light_mode_spectrum");
    EXPECT_EQ(ms.effects[8].LightName, "light_mode_off");
}

TEST_F(ShippedData, DefaultGunFilesHoldThirtyBulletGroups) {
    CShootData shoot;
    shoot.SetShootDefaultFolder(DefaultDataFolder());
    shoot.SetShootFolder(Root());
    EXPECT_EQ(shoot.InitShootData(), 4);
    for (int gun = 0; gun < kShootGunCount; ++gun) {
        EXPECT_EQ(shoot.GunRecords(gun).size(), 180u);
        for (int b = 0; b < kShootBulletsPerGun; ++b) {
            BulletValues v = shoot.LoadBullet(gun, b);
            EXPECT_GE(v.y, 0);
            EXPECT_LE(v.y, 255);
            EXPECT_GT(v.delay, 0);
            EXPECT_LE(v.delay, 65535);
        }
        Json::Value events = ReadJsonValue(shoot.DefaultGunFilePath(gun))["Events"];
        for (int b = 0; b < kShootBulletsPerGun; ++b) {
            EXPECT_EQ(events[6 * b]["Delay"].asInt(), 10);
            EXPECT_EQ(events[6 * b + 2]["Delay"].asInt(), 5);
            EXPECT_TRUE(events[6 * b + 3]["Delay"].isInt());
        }
    }
}

TEST_F(ShippedData, LanguageListPutsTheFontLanguagesAtTheirIndices) {
    std::vector<LanguageEntry> languages = ReadLanguageList(Shipped("Language.config"));
    ASSERT_GE(languages.size(), 16u);
    EXPECT_EQ(languages[0].Language_file, "lan_cn.xml");  // Simplified Chinese font
    EXPECT_EQ(languages[2].Language_text, "繁體中文");     // Traditional Chinese font
    EXPECT_EQ(languages[15].Language_text, "ไทย");         // Thai font
    std::set<int> ids;
    for (const LanguageEntry& l : languages) {
        EXPECT_TRUE(ids.insert(l.Language_ID).second) << l.Language_ID;
        EXPECT_FALSE(l.Language_name.empty());
        EXPECT_EQ(l.Language_file, "lan_" + l.Language_name + ".xml");
    }
}

TEST_F(ShippedData, AudioFileHoldsFourStylesWithinTheirRanges) {
    AudioStyleSet styles;
    ASSERT_TRUE(ReadAudioStyles(Shipped("AudioFile.json"), styles));
    EXPECT_GE(styles.nAudioStyle, 0);
    EXPECT_LE(styles.nAudioStyle, 3);
    EXPECT_EQ(styles.names[2], "第三组");
    for (const auto& colour : styles.colours)
        for (int c : colour) {
            EXPECT_GE(c, 0);
            EXPECT_LE(c, 9);
        }
    Json::Value doc = ReadJsonValue(Shipped("AudioFile.json"));
    EXPECT_EQ(AudioStylesToJson(styles), doc["Device"]["AudioLightInfo"]);
}
