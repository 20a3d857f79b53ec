#include "toolkit/WindowBase.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "toolkit/Control.h"
#include "toolkit/Container.h"
#include "toolkit/ControlHost.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/ImageDrawer.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "platform/DebugOutput.h"

namespace DuiLib {

namespace detail {
class QueueContext;
QueueContext* NewQueueContext();
void DeleteQueueContext(QueueContext* context, bool later);
}  // namespace detail

// The Qt window of a toolkit window: frameless, dark, forwards size, close and caption drags.
class HostWindowWidget : public QWidget {
public:
    explicit HostWindowWidget(CWindowWnd* owner) : m_owner(owner) {
        setWindowFlag(Qt::FramelessWindowHint);
        setAttribute(Qt::WA_StyledBackground);
        setObjectName("ZorvWindow");
        setFocusPolicy(Qt::ClickFocus);  // a click on the background ends an edit
        setMouseTracking(true);
    }
    void Detach() { m_owner = nullptr; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override {
        // A system close (Alt+F4) asks the window as WM_CLOSE does.
        if (m_owner) {
            e->ignore();
            m_owner->PostMessage(WM_CLOSE, IDCANCEL, 0);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        setFocus(Qt::MouseFocusReason);
        const QPoint p = e->position().toPoint();
        if (m_owner && e->button() == Qt::LeftButton && m_owner->IsInCaption(POINT{p.x(), p.y()})) {
            m_dragging = true;
            m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (m_dragging && (e->buttons() & Qt::LeftButton)) move(e->globalPosition().toPoint() - m_dragOffset);
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_dragging = false; }

private:
    CWindowWnd* m_owner;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

namespace {
// A handler may stop the timer whose tick it is handling.
void DisposeWindowTimer(QTimer* timer) {
    timer->stop();
    if (detail::DispatchDepth() > 0) timer->deleteLater();
    else delete timer;
}
}  // namespace

struct CWindowWnd::Impl {
    QPointer<HostWindowWidget> host;
    detail::QueueContext* queue = nullptr;
    std::map<UINT, QTimer*> timers;
    QEventLoop* modalLoop = nullptr;
    UINT* modalResult = nullptr;
    bool destroying = false;
};

CWindowWnd::CWindowWnd() : m_impl(std::make_unique<Impl>()) {}

CWindowWnd::~CWindowWnd() {
    if (m_hWnd && !m_impl->destroying) {
        // Deleted without being closed: still close the queue and free the Qt side.
        detail::BeginDestroyWindow(m_hWnd);
        m_impl->destroying = true;
    }
    for (auto& [id, timer] : m_impl->timers) delete timer;
    if (m_impl->host) {
        m_impl->host->Detach();
        detail::DeleteWidget(m_impl->host);
    }
    if (m_impl->queue) detail::DeleteQueueContext(m_impl->queue, detail::DispatchDepth() > 0);
}

QWidget* CWindowWnd::GetHostWidget() const { return m_impl->host; }

HWND CWindowWnd::Create(HWND parent, const std::string& title, DWORD style, DWORD exStyle, int x, int y, int cx, int cy) {
    if (m_hWnd) return m_hWnd;
    CPaintManagerUI::SetInstance();
    m_hParent = parent;
    m_sTitle = title;
    CWindowWnd* owner = FromHandle(parent);
    auto* host = new HostWindowWidget(this);
    if (owner && owner->GetHostWidget()) {
        // Owned windows stay above their owner, as the original's owned pop-ups do.
        host->setParent(owner->GetHostWidget(), host->windowFlags() | Qt::Window);
    }
    if (exStyle & WS_EX_TOOLWINDOW) host->setWindowFlag(Qt::Tool);
    if (exStyle & WS_EX_TOPMOST) host->setWindowFlag(Qt::WindowStaysOnTopHint);
    host->setWindowTitle(detail::ToQ(title));
    host->move(x, y);
    if (cx > 0 && cy > 0) host->resize(cx, cy);
    m_impl->host = host;
    m_impl->queue = detail::NewQueueContext();
    m_hWnd = detail::RegisterWindow(this, m_impl->queue);
    OnCreate();
    if (style & WS_VISIBLE) ShowWindow(true);
    return m_hWnd;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    QWidget* host = m_impl->host;
    if (!host) return;
    if (!show) return host->hide();
    host->show();
    if (takeFocus) {
        host->raise();
        host->activateWindow();
    }
}

UINT CWindowWnd::ShowModal() {
    QWidget* host = m_impl->host;
    if (!host || m_impl->modalLoop) return IDCANCEL;
    UINT result = IDCANCEL;
    QEventLoop loop;
    m_impl->modalLoop = &loop;
    m_impl->modalResult = &result;
    host->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true);
    const HWND hwnd = m_hWnd;
    loop.exec();
    // The window may be gone by now (deleted in OnFinalMessage): only locals are used, and the
    // handle (never reused) tells whether it is still there. When the loop ended for another
    // reason (the application quitting), the window must forget the loop that is going away.
    if (FromHandle(hwnd) == this) {
        m_impl->modalLoop = nullptr;
        m_impl->modalResult = nullptr;
    }
    return result;
}

void CWindowWnd::Close(UINT ret) {
    if (!m_hWnd || m_impl->destroying) return;
    PostMessage(WM_CLOSE, ret, 0);
}

void CWindowWnd::CenterWindow() {
    QWidget* host = m_impl->host;
    if (!host) return;
    QRect area;
    CWindowWnd* owner = FromHandle(m_hParent);
    if (owner && owner->GetHostWidget() && owner->GetHostWidget()->isVisible()) area = owner->GetHostWidget()->frameGeometry();
    else if (QScreen* screen = host->screen() ? host->screen() : QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    if (area.isEmpty()) return;
    host->move(area.center() - QPoint(host->width() / 2, host->height() / 2));
}

void CWindowWnd::SetIcon(UINT resourceId) {
    // Icon resources of the original are images of the skin.
    if (!m_impl->host) return;
    const QImage image = detail::LoadSkinImage("common/icon_" + std::to_string(resourceId) + ".svg", CDPI{});
    if (!image.isNull()) m_impl->host->setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
    if (m_impl->host) m_impl->host->resize(cx, cy);
}

void CWindowWnd::MoveWindow(int x, int y) {
    if (m_impl->host) m_impl->host->move(x, y);
}

RECT CWindowWnd::GetWindowRect() const {
    if (!m_impl->host) return {};
    return detail::FromQRect(m_impl->host->frameGeometry());
}

bool CWindowWnd::IsWindowVisible() const { return m_impl->host && m_impl->host->isVisible(); }
bool CWindowWnd::IsMinimized() const { return m_impl->host && m_impl->host->isMinimized(); }
bool CWindowWnd::IsMaximized() const { return m_impl->host && m_impl->host->isMaximized(); }

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DuiLib::SendMessage(m_hWnd, msg, wParam, lParam); }

bool CWindowWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return DuiLib::PostMessage(m_hWnd, msg, wParam, lParam); }

bool CWindowWnd::SetWindowTimer(UINT id, UINT elapseMs) {
    if (!m_impl->host || m_impl->destroying) return false;
    QTimer*& timer = m_impl->timers[id];
    if (!timer) {
        timer = new QTimer();
        QObject::connect(timer, &QTimer::timeout, [this, id] {
            if (m_impl->destroying) return;
            ++detail::DispatchDepth();
            HandleMessage(WM_TIMER, id, 0);
            --detail::DispatchDepth();
        });
    }
    timer->start(static_cast<int>(std::max<UINT>(1, elapseMs)));
    return true;
}

bool CWindowWnd::KillWindowTimer(UINT id) {
    auto it = m_impl->timers.find(id);
    if (it == m_impl->timers.end()) return false;
    DisposeWindowTimer(it->second);
    m_impl->timers.erase(it);
    return true;
}

LRESULT CWindowWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (msg) {
    case WM_CLOSE:
        DestroyWindowNow(static_cast<UINT>(wParam));
        return 0;
    case WM_SYSCOMMAND:
        if (!m_impl->host) return 0;
        if (wParam == SC_MINIMIZE) m_impl->host->showMinimized();
        else if (wParam == SC_MAXIMIZE) m_impl->host->showMaximized();
        else if (wParam == SC_RESTORE) m_impl->host->showNormal();
        else if (wParam == SC_CLOSE) PostMessage(WM_CLOSE, IDCANCEL, 0);
        return 0;
    default:
        return 0;
    }
}

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::DestroyWindowNow(UINT ret) {
    if (!m_hWnd || m_impl->destroying) return;
    m_impl->destroying = true;
    const HWND hwnd = m_hWnd;
    detail::BeginDestroyWindow(hwnd);
    for (auto& [id, timer] : m_impl->timers) DisposeWindowTimer(timer);
    m_impl->timers.clear();
    HandleMessage(WM_DESTROY, 0, 0);
    if (m_impl->host) m_impl->host->hide();
    if (m_impl->modalLoop) {
        *m_impl->modalResult = ret;
        m_impl->modalLoop->exit(0);
        m_impl->modalLoop = nullptr;
    }
    OnFinalMessage(hwnd);  // may delete this
}

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    m_pm.SetClosing();
    m_pm.RemoveAllTimers();
    delete m_pm.DetachRoot();
}

void WindowImplBase::OnCreate() {
    QWidget* host = GetHostWidget();
    m_pm.Init(GetHWND(), host, GetWindowClassName());
    std::string skin = GetSkinFolder();
    if (!skin.empty() && skin.back() != '/') skin += '/';
    CDialogBuilder builder;
    CControlUI* root = builder.Create(skin + GetSkinFile(), {}, this, &m_pm);
    if (!root) {
        DebugOutput("WindowImplBase: layout " + GetSkinFile() + " failed: " + builder.GetLastError());
        root = new CVerticalLayoutUI();
    }
    const SIZE init = m_pm.GetInitSize();
    if (init.cx > 0 && init.cy > 0) host->resize(m_pm.GetDPIObj()->Scale(init.cx), m_pm.GetDPIObj()->Scale(init.cy));
    const SIZE minimum = m_pm.GetMinInfo();
    if (minimum.cx > 0 && minimum.cy > 0) host->setMinimumSize(m_pm.GetDPIObj()->Scale(minimum.cx), m_pm.GetDPIObj()->Scale(minimum.cy));
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    InitWindow();
    m_pm.SendNotify(root, DUI_MSGTYPE_WINDOWINIT, 0, 0, true);
}

bool WindowImplBase::IsInCaption(POINT pt) const {
    const RECT caption = m_pm.GetDPIObj()->Scale(m_pm.GetCaptionRect());
    if (caption.bottom <= 0) return false;
    const QWidget* host = GetHostWidget();
    const int width = host ? host->width() : 0;
    const RECT area{caption.left, caption.top, width - caption.right, caption.bottom};
    return area.Contains(pt);
}

CControlUI* WindowImplBase::CreateControl(const std::string&) { return nullptr; }

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK) OnClick(msg);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") Close(IDCANCEL);
    else if (name == "minbtn") SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == "maxbtn") SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == "restorebtn") SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM, LPARAM, bool& bHandled) {
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    LRESULT result = 0;
    switch (msg) {
    case WM_CLOSE: result = OnClose(msg, wParam, lParam, handled); break;
    case WM_DESTROY:
        m_pm.SetClosing();
        result = OnDestroy(msg, wParam, lParam, handled);
        break;
    case WM_SYSCOMMAND: result = OnSysCommand(msg, wParam, lParam, handled); break;
    default: break;
    }
    if (handled) return result;
    result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void HostWindowWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (auto* window = dynamic_cast<WindowImplBase*>(m_owner)) window->GetPaintManager()->OnHostResized(width(), height());
}

}  // namespace DuiLib
