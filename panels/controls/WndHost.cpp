#include "panels/controls/WndHost.h"

#include <QWidget>
#include <QWindow>

#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

CWndUI::~CWndUI() { ReleaseContainer(); }

std::string CWndUI::GetClass() const { return kClassName; }

void* CWndUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CControlUI::GetInterface(name);
}

void CWndUI::ReleaseContainer() {
    if (m_ownedContainer) {
        if (m_hosted == m_ownedContainer) m_hosted = nullptr;
        delete m_ownedContainer.data();
    }
    m_ownedContainer = nullptr;
}

void CWndUI::Attach(QWidget* native) {
    if (native != m_ownedContainer) ReleaseContainer();
    m_hosted = native;
    PlaceHosted();
}

void CWndUI::AttachWindow(QWindow* window) {
    ReleaseContainer();
    if (!window) return Attach(nullptr);
    QWidget* parent = m_pManager ? m_pManager->GetHostWidget() : nullptr;
    QWidget* container = QWidget::createWindowContainer(window, parent);
    m_ownedContainer = container;
    Attach(container);
}

QWidget* CWndUI::Detach() {
    QWidget* widget = m_hosted == m_ownedContainer ? nullptr : m_hosted.data();
    ReleaseContainer();
    m_hosted = nullptr;
    m_nShowCommand = kHideCommand;
    return widget;
}

void CWndUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    PlaceHosted();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    PlaceHosted();
}

void CWndUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    PlaceHosted();
}

void CWndUI::PlaceHosted() {
    if (!m_hosted) return;
    QWidget* window = m_pManager ? m_pManager->GetHostWidget() : nullptr;
    QRect target(m_rcItem.left, m_rcItem.top, m_rcItem.Width(), m_rcItem.Height());
    if (window) {
        QWidget* parent = m_hosted->parentWidget();
        if (!parent) {
            // A top-level window: offset by the toolkit window's place on the screen.
            target.moveTopLeft(window->mapToGlobal(target.topLeft()));
        } else if (parent != window) {
            target.moveTopLeft(parent->mapFromGlobal(window->mapToGlobal(target.topLeft())));
        }
    }
    m_hosted->setGeometry(target);
    m_nShowCommand = IsVisible() ? kShowCommand : kHideCommand;
    m_hosted->setVisible(m_nShowCommand == kShowCommand);
    if (m_nShowCommand == kShowCommand && m_hosted->parentWidget()) m_hosted->raise();
}

}  // namespace DuiLib
