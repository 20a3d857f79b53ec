#include "toolkit/TrayIcon.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "toolkit/ImageDrawer.h"
#include "toolkit/QtConvert.h"
#include "toolkit/WindowMessages.h"

namespace DuiLib {

struct CTrayIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
    HWND owner = 0;
    UINT iconId = 0;
    UINT message = WM_TRAYICON;
};

CTrayIcon::CTrayIcon() : m_impl(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::CreateTrayIcon(HWND owner, UINT iconId, const std::string& toolTip, UINT message) {
    DeleteTrayIcon();
    m_impl->owner = owner;
    m_impl->iconId = iconId;
    m_impl->message = message;
    m_impl->icon = std::make_unique<QSystemTrayIcon>();
    const QImage image = detail::LoadSkinImage("common/icon_" + std::to_string(iconId) + ".svg", CDPI{});
    if (!image.isNull()) m_impl->icon->setIcon(QIcon(QPixmap::fromImage(image)));
    m_impl->icon->setToolTip(detail::ToQ(toolTip));
    QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) SimulateClick(false);
        else if (reason == QSystemTrayIcon::Context) SimulateClick(true);
    });
    m_impl->icon->show();
    return true;
}

void CTrayIcon::DeleteTrayIcon() {
    if (!m_impl->icon) return;
    m_impl->icon->hide();
    m_impl->icon.reset();
}

void CTrayIcon::SetTooltipText(const std::string& toolTip) {
    if (m_impl->icon) m_impl->icon->setToolTip(detail::ToQ(toolTip));
}

bool CTrayIcon::IsCreated() const { return m_impl->icon != nullptr; }

void CTrayIcon::SimulateClick(bool rightButton) {
    if (!m_impl->icon) return;
    PostMessage(m_impl->owner, m_impl->message, m_impl->iconId, rightButton ? WM_RBUTTONUP : WM_LBUTTONUP);
}

}  // namespace DuiLib
