#include "update/setwnd/SetWnd.h"

#include <algorithm>
#include <memory>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/ShippedLists.h"
#include "update/http/HttpClient.h"
#include "update/setwnd/UpdateInfoListItem.h"

using namespace DuiLib;

namespace {

// From the check thread to the window; the window owns what lParam points to once delivered.
constexpr UINT kRowsAddedMessage = WM_USER + 0x701;    // lParam: std::vector<UpdateResult>
constexpr UINT kRowAnsweredMessage = WM_USER + 0x702;  // wParam: row, lParam: UpdateResult
constexpr UINT kCheckDoneMessage = WM_USER + 0x703;    // wParam: products without a server
constexpr UINT kDpiChangedMessage = 736;
constexpr WPARAM kSysCommandMask = 0xFFF0;
constexpr uint32_t kWorkerStopMs = 500;
constexpr int kLanguageTabNone = -1;
constexpr int kListPage = 0;
constexpr int kConfirmPage = 1;

HWND g_settingsWindow = 0;

template <typename T> void PostOwned(HWND window, UINT msg, WPARAM wParam, std::unique_ptr<T> data) {
    T* raw = data.release();
    if (!DuiLib::PostMessage(window, msg, wParam, reinterpret_cast<LPARAM>(raw), [raw] { delete raw; })) delete raw;
}

bool IsAcceptedScale(int dpi) {
    static constexpr int kScales[] = {48, 72, 96, 120, 144, 168, 192};
    return std::find(std::begin(kScales), std::end(kScales), dpi) != std::end(kScales);
}

// Rows in these states wait for or run a download or installation; closing would lose it.
bool BlocksClose(int status) {
    return status == UpdateStatus::kNone || status == UpdateStatus::kWaiting || status == UpdateStatus::kDownloading ||
           status == UpdateStatus::kDownloaded || status == UpdateStatus::kInstalling;
}

}  // namespace

CSetWnd::CSetWnd() : m_updateTimeFile(UpdateTimeFilePath()) {}

CSetWnd::~CSetWnd() { StopWorkers(); }

void CSetWnd::InitWindow() {
    g_settingsWindow = GetHWND();
    m_pCloseBtn = FindControl("closebtn");
    m_pMaxBtn = FindControl("maxbtn");
    m_pRestoreBtn = FindControl("restorebtn");
    m_pMinBtn = FindControl("minbtn");
    m_pMenuBtn = FindControl("menubtn");
    m_pLaterBtn = FindControl("laterbtn");
    CControlUI* list = FindControl("device_update_list_info");
    m_pUpdateList = list ? static_cast<CListUI*>(list->GetInterface("List")) : nullptr;
    CControlUI* combo = FindControl("Language_combox_info");
    m_pLanguageList = combo ? static_cast<CComboUI*>(combo->GetInterface("Combo")) : nullptr;
    m_pm.SetDPI(m_dpi);
    ResizeToDesignSize();
}

void CSetWnd::ResizeToDesignSize() {
    const SIZE size = m_pm.GetDPIObj()->Scale(SIZE{kWidth, kHeight});
    ResizeClient(size.cx, size.cy);
}

CControlUI* CSetWnd::CreateControl(const std::string& className) {
    if (className == "UpdateInfoListItem") return new CUpdateInfoListItemUI();
    return nullptr;
}

void CSetWnd::SetDisplayScale(int dpi) {
    if (!IsAcceptedScale(dpi)) {
        DebugOutput("SET_WND DPI SET ERROR");
        dpi = 96;
    }
    if (dpi == m_dpi) return;
    m_dpi = dpi;
    if (!GetHWND()) return;
    m_pm.SetDPI(dpi);
    ResizeToDesignSize();
}

void CSetWnd::SetOwnerAndLanguage(HWND owner, int languageIndex) {
    m_owner = owner;
    m_languageIndex = languageIndex;
}

CUpdateInfoListItemUI* CSetWnd::Row(int index) const {
    if (!m_pUpdateList || index < 0 || index >= m_pUpdateList->GetCount()) return nullptr;
    CControlUI* item = m_pUpdateList->GetItemAt(index);
    return item ? static_cast<CUpdateInfoListItemUI*>(item->GetInterface("UpdateInfoListItem")) : nullptr;
}

bool CSetWnd::IsCloseRefused() const {
    for (int i = 0; i < m_rowCount; ++i)
        if (const CUpdateInfoListItemUI* row = Row(i); row && BlocksClose(row->GetStatus())) return true;
    return false;
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) return OnWindowInit();
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType == DUI_MSGTYPE_ITEMSELECT && name == "Language_combox_info") return OnLanguageChosen();
    if (msg.sType == DUI_MSGTYPE_SELECTCHANGED && name == "check_name_select") return OnTickChanged();
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        if (name == "closebtn") {
            // Asked like any other close: refused while a confirmed row waits.
            PostMessage(WM_CLOSE, IDCANCEL, 0);
            return;
        }
        if (name == "laterbtn") {
            // "Later": confirmed rows go back to offered, since no download is running, and the window goes.
            for (int i = 0; i < m_rowCount; ++i)
                if (CUpdateInfoListItemUI* row = Row(i); row && row->GetStatus() == UpdateStatus::kWaiting) {
                    row->SetStatus(UpdateStatus::kOffered);
                    row->SetTickEnabled(true);
                }
            PostMessage(WM_CLOSE, IDCANCEL, 0);
            return;
        }
        if (name == "menubtn" || name == "homepage_btn") return;
        if (name == "set_in_update_wnd_btn") {
            if (CControlUI* tip = FindControl("update_tishi_layout")) tip->SetVisible(false);
            ResizeToDesignSize();
            return;
        }
        if (name == "update_fw_and_ap") return ShowUpdatePage(kConfirmPage);
        if (name == "update_cancel_btn") return ShowUpdatePage(kListPage);
        if (name == "update_OK_btn") {
            ConfirmTicked();
            if (CControlUI* update = FindControl("update_fw_and_ap")) update->SetEnabled(false);
            return ShowUpdatePage(kListPage);
        }
    }
    WindowImplBase::Notify(msg);
}

void CSetWnd::OnWindowInit() {
    FillLanguageList();
    m_lastCheckDate = ReadOrCreateLastCheckDate(m_updateTimeFile);
    StartUpdateCheck();
}

void CSetWnd::FillLanguageList() {
    if (!m_pLanguageList) return;
    m_pLanguageList->RemoveAll();
    for (const LanguageEntry& language : ReadLanguageList(ProgramFolder() + "DefaultData/Language.config")) {
        auto* item = new CListLabelElementUI();
        // The language's own name, the same in every language.
        item->SetResourceText(false);
        item->SetText(language.Language_text);
        m_pLanguageList->Add(item);
    }
    if (m_languageIndex != kLanguageTabNone) m_pLanguageList->SelectItem(m_languageIndex, false, false);
}

void CSetWnd::StartUpdateCheck() {
    m_overallStatus = -1;
    ShowOverallStatus(UpdateOverall::kChecking);
    m_checkFinished = false;
    m_workers[0].Start(this,
                       [targets = m_targets, window = GetHWND(), file = m_updateTimeFile](const WorkerArgs& args) {
                           RunUpdateCheck(args, targets, window, file);
                       },
                       kWorkerStopMs);
}

void CSetWnd::RunUpdateCheck(const WorkerArgs& args, std::vector<ProductInfoEntry> targets, HWND window,
                             std::string updateTimeFile) {
    const auto stopped = [&args] { return args.stopEvent && args.stopEvent->Wait(0) == WaitResult::Signaled; };
    auto placeholders = std::make_unique<std::vector<UpdateResult>>();
    for (const ProductInfoEntry& target : targets) placeholders->push_back(PlaceholderResult(target));
    PostOwned(window, kRowsAddedMessage, 0, std::move(placeholders));

    int failures = 0;
    for (size_t k = 0; k < targets.size(); ++k) {
        if (stopped()) return;
        const ProductInfoEntry& target = targets[k];
        UpdateResult result = RequestUpdateInfo(MakeAppKey(target), target.firmwareVersion, target.productClass, stopped);
        if (stopped()) return;
        if (result.name.size() == sizeof(kNoLinkServer) - 1 &&
            std::equal(result.name.begin(), result.name.end(), kNoLinkServer,
                       [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; })) {
            ++failures;
            result.name.clear();
        }
        if (result.name.empty()) result = PlaceholderResult(target);
        result.name = target.productName ? target.productName : "";
        PostOwned(window, kRowAnsweredMessage, k, std::make_unique<UpdateResult>(std::move(result)));
        // Rewritten after every answered row, as the check goes.
        WriteLastCheckDate(updateTimeFile, TodayDateText());
    }
    DuiLib::PostMessage(window, kCheckDoneMessage, static_cast<WPARAM>(failures), 0);
}

void CSetWnd::AddRow(const UpdateResult& result) {
    if (!m_pUpdateList) return;
    CDialogBuilder builder;
    CControlUI* built = builder.Create(CUpdateInfoListItemUI::kLayout, {}, this, &m_pm);
    auto* row = built ? static_cast<CUpdateInfoListItemUI*>(built->GetInterface("UpdateInfoListItem")) : nullptr;
    if (!row) {
        DebugOutput("SetWnd: " + std::string(CUpdateInfoListItemUI::kLayout) + " failed: " + builder.GetLastError());
        delete built;
        return;
    }
    m_pUpdateList->Add(row);
    m_records.emplace_back();
    ShowResult(*row, result, result.newVersionText, m_records.size() - 1);
}

void CSetWnd::RefreshRow(const UpdateResult& result, int index) {
    CUpdateInfoListItemUI* row = Row(index);
    if (!row || static_cast<size_t>(index) >= m_records.size()) return;
    ShowResult(*row, result, result.status == UpdateStatus::kCurrent ? std::string() : result.newVersionText,
               static_cast<size_t>(index));
}

void CSetWnd::ShowResult(CUpdateInfoListItemUI& row, const UpdateResult& result, const std::string& newVersionText,
                         size_t record) {
    row.SetFixedHeight(CUpdateInfoListItemUI::kRowHeight);
    row.SetProductName(result.name);
    row.SetCurrentVersionText(result.currentVersionText);
    row.SetNewVersionText(newVersionText);
    row.SetStatus(result.status);
    row.SetUserData(result.downloadPath);
    row.SetTickEnabled(false);
    m_records[record] = result;
    m_records[record].localFile = UpdateDownloadFolder() + result.name + ".exe";
    m_rowCount = m_pUpdateList->GetCount();
}

void CSetWnd::FinishCheck(int failures) {
    bool offered = false;
    for (int i = 0; i < m_rowCount; ++i) {
        CUpdateInfoListItemUI* row = Row(i);
        if (!row) continue;
        if (row->GetStatus() == UpdateStatus::kCurrent || row->GetStatus() == UpdateStatus::kNone) {
            row->SetTickEnabled(false);
            continue;
        }
        row->SetTickEnabled(true);
        row->SetTicked(true, true);
        if (CControlUI* update = FindControl("update_fw_and_ap")) {
            update->SetEnabled(true);
            update->SetVisible(true);
        }
        offered = true;
    }
    m_checkFinished = true;
    if (offered) ShowOverallStatus(UpdateOverall::kOffered);
    else if (failures == static_cast<int>(m_targets.size())) ShowOverallStatus(UpdateOverall::kNoServer);
    else ShowOverallStatus(UpdateOverall::kUpToDate);
}

void CSetWnd::ShowOverallStatus(int status) {
    static constexpr const char* kTextKeys[] = {"GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText",
                                                "ISUpdateINGText", "UpdateIsLastText"};
    if (status < 0 || status > UpdateOverall::kUpToDate) return;
    m_overallStatus = status;
    if (CControlUI* ring = FindControl("update_status_ring")) ring->SetVisible(status == UpdateOverall::kChecking);
    if (CControlUI* image = FindControl("update_status_image")) {
        image->SetVisible(status != UpdateOverall::kChecking);
        // The mark tells an offer or a failure apart from a plain "up to date" at a glance.
        const bool attention = status == UpdateOverall::kOffered || status == UpdateOverall::kNoServer;
        image->SetBkImage(attention ? "setwnd/status_attention.svg" : "setwnd/status_ok.svg");
    }
    CControlUI* text = FindControl("Update_Status_text");
    if (!text) return;
    text->SetResourceText(true);
    text->SetText(kTextKeys[status]);
    if (status != UpdateOverall::kUpToDate) return;
    const std::string resolved = text->GetText();
    text->SetResourceText(false);
    text->SetText(resolved + m_lastCheckDate);
    if (m_owner) DuiLib::PostMessage(m_owner, kSetWndClearBadge, 0, 0);
}

void CSetWnd::OnTickChanged() {
    bool anyTicked = false;
    for (int i = 0; i < m_rowCount; ++i)
        if (CUpdateInfoListItemUI* row = Row(i); row && row->IsTicked()) anyTicked = true;
    if (CControlUI* update = FindControl("update_fw_and_ap")) {
        update->SetEnabled(anyTicked);
        update->SetVisible(anyTicked);
    }
}

void CSetWnd::ConfirmTicked() {
    for (int i = 0; i < m_rowCount; ++i) {
        CUpdateInfoListItemUI* row = Row(i);
        if (!row || (row->GetStatus() != UpdateStatus::kOffered && row->GetStatus() != UpdateStatus::kOfferedAgain))
            continue;
        if (row->IsTicked()) row->SetStatus(UpdateStatus::kWaiting);
        else row->SetTickEnabled(false);
    }
}

void CSetWnd::ShowUpdatePage(int page) {
    CControlUI* control = FindControl("get_update_tab_layout");
    if (auto* tab = control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr)
        tab->SelectItem(page);
}

void CSetWnd::OnLanguageChosen() {
    if (!m_pLanguageList) return;
    const int index = m_pLanguageList->GetCurSel();
    if (!m_owner || index < 0) return;
    m_languageIndex = index;
    DuiLib::SendMessage(m_owner, kSetWndApplyLanguage, static_cast<WPARAM>(index), 0);
}

LRESULT CSetWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    bHandled = true;
    switch (msg) {
    case kRowsAddedMessage: {
        std::unique_ptr<std::vector<UpdateResult>> rows(reinterpret_cast<std::vector<UpdateResult>*>(lParam));
        if (rows)
            for (const UpdateResult& row : *rows) AddRow(row);
        return 0;
    }
    case kRowAnsweredMessage: {
        std::unique_ptr<UpdateResult> result(reinterpret_cast<UpdateResult*>(lParam));
        if (result) RefreshRow(*result, static_cast<int>(wParam));
        return 0;
    }
    case kCheckDoneMessage: FinishCheck(static_cast<int>(wParam)); return 0;
    case kSetWndForceClose:
        StopWorkers();
        DestroyWindowNow(IDCANCEL);  // may delete this
        return 0;
    case kSetWndApplyLanguage:
        if (m_overallStatus == UpdateOverall::kUpToDate) ShowOverallStatus(UpdateOverall::kUpToDate);
        m_pm.Invalidate();
        if (CControlUI* root = m_pm.GetRoot()) root->NeedUpdate();
        return 0;
    case kDpiChangedMessage:
        m_pm.SetDPI(static_cast<int>(wParam & 0xFFFF));
        m_pm.ResetDPIAssets();
        if (CControlUI* root = m_pm.GetRoot()) root->NeedUpdate();
        return 0;
    default: break;
    }
    bHandled = false;
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, bHandled);
}

LRESULT CSetWnd::OnClose(UINT, WPARAM, LPARAM, bool& bHandled) {
    if (IsCloseRefused()) {
        bHandled = true;  // swallowed
        return 0;
    }
    StopWorkers();
    bHandled = false;
    return 0;
}

LRESULT CSetWnd::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    bHandled = true;
    // A system close asks like WM_CLOSE: it ends this window, never the whole program.
    if ((wParam & kSysCommandMask) == SC_CLOSE) {
        PostMessage(WM_CLOSE, IDCANCEL, 0);
        return 0;
    }
    const LRESULT result = CWindowWnd::HandleMessage(msg, wParam, lParam);
    UpdateMaximiseButtons();
    return result;
}

void CSetWnd::UpdateMaximiseButtons() {
    const bool maximized = IsMaximized();
    if (maximized == m_wasMaximized) return;
    m_wasMaximized = maximized;
    if (m_pMaxBtn) m_pMaxBtn->SetVisible(!maximized);
    if (m_pRestoreBtn) m_pRestoreBtn->SetVisible(maximized);
}

void CSetWnd::StopWorkers() {
    for (WorkerThread& worker : m_workers)
        if (worker.Running()) worker.Stop(kWorkerStopMs, kObjectStopLines);
}

LRESULT CSetWnd::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
    StopWorkers();
    if (g_settingsWindow == GetHWND()) g_settingsWindow = 0;
    bHandled = false;
    return 0;
}

void CSetWnd::OnFinalMessage(HWND hwnd) {
    if (g_settingsWindow == hwnd) g_settingsWindow = 0;
    if (m_deleteOnClose) delete this;
}

HWND SettingsWindow() { return g_settingsWindow; }
