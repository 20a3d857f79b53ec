// The first journey of a user: no device, a keyboard plugged in, its lighting changed through the
// page's controls, profiles managed, a second keyboard, and both unplugged again.
#include <json/json.h>

#include <fstream>

#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "toolkit/UIlib.h"
#include "engines/device/DeviceKeyButton.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileDialogs.h"
#include "platform/DebugOutput.h"
#include "store/JsonFile.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "tests/support/MacroFiles.h"

using namespace DuiLib;
using namespace journey;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr uint16_t kT3H7 = 0x5085;
constexpr uint16_t kT3N9 = 0x5086;
// Offsets in the device's lighting record.
constexpr size_t kRecordEffect = 1, kRecordBrightness = 2, kRecordSpeed = 3, kRecordDirection = 4, kRecordRed = 6;
constexpr int kEffectStatic = 6, kEffectMusic = 26, kEffectMusicColour = 27;

bool IsSubsequence(const std::vector<uint8_t>& sequence, const std::vector<uint8_t>& wanted) {
    size_t next = 0;
    for (uint8_t code : sequence)
        if (next < wanted.size() && code == wanted[next]) ++next;
    return next == wanted.size();
}

size_t FirstIndexOf(const std::vector<uint8_t>& codes, uint8_t code) {
    return static_cast<size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

class Journey : public JourneyTest {
protected:
    CLightControlUI* Lighting(uint16_t productId) const {
        return PageControlAs<CLightControlUI>(productId, "LightControlItem", CLightControlUI::kClassName);
    }
    CComboUI* Combo(uint16_t productId, const char* name) const { return PageControlAs<CComboUI>(productId, name, "Combo"); }
    CTorvanelUSBDevice* Active() const { return window_->ActiveDevice(); }
    CDeviceProfileUI* Panel(uint16_t productId) const {
        return PageControlAs<CDeviceProfileUI>(productId, "DeviceProfileItem", CDeviceProfileUI::kClassName);
    }

    // One recorded macro in the keyboard's library, assigned to a key of the current profile.
    void AssignAMacro(uint16_t productId) {
        CTorvanelKeyboardDevice* engine = Engine(productId);
        const std::string folder = engine->UserDataFolder();
        testsupport::WriteMacroLibrary(folder, {{"Burst", "journey_macro", testsupport::KeyTaps(2, 4, "20")}});
        std::vector<KeyListEntry> keys = engine->KeyList();
        keys.at(5).assignment = {0x70, 0, 0};
        engine->SetKeyList(keys);
        engine->SaveProfile();
    }

    // Chooses an effect the way the user does: the combo's selection raises "itemselect".
    void ChooseEffect(uint16_t productId, int effect) {
        CComboUI* combo = Combo(productId, "light_combo_modeSelect");
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->SelectItem(effect));
        Pump(30);
    }
};

TEST_F(Journey, PlugChangeTheLightingAddASecondKeyboardAndUnplugBoth) {
    CMainWnd& w = Open();
    ASSERT_TRUE(PumpUntil([&] { return w.IsWindowVisible(); }));
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(Active(), nullptr);

    // Plugged in: the entry appears selected and the engine reads the keyboard.
    emu::EmulatedKeyboard& first = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    EXPECT_FALSE(NoDeviceShown());
    EXPECT_EQ(Active(), Engine(kT5K1));
    ASSERT_TRUE(PumpUntil([&] { return Received(first, 0x05); }));
    EXPECT_TRUE(IsSubsequence(Codes(first), {0x01, 0x03, 0x07, 0x1B, 0x02, 0x05})) << "read-all, then the lighting record";

    // An effect, through the combo.
    first.ClearPacketLog();
    ChooseEffect(kT5K1, kEffectStatic);
    ASSERT_TRUE(PumpUntil([&] { return Received(first, 0x06); }));
    EXPECT_EQ(DeviceRecord(first).at(kRecordEffect), kEffectStatic);
    EXPECT_EQ(StoredLight(kT5K1).SelectItem, kEffectStatic);

    // A colour swatch, clicked.
    CLightControlUI* lighting = Lighting(kT5K1);
    ASSERT_NE(lighting, nullptr);
    const uint32_t swatch = lighting->SwatchColour(4);
    const uint8_t red = (swatch >> 16) & 0xFF, green = (swatch >> 8) & 0xFF, blue = swatch & 0xFF;
    first.ClearPacketLog();
    Click(PageControl(kT5K1, "color_option_4"));
    ASSERT_TRUE(PumpUntil([&] { return Received(first, 0x06); }));
    const std::vector<uint8_t> record = DeviceRecord(first);
    EXPECT_EQ((std::vector<uint8_t>{record[kRecordRed], record[kRecordRed + 1], record[kRecordRed + 2]}),
              (std::vector<uint8_t>{red, green, blue}));
    const LightInfoRecord stored = StoredLight(kT5K1);
    EXPECT_EQ((std::vector<int>{stored.Red, stored.Green, stored.Blue}), (std::vector<int>{red, green, blue}));
    // The picture shows the static colour on the keys (the buttons keep it blue, green, red).
    CDeviceKeyButtonUI* escape = Engine(kT5K1)->LightButton(0);
    ASSERT_NE(escape, nullptr);
    const uint32_t shown = static_cast<uint32_t>(blue) << 16 | static_cast<uint32_t>(green) << 8 | red;
    EXPECT_TRUE(PumpUntil([&] { return (escape->GetLightColor() & 0xFFFFFF) == shown; }))
        << std::hex << escape->GetLightColor() << " " << shown;

    // Brightness and speed sliders, then the direction.
    const struct {
        const char* slider;
        int value;
        size_t recordByte;
        uint8_t deviceValue;
    } sliders[] = {{"deng_light_slider", 2, kRecordBrightness, 2}, {"deng_speed_slider", 1, kRecordSpeed, 3}};
    for (const auto& s : sliders) {
        SCOPED_TRACE(s.slider);
        auto* slider = PageControlAs<CSliderUI>(kT5K1, s.slider, "Slider");
        ASSERT_NE(slider, nullptr);
        first.ClearPacketLog();
        slider->SetValue(s.value);
        Raise(slider, DUI_MSGTYPE_VALUECHANGED);
        ASSERT_TRUE(PumpUntil([&] { return Received(first, 0x06); }));
        EXPECT_EQ(DeviceRecord(first).at(s.recordByte), s.deviceValue);
    }
    ChooseEffect(kT5K1, 1);  // a wave has a direction
    first.ClearPacketLog();
    Click(PageControl(kT5K1, "deng_FXL_check"));
    ASSERT_TRUE(PumpUntil([&] { return Received(first, 0x06); }));
    EXPECT_EQ(DeviceRecord(first).at(kRecordDirection), 1);
    EXPECT_EQ(StoredLight(kT5K1).Fx, 1);

    // The music effects are rendered here and streamed frame by frame.
    for (const int effect : {kEffectMusic, kEffectMusicColour}) {
        SCOPED_TRACE(effect);
        ChooseEffect(kT5K1, effect);
        const uint32_t frames = first.Snapshot().frameCount;
        EXPECT_TRUE(PumpUntil([&] { return first.Snapshot().frameCount > frames + 10; }));
    }

    // A second product joins without taking the selection; choosing its entry makes it active.
    Plug(kT3H7, "kbd2");
    ASSERT_TRUE(WaitConnected(kT3H7));
    EXPECT_EQ(Active(), Engine(kT5K1));
    const DevicePageRecord* second = nullptr;
    for (const DevicePageRecord& page : w.DeviceList()->Pages())
        if (page.engine == Engine(kT3H7)) second = &page;
    ASSERT_NE(second, nullptr);
    // Each page keeps its own settings tab and direction selected: the strip and the panel are
    // the same layouts on every page.
    for (const uint16_t product : {kT5K1, kT3H7}) {
        SCOPED_TRACE(product);
        auto* tab = PageControlAs<COptionUI>(product, "deng_Op_tab", "Option");
        ASSERT_NE(tab, nullptr);
        EXPECT_TRUE(tab->IsSelected());
        auto* left = PageControlAs<COptionUI>(product, "deng_FXL_check", "Option");
        auto* right = PageControlAs<COptionUI>(product, "deng_FXR_check", "Option");
        ASSERT_TRUE(left && right);
        EXPECT_NE(left->IsSelected(), right->IsSelected());
    }
    // Both cards say "keyboard"; the model line tells them apart.
    EXPECT_EQ(second->entry->FindSubControl("device_select_model")->GetText(), "T3H7");
    Click(second->entry->FindSubControl("device_select"));
    EXPECT_EQ(Active(), Engine(kT3H7));
    Click(w.FindControl("device_select_prev"));
    EXPECT_EQ(Active(), Engine(kT5K1));
    Click(w.FindControl("device_select_next"));
    EXPECT_EQ(Active(), Engine(kT3H7));

    // Unplugging the selected one selects the other; the last one leaves the empty state.
    ASSERT_TRUE(keyboards_[1]->Unplug());
    ASSERT_TRUE(PumpUntil([&] { return !EntryShown(kT3H7); }));
    EXPECT_EQ(Active(), Engine(kT5K1));
    ASSERT_TRUE(first.Unplug());
    ASSERT_TRUE(PumpUntil([&] { return NoDeviceShown(); }));
    EXPECT_EQ(Active(), nullptr);

    // Back in: the same page is bound again.
    std::string error;
    ASSERT_TRUE(first.Replug(error)) << error;
    EXPECT_TRUE(WaitConnected(kT5K1));
}

TEST_F(Journey, ProfilesAreAddedCopiedRenamedDeletedExportedImportedAndSwitched) {
    int questions = 0;
    std::string nextFile;
    SetProfileDialogHooks({[&](HWND, int, const std::string&, bool, int) {
                               ++questions;
                               return 1;
                           },
                           [&](HWND, bool) { return nextFile; }});
    Open();
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    CComboUI* profiles = Combo(kT5K1, "device_profile_combo");
    ASSERT_NE(profiles, nullptr);
    ASSERT_EQ(profiles->GetCount(), 1);
    CControlUI* menu = PageControl(kT5K1, "profile_menu_layout");
    ASSERT_NE(menu, nullptr);
    if (!menu->IsVisible()) Click(PageControl(kT5K1, "profile_fun_spread_btn"));
    ASSERT_TRUE(menu->IsVisible());
    AssignAMacro(kT5K1);  // the copy below carries it

    Click(PageControl(kT5K1, "device_add_btn"));
    EXPECT_EQ(profiles->GetCount(), 2);
    Click(PageControl(kT5K1, "device_copy_btn"));
    EXPECT_EQ(profiles->GetCount(), 3);

    PageControl(kT5K1, "device_profile_name_edit")->SetText("Raid night");
    Click(PageControl(kT5K1, "device_profile_edit_save_btn"));
    EXPECT_EQ(profiles->GetItemAt(profiles->GetCurSel())->GetText(), "Raid night");

    const std::filesystem::path exported = dir_ / "raid.json";
    nextFile = exported.string();
    Click(PageControl(kT5K1, "device_export_btn"));
    ASSERT_TRUE(std::filesystem::exists(exported));
    Json::Value document;
    std::ifstream(exported) >> document;
    EXPECT_EQ(document["profilename"].asString(), "Raid night");
    Click(PageControl(kT5K1, "device_import_btn"));
    EXPECT_EQ(profiles->GetCount(), 4);

    const int before = profiles->GetCount();
    Click(PageControl(kT5K1, "device_sub_btn"));
    EXPECT_EQ(profiles->GetCount(), before - 1);
    Pump(600);  // the deletion selects a neighbour, which is switched to

    // Choosing the copy: after the user settles, its macro goes first, then the key table.
    keyboard.ClearPacketLog();
    ASSERT_NE(profiles->GetCurSel(), 1);
    ASSERT_TRUE(profiles->SelectItem(1));
    ASSERT_TRUE(PumpUntil([&] { return Received(keyboard, 0x09); }));
    const std::vector<uint8_t> codes = Codes(keyboard);
    EXPECT_LT(FirstIndexOf(codes, 0x15), FirstIndexOf(codes, 0x09)) << ::testing::PrintToString(codes);
    EXPECT_EQ(Engine(kT5K1)->ProfileId(), Panel(kT5K1)->GetCurrentUuid());
    EXPECT_EQ(questions, 0) << "nothing here needs the user's answer";
    SetProfileDialogHooks({});
}

TEST_F(Journey, ThreeQuickProfileChoicesLoadOnlyTheLast) {
    Open();
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    CControlUI* menu = PageControl(kT5K1, "profile_menu_layout");
    if (!menu->IsVisible()) Click(PageControl(kT5K1, "profile_fun_spread_btn"));
    Click(PageControl(kT5K1, "device_add_btn"));
    Click(PageControl(kT5K1, "device_add_btn"));
    CComboUI* profiles = Combo(kT5K1, "device_profile_combo");
    ASSERT_EQ(profiles->GetCount(), 3);
    AssignAMacro(kT5K1);
    Click(PageControl(kT5K1, "device_copy_btn"));  // the only profile other than the first with a macro
    ASSERT_EQ(profiles->GetCount(), 4);
    keyboard.ClearPacketLog();
    for (const int index : {1, 2, 3}) profiles->SelectItem(index);
    ASSERT_TRUE(PumpUntil([&] { return Received(keyboard, 0x09); }));
    Pump(600);
    // Each switch writes the profile's lighting record once, and the last one's macro.
    const std::vector<uint8_t> codes = Codes(keyboard);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x06), 1) << "one switch, not three";
    EXPECT_TRUE(Received(keyboard, 0x15));
    EXPECT_EQ(profiles->GetCurSel(), 3);
    EXPECT_EQ(Engine(kT5K1)->ProfileId(), Panel(kT5K1)->GetCurrentUuid());
}

TEST_F(Journey, ScreenshotsOfEachKeyboardPageInEnglishAndChinese) {
    CMainWnd& w = Open();
    const struct {
        uint16_t productId;
        const char* model;
        int effects[2];
    } products[] = {{kT5K1, "T5K1", {1, 20}}, {kT3H7, "T3H7", {3, 28}}, {kT3N9, "T3N9", {12, 26}}};
    const struct {
        const char* name;
        const char* file;
    } languages[] = {{"en", "lang/lan_en.xml"}, {"zh", "lang/lan_cn.xml"}};
    for (const auto& product : products) {
        emu::EmulatedKeyboard& keyboard = Plug(product.productId, product.model);
        ASSERT_TRUE(WaitConnected(product.productId)) << product.model;
        for (const auto& language : languages) {
            ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(language.file));
            CPaintManagerUI::ReloadAllText();
            Engine(product.productId)->RefreshPage();
            for (const int effect : product.effects) {
                ChooseEffect(product.productId, effect);
                Pump(400);  // a few frames of the effect on the picture
                Screenshot(std::string("keyboard_page_") + product.model + "_" + language.name + "_effect" +
                           std::to_string(effect));
            }
        }
        ASSERT_TRUE(keyboard.Unplug());
        ASSERT_TRUE(PumpUntil([&] { return !EntryShown(product.productId); }));
    }
    CResourceManager::GetInstance()->ResetTextMap();
    (void)w;
}

}  // namespace
