// The settings window offscreen, asking a real update service on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <chrono>

#include "app/language/InterfaceFonts.h"
#include "store/JsonFile.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "tests/update/UpdateServer.h"
#include "update/http/HttpClient.h"
#include "update/setwnd/SetWnd.h"
#include "update/setwnd/UpdateInfoListItem.h"

using namespace DuiLib;
using namespace ToolkitTest;
using namespace updatetest;

namespace {

// The T5K1 keyboard connected at release 0x0104; the other keyboards absent; the application at 1.0.0.
constexpr const char kKeyboardKey[] = "NUVEX_1_QT40R17B_T5K1_1";
constexpr const char kApplicationKey[] = "NUVEX_0_ALL_RW5_BQ4_BQ3_1";

void UseLanguage(const std::string& language) {
    CResourceManager::GetInstance()->LoadResource();
    const bool chinese = language == "zh";
    CResourceManager::GetInstance()->LoadLanguage(chinese ? "lang/lan_cn.xml" : "lang/lan_en.xml");
    RebuildInterfaceFonts(chinese ? "Noto Sans CJK SC" : "Noto Sans");
    CResourceManager::GetInstance()->ReloadText();
}

// Every product answers "nothing newer" unless told otherwise.
Json::Value Answers(const std::string& keyboardAnswer, const std::string& otherAnswer) {
    Json::Value answers;
    answers["by_key"][kKeyboardKey]["body"] = keyboardAnswer;
    answers["by_key"][kApplicationKey]["body"] = otherAnswer.empty() ? otherAnswer : R"({"name":"AP","version":"100","version_name":"1.0.0"})";
    answers["default"]["body"] = otherAnswer;
    return answers;
}

class SetWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (dir_ / "config").string());
        timeFile_ = (dir_ / "user" / "updatetime.config").string();
        UseLanguage("en");
        owner_ = OpenWindow("toolkit-test/demo.xml");
    }
    void TearDown() override {
        if (wnd_ && IsWindow(wnd_->GetHWND())) {
            // A confirmed row refuses the close; "later" always closes.
            if (CControlUI* later = wnd_->FindControl("laterbtn")) later->Activate();
            PumpUntil([&] { return !IsWindow(wnd_->GetHWND()); });
        }
        Pump();
        delete wnd_;
        delete owner_;
        Pump();
    }

    CSetWnd& Open(const std::string& serviceUrl, int dpi = 96, bool waitForTheCheck = true) {
        service_.reset();  // restores the old value before the new one is set
        service_ = std::make_unique<ScopedEnv>(kUpdateServiceVariable, serviceUrl);
        wnd_ = new CSetWnd();
        const DeviceVersionSource devices[] = {{true, 0x0104}};
        wnd_->SetProductList(UpdateTargets(devices));
        wnd_->SetOwnerAndLanguage(owner_->GetHWND(), 1);
        wnd_->SetUpdateTimeFile(timeFile_);
        wnd_->SetDisplayScale(dpi);
        wnd_->Create(owner_->GetHWND(), "SetWnd", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, CSetWnd::kWidth,
                     CSetWnd::kHeight);
        if (waitForTheCheck) {
            EXPECT_TRUE(PumpUntil([&] { return wnd_->IsCheckFinished(); }, 8000));
        }
        Pump();
        return *wnd_;
    }
    CUpdateInfoListItemUI& Row(int k) {
        CUpdateInfoListItemUI* row = wnd_->Row(k);
        EXPECT_NE(row, nullptr) << k;
        static CUpdateInfoListItemUI none;
        return row ? *row : none;
    }
    std::string StatusText() { return wnd_->FindControl("Update_Status_text")->GetText(); }
    bool Shown(const char* name) {
        CControlUI* control = wnd_->FindControl(name);
        return control && control->IsVisible();
    }
    int OwnerMessages(UINT msg) const {
        int count = 0;
        for (const Recorded& m : owner_->messages) count += m.sender == std::to_string(msg);
        return count;
    }
    void Screenshot(const std::string& name) {
        QDir().mkpath(ZORV_SCREENSHOT_DIR);
        wnd_->GetPaintManager()->UpdateLayout();
        const QImage shot = wnd_->GetHostWidget()->grab().toImage();
        EXPECT_TRUE(shot.save(QString("%1/%2.png").arg(ZORV_SCREENSHOT_DIR).arg(QString::fromStdString(name))));
    }

    std::filesystem::path dir_;
    std::string timeFile_;
    std::unique_ptr<ScopedEnv> config_, service_;
    RecordingWindow* owner_ = nullptr;
    CSetWnd* wnd_ = nullptr;
    DirectToTestServices direct_;
};

TEST_F(SetWndTest, OfferedUpdateIsListedTickedAndConfirmed) {
    UpdateServer server(dir_, Answers(R"({"name":"T5K1","version":"0105","version_name":"1.05","path":"http://dl/t5k1.bin"})",
                                      R"({"name":"x","version":"0"})"));
    ZORV_REQUIRE_UPDATE_SERVER(server);
    CSetWnd& wnd = Open(server.Url());

    // One POST per product, with the zero byte counted and "NULL" for products at version 0.
    const std::vector<LoggedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), kProductTable.size());
    EXPECT_EQ(requests[0].requestLine, "POST /api/updates HTTP/1.1");
    EXPECT_EQ(requests[0].body, std::string("app_key=NUVEX_1_QT40R17B_T5K1_1&version=104\0", 44));
    for (size_t k = 1; k + 1 < requests.size(); ++k)
        EXPECT_EQ(requests[k].body, std::string("app_key=NULL&version=0\0", 23)) << k;
    EXPECT_EQ(requests.back().body, std::string("app_key=NUVEX_0_ALL_RW5_BQ4_BQ3_1&version=100\0", 46));
    for (const LoggedRequest& request : requests) {
        EXPECT_NE(std::find(request.headers.begin(), request.headers.end(), "Accept:application/prs.Nuvex.v1+json"),
                  request.headers.end());
        EXPECT_NE(std::find(request.headers.begin(), request.headers.end(),
                            "Content-Length: " + std::to_string(request.body.size())),
                  request.headers.end());
    }

    ASSERT_EQ(wnd.GetRowCount(), static_cast<int>(kProductTable.size()));
    EXPECT_EQ(Row(0).GetStatus(), UpdateStatus::kOffered);
    EXPECT_EQ(Row(0).GetProductName(), "T5K1");
    EXPECT_EQ(Row(0).GetCurrentVersionText(), "V0104");
    EXPECT_EQ(Row(0).GetNewVersionText(), "V0105");
    EXPECT_EQ(Row(0).GetStatusTextKey(), "NeedUpdateText");
    EXPECT_EQ(Row(0).GetUserData(), "http://dl/t5k1.bin");
    EXPECT_TRUE(Row(0).IsTicked());
    EXPECT_TRUE(Row(0).IsTickEnabled());
    for (int k = 1; k < wnd.GetRowCount(); ++k) {
        EXPECT_EQ(Row(k).GetStatus(), UpdateStatus::kCurrent) << k;
        EXPECT_EQ(Row(k).GetStatusTextKey(), "UpdateOkText");
        EXPECT_FALSE(Row(k).IsTickEnabled());
        EXPECT_EQ(Row(k).GetNewVersionText(), "");
    }
    EXPECT_EQ(Row(wnd.GetRowCount() - 1).GetProductName(), "AP");
    EXPECT_EQ(Row(wnd.GetRowCount() - 1).GetCurrentVersionText(), "V100");
    EXPECT_EQ(wnd.GetUpdateRecords()[0].localFile, UpdateDownloadFolder() + "T5K1.exe");
    EXPECT_EQ(wnd.GetOverallStatus(), UpdateOverall::kOffered);
    EXPECT_EQ(StatusText(), "Updates are available");
    EXPECT_TRUE(Shown("update_fw_and_ap"));
    EXPECT_EQ(ReadJsonValue(timeFile_)["updatelasttime"]["value"].asString(), TodayDateText());
    Screenshot("setwnd_offered_en_96");

    // Unticking the last ticked row hides the update button; ticking brings it back.
    Row(0).SetTicked(false, true);
    Pump();
    EXPECT_FALSE(Shown("update_fw_and_ap"));
    Row(0).SetTicked(true, true);
    Pump();
    EXPECT_TRUE(Shown("update_fw_and_ap"));

    wnd.FindControl("update_fw_and_ap")->Activate();
    auto* tab = static_cast<CTabLayoutUI*>(wnd.FindControl("get_update_tab_layout")->GetInterface("TabLayout"));
    EXPECT_EQ(tab->GetCurSel(), 1);
    Screenshot("setwnd_confirm_en_96");
    wnd.FindControl("update_OK_btn")->Activate();
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(Row(0).GetStatus(), UpdateStatus::kWaiting);
    EXPECT_EQ(Row(0).GetStatusTextKey(), "DownloadWaitText");
    EXPECT_FALSE(wnd.FindControl("update_fw_and_ap")->IsEnabled());
    Screenshot("setwnd_waiting_en_96");

    // A confirmed row keeps the window open against the close button and WM_CLOSE.
    EXPECT_TRUE(wnd.IsCloseRefused());
    wnd.FindControl("closebtn")->Activate();
    PostMessage(wnd.GetHWND(), WM_CLOSE, 0, 0);
    Pump(20);
    EXPECT_TRUE(IsWindow(wnd.GetHWND()));
    // "Later" withdraws the confirmation and closes.
    wnd.FindControl("laterbtn")->Activate();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(wnd.GetHWND()); }));
    EXPECT_EQ(Row(0).GetStatus(), UpdateStatus::kOffered);
}

TEST_F(SetWndTest, UnconfirmedOffersAreLeftDisabledAfterConfirmation) {
    Json::Value answers = Answers(R"({"name":"T5K1","version":"0105"})", R"({"name":"x","version":"0"})");
    answers["by_key"][kApplicationKey]["body"] = R"({"name":"AP","version":"101","version_name":"1.0.1"})";
    UpdateServer server(dir_, answers);
    ZORV_REQUIRE_UPDATE_SERVER(server);
    CSetWnd& wnd = Open(server.Url());
    const int app = wnd.GetRowCount() - 1;
    ASSERT_EQ(Row(app).GetStatus(), UpdateStatus::kOffered);
    EXPECT_EQ(Row(app).GetNewVersionText(), "1.0.1");
    Row(app).SetTicked(false, true);
    wnd.FindControl("update_OK_btn")->Activate();
    EXPECT_EQ(Row(0).GetStatus(), UpdateStatus::kWaiting);
    EXPECT_EQ(Row(app).GetStatus(), UpdateStatus::kOffered);
    EXPECT_FALSE(Row(app).IsTickEnabled());
}

TEST_F(SetWndTest, OverallStatusForEachKindOfAnswer) {
    const struct {
        const char* name;
        bool server;
        const char* answer;
        int overall;
        const char* text;
    } cases[] = {
        {"up_to_date", true, R"({"name":"x","version":"0"})", UpdateOverall::kUpToDate, "Everything is up to date. Last checked: 2024-3-7"},
        {"not_json", true, "<html>busy</html>", UpdateOverall::kUpToDate, "Everything is up to date. Last checked: 2024-3-7"},
        {"no_server", false, "", UpdateOverall::kNoServer, "The update service cannot be reached"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directories(dir_ / "user");
        std::ofstream(timeFile_, std::ios::trunc) << R"({"updatelasttime": {"value": "2024-3-7"}})";
        const std::filesystem::path serverDir = dir_ / c.name;
        std::filesystem::create_directories(serverDir);
        UpdateServer server(serverDir, Answers(c.answer, c.answer));
        ZORV_REQUIRE_UPDATE_SERVER(server);
        owner_->messages.clear();
        CSetWnd& wnd = Open(c.server ? server.Url() : "http://127.0.0.1:1");
        EXPECT_EQ(wnd.GetOverallStatus(), c.overall);
        EXPECT_EQ(StatusText(), c.text);
        EXPECT_EQ(wnd.GetLastCheckDate(), "2024-3-7");
        for (int k = 0; k < wnd.GetRowCount(); ++k) {
            EXPECT_EQ(Row(k).GetStatus(), UpdateStatus::kCurrent);
            EXPECT_FALSE(Row(k).IsTickEnabled());
        }
        EXPECT_EQ(Row(0).GetCurrentVersionText(), "V0104");
        EXPECT_FALSE(Shown("update_fw_and_ap"));
        EXPECT_EQ(OwnerMessages(kSetWndClearBadge), c.overall == UpdateOverall::kUpToDate ? 1 : 0);
        // Every answered row rewrote the file with today's date.
        EXPECT_EQ(ReadJsonValue(timeFile_)["updatelasttime"]["value"].asString(), TodayDateText());
        Screenshot(std::string("setwnd_") + c.name + "_en_96");
        if (c.overall == UpdateOverall::kUpToDate) {
            // The text follows a language change, date included.
            UseLanguage("zh");
            SendMessage(wnd.GetHWND(), kSetWndApplyLanguage, 0, 0);
            EXPECT_EQ(StatusText(), "全部已是最新。上次检查：2024-3-7");
            UseLanguage("en");
        }
        wnd.FindControl("closebtn")->Activate();
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(wnd.GetHWND()); }));
        delete wnd_;
        wnd_ = nullptr;
    }
}

TEST_F(SetWndTest, ASilentServerNeverHoldsTheWindow) {
    UpdateServer server(dir_, Json::Value(), {"--silent"});
    ZORV_REQUIRE_UPDATE_SERVER(server);
    CSetWnd& wnd = Open(server.Url(), 96, false);
    ASSERT_TRUE(PumpUntil([&] { return wnd.GetRowCount() == static_cast<int>(kProductTable.size()); }));
    EXPECT_EQ(wnd.GetOverallStatus(), UpdateOverall::kChecking);
    EXPECT_TRUE(Shown("update_status_ring"));
    Screenshot("setwnd_checking_en_96");
    const auto start = std::chrono::steady_clock::now();
    wnd.FindControl("closebtn")->Activate();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(wnd.GetHWND()); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(SetWndTest, ReceiveTimeOutEndsAHungCheck) {
    UpdateServer server(dir_, Json::Value(), {"--silent"});
    ZORV_REQUIRE_UPDATE_SERVER(server);
    ScopedEnv timeouts(kHttpTimeoutsVariable, "0,1000,300,300");
    CSetWnd& wnd = Open(server.Url());
    EXPECT_EQ(wnd.GetOverallStatus(), UpdateOverall::kUpToDate);  // answered with nothing, not unreachable
}

TEST_F(SetWndTest, LanguageListAndChoice) {
    CSetWnd& wnd = Open("http://127.0.0.1:1");
    auto* combo = static_cast<CComboUI*>(wnd.FindControl("Language_combox_info")->GetInterface("Combo"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 16);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetText(), "English");
    EXPECT_EQ(OwnerMessages(kSetWndApplyLanguage), 0);
    combo->SelectItem(0, false, true);
    Pump();
    ASSERT_EQ(OwnerMessages(kSetWndApplyLanguage), 1);
    for (const Recorded& m : owner_->messages)
        if (m.sender == std::to_string(kSetWndApplyLanguage)) {
            EXPECT_EQ(m.wParam, 0u);
        }
    EXPECT_EQ(wnd.GetLanguageIndex(), 0);
}

TEST_F(SetWndTest, HintIsPutAwayAndTheSizeKept) {
    CSetWnd& wnd = Open("http://127.0.0.1:1", 144);
    EXPECT_TRUE(Shown("update_tishi_layout"));
    wnd.FindControl("set_in_update_wnd_btn")->Activate();
    EXPECT_FALSE(Shown("update_tishi_layout"));
    EXPECT_EQ(wnd.GetHostWidget()->width(), CSetWnd::kWidth * 3 / 2);
    EXPECT_EQ(wnd.GetHostWidget()->height(), CSetWnd::kHeight * 3 / 2);
}

TEST_F(SetWndTest, DisplayScale) {
    CSetWnd wnd;
    const struct {
        int given, used;
    } cases[] = {{144, 144}, {100, 96}, {192, 192}, {0, 96}, {48, 48}};
    for (const auto& c : cases) {
        wnd.SetDisplayScale(c.given);
        EXPECT_EQ(wnd.GetDisplayScale(), c.used) << c.given;
    }
}

// The window's looks in both languages and both scales.
TEST_F(SetWndTest, Screenshots) {
    UpdateServer server(dir_, Answers(R"({"name":"T5K1","version":"0105","version_name":"1.05"})",
                                      R"({"name":"x","version":"0"})"));
    ZORV_REQUIRE_UPDATE_SERVER(server);
    for (const char* language : {"en", "zh"})
        for (const int dpi : {96, 144}) {
            UseLanguage(language);
            CSetWnd& wnd = Open(server.Url(), dpi);
            const std::string suffix = std::string("_") + language + "_" + std::to_string(dpi);
            Screenshot("setwnd_offered" + suffix);
            wnd.FindControl("update_fw_and_ap")->Activate();
            Screenshot("setwnd_confirm" + suffix);
            wnd.FindControl("update_OK_btn")->Activate();
            Screenshot("setwnd_waiting" + suffix);
            wnd.FindControl("laterbtn")->Activate();
            EXPECT_TRUE(PumpUntil([&] { return !IsWindow(wnd.GetHWND()); }));
            delete wnd_;
            wnd_ = nullptr;
            CSetWnd& unreachable = Open("http://127.0.0.1:1", dpi);
            Screenshot("setwnd_no_server" + suffix);
            unreachable.FindControl("closebtn")->Activate();
            EXPECT_TRUE(PumpUntil([&] { return !IsWindow(unreachable.GetHWND()); }));
            delete wnd_;
            wnd_ = nullptr;
        }
}

}  // namespace
