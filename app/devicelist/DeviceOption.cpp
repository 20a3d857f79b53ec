#include "app/devicelist/DeviceOption.h"

#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/PaintManager.h"
#include "engines/device/TorvanelUSBDevice.h"

using namespace DuiLib;

CDeviceOptionUI::~CDeviceOptionUI() = default;

std::string CDeviceOptionUI::GetClass() const { return kClassName; }

void* CDeviceOptionUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CDeviceOptionUI::SetVisible(bool visible) {
    visible_ = visible;
    CHorizontalLayoutUI::SetVisible(visible);
}

bool CDeviceOptionUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
    return true;
}

void CDeviceOptionUI::DoEvent(TEventUI& event) {
    if (event.Type != UIEVENT_TIMER) return CHorizontalLayoutUI::DoEvent(event);
    // Every entry timer is one-shot: the engine re-arms what should run again.
    const auto id = static_cast<unsigned>(event.wParam);
    if (m_pManager) m_pManager->KillTimer(this, id);
    if (engine_) engine_->OnTimer(id);
}

void CDeviceOptionUI::StartTimer(unsigned id, unsigned elapseMs) {
    if (m_pManager) m_pManager->SetTimer(this, id, elapseMs);
}

void CDeviceOptionUI::ShowEntry(bool shown) {
    if (presenceHandler_) presenceHandler_(*this, shown);
    else SetVisible(shown);
}

bool CDeviceOptionUI::IsPageSelected() const {
    return visible_ && const_cast<CDeviceOptionUI*>(this)->IsSelected();
}

CControlUI* CDeviceOptionUI::Sub(CControlUI*& cache, const char* name) {
    if (!cache) cache = FindSubControl(name);
    return cache;
}

COptionUI* CDeviceOptionUI::SelectOption() {
    CControlUI* c = Sub(selectOption_, kSelectName);
    return c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
}

COptionUI* CDeviceOptionUI::SyncOption() {
    CControlUI* c = Sub(syncOption_, kSyncName);
    return c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
}

CLabelUI* CDeviceOptionUI::NameLabel() {
    CControlUI* c = Sub(nameLabel_, kNameLabel);
    return c ? static_cast<CLabelUI*>(c->GetInterface("Label")) : nullptr;
}

bool CDeviceOptionUI::IsSelected() {
    COptionUI* option = SelectOption();
    return option && option->IsSelected();
}

bool CDeviceOptionUI::IsMarkedForSharing() {
    COptionUI* option = SyncOption();
    return option && option->IsSelected();
}
