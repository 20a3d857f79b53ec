#pragma once
// What the main window runs for the macro editor of the active page: the library commands with
// their effects on the key assignments, import and export, row edits and inserts. Recording is
// driven by the main window, which owns the input hook.
#include <string>

class CTorvanelUSBDevice;
class CMacroControlUI;

CMacroControlUI* FindMacroPanel(CTorvanelUSBDevice& engine);

// Why an imported file is refused; Ok when it can be taken.
enum class MacroFileCheck { Ok, Unreadable, NotMacro, TooManyEvents };
MacroFileCheck CheckMacroFile(const std::string& path);

// A notification of a control of the panel ("click", "itemselect", "killfocus", "menu").
void HandleMacroNotify(CTorvanelUSBDevice& engine, CMacroControlUI& panel, const std::string& type,
                       const std::string& senderName);
// A chosen item of the event row menu that inserts mouse events; false for other items.
bool InsertFromMenu(CMacroControlUI& panel, const std::string& item);

// Algorithms 2: asks, moves key assignments off the macro, deletes it. 1 deleted, 0 not.
int DeleteSelectedMacro(CTorvanelUSBDevice& engine, CMacroControlUI& panel);
// The new macro's name from a file the user chose ("" when refused, with the reason told). The
// engine's page (when there is one) learns the new name.
std::string ImportMacroFile(CTorvanelUSBDevice* engine, CMacroControlUI& panel, const std::string& path);
