#include "panels/controls/ControlSupport.h"

#include "toolkit/ImageDrawer.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"

namespace DuiLib {

bool ImageFileExists(const std::string& image) {
    ImageDescriptor desc;
    return ParseImageString(image, desc) && !detail::ResolveSkinFile(desc.file).empty();
}

void NotifyPointerCrossing(CControlUI* control, bool entered) {
    if (!control->IsEnabled() || !control->GetManager()) return;
    control->GetManager()->SendNotify(control, entered ? kMouseEnterNotify : kMouseLeaveNotify);
}

bool IsInside(const CControlUI* sender, const CControlUI* container) {
    for (const CControlUI* c = sender; c; c = c->GetParent())
        if (c == container) return true;
    return false;
}

}  // namespace DuiLib
