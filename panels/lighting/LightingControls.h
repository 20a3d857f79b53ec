#pragma once
// Registers the lighting panel ("LightControl", class "CLightControlUI") and its colour palette
// ("ColorPalette", class "CColorPaletteUI") with the toolkit's control factory.
void RegisterLightingControls();
