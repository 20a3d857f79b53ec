#pragma once
// The main window's side of a skin change: its "root" takes the announced colour or image.
#include "app/skins/SkinObserver.h"

namespace DuiLib {
class CPaintManagerUI;
}

class CRootBackground : public SkinReceiver {
public:
    explicit CRootBackground(DuiLib::CPaintManagerUI& manager) : m_manager(manager) {}
    // A colour clears the image; an image clears the colour. Returns 1.
    int OnChange(const SkinChangedParam& param) override;

private:
    DuiLib::CPaintManagerUI& m_manager;
};
