#include "toolkit/ControlHost.h"

#include <cmath>

#include "toolkit/PaintManager.h"
#include "platform/Time.h"

namespace DuiLib::detail {

int& DispatchDepth() {
    static int depth = 0;  // UI thread only
    return depth;
}

void DeleteWidget(QWidget* widget) {
    if (!widget) return;
    if (DispatchDepth() > 0) {
        widget->hide();
        widget->deleteLater();
    } else {
        delete widget;
    }
}

UINT KeyStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    UINT state = 0;
    if (buttons & Qt::LeftButton) state |= MK_LBUTTON;
    if (buttons & Qt::RightButton) state |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier) state |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) state |= MK_CONTROL;
    if (modifiers & Qt::AltModifier) state |= MK_ALT;
    return state;
}

UINT KeyCodeOf(const QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return VK_RETURN;
    if (key == Qt::Key_Escape) return VK_ESCAPE;
    if (key == Qt::Key_Space) return VK_SPACE;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return static_cast<UINT>(key);
    return static_cast<UINT>(key & 0xFFFF);
}

POINT WindowPointOf(const CControlUI* owner, const QPointF& local) {
    const RECT& rc = owner->GetPos();
    return POINT{rc.left + static_cast<int>(std::floor(local.x())), rc.top + static_cast<int>(std::floor(local.y()))};
}

void NotifyFocus(CControlUI* owner, bool gained) {
    if (CPaintManagerUI* manager = owner->GetManager()) {
        manager->OnFocusChanged(owner, gained);
        return;
    }
    TEventUI event;
    event.Type = gained ? UIEVENT_SETFOCUS : UIEVENT_KILLFOCUS;
    event.pSender = owner;
    owner->Event(event);
}

bool HostBase::Dispatch(int type, POINT pt, UINT keyState, UINT key, WPARAM wParam) {
    if (!m_owner) return true;
    TEventUI event;
    event.Type = type;
    event.pSender = m_owner;
    event.dwTimestamp = GetTickCount();
    event.ptMouse = pt;
    event.wKeyState = keyState;
    event.chKey = key;
    event.wParam = wParam;
    ++DispatchDepth();
    m_owner->Event(event);
    --DispatchDepth();
    // The control may have been deleted by its own handler; its widget then stays quiet.
    return m_owner && event.bDefaultHandling;
}

QString CssColor(DWORD argb) {
    const QColor c = ToQColor(argb);
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

Qt::Alignment AlignmentOf(UINT style) {
    Qt::Alignment a = Qt::AlignLeft;
    if (style & DT_CENTER) a = Qt::AlignHCenter;
    else if (style & DT_RIGHT) a = Qt::AlignRight;
    if (style & DT_VCENTER) a |= Qt::AlignVCenter;
    else if (style & DT_BOTTOM) a |= Qt::AlignBottom;
    else a |= Qt::AlignTop;
    return a;
}

}  // namespace DuiLib::detail
