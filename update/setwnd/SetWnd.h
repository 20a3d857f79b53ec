#pragma once
// The settings window: the interface language, and the update list that asks the update service
// about every product each time the window opens.
#include <string>
#include <vector>

#include "platform/WorkerThread.h"
#include "toolkit/UIlib.h"
#include "update/check/UpdateCheck.h"

class CUpdateInfoListItemUI;

// Sent to the owner with the chosen language index; the owner sends it back (wParam 0) to relabel.
inline constexpr DuiLib::UINT kSetWndApplyLanguage = 3089;
// Sent to the owner when every answered product is up to date (the owner clears its badge).
inline constexpr DuiLib::UINT kSetWndClearBadge = 3094;

// Closes the window whatever its rows say (its owner is going).
inline constexpr DuiLib::UINT kSetWndForceClose = DuiLib::WM_USER + 0x704;

// Overall status of the check.
namespace UpdateOverall {
inline constexpr int kChecking = 0;
inline constexpr int kOffered = 1;
inline constexpr int kNoServer = 2;
inline constexpr int kUpdating = 3;
inline constexpr int kUpToDate = 4;
}  // namespace UpdateOverall

class CSetWnd : public DuiLib::WindowImplBase {
public:
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;

    CSetWnd();
    ~CSetWnd() override;

    std::string GetWindowClassName() const override { return "SetWnd"; }
    std::string GetSkinFile() override { return "setwnd.xml"; }
    void InitWindow() override;
    DuiLib::CControlUI* CreateControl(const std::string& className) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    DuiLib::LRESULT OnClose(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, bool& bHandled) override;
    DuiLib::LRESULT OnSysCommand(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                 bool& bHandled) override;
    DuiLib::LRESULT OnDestroy(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    // 48, 72, 96, 120, 144, 168 or 192; anything else is logged and 96 is used.
    void SetDisplayScale(int dpi);
    int GetDisplayScale() const { return m_dpi; }
    template <typename Table> void SetProductList(const Table& targets) {
        m_targets.assign(targets.begin(), targets.end());
    }
    void SetOwnerAndLanguage(DuiLib::HWND owner, int languageIndex);
    // Where the last check date is kept; UpdateTimeFilePath() unless a test says otherwise.
    void SetUpdateTimeFile(std::string path) { m_updateTimeFile = std::move(path); }
    // Deletes the window object when the window goes (the main window's use); tests keep it.
    void SetDeleteOnClose(bool on) { m_deleteOnClose = on; }

    int GetOverallStatus() const { return m_overallStatus; }
    int GetLanguageIndex() const { return m_languageIndex; }
    const std::string& GetLastCheckDate() const { return m_lastCheckDate; }
    const std::vector<UpdateResult>& GetUpdateRecords() const { return m_records; }
    int GetRowCount() const { return m_rowCount; }
    CUpdateInfoListItemUI* Row(int index) const;
    // True once the check thread has handed over every answer.
    bool IsCheckFinished() const { return m_checkFinished; }
    // Whether WM_CLOSE is refused now (a row waits for or runs its download or installation).
    bool IsCloseRefused() const;

private:
    struct CheckProgress;
    void OnWindowInit();
    void FillLanguageList();
    void StartUpdateCheck();
    void StopWorkers();
    static void RunUpdateCheck(const WorkerArgs& args, std::vector<ProductInfoEntry> targets, DuiLib::HWND window,
                               std::string updateTimeFile);

    void AddRow(const UpdateResult& result);
    void RefreshRow(const UpdateResult& result, int index);
    // The row's texts, status and user data, and the update record behind it.
    void ShowResult(CUpdateInfoListItemUI& row, const UpdateResult& result, const std::string& newVersionText,
                    size_t record);
    void FinishCheck(int failures);
    void ShowOverallStatus(int status);
    void OnTickChanged();
    void ConfirmTicked();
    void ShowUpdatePage(int page);
    void OnLanguageChosen();
    void UpdateMaximiseButtons();
    // kWidth x kHeight at the window's scale, without moving it.
    void ResizeToDesignSize();

    DuiLib::HWND m_owner = 0;
    int m_languageIndex = -1;
    int m_dpi = 96;
    int m_overallStatus = 0;
    std::string m_lastCheckDate;
    std::string m_updateTimeFile;
    std::vector<ProductInfoEntry> m_targets;
    std::vector<UpdateResult> m_records;
    int m_rowCount = 0;
    bool m_checkFinished = false;
    bool m_deleteOnClose = false;
    bool m_wasMaximized = false;
    // Only the first, the update check, is ever started.
    WorkerThread m_workers[3];

    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CControlUI* m_pMaxBtn = nullptr;
    DuiLib::CControlUI* m_pRestoreBtn = nullptr;
    DuiLib::CControlUI* m_pMinBtn = nullptr;
    DuiLib::CControlUI* m_pMenuBtn = nullptr;
    DuiLib::CControlUI* m_pLaterBtn = nullptr;
    DuiLib::CListUI* m_pUpdateList = nullptr;
    DuiLib::CComboUI* m_pLanguageList = nullptr;
};

// The open settings window (0 when none).
DuiLib::HWND SettingsWindow();
