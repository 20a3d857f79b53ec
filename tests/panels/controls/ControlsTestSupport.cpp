#include "tests/panels/controls/ControlsTestSupport.h"

#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engines/device/DeviceKeyButton.h"
#include "panels/controls/PanelControls.h"

namespace ControlsTest {

ToolkitTest::RecordingWindow* OpenLayout(const std::string& name, const std::string& xml, int width, int height) {
    RegisterPanelControls();
    DuiLib::CControlFactory::GetInstance()->RegistControl("DeviceKeyButton", [] { return new CDeviceKeyButtonUI(); });
    const char* root = std::getenv("ZORV_TEST_TMP");
    const std::filesystem::path folder = std::filesystem::path(root && *root ? root : "/tmp/zorv-controls-tests");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / (name + ".xml");
    std::ofstream(file) << xml;
    return ToolkitTest::OpenWindow(file.string(), width, height);
}

void Send(DuiLib::CControlUI* control, int type, DuiLib::POINT pt, DuiLib::UINT keyState, DuiLib::UINT key,
          DuiLib::WPARAM wParam) {
    DuiLib::TEventUI event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = pt;
    event.wKeyState = keyState;
    event.chKey = key;
    event.wParam = wParam;
    control->Event(event);
}

DuiLib::POINT Centre(const DuiLib::RECT& rc) { return DuiLib::POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

QImage Paint(DuiLib::CControlUI* control) {
    const DuiLib::RECT rc = control->GetPos();
    QImage image(rc.Width(), rc.Height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-rc.left, -rc.top);
    control->DoPaint(painter, rc);
    painter.end();
    return image;
}

}  // namespace ControlsTest
