#pragma once
// The key assignment panel: what one key or button of the selected device does. It turns the
// user's choice of function and parameters into a three-byte assignment code and shows a code
// read from the device in its controls. The engines own the key list and send the codes.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engines/device/DeviceLinks.h"
#include "engines/keyboard/KeyCodeTables.h"
#include "panels/keyset/NamedControls.h"
#include "store/ProfileRecords.h"
#include "toolkit/Container.h"

// The six-byte assignment record: the key value kept with it, then type, parameter 1, 2 (and 0).
struct KeySetRecord {
    uint16_t keyValue = 0;
    KeyAssignment code{};
    bool operator==(const KeySetRecord&) const = default;
};

class CKeySetControlUI : public DuiLib::CHorizontalLayoutUI, public IKeyAssignmentPanel {
public:
    static constexpr const char* kClassName = "KeySetControl";

    CKeySetControlUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void DoInit() override;

    // 1 keyboard (the DPI and gun key functions are hidden), 2 mouse.
    void SetPanelKind(int kind);
    int GetPanelKind() const { return panelKind_; }

    // IKeyAssignmentPanel.
    void BindEngine(CTorvanelUSBDevice* engine) override { engine_ = engine; }
    void SetMacroList(const std::vector<std::string>& names) override;
    void ShowKey(const KeyListEntry& entry) override { SetAssignment({entry.keyIndex, entry.assignment}); }

    void AddMacroName(const std::string& name);
    void RemoveMacroName(int index);
    void RenameMacroName(int index, const std::string& name);
    int MacroCount() const;

    // The device record and the current one become the record; the controls show it.
    void SetAssignment(const KeySetRecord& record);
    // Reads the controls into a record (as the code table says), keeps it as current, returns it.
    KeySetRecord BuildAssignment();
    void ShowDeviceRecord() { Show(device_); }
    void ShowCurrent() { Show(current_); }
    const KeySetRecord& Current() const { return current_; }
    const KeySetRecord& DeviceRecord() const { return device_; }

    // The key text edit shows the language text of the key.
    void SetKeyText(const std::string& textKey);
    void SetModifier(int option);
    int GetModifier() const;
    void EnableEditButtons(bool enabled);

    // "keyset_function_combo" changed: its tab shows; the keyboard tab starts empty.
    void OnFunctionChanged();
    // "keyset_macro_over_combo" changed: the repeat count shows for mode 4 only.
    void OnMacroRepeatChanged();
    // A key captured from the keyboard (keyboard table row); true when the panel should apply.
    bool OnCapturedKey(size_t row);
    int SelectedFunction() const;

    CNamedControls& Controls() { return controls_; }

private:
    void FillChoiceLists();
    void Show(const KeySetRecord& record);
    void ShowTab(int tab);
    void SelectCodeRow(const std::string& combo, std::span<const KeyCodeName> table, const KeyAssignment& code);
    void ShowNibbles(const std::string& delayEdit, const std::string& speedEdit, uint8_t value);
    int Number(const std::string& edit) const;
    void SetNumber(const std::string& edit, int value);

    CNamedControls controls_;
    CTorvanelUSBDevice* engine_ = nullptr;
    KeySetRecord current_;
    KeySetRecord device_;
    int panelKind_ = 1;
    int keyRow_ = -1;  // the keyboard table row shown in the key text, -1 when empty
    bool filled_ = false;
};

void RegisterKeySetControls();
