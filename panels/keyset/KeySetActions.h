#pragma once
// What the main window runs for the key assignment panel of the active page: applying a record
// to the selected key, the panel's buttons, selecting a key on the key picture and key capture.
#include <string>

class CTorvanelUSBDevice;
class CKeySetControlUI;

// The key assignment panel of an engine's page, nullptr without one.
CKeySetControlUI* FindKeySetPanel(CTorvanelUSBDevice& engine);

// Builds the record from the panel and gives it to the engine for its selected key: the key list
// and profile take it, the device receives it (a macro's image first, then the key table) and the
// key cap is relabelled. 1 applied, 0 nothing to apply, -1 refused by the device (the key keeps
// its previous assignment and the user is told).
int ApplyKeyAssignment(CTorvanelUSBDevice& engine, CKeySetControlUI& panel);

// A notification of a control of the panel ("click", "itemselect", "killfocus", "selectchanged").
void HandleKeySetNotify(CTorvanelUSBDevice& engine, CKeySetControlUI& panel, const std::string& type,
                        const std::string& senderName);

// A click on key cap "key_" + key: on the key tab the key is selected and shown, on the lighting
// tab it takes the custom colour.
void SelectKeyOnPage(CTorvanelUSBDevice& engine, int key);

// A captured key (keyboard table row) for the panel's key text; applies it.
void CaptureKeyForPanel(CTorvanelUSBDevice& engine, size_t row);
