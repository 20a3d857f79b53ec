#include "app/routing/ControlBuilder.h"

#include <strings.h>

#include "toolkit/ControlFactory.h"
#include "toolkit/DialogBuilder.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {

// A tag stands for a control class (created through the factory, so a class works here as soon
// as it is registered) or for a sub-layout.
struct BuilderRow {
    const char* tag;
    const char* className;
    const char* subLayout;
};

constexpr BuilderRow kBuilderRows[] = {
    {"CircleProgress", "CCircleProgressUI", nullptr},
    {"SelectPanel", "CSelectPanelUI", nullptr},
    {"DeviceKeyButton", "CDeviceKeyButtonUI", nullptr},
    {"HandImgButton", "CHandImgButtonUI", nullptr},
    {"AudioRecord", "CAudioRecordUI", nullptr},
    {"HandImgSelectButton", "CHandImgSelectButtonUI", nullptr},
    {"RedioMacroButton", "CRedioMacroButtonUI", nullptr},
    {"ComboEditContainerElement", "CComboEditContainerElementUI", nullptr},
    {"TorvanelMousePadDevice", "CTorvanelMousePadDevice", nullptr},
    {"TorvanelHS6533Device", "CTorvanelHS6533Device", nullptr},
    {"TorvanelMouseDevice", "CTorvanelMouseDevice", nullptr},
    {"TorvanelKeyboardDevice", "CTorvanelKeyboardDevice", nullptr},
    {"DeviceProfile", "CDeviceProfileUI", nullptr},
    {"LightControl", "CLightControlUI", nullptr},
    {"MagicControl", "CMagicControlUI", nullptr},
    {"Voice6533Control", "CVoice6533ControlUI", nullptr},
    {"KeySetControl", "CKeySetControlUI", nullptr},
    {"ShootControl", "CShootControlUI", nullptr},
    {"DeviceProfileUI", nullptr, "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"LightSetControlUI", nullptr, "XML\\CustomControlXML\\LightControl.xml"},
    {"Voice6533SetControlUI", nullptr, "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"MagicSetControlUI", nullptr, "XML\\CustomControlXML\\MagicControl.xml"},
    {"KeySetControlUI", nullptr, "XML\\CustomControlXML\\KeySetControl.xml"},
    {"MacroSetControlUI", nullptr, "XML\\CustomControlXML\\MacroControl.xml"},
    {"ShootKeySetControlUI", nullptr, "XML\\CustomControlXML\\ShootControl.xml"},
    {"VirtualSetControlUI", nullptr, "XML\\CustomControlXML\\VirtualSet.xml"},
};

}  // namespace

CControlUI* CControlBuilder::CreateControl(const std::string& tag) {
    for (const BuilderRow& row : kBuilderRows) {
        if (strcasecmp(tag.c_str(), row.tag) != 0) continue;
        if (row.subLayout) {
            // A fresh builder without a callback: the sub-layout's tags come from the factory.
            CDialogBuilder builder;
            CControlUI* root = builder.Create(row.subLayout, {}, nullptr, manager_);
            if (!root) DebugOutput(std::string("builder: sub-layout ") + row.subLayout + " failed: " + builder.GetLastError());
            return root;
        }
        // Engines register under their own class name, controls under the "C...UI" form.
        CControlFactory* factory = CControlFactory::GetInstance();
        for (const char* name : {row.className, row.tag})
            if (factory->IsRegistered(name)) return factory->CreateControl(name);
        DebugOutput(std::string("builder: ") + row.className + " is not registered");
        return nullptr;
    }
    return nullptr;
}
