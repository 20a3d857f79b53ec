#pragma once
// The lighting edits of the panel as the main window's router runs them on the active engine: it
// reads the new value from the panel, changes the engine's light state (or music lighting record)
// and lets the engine store, apply and write it.
#include <array>
#include <cstdint>
#include <string>

class CTorvanelUSBDevice;
class CLightControlUI;

// Handles one notification of the lighting panel (type as the toolkit raises it: "itemselect",
// "valuechanged", "selectchanged", "colorchanged", "click", "killfocus"). Returns false when the
// notification is not a lighting edit, so that the router can try its other tables. The screen
// size goes to WriteLightParams as the device write's spare arguments.
bool HandleLightingNotify(CTorvanelUSBDevice& engine, CLightControlUI& panel, const std::string& type,
                          const std::string& senderName, int screenWidth, int screenHeight);

// The 16-byte light state and its four little-endian words.
std::array<uint8_t, 16> LightStateBytes(const std::array<uint32_t, 4>& words);
std::array<uint32_t, 4> LightStateWords(const std::array<uint8_t, 16>& bytes);

// The lighting panel inside an engine's page ("LightControlItem"), or null.
CLightControlUI* FindLightingPanel(CTorvanelUSBDevice& engine);

// A colour edit's text as the value it stands for: above 255 is 255, empty or not a number is 0.
// shown gets the text the edit should show then (unchanged for a plain number in range).
uint8_t ClampColourText(const std::string& text, std::string& shown);
