#pragma once
// Internal: the Qt side of a control. Every control's widget is a ControlHost over some Qt widget
// class; it turns Qt input into TEventUI records for the control's DoEvent first, and lets the
// wrapped widget's own handling run only when DoEvent left default handling on.
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <utility>

#include "toolkit/Control.h"
#include "toolkit/QtConvert.h"

namespace DuiLib::detail {

// Deleting a control while one of its events is being dispatched must not free the widget
// under Qt's feet; while this depth is above 0 widgets are deleted later.
int& DispatchDepth();
void DeleteWidget(QWidget* widget);

UINT KeyStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
UINT KeyCodeOf(const QKeyEvent* event);
POINT WindowPointOf(const CControlUI* owner, const QPointF& local);
void NotifyFocus(CControlUI* owner, bool gained);

class HostBase {
public:
    explicit HostBase(CControlUI* owner) : m_owner(owner) {}
    virtual ~HostBase() = default;
    CControlUI* Owner() const { return m_owner; }
    void Detach() { m_owner = nullptr; }

protected:
    // Runs the owner's handler; true when the wrapped widget should handle the event too.
    bool Dispatch(int type, POINT pt, UINT keyState, UINT key = 0, WPARAM wParam = 0);
    CControlUI* m_owner;
};

template <class Base>
class ControlHost : public Base, public HostBase {
public:
    template <class... Args>
    explicit ControlHost(CControlUI* owner, bool paintsNative, Args&&... args)
        : Base(std::forward<Args>(args)...), HostBase(owner), m_paintsNative(paintsNative) {
        this->setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        if (m_paintsNative || !m_owner) Base::paintEvent(e);
        if (!m_owner) return;
        QPainter painter(this);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        const RECT& rc = m_owner->GetPos();
        painter.translate(-rc.left, -rc.top);
        const QRect dirty = e->rect().translated(rc.left, rc.top);
        m_owner->DoPaint(painter, RECT{dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1});
    }
    void mousePressEvent(QMouseEvent* e) override {
        const int type = e->button() == Qt::RightButton ? UIEVENT_RBUTTONDOWN : UIEVENT_BUTTONDOWN;
        if (Mouse(type, e)) Base::mousePressEvent(e);
        else e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int type = e->button() == Qt::RightButton ? UIEVENT_RBUTTONUP : UIEVENT_BUTTONUP;
        if (Mouse(type, e)) Base::mouseReleaseEvent(e);
        else e->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton) return Base::mouseDoubleClickEvent(e);
        if (Mouse(UIEVENT_DBLCLICK, e)) Base::mouseDoubleClickEvent(e);
        else e->accept();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (Mouse(UIEVENT_MOUSEMOVE, e)) Base::mouseMoveEvent(e);
        else e->accept();
    }
    void enterEvent(QEnterEvent* e) override {
        if (m_owner) Dispatch(UIEVENT_MOUSEENTER, WindowPointOf(m_owner, e->position()), 0);
        Base::enterEvent(e);
    }
    void leaveEvent(QEvent* e) override {
        if (m_owner) Dispatch(UIEVENT_MOUSELEAVE, POINT{}, 0);
        Base::leaveEvent(e);
    }
    void wheelEvent(QWheelEvent* e) override {
        if (!m_owner) return Base::wheelEvent(e);
        const WPARAM down = e->angleDelta().y() < 0 ? 1 : 0;
        if (Dispatch(UIEVENT_SCROLLWHEEL, WindowPointOf(m_owner, e->position()),
                     KeyStateOf(e->modifiers(), e->buttons()), 0, down))
            Base::wheelEvent(e);
        else e->accept();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!m_owner) return Base::keyPressEvent(e);
        if (Dispatch(UIEVENT_KEYDOWN, POINT{}, KeyStateOf(e->modifiers(), {}), KeyCodeOf(e)))
            Base::keyPressEvent(e);
        else e->accept();
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (!m_owner) return Base::keyReleaseEvent(e);
        if (Dispatch(UIEVENT_KEYUP, POINT{}, KeyStateOf(e->modifiers(), {}), KeyCodeOf(e)))
            Base::keyReleaseEvent(e);
        else e->accept();
    }
    void focusInEvent(QFocusEvent* e) override {
        Base::focusInEvent(e);
        if (m_owner) NotifyFocus(m_owner, true);
    }
    void focusOutEvent(QFocusEvent* e) override {
        Base::focusOutEvent(e);
        if (m_owner) NotifyFocus(m_owner, false);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (!m_owner) return Base::contextMenuEvent(e);
        if (Dispatch(UIEVENT_CONTEXTMENU, WindowPointOf(m_owner, e->pos()), 0)) Base::contextMenuEvent(e);
        else e->accept();
    }

private:
    bool Mouse(int type, QMouseEvent* e) {
        if (!m_owner) return true;
        return Dispatch(type, WindowPointOf(m_owner, e->position()), KeyStateOf(e->modifiers(), e->buttons()));
    }
    bool m_paintsNative;
};

// A control painted entirely by DoPaint.
using PaintedHost = ControlHost<QWidget>;

}  // namespace DuiLib::detail
