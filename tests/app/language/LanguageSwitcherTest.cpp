#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>

#include "app/language/InterfaceFonts.h"
#include "app/language/LanguageSwitcher.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

const std::string kKey = CurrentUserSoftwareKey(kAppName);

class LanguageSwitcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("ZORV_TEST_TMP");
        dir_ = std::filesystem::path(tmp ? tmp : "/tmp/language_tests") /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        registryPath_ = (dir_ / "registry.json").string();
        CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
        // A Chinese desktop unless a case says otherwise, whatever the machine runs with.
        for (const char* name : kLocaleVariables) {
            const char* value = std::getenv(name);
            savedLocale_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("LANG", "zh_CN.UTF-8", 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : savedLocale_) {
            if (value) setenv(name, value->c_str(), 1);
            else unsetenv(name);
        }
    }
    static void SetLocale(const char* language, const char* all, const char* messages, const char* lang) {
        const char* values[] = {language, all, messages, lang};
        for (size_t i = 0; i < 4; ++i) {
            if (values[i]) setenv(kLocaleVariables[i], values[i], 1);
            else unsetenv(kLocaleVariables[i]);
        }
    }
    CLanguageSwitcher Switcher(const std::string& list = ProgramFolder() + "DefaultData/Language.config") {
        return CLanguageSwitcher(list, RegistryStore(registryPath_));
    }
    uint32_t SavedId() const {
        uint32_t id = 0;
        return RegistryStore(registryPath_).ReadDword(kKey, kLanguageValueName, id) ? id : 0;
    }
    static std::string Text(const std::string& key) { return CResourceManager::GetInstance()->GetText(key); }
    static std::string DefaultFace() { return CPaintManagerUI::GetDefaultFontInfo().face; }

    static constexpr const char* kLocaleVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::filesystem::path dir_;
    std::string registryPath_;
    std::vector<std::pair<const char*, std::optional<std::string>>> savedLocale_;
};

TEST_F(LanguageSwitcherTest, FirstStartUsesTheChineseFileThenTheFirstLanguage) {
    CLanguageSwitcher switcher = Switcher();
    EXPECT_EQ(switcher.GetLanguageIndex(), -1);
    ASSERT_TRUE(switcher.LoadFirstLanguage());
    EXPECT_EQ(Text("msg_confirm_btn"), "确定");
    EXPECT_EQ(switcher.ReadSavedIndex(), 0);
    switcher.ApplySavedLanguage();
    EXPECT_EQ(switcher.GetLanguageIndex(), 0);
    EXPECT_EQ(DefaultFace(), "Noto Sans CJK SC");
    EXPECT_EQ(SavedId(), 2052u);
}

TEST_F(LanguageSwitcherTest, SwitchWritesTheRegistryChangesFontsAndResolvesTextsAgain) {
    CLanguageSwitcher switcher = Switcher();
    switcher.LoadFirstLanguage();
    switcher.ApplySavedLanguage();
    RecordingWindow* window = OpenWindow("dialogs/MsgWnd.xml");
    CControlUI* confirm = window->FindControl("confirm_btn");
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->GetText(), "确定");

    DebugCapture debug;
    ASSERT_TRUE(switcher.ApplyLanguage(1));
    EXPECT_EQ(switcher.GetLanguageIndex(), 1);
    EXPECT_EQ(SavedId(), 1033u);
    EXPECT_TRUE(debug.Contains("写成功！"));
    EXPECT_EQ(CResourceManager::GetInstance()->GetLanguage(), "en");
    EXPECT_EQ(confirm->GetText(), "OK");
    EXPECT_EQ(DefaultFace(), "Noto Sans");
    FontInfo big;
    ASSERT_TRUE(CPaintManagerUI::GetFontInfo(50, big));
    EXPECT_EQ(big.face, "Noto Sans");
    EXPECT_EQ(big.size, 18);
    EXPECT_TRUE(big.bold);
    delete window;
    Pump();
}

TEST_F(LanguageSwitcherTest, SavedChoiceIsFoundByItsId) {
    const struct {
        uint32_t saved;
        int index;
    } cases[] = {{2052, 0}, {1033, 1}, {1028, 2}, {1054, 15}, {4242, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(RegistryStore(registryPath_).WriteDword(kKey, kLanguageValueName, c.saved));
        EXPECT_EQ(Switcher().ReadSavedIndex(), c.index) << c.saved;
    }
    ASSERT_TRUE(RegistryStore(registryPath_).WriteDword(kKey, kLanguageValueName, 1033));
    EXPECT_EQ(Switcher((dir_ / "missing.config").string()).ReadSavedIndex(), 0);
}

TEST_F(LanguageSwitcherTest, FirstStartFollowsTheDesktopLocale) {
    const struct {
        const char* language;
        const char* all;
        const char* messages;
        const char* lang;
        int index;
    } cases[] = {
        {nullptr, nullptr, nullptr, "en_US.UTF-8", 1},
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", 0},
        {nullptr, nullptr, nullptr, "zh_TW.UTF-8", 2},
        {nullptr, nullptr, nullptr, "zh_HK", 2},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8@euro", 3},
        {nullptr, nullptr, nullptr, "pt_BR.UTF-8", 7},
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", 9},
        {nullptr, nullptr, nullptr, "ko_KR.UTF-8", 10},
        {nullptr, nullptr, nullptr, "th_TH.UTF-8", 15},
        {nullptr, nullptr, nullptr, "C.UTF-8", 1},   // no language: English
        {nullptr, nullptr, nullptr, "nl_NL.UTF-8", 1},
        {nullptr, nullptr, nullptr, nullptr, 1},
        {"sv:fr:de", nullptr, nullptr, "en_US.UTF-8", 4},  // the first known of the list
        {nullptr, "ru_RU.UTF-8", "de_DE.UTF-8", "en_US.UTF-8", 8},
        {nullptr, nullptr, "it_IT.UTF-8", "en_US.UTF-8", 6},
        {"", "", "", "es_ES.UTF-8", 5},
    };
    for (const auto& c : cases) {
        SetLocale(c.language, c.all, c.messages, c.lang);
        EXPECT_EQ(Switcher().ReadSavedIndex(), c.index) << (c.lang ? c.lang : "-") << " " << (c.language ? c.language : "-");
    }
    // A saved choice wins over the desktop.
    SetLocale(nullptr, nullptr, nullptr, "en_US.UTF-8");
    ASSERT_TRUE(RegistryStore(registryPath_).WriteDword(kKey, kLanguageValueName, 2052));
    EXPECT_EQ(Switcher().ReadSavedIndex(), 0);
}

TEST_F(LanguageSwitcherTest, ChoosingTheCurrentLanguageAgainChangesAndWritesNothing) {
    CLanguageSwitcher switcher = Switcher();
    ASSERT_TRUE(switcher.ApplyLanguage(1));
    std::filesystem::remove(registryPath_);
    CPaintManagerUI::SetDefaultFont("Marker", 14, false, false, false);
    EXPECT_FALSE(switcher.ApplyLanguage(1));
    EXPECT_FALSE(std::filesystem::exists(registryPath_));
    EXPECT_EQ(DefaultFace(), "Marker");
}

TEST_F(LanguageSwitcherTest, FacesFollowTheLanguageAndItsPredecessor) {
    const struct {
        int language;
        int previous;
        const char* face;  // nullptr: fonts stay
    } cases[] = {
        {0, -1, "Noto Sans CJK SC"}, {2, 1, "Noto Sans CJK TC"}, {15, 3, "Noto Sans Thai"}, {3, 15, "Noto Sans"},
        {1, -1, "Noto Sans"},        {1, 0, "Noto Sans"},        {5, 2, "Noto Sans"},      {4, 3, nullptr},
        {1, 14, nullptr},
    };
    for (const auto& c : cases) {
        const auto face = InterfaceFaceFor(c.language, c.previous);
        EXPECT_EQ(face.value_or("(fonts stay)"), c.face ? c.face : "(fonts stay)") << c.language << " after " << c.previous;
    }
    // The same through the switcher: 15 -> 3 sets the Latin face, 3 -> 4 keeps what is there.
    CLanguageSwitcher switcher = Switcher();
    ASSERT_TRUE(switcher.ApplyLanguage(15));
    EXPECT_EQ(DefaultFace(), "Noto Sans Thai");
    ASSERT_TRUE(switcher.ApplyLanguage(3));
    EXPECT_EQ(DefaultFace(), "Noto Sans");
    CPaintManagerUI::SetDefaultFont("Marker", 14, false, false, false);
    ASSERT_TRUE(switcher.ApplyLanguage(4));
    EXPECT_EQ(DefaultFace(), "Marker");
    EXPECT_EQ(SavedId(), 1036u);
}

TEST_F(LanguageSwitcherTest, IndexOutsideTheListIsRefused) {
    CLanguageSwitcher switcher = Switcher();
    ASSERT_TRUE(switcher.ApplyLanguage(1));
    for (const int bad : {-1, 16, 1000}) {
        EXPECT_FALSE(switcher.ApplyLanguage(bad)) << bad;
        EXPECT_EQ(switcher.GetLanguageIndex(), 1);
        EXPECT_EQ(SavedId(), 1033u);
    }
}

TEST_F(LanguageSwitcherTest, UnreadableListKeepsTheTextsAndWritesNothing) {
    const std::string list = (dir_ / "Language.config").string();
    std::ofstream(list) << "{ broken";
    CLanguageSwitcher switcher = Switcher(list);
    EXPECT_TRUE(switcher.ApplyLanguage(0));
    EXPECT_EQ(Text("msg_confirm_btn"), "OK");
    EXPECT_EQ(DefaultFace(), "Noto Sans CJK SC");
    EXPECT_FALSE(std::filesystem::exists(registryPath_));
}

TEST_F(LanguageSwitcherTest, ListNamingAFileOutsideTheLanguageFolderLoadsNothing) {
    const std::string list = (dir_ / "Language.config").string();
    std::ofstream(list) << R"({"Language": [{"Language_ID": 7, "Language_name": "x", "Language_file": "../res.xml",
                                              "Language_text": "X"}]})";
    CLanguageSwitcher switcher = Switcher(list);
    EXPECT_TRUE(switcher.ApplyLanguage(0));
    EXPECT_EQ(Text("msg_confirm_btn"), "OK");
    EXPECT_EQ(SavedId(), 7u);
}

TEST_F(LanguageSwitcherTest, RefreshReachesOpenWindowsOnly) {
    RecordingWindow* window = OpenWindow("dialogs/MsgWnd.xml");
    RefreshLanguageWindows({window->GetHWND(), 0, 0xDEADBEEF});
    ASSERT_EQ(window->messages.size(), 1u);
    EXPECT_EQ(window->messages[0].sender, std::to_string(kApplyLanguageMessage));
    EXPECT_EQ(window->messages[0].wParam, 0u);
    delete window;
    Pump();
}

}  // namespace
