#pragma once
// Shared by the custom control tests: a window over a layout text, events and painting.
#include <QImage>
#include <string>

#include "toolkit/UIlib.h"
#include "tests/toolkit/ToolkitTestSupport.h"

namespace ControlsTest {

// Writes the layout into the test's temporary folder and opens a window over it.
ToolkitTest::RecordingWindow* OpenLayout(const std::string& name, const std::string& xml, int width = 0,
                                         int height = 0);

template <class T>
T* Find(ToolkitTest::RecordingWindow* window, const std::string& name) {
    DuiLib::CControlUI* c = window->GetPaintManager()->FindControl(name);
    return c ? static_cast<T*>(c) : nullptr;
}

// Delivers one event to the control as its widget would.
void Send(DuiLib::CControlUI* control, int type, DuiLib::POINT pt = {}, DuiLib::UINT keyState = 0,
          DuiLib::UINT key = 0, DuiLib::WPARAM wParam = 0);
DuiLib::POINT Centre(const DuiLib::RECT& rc);
// The control painted alone on a transparent image of its size.
QImage Paint(DuiLib::CControlUI* control);

}  // namespace ControlsTest
