#include "toolkit/PaintManager.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>

#include "toolkit/Control.h"
#include "toolkit/ControlHost.h"
#include "toolkit/ImageDrawer.h"
#include "toolkit/QtConvert.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Skin.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"
#include "platform/Folders.h"
#include "platform/Time.h"

namespace DuiLib {
namespace {

struct SharedState {
    std::map<int, FontInfo> fonts;
    FontInfo defaultFont{Theme::kLatinFace, Theme::kDefaultFontSize, false, false, false};
    std::string resourcePath;
    std::vector<CPaintManagerUI*> managers;
    // Built fonts by (id, DPI): controls ask for theirs on every paint.
    std::map<std::pair<int, int>, QFont> fontCache;
};

SharedState& Shared() {
    static SharedState state;
    return state;
}

// A quit posted while no loop runs is kept for the next MessageLoop.
std::atomic<bool> g_quitPending{false};
std::atomic<int> g_quitCode{0};

bool ContainsControl(CControlUI* root, CControlUI* wanted) {
    bool found = false;
    if (root) root->VisitTree([&](CControlUI* c) { found = (c == wanted); return !found; });
    return found;
}

}  // namespace

struct CPaintManagerUI::TimerSet {
    std::map<std::pair<CControlUI*, UINT>, QTimer*> timers;
};

namespace {
// A timer may be stopped from inside its own tick; then it goes once the tick is over.
void DisposeTimer(QTimer* timer) {
    timer->stop();
    if (detail::DispatchDepth() > 0) timer->deleteLater();
    else delete timer;
}
}  // namespace

CPaintManagerUI::CPaintManagerUI() : m_timers(std::make_unique<TimerSet>()), m_alive(std::make_shared<bool>(true)) {
    Shared().managers.push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    m_bClosing = true;
    *m_alive = false;
    RemoveAllTimers();
    auto& list = Shared().managers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void CPaintManagerUI::SetInstance() {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "zorv-wired-manager";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    detail::ApplyDarkSkin();
}

std::string CPaintManagerUI::GetInstancePath() { return ProgramFolder(); }

void CPaintManagerUI::SetResourcePath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (!p.empty() && p.back() != '/') p += '/';
    Shared().resourcePath = p;
    detail::ClearImageCache();
}

std::string CPaintManagerUI::GetResourcePath() {
    if (Shared().resourcePath.empty()) return ProgramFolder() + "skin/";
    return Shared().resourcePath;
}

int CPaintManagerUI::MessageLoop() {
    if (g_quitPending.exchange(false)) return g_quitCode.load();
    if (!QApplication::instance()) return 0;
    const int code = QApplication::exec();
    g_quitPending.store(false);
    return code;
}

void CPaintManagerUI::PostQuitMessage(int code) {
    g_quitCode.store(code);
    g_quitPending.store(true);
    if (auto* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [code] {
            g_quitPending.store(false);
            QCoreApplication::exit(code);
        }, Qt::QueuedConnection);
    }
}

void CPaintManagerUI::Term() {
    RemoveAllFonts();
    CResourceManager::GetInstance()->Release();
    detail::ClearImageCache();
}

void CPaintManagerUI::AddFont(int id, const std::string& face, int size, bool bold, bool underline, bool italic) {
    Shared().fonts[id] = FontInfo{face, size, bold, underline, italic};
    Shared().fontCache.clear();
}

void CPaintManagerUI::SetDefaultFont(const std::string& face, int size, bool bold, bool underline, bool italic) {
    Shared().defaultFont = FontInfo{face, size, bold, underline, italic};
    Shared().fontCache.clear();
}

void CPaintManagerUI::RemoveAllFonts() {
    Shared().fonts.clear();
    Shared().fontCache.clear();
}

FontInfo CPaintManagerUI::GetDefaultFontInfo() { return Shared().defaultFont; }

bool CPaintManagerUI::GetFontInfo(int id, FontInfo& out) {
    auto it = Shared().fonts.find(id);
    if (it == Shared().fonts.end()) return false;
    out = it->second;
    return true;
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::GetPaintManagers() { return Shared().managers; }

void CPaintManagerUI::SetAllDPI(int dpi) {
    const auto managers = Shared().managers;
    for (CPaintManagerUI* m : managers) m->SetDPI(dpi);
}

void CPaintManagerUI::ReloadAllText() {
    for (CPaintManagerUI* m : Shared().managers) {
        if (!m->m_pRoot) continue;
        m->m_pRoot->VisitTree([](CControlUI* c) {
            if (c->IsResourceText()) c->ReloadText();
            return true;
        });
        m->NeedUpdate();
    }
}

void CPaintManagerUI::Init(HWND hwnd, QWidget* host, const std::string& name) {
    m_hWnd = hwnd;
    m_pHost = host;
    m_sName = name;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    m_pRoot = root;
    InitControls(root, nullptr);
    if (m_pHost) {
        QWidget* w = root->GetWidget();
        w->setParent(m_pHost);
        w->setVisible(root->IsVisible());
        OnHostResized(m_pHost->width(), m_pHost->height());
    }
    return true;
}

CControlUI* CPaintManagerUI::DetachRoot() {
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    m_pFocus = nullptr;
    return root;
}

void CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (control) control->SetManager(this, parent, true);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    KillTimer(control);
    if (m_pFocus == control) m_pFocus = nullptr;
    for (auto& [group, members] : m_optionGroups)
        members.erase(std::remove(members.begin(), members.end(), control), members.end());
    if (m_pRoot == control) m_pRoot = nullptr;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) { m_szInitWindowSize = SIZE{cx, cy}; }

void CPaintManagerUI::AddDefaultAttributeList(const std::string& controlClass, const std::string& list) {
    m_defaultAttributes[controlClass] = list;
}

std::string CPaintManagerUI::GetDefaultAttributeList(const std::string& controlClass) const {
    for (const auto& [cls, list] : m_defaultAttributes)
        if (detail::SameNoCase(cls, controlClass)) return list;
    return {};
}

CControlUI* CPaintManagerUI::FindControl(const std::string& name) const { return FindSubControlByName(m_pRoot, name); }

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    CControlUI* hit = nullptr;
    if (!m_pRoot) return nullptr;
    // Tree order puts children after parents, so the last visible hit is the innermost.
    m_pRoot->VisitTree([&](CControlUI* c) {
        bool shown = true;
        for (CControlUI* p = c; p; p = p->GetParent()) shown = shown && p->IsVisible();
        if (shown && c->GetPos().Contains(pt)) hit = c;
        return true;
    });
    return hit;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const std::string& name) const {
    CControlUI* found = nullptr;
    if (!parent || name.empty()) return nullptr;
    parent->VisitTree([&](CControlUI* c) {
        if (c->GetName() == name) found = c;
        return found == nullptr;
    });
    return found;
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, const std::string& controlClass, int index) const {
    CControlUI* found = nullptr;
    if (!parent) return nullptr;
    parent->VisitTree([&](CControlUI* c) {
        if (c->GetInterface(controlClass) && index-- == 0) found = c;
        return found == nullptr;
    });
    return found;
}

void CPaintManagerUI::AddOptionGroup(const std::string& group, CControlUI* option) {
    auto& members = m_optionGroups[group];
    if (std::find(members.begin(), members.end(), option) == members.end()) members.push_back(option);
}

const std::vector<CControlUI*>* CPaintManagerUI::GetOptionGroup(const std::string& group) const {
    auto it = m_optionGroups.find(group);
    return it == m_optionGroups.end() ? nullptr : &it->second;
}

void CPaintManagerUI::RemoveOptionGroup(const std::string& group, CControlUI* option) {
    auto it = m_optionGroups.find(group);
    if (it == m_optionGroups.end()) return;
    auto& members = it->second;
    members.erase(std::remove(members.begin(), members.end(), option), members.end());
    if (members.empty()) m_optionGroups.erase(it);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (!notifier || std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) return false;
    m_notifiers.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), notifier);
    if (it == m_notifiers.end()) return false;
    m_notifiers.erase(it);
    return true;
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const std::string& type, WPARAM wParam, LPARAM lParam, bool async) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
    if (m_bClosing) return;
    msg.dwTimestamp = GetTickCount();
    if (m_pHost) {
        const QPoint p = m_pHost->mapFromGlobal(QCursor::pos());
        msg.ptMouse = POINT{p.x(), p.y()};
    }
    if (!async) return DispatchNotify(msg);
    std::weak_ptr<bool> alive = m_alive;
    QObject* context = m_pHost ? static_cast<QObject*>(m_pHost) : QCoreApplication::instance();
    if (!context) return;
    QMetaObject::invokeMethod(context, [this, alive, msg]() mutable {
        auto flag = alive.lock();
        if (!flag || !*flag || m_bClosing) return;
        // The sender may have gone while the notification waited.
        if (msg.pSender && !ContainsControl(m_pRoot, msg.pSender)) return;
        DispatchNotify(msg);
    }, Qt::QueuedConnection);
}

void CPaintManagerUI::DispatchNotify(TNotifyUI& msg) {
    const auto notifiers = m_notifiers;
    ++detail::DispatchDepth();
    for (INotifyUI* n : notifiers) {
        if (m_bClosing) break;
        if (std::find(m_notifiers.begin(), m_notifiers.end(), n) != m_notifiers.end()) n->Notify(msg);
    }
    --detail::DispatchDepth();
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapseMs) {
    if (!control || m_bClosing || !QCoreApplication::instance()) return false;
    QTimer*& timer = m_timers->timers[{control, id}];
    if (!timer) {
        timer = new QTimer();
        QObject::connect(timer, &QTimer::timeout, [this, control, id] { DeliverTimer(control, id); });
    }
    timer->start(static_cast<int>(std::max<UINT>(1, elapseMs)));
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
    auto it = m_timers->timers.find({control, id});
    if (it == m_timers->timers.end() || !it->second->isActive()) return false;
    // Kept stopped: one-shot timers are killed and set again by their own handlers many times a
    // second, and a new timer object each time costs more than the work they start.
    it->second->stop();
    return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    auto& timers = m_timers->timers;
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first == control) {
            DisposeTimer(it->second);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (auto& [key, timer] : m_timers->timers) DisposeTimer(timer);
    m_timers->timers.clear();
}

bool CPaintManagerUI::HasTimer(CControlUI* control, UINT id) const {
    auto it = m_timers->timers.find({control, id});
    return it != m_timers->timers.end() && it->second->isActive();
}

void CPaintManagerUI::DeliverTimer(CControlUI* control, UINT id) {
    if (m_bClosing || !HasTimer(control, id)) return;
    TEventUI event;
    event.Type = UIEVENT_TIMER;
    event.pSender = control;
    event.dwTimestamp = GetTickCount();
    event.wParam = id;
    ++detail::DispatchDepth();
    control->Event(event);
    --detail::DispatchDepth();
}

QFont CPaintManagerUI::GetFont(int id) const { return FontAt(id, m_dpi); }

QFont CPaintManagerUI::FontAt(int id, const CDPI& dpi) {
    const std::pair<int, int> key{id, dpi.GetDPI()};
    auto cached = Shared().fontCache.find(key);
    if (cached != Shared().fontCache.end()) return cached->second;
    FontInfo info;
    if (id < 0 || !GetFontInfo(id, info)) info = Shared().defaultFont;
    QFont font;
    QStringList families;
    if (!info.face.empty()) families << detail::ToQ(info.face);
    families << Theme::kLatinFace << Theme::kChineseFace;
    font.setFamilies(families);
    font.setPixelSize(dpi.Scale(std::max(info.size, Theme::kMinimumFontSize)));
    font.setBold(info.bold);
    font.setUnderline(info.underline);
    font.setItalic(info.italic);
    Shared().fontCache.emplace(key, font);
    return font;
}

void CPaintManagerUI::SetDPI(int dpi) {
    const int old = m_dpi.GetDPI();
    if (dpi == old || !m_dpi.SetDPI(dpi)) return;
    if (m_pHost && m_pHost->isWindow()) {
        // The window keeps its logical size: 1000 x 640 at 96 DPI is 1500 x 960 at 144.
        m_pHost->resize(m_pHost->width() * dpi / old, m_pHost->height() * dpi / old);
    }
    detail::ApplyDarkSkin(dpi);
    ResetDPIAssets();
}

void CPaintManagerUI::ResetDPIAssets() {
    if (m_pRoot) {
        m_pRoot->VisitTree([](CControlUI* c) {
            c->OnDPIChanged();
            return true;
        });
    }
    UpdateLayout();
    Invalidate();
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control) control->SetFocus();
    else if (m_pHost) m_pHost->setFocus();
}

void CPaintManagerUI::OnFocusChanged(CControlUI* control, bool gained) {
    TEventUI event;
    event.Type = gained ? UIEVENT_SETFOCUS : UIEVENT_KILLFOCUS;
    event.pSender = control;
    event.dwTimestamp = GetTickCount();
    if (gained) m_pFocus = control;
    else if (m_pFocus == control) m_pFocus = nullptr;
    ++detail::DispatchDepth();
    control->Event(event);
    SendNotify(control, gained ? DUI_MSGTYPE_SETFOCUS : DUI_MSGTYPE_KILLFOCUS);
    --detail::DispatchDepth();
}

void CPaintManagerUI::NeedUpdate() {
    if (m_bLayoutPending || !m_pHost) return;
    m_bLayoutPending = true;
    std::weak_ptr<bool> alive = m_alive;
    QMetaObject::invokeMethod(m_pHost, [this, alive] {
        auto flag = alive.lock();
        if (flag && *flag) UpdateLayout();
    }, Qt::QueuedConnection);
}

void CPaintManagerUI::UpdateLayout() {
    m_bLayoutPending = false;
    if (m_pRoot && m_pHost) m_pRoot->SetPos(RECT{0, 0, m_pHost->width(), m_pHost->height()});
}

void CPaintManagerUI::Invalidate() {
    if (m_pHost) m_pHost->update();
    if (m_pRoot) m_pRoot->VisitTree([](CControlUI* c) { c->Invalidate(); return true; });
}

void CPaintManagerUI::OnHostResized(int width, int height) {
    if (!m_pRoot) return;
    m_pRoot->SetPos(RECT{0, 0, width, height});
    SendNotify(m_pRoot, DUI_MSGTYPE_WINDOWSIZE, static_cast<WPARAM>(width), height, true);
}

}  // namespace DuiLib
