#include "panels/controls/ComboEditContainerElement.h"

#include "toolkit/DialogBuilder.h"
#include "toolkit/Edit.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"
#include "panels/controls/ControlSupport.h"

namespace DuiLib {

using detail::SameNoCase;

CComboEditContainerElementUI::~CComboEditContainerElementUI() { Listen(nullptr); }

std::string CComboEditContainerElementUI::GetClass() const { return kClassName; }

void* CComboEditContainerElementUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CListContainerElementUI::GetInterface(name);
}

void CComboEditContainerElementUI::Listen(CPaintManagerUI* manager) {
    if (manager == m_pListening) return;
    if (m_pListening) m_pListening->RemoveNotifier(this);
    m_pListening = manager;
    if (m_pListening) m_pListening->AddNotifier(this);
}

void CComboEditContainerElementUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CListContainerElementUI::SetManager(manager, parent, init);
    Listen(manager);
}

void CComboEditContainerElementUI::DoInit() {
    CListContainerElementUI::DoInit();
    if (m_bBuilt) return;
    m_bBuilt = true;
    CDialogBuilder builder;
    builder.Create(kLayoutFile, {}, nullptr, m_pManager, this);
    m_pText1 = FindSubControl("text1");
    m_pText2 = FindSubControl("text2");
    CControlUI* edit = FindSubControl("delay_edit");
    m_pDelayEdit = edit ? static_cast<CEditUI*>(edit->GetInterface("Edit")) : nullptr;
}

void CComboEditContainerElementUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_RETURN && IsEnabled()) {
            Activate();
            if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_RETURN);
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        // Only a repaint: the row keeps no hover look of its own.
        Invalidate();
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CComboEditContainerElementUI::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    if (msg.sType == DUI_MSGTYPE_SELECTCHANGED && IsInside(msg.pSender, this) && msg.pSender != this) m_bChanged = true;
    else if (msg.sType == DUI_MSGTYPE_RETURN && m_pDelayEdit && msg.pSender == m_pDelayEdit) m_bChanged = true;
}

void CComboEditContainerElementUI::SetAttribute(const std::string& name, const std::string& value) {
    // The row draws the list's own row look; state images of the layouts are not used.
    if (SameNoCase(name, "normalimage") || SameNoCase(name, "hotimage") || SameNoCase(name, "selectedimage")) return;
    CListContainerElementUI::SetAttribute(name, value);
}

}  // namespace DuiLib
