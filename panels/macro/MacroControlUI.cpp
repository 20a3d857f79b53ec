#include "panels/macro/MacroControlUI.h"

#include <QPoint>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

#include "engines/keyboard/KeyCodeTables.h"
#include "input/KeyCaptureTable.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/Label.h"
#include "toolkit/PaintManager.h"

using namespace DuiLib;

namespace {

constexpr int kNameItemHeight = 30;
constexpr int kRowHeight = 30;
constexpr int kMaxFixedDelay = 65535;
constexpr const char* kRowName = "macro_action";

// Colours of the row styles: keyboard and mouse names, press and release, plain text.
constexpr const char* kKeyboardNameColour = "#FFE8EAF0";
constexpr const char* kMouseNameColour = "#FF7FD4FF";
constexpr const char* kDownColour = "#FF4CD964";
constexpr const char* kUpColour = "#FFFF9F43";
constexpr const char* kPlainTextColour = "#FFB8BFCC";

struct MouseName {
    int type;
    int button;  // -1: any
    int code;    // (0x80 for "down") + Type for moves, -1 for buttons
    const char* name;
};
constexpr MouseName kMouseNames[] = {
    {kMacroTypeMouseButton, 0x01, -1, "mouse_key_left"},    {kMacroTypeMouseButton, 0x02, -1, "mouse_key_right"},
    {kMacroTypeMouseButton, 0x04, -1, "mouse_key_middle"},  {kMacroTypeMouseButton, 0x10, -1, "mouse_key_forward"},
    {kMacroTypeMouseButton, 0x08, -1, "mouse_key_back"},    {kMacroTypeMouseMoveX, -1, 0x84, "mouse_move_to_left_text"},
    {kMacroTypeMouseMoveX, -1, 0x04, "mouse_move_to_right_text"}, {kMacroTypeMouseMoveY, -1, 0x85, "mouse_move_to_up_text"},
    {kMacroTypeMouseMoveY, -1, 0x05, "mouse_move_to_down_text"},
};

// The row's event object; a row without one gives an empty object.
Json::Value EventOfRow(const CControlUI& row) {
    Json::Value event = ParseJsonText(row.GetUserData());
    return event.isObject() ? event : Json::Value(Json::objectValue);
}

int IntMember(const Json::Value& event, const char* key) {
    const Json::Value& value = MemberOf(event, key);
    if (value.isInt()) return value.asInt();
    if (value.isUInt()) return static_cast<int>(value.asUInt() & 0x7FFFFFFF);
    if (value.isString()) return std::atoi(value.asCString());
    return 0;
}

std::string EventText(const Json::Value& event) {
    Json::StyledWriter writer;
    return writer.write(event);
}

bool IsDown(const Json::Value& event) {
    const Json::Value& action = MemberOf(event, "Action");
    return action.isString() && action.asString() == "down";
}

}  // namespace

std::string MacroEventName(int type, int button, bool down) {
    if (type == kMacroTypeKey || type == kMacroTypeModifier) {
        const size_t first = type == kMacroTypeKey ? kModifierRows : 0;
        const size_t end = type == kMacroTypeKey ? kKeyboardCodeTable.size() : kModifierRows;
        for (size_t row = first; row < end; ++row) {
            const KeyAssignment& code = kKeyboardCodeTable[row].code;
            if (code[0] != 0x20) continue;
            if (type == kMacroTypeKey ? (code[1] == 0 && code[2] == button) : (code[1] == button && code[2] == 0))
                return kKeyboardCodeTable[row].textKey;
        }
        return {};
    }
    const int code = (down ? 0x80 : 0) + type;
    for (const MouseName& row : kMouseNames) {
        if (row.type != type) continue;
        if (row.code < 0 ? row.button == button : row.code == code) return row.name;
    }
    return {};
}

CMacroControlUI::CMacroControlUI() : controls_(*this) {}

CMacroControlUI::~CMacroControlUI() {
    if (m_pManager) m_pManager->KillTimer(this);
}

std::string CMacroControlUI::GetClass() const { return kClassName; }

void* CMacroControlUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CMacroControlUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kTimerScrollToSelection) {
        if (m_pManager) m_pManager->KillTimer(this, kTimerScrollToSelection);
        if (CListUI* list = EventList(); list && list->GetCurSel() >= 0) list->EnsureVisible(list->GetCurSel());
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CMacroControlUI::BindEngine(const std::string& userDataFolder, CTorvanelUSBDevice* engine) {
    engine_ = engine;
    library_.SetMacroFolder(userDataFolder);
    if (CListUI* list = NameList()) list->RemoveAll();
    library_.LoadMacroList();
    DeleteAllRows();
    EnableEventControls(false);
    SetRecordingState(false);
}

// ---- library --------------------------------------------------------------------------------

void CMacroControlUI::EnableEventControls(bool enabled) {
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export", "macro_btn_name_sub",
                             "macro_btn_name_edit"})
        controls_.SetEnabled(name, enabled);
}

void CMacroControlUI::OnMacroSelected() {
    const int selected = library_.GetSelectedMacro();
    if (selected < 0 || ItemData(selected).empty()) {
        DeleteAllRows();
        return;
    }
    EnableEventControls(true);
    LoadRows(library_.LoadMacroFile(library_.MacroFilePath(selected)));
}

std::string CMacroControlUI::AddMacro() { return library_.AddMacro(); }

int CMacroControlUI::SaveMacro() {
    std::vector<MacroRow> rows = Rows();
    const int result = library_.SaveMacro(rows);
    // The fields show what was stored (an empty one "0", a clamped one its limit).
    for (size_t i = 0; i < rows.size(); ++i) {
        CControlUI* row = RowAt(static_cast<int>(i));
        if (!row) break;
        row->SetUserData(rows[i].eventJson);
        if (auto* container = static_cast<CContainerUI*>(row->GetInterface("Container")))
            if (CControlUI* delay = container->GetItemAt(2)) delay->SetText(rows[i].delayText);
    }
    return result;
}

// ---- rows -----------------------------------------------------------------------------------

CControlUI* CMacroControlUI::RowAt(int index) const {
    CListUI* list = EventList();
    return list && index >= 0 && index < list->GetCount() ? list->GetItemAt(index) : nullptr;
}

void CMacroControlUI::ShowEvent(CControlUI& row, const Json::Value& event) {
    auto* container = static_cast<CContainerUI*>(row.GetInterface("Container"));
    if (!container || container->GetCount() < 3) return;
    const int type = IntMember(event, "Type");
    const int button = IntMember(event, "Button");
    const bool down = IsDown(event);
    const bool keyboard = type == kMacroTypeKey || type == kMacroTypeModifier;
    const bool move = type == kMacroTypeMouseMoveX || type == kMacroTypeMouseMoveY;
    CControlUI* name = container->GetItemAt(0);
    name->SetAttribute("textcolor", keyboard ? kKeyboardNameColour : kMouseNameColour);
    name->SetText(MacroEventName(type, button, down));
    CControlUI* action = container->GetItemAt(1);
    if (move) {
        action->SetResourceText(false);
        action->SetAttribute("textcolor", kPlainTextColour);
        action->SetText(std::to_string(button & 0xFF));
    } else {
        action->SetResourceText(true);
        action->SetAttribute("textcolor", down ? kDownColour : kUpColour);
        action->SetText(down ? "macro_action_down" : "macro_action_up");
    }
    container->GetItemAt(2)->SetText(std::to_string(MacroDelayMs(MemberOf(event, "Delay"))));
    row.SetUserData(EventText(event));
}

void CMacroControlUI::InsertEventRow(int index, const Json::Value& event) {
    CListUI* list = EventList();
    if (!list) return;
    auto* row = new CListContainerElementUI;
    row->SetName(kRowName);
    row->SetAttribute("height", std::to_string(kRowHeight));
    row->SetAttribute("childpadding", "4");
    row->SetAttribute("menu", "true");
    auto* name = new CLabelUI;
    name->SetAttribute("textpadding", "3,0,0,0");
    name->SetAttribute("endellipsis", "true");
    name->SetResourceText(true);
    auto* action = new CLabelUI;
    action->SetAttribute("width", "64");
    auto* delay = new CEditUI;
    delay->SetName("macro_delay");
    delay->SetAttribute("width", "64");
    delay->SetAttribute("height", "25");
    delay->SetAttribute("padding", "0,2,4,0");
    delay->SetAttribute("bkcolor", "#FF444444");
    delay->SetAttribute("textcolor", kPlainTextColour);
    delay->SetAttribute("resourcetext", "false");
    delay->SetMaxChar(6);
    delay->SetNumberOnly(true);
    row->Add(name);
    row->Add(action);
    row->Add(delay);
    list->AddAt(row, std::clamp(index, 0, list->GetCount()));
    ShowEvent(*row, event);
}

Json::Value CMacroControlUI::RowEvent(int index) const {
    CControlUI* row = RowAt(index);
    return row ? EventOfRow(*row) : Json::Value(Json::objectValue);
}

void CMacroControlUI::SetRowEvent(int index, const Json::Value& event) {
    if (CControlUI* row = RowAt(index)) ShowEvent(*row, event);
}

int CMacroControlUI::RowCount() const {
    CListUI* list = EventList();
    return list ? list->GetCount() : 0;
}

int CMacroControlUI::SelectedRow() const {
    CListUI* list = EventList();
    return list ? list->GetCurSel() : -1;
}

void CMacroControlUI::SelectRow(int index) {
    if (CListUI* list = EventList()) list->SelectItem(index, false, false);
}

void CMacroControlUI::ScrollToSelectionSoon() {
    if (m_pManager) m_pManager->SetTimer(this, kTimerScrollToSelection, kScrollDelayMs);
}

RECT CMacroControlUI::StopButtonRect() const {
    CControlUI* stop = controls_.Find("macro_btn_stopredio");
    if (!stop || !stop->IsVisible() || !stop->HasWidget()) return {};
    QWidget* widget = stop->GetWidget();
    const QPoint topLeft = widget->mapToGlobal(QPoint(0, 0));
    return {topLeft.x(), topLeft.y(), topLeft.x() + widget->width(), topLeft.y() + widget->height()};
}

void CMacroControlUI::LoadRows(const std::vector<MacroRow>& rows) {
    DeleteAllRows();
    for (const MacroRow& row : rows) {
        Json::Value event = ParseJsonText(row.eventJson);
        if (!event.isObject()) continue;
        event["Delay"] = row.delayText;  // the clamped value the file is shown with
        InsertEventRow(RowCount(), event);
    }
}

std::vector<MacroRow> CMacroControlUI::Rows() const {
    std::vector<MacroRow> rows;
    for (int i = 0; i < RowCount(); ++i) {
        CControlUI* row = RowAt(i);
        auto* container = static_cast<CContainerUI*>(row->GetInterface("Container"));
        const std::string delay = container && container->GetCount() > 2 ? container->GetItemAt(2)->GetText() : "0";
        rows.push_back({delay, row->GetUserData()});
    }
    return rows;
}

void CMacroControlUI::DeleteAllRows() {
    if (CListUI* list = EventList()) list->RemoveAll();
}

void CMacroControlUI::DeleteSelectedRow() {
    CListUI* list = EventList();
    const int selected = SelectedRow();
    if (!list || selected < 0) return;
    list->RemoveAt(selected);
}

void CMacroControlUI::MoveSelectedRow(MacroMove move) {
    const int s = SelectedRow();
    const int count = RowCount();
    int target = -1;
    switch (move) {
    case MacroMove::Up: target = s > 0 ? s - 1 : -1; break;
    case MacroMove::Down: target = s != -1 && s + 1 < count ? s + 1 : -1; break;
    case MacroMove::Top: target = s > 0 ? 0 : -1; break;
    case MacroMove::Bottom: target = s != -1 && s + 1 < count ? count - 1 : -1; break;
    }
    if (target < 0) return;
    Json::Value event = RowEvent(s);
    // Unsaved delay edits travel with the row.
    if (CControlUI* row = RowAt(s))
        if (auto* container = static_cast<CContainerUI*>(row->GetInterface("Container")); container && container->GetCount() > 2)
            event["Delay"] = container->GetItemAt(2)->GetText();
    EventList()->RemoveAt(s);
    InsertEventRow(target, event);
    SelectRow(target);
}

void CMacroControlUI::InsertMouseEvent(unsigned message, int variant) {
    struct ButtonMessage {
        unsigned down, up;
        int button;
    };
    constexpr ButtonMessage kButtons[] = {
        {0x201, 0x202, 0x01}, {0x204, 0x205, 0x02}, {0x207, 0x208, 0x04},
    };
    Json::Value event(Json::objectValue);
    if (message == 0x200) {
        static constexpr const char* kDistanceEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit",
                                                         "mouse_y_down_edit"};
        static constexpr int kMoveCodes[] = {0x84, 0x04, 0x85, 0x05};
        if (variant < 0 || variant > 3) return;
        const int distance = std::atoi(controls_.Text(kDistanceEdits[variant]).c_str()) & 0xFF;
        event["Action"] = (kMoveCodes[variant] & 0x80) ? "down" : "up";
        event["Button"] = distance;
        event["Type"] = kMoveCodes[variant] & 0x7F;
    } else {
        int button = -1;
        bool down = false;
        for (const ButtonMessage& row : kButtons) {
            if (message == row.down || message == row.up) {
                button = row.button;
                down = message == row.down;
            }
        }
        if (message == 0x20B || message == 0x20C) {
            button = variant == 0 ? 0x10 : 0x08;
            down = message == 0x20B;
        }
        if (button < 0) return;
        event["Action"] = down ? "down" : "up";
        event["Button"] = button;
        event["Type"] = kMacroTypeMouseButton;
    }
    if (RowCount() >= kMaxMacroEvents) return;
    event["Delay"] = std::to_string(recorder_.FixedDelay());
    const int at = SelectedRow() + 1;
    InsertEventRow(at, event);
    SelectRow(at);
}

// ---- recording ------------------------------------------------------------------------------

bool CMacroControlUI::FixedDelayChecked() const {
    COptionUI* check = controls_.Option("macro_check_time");
    return check && check->IsSelected();
}

int CMacroControlUI::ReadFixedDelay() {
    const std::string text = controls_.Text("macro_fixed_time_edit");
    long value = std::strtol(text.c_str(), nullptr, 10);
    const long used = std::clamp<long>(value, 0, kMaxFixedDelay);
    if (used != value || text != std::to_string(used)) controls_.SetText("macro_fixed_time_edit", std::to_string(used));
    return static_cast<int>(used);
}

void CMacroControlUI::BeginRecording(int delayMode, RecordPlacement, uint32_t nowMs) {
    recorder_.Begin(delayMode, delayMode == kDelayFixed ? ReadFixedDelay() : recorder_.FixedDelay(), nowMs);
    SetRecordingState(true);
}

void CMacroControlUI::EndRecording() {
    SetRecordingState(false);
    SaveMacro();
}

void CMacroControlUI::SetRecordingState(bool recording) {
    recording_ = recording;
    controls_.SetEnabled("macro_name_tab", !recording);
    if (CControlUI* list = controls_.Find("macro_action_list")) list->SetMouseEnabled(!recording);
    controls_.SetEnabled("macro_tab_macroaction_edit", !recording);
    controls_.SetEnabled("macro_tab_macrodelay_edit", !recording);
    controls_.SetVisible("macro_btn_starredio", !recording);
    controls_.SetVisible("macro_btn_stopredio", recording);
}

bool CMacroControlUI::OnKeyboardHook(RecordPlacement placement, unsigned keyMessage, const KeyboardHookRecord& record,
                                     uint32_t nowMs) {
    return recorder_.OnKeyboard(placement, keyMessage, record, nowMs, *this);
}

bool CMacroControlUI::OnMouseHook(RecordPlacement placement, unsigned mouseMessage, const MouseHookRecord& record,
                                  uint32_t nowMs) {
    return recorder_.OnMouse(placement, mouseMessage, record, nowMs, *this);
}

// ---- IListView ------------------------------------------------------------------------------

int CMacroControlUI::Count() const {
    CListUI* list = NameList();
    return list ? list->GetCount() : 0;
}

void CMacroControlUI::AddItem(const std::string& text, const std::string& userData) {
    CListUI* list = NameList();
    if (!list) return;
    auto* item = new CListLabelElementUI;
    item->SetAttribute("height", std::to_string(kNameItemHeight));
    item->SetResourceText(false);
    item->SetText(text);
    item->SetUserData(userData);
    list->Add(item);
}

void CMacroControlUI::RemoveItem(int index) {
    CListUI* list = NameList();
    if (list && index >= 0 && index < list->GetCount()) list->RemoveAt(index);
}

std::string CMacroControlUI::ItemText(int index) const {
    CListUI* list = NameList();
    return list && index >= 0 && index < list->GetCount() ? list->GetItemAt(index)->GetText() : std::string();
}

void CMacroControlUI::SetItemText(int index, const std::string& text) {
    CListUI* list = NameList();
    if (list && index >= 0 && index < list->GetCount()) list->GetItemAt(index)->SetText(text);
}

std::string CMacroControlUI::ItemData(int index) const {
    CListUI* list = NameList();
    return list && index >= 0 && index < list->GetCount() ? list->GetItemAt(index)->GetUserData() : std::string();
}

void CMacroControlUI::SetItemData(int index, const std::string& userData) {
    CListUI* list = NameList();
    if (list && index >= 0 && index < list->GetCount()) list->GetItemAt(index)->SetUserData(userData);
}

int CMacroControlUI::SelectedIndex() const {
    CListUI* list = NameList();
    return list ? list->GetCurSel() : -1;
}

void CMacroControlUI::Select(int index, bool notify) {
    CListUI* list = NameList();
    if (!list) return;
    list->SelectItem(index, false, notify);
    // Without a window around the panel (tests, the page being built) nobody routes the
    // notification, so the selection is taken up here.
    if (notify && !m_pManager) OnMacroSelected();
}

void RegisterMacroControls() {
    CControlFactory::GetInstance()->RegistControl("CMacroControlUI", [] { return new CMacroControlUI(); });
}
