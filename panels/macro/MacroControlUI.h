#pragma once
// The macro editor of the keyboard and mouse pages: the macro library's names on one side and the
// selected macro's events, one row per event, on the other. Every change of the rows ends in the
// macro's file. Recording feeds the rows through the macro recorder.
#include <json/json.h>

#include <string>
#include <vector>

#include "engines/device/DeviceLinks.h"
#include "input/MacroRecorder.h"
#include "panels/keyset/NamedControls.h"
#include "store/ListView.h"
#include "store/MacroLibrary.h"
#include "toolkit/Container.h"

inline constexpr unsigned kTimerScrollToSelection = 4101;
inline constexpr unsigned kScrollDelayMs = 50;

enum class MacroMove { Up, Down, Top, Bottom };
enum class MouseMoveDirection { Left = 0, Right = 1, Up = 2, Down = 3 };

class CMacroControlUI : public DuiLib::CHorizontalLayoutUI,
                        public IMacroPanel,
                        public IListView,
                        public IMacroEventRows {
public:
    static constexpr const char* kClassName = "MacroControl";

    CMacroControlUI();
    ~CMacroControlUI() override;
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void DoEvent(DuiLib::TEventUI& event) override;

    // IMacroPanel: the page was built; the library of the folder is loaded.
    void BindEngine(const std::string& userDataFolder, CTorvanelUSBDevice* engine) override;
    CTorvanelUSBDevice* Engine() const { return engine_; }
    CMacroLibrary& Library() { return library_; }

    // Library commands (the names reach the key assignment panel through the actions).
    void OnMacroSelected();
    std::string AddMacro();
    int SaveMacro();
    void EnableEventControls(bool enabled);

    // Event rows.
    void MoveSelectedRow(MacroMove move);
    void DeleteSelectedRow();
    void DeleteAllRows();
    // Algorithms 4: a button message (0x201 ...), or a move (0x200) with the direction.
    void InsertMouseEvent(unsigned message, int variant);
    void LoadRows(const std::vector<MacroRow>& rows);
    std::vector<MacroRow> Rows() const;
    int FixedDelay() const { return recorder_.FixedDelay(); }

    // Recording.
    // Algorithms 1: reads the delay mode's fixed delay and enters the recording state.
    void BeginRecording(int delayMode, RecordPlacement placement, uint32_t nowMs);
    // Back to idle, then the macro is saved.
    void EndRecording();
    bool IsRecording() const { return recording_; }
    void SetRecordingState(bool recording);
    bool OnKeyboardHook(RecordPlacement placement, unsigned keyMessage, const KeyboardHookRecord& record, uint32_t nowMs);
    bool OnMouseHook(RecordPlacement placement, unsigned mouseMessage, const MouseHookRecord& record, uint32_t nowMs);
    bool FixedDelayChecked() const;

    // IListView over "macro_name_list".
    int Count() const override;
    void AddItem(const std::string& text, const std::string& userData) override;
    void RemoveItem(int index) override;
    std::string ItemText(int index) const override;
    void SetItemText(int index, const std::string& text) override;
    std::string ItemData(int index) const override;
    void SetItemData(int index, const std::string& userData) override;
    int SelectedIndex() const override;
    void Select(int index, bool notify) override;

    // IMacroEventRows over "macro_action_list".
    int RowCount() const override;
    int SelectedRow() const override;
    void InsertEventRow(int index, const Json::Value& event) override;
    Json::Value RowEvent(int index) const override;
    void SetRowEvent(int index, const Json::Value& event) override;
    void SelectRow(int index) override;
    void ScrollToSelectionSoon() override;
    DuiLib::RECT StopButtonRect() const override;

    CNamedControls& Controls() { return controls_; }

private:
    DuiLib::CListUI* NameList() const { return controls_.List("macro_name_list"); }
    DuiLib::CListUI* EventList() const { return controls_.List("macro_action_list"); }
    DuiLib::CControlUI* RowAt(int index) const;
    void ShowEvent(DuiLib::CControlUI& row, const Json::Value& event);
    // The fixed delay from "macro_fixed_time_edit", at most 65535 (the field shows what is used).
    int ReadFixedDelay();

    CNamedControls controls_;
    CMacroLibrary library_{*this};
    CMacroRecorder recorder_;
    CTorvanelUSBDevice* engine_ = nullptr;
    bool recording_ = false;
};

// The language key of an event's name ("" for kinds without one).
std::string MacroEventName(int type, int button, bool down);

void RegisterMacroControls();
