#pragma once
// The custom controls of the panels, known to the toolkit's control factory by class name.

// Registers every class of panels/controls with DuiLib::CControlFactory; safe to call again.
void RegisterPanelControls();
