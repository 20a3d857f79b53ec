#include "update/setwnd/UpdateInfoListItem.h"

#include <QPainter>
#include <array>

#include "toolkit/Button.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "update/check/UpdateCheck.h"

using namespace DuiLib;

namespace {

struct StatusLook {
    const char* textKey;
    bool progress;
    bool done;
    bool tickEnabled;
    DWORD textColour;      // text and selected text
    DWORD disabledColour;
};

constexpr DWORD kPlain = 0xFFFFFFFF;
constexpr DWORD kPlainDisabled = 0xFF666666;
constexpr DWORD kOffer = 0xFF0099FF;
constexpr DWORD kOfferDisabled = 0xFF0078C8;

constexpr std::array<StatusLook, 9> kStatusLooks{{
    {"LessUpdateText", false, false, false, kPlain, kPlainDisabled},
    {"NeedUpdateText", false, false, true, kOffer, kOfferDisabled},
    {"NeedUpdateText", false, false, true, kOffer, kOfferDisabled},
    {"DownloadWaitText", false, false, false, kOffer, kOfferDisabled},
    {"DownloadIngText", true, false, false, kOffer, kOfferDisabled},
    {"DownloadOkText", false, true, false, kOffer, kOfferDisabled},
    {"UpdateIngText", true, false, false, kOffer, kOfferDisabled},
    {"UpdateOkText", false, false, false, kPlain, kPlainDisabled},
    {"UpdateFailText", false, false, true, kOffer, kOfferDisabled},
}};

std::string ColourText(DWORD argb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(argb));
    return text;
}

}  // namespace

void* CUpdateInfoListItemUI::GetInterface(const std::string& name) {
    if (name == "UpdateInfoListItem") return this;
    return CListContainerElementUI::GetInterface(name);
}

CControlUI* CUpdateInfoListItemUI::Part(const char* name) const {
    CControlUI* found = nullptr;
    const_cast<CUpdateInfoListItemUI*>(this)->VisitTree([&](CControlUI* control) {
        if (control != this && control->GetName() == name) found = control;
        return found == nullptr;
    });
    return found;
}

void CUpdateInfoListItemUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_MOUSEENTER || event.Type == UIEVENT_MOUSELEAVE) {
        m_hot = event.Type == UIEVENT_MOUSEENTER && IsEnabled();
        Invalidate();
    }
    if (event.Type == UIEVENT_CONTEXTMENU) {
        if (IsContextMenuUsed() && GetManager()) GetManager()->SendNotify(this, DUI_MSGTYPE_MENU);
        return;
    }
    CListContainerElementUI::DoEvent(event);
}

void CUpdateInfoListItemUI::PaintBorder(QPainter& painter) {
    CListContainerElementUI::PaintBorder(painter);
    if (!m_hot || IsTicked()) return;
    const TListInfoUI info = GetOwner() ? GetOwner()->GetListInfo() : TListInfoUI{};
    const DWORD colour = info.lineColor ? info.lineColor : Theme::kAccent;
    QRect r = detail::ToQRect(GetPos());
    painter.setPen(QPen(detail::ToQColor(colour), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

void CUpdateInfoListItemUI::SetStatus(int status) {
    if (status == m_status) return;
    m_status = status;
    if (status < 0 || static_cast<size_t>(status) >= kStatusLooks.size()) return;
    const StatusLook& look = kStatusLooks[static_cast<size_t>(status)];
    if (CControlUI* text = Part("update_status_text")) {
        text->SetResourceText(true);
        text->SetText(look.textKey);
    }
    ShowProgress(look.progress);
    if (CControlUI* done = Part("update_status_ok")) done->SetVisible(look.done);
    if (CControlUI* tick = Part("check_name_select")) {
        tick->SetEnabled(look.tickEnabled);
        tick->SetTextColor(look.textColour);
        tick->SetAttribute("selectedtextcolor", ColourText(look.textColour));
        tick->SetDisabledTextColor(look.disabledColour);
    }
    if (CControlUI* text = Part("update_status_text")) text->SetTextColor(look.textColour);
}

void CUpdateInfoListItemUI::ShowProgress(bool shown) {
    if (CControlUI* ring = Part("update_status_ing")) ring->SetVisible(shown);
    if (CControlUI* value = Part("update_progress_value")) value->SetVisible(shown);
    SetProgress(0);
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    m_progress = percent;
    if (CControlUI* value = Part("update_progress_value")) {
        value->SetResourceText(false);
        value->SetText(std::to_string(percent) + "%");
    }
}

bool CUpdateInfoListItemUI::IsTicked() const {
    auto* tick = static_cast<CCheckBoxUI*>(Part("check_name_select") ? Part("check_name_select")->GetInterface("CheckBox") : nullptr);
    return tick && tick->GetCheck();
}

void CUpdateInfoListItemUI::SetTicked(bool ticked, bool notify) {
    CControlUI* part = Part("check_name_select");
    if (auto* tick = part ? static_cast<CCheckBoxUI*>(part->GetInterface("CheckBox")) : nullptr) tick->SetCheck(ticked, notify);
}

void CUpdateInfoListItemUI::SetTickEnabled(bool enabled) {
    if (CControlUI* tick = Part("check_name_select")) tick->SetEnabled(enabled);
}

bool CUpdateInfoListItemUI::IsTickEnabled() const {
    CControlUI* tick = Part("check_name_select");
    return tick && tick->IsEnabled();
}

void CUpdateInfoListItemUI::SetProductName(const std::string& name) {
    if (CControlUI* tick = Part("check_name_select")) {
        tick->SetResourceText(false);
        tick->SetText(name);
        tick->SetToolTip(name);
    }
}

std::string CUpdateInfoListItemUI::GetProductName() const {
    CControlUI* tick = Part("check_name_select");
    return tick ? tick->GetText() : std::string();
}

void CUpdateInfoListItemUI::SetCurrentVersionText(const std::string& text) {
    if (CControlUI* label = Part("OldRev")) {
        label->SetResourceText(false);
        label->SetText(text);
    }
}

void CUpdateInfoListItemUI::SetNewVersionText(const std::string& text) {
    if (CControlUI* label = Part("updateRev")) {
        label->SetResourceText(false);
        label->SetText(text);
        label->SetVisible(!text.empty());
    }
}

std::string CUpdateInfoListItemUI::GetCurrentVersionText() const {
    CControlUI* label = Part("OldRev");
    return label ? label->GetText() : std::string();
}

std::string CUpdateInfoListItemUI::GetNewVersionText() const {
    CControlUI* label = Part("updateRev");
    return label && label->IsVisible() ? label->GetText() : std::string();
}

std::string CUpdateInfoListItemUI::GetStatusTextKey() const {
    CControlUI* text = Part("update_status_text");
    return text ? text->GetTextSource() : std::string();
}
