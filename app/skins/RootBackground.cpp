#include "app/skins/RootBackground.h"

#include "toolkit/Control.h"
#include "toolkit/PaintManager.h"

int CRootBackground::OnChange(const SkinChangedParam& param) {
    DuiLib::CControlUI* root = m_manager.FindControl("root");
    if (!root) return 1;
    if (param.isColour) {
        root->SetBkColor(param.colour);
        root->SetBkImage("");
    } else {
        root->SetBkColor(0);
        root->SetBkImage(param.image);
    }
    root->Invalidate();
    return 1;
}
