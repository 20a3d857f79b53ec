#include "app/skins/SkinFrame.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "app/skins/CustomImageDialog.h"
#include "app/skins/SkinChoiceFile.h"
#include "app/skins/SkinObserver.h"
#include "toolkit/Container.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/WindowMessages.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {

constexpr UINT kSkinFrameIcon = 128;
constexpr int kImageTab = 0;
constexpr int kColourTab = 1;

// Turns the host's deactivation into the chooser's close.
class FocusWatch : public QObject {
public:
    explicit FocusWatch(CSkinFrame* frame) : m_frame(frame) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate) m_frame->OnDeactivated();
        return QObject::eventFilter(watched, event);
    }

private:
    CSkinFrame* m_frame;
};

void Announce(const SkinChangedParam& param) { TheSkinObserver().Announce(param); }

HWND g_openFrame = 0;

}  // namespace

CSkinFrame* CSkinFrame::Open(HWND parent, CControlUI* anchor) {
    auto* frame = new CSkinFrame(parent, anchor, SkinChoiceFilePath());
    g_openFrame = frame->Create(parent, "skinframe", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    return frame;
}

HWND CSkinFrame::OpenWindow() { return g_openFrame && IsWindow(g_openFrame) ? g_openFrame : 0; }

CSkinFrame::CSkinFrame(HWND parent, CControlUI* anchor, std::string choiceFilePath)
    : m_hParent(parent), m_pAnchor(anchor), m_choiceFilePath(std::move(choiceFilePath)) {}

CSkinFrame::~CSkinFrame() {
    if (QWidget* host = GetHostWidget(); host && m_focusWatch) host->removeEventFilter(m_focusWatch.get());
    m_pm.SetClosing();
    m_pm.RemoveAllTimers();
    delete m_pm.DetachRoot();
}

void CSkinFrame::OnCreate() {
    QWidget* host = GetHostWidget();
    SetIcon(kSkinFrameIcon);
    m_pm.Init(GetHWND(), host, GetWindowClassName());
    CDialogBuilder builder;
    CControlUI* root = builder.Create("skin.xml", {}, nullptr, &m_pm);
    if (!root) {
        DebugOutput("CSkinFrame: skin.xml failed: " + builder.GetLastError());
        root = new CVerticalLayoutUI();
    }
    const SIZE init = m_pm.GetDPIObj()->Scale(m_pm.GetInitSize());
    if (init.cx > 0 && init.cy > 0) host->resize(init.cx, init.cy);
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    // A plain window: nothing else makes the root follow the host's size.
    m_pm.OnHostResized(host->width(), host->height());
    PlaceUnderAnchor();
    m_focusWatch = std::make_unique<FocusWatch>(this);
    host->installEventFilter(m_focusWatch.get());
}

void CSkinFrame::PlaceUnderAnchor() {
    CWindowWnd* parent = FromHandle(m_hParent);
    QWidget* parentHost = parent ? parent->GetHostWidget() : nullptr;
    QWidget* host = GetHostWidget();
    if (!m_pAnchor || !parentHost || !host) return;
    const RECT anchor = m_pAnchor->GetPos();
    const QPoint bottomRight = parentHost->mapToGlobal(QPoint(anchor.right, anchor.bottom));
    host->move(bottomRight.x() - host->width(), bottomRight.y());
}

void CSkinFrame::OnDeactivated() {
    if (!m_bChoosingFile) Close(IDCANCEL);
}

void CSkinFrame::ShowTab(int index) {
    CControlUI* control = m_pm.FindControl("skin_tab");
    if (auto* tab = control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr)
        tab->SelectItem(index);
}

void CSkinFrame::ChooseCustomImage() {
    // The modal dialog takes the focus from the chooser; that must not close it underneath us.
    m_bChoosingFile = true;
    const std::optional<std::string> path = RunCustomImageChooser(GetHWND());
    m_bChoosingFile = false;
    if (path && !path->empty()) Announce(SkinChangedParam{false, 0, *path});
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != DUI_MSGTYPE_CLICK || !msg.pSender) return;
    CControlUI* sender = msg.pSender;
    const std::string& name = sender->GetName();
    if (name == "skin_image_btn") {
        const std::string image = sender->GetUserData();
        Announce(SkinChangedParam{false, 0, image});
        WriteSkinChoice(m_choiceFilePath, "1", image);
    } else if (name == "skin_color_btn") {
        Announce(SkinChangedParam{true, sender->GetBkColor(), {}});
    } else if (name == "skin_color") {
        ShowTab(kColourTab);
    } else if (name == "skin_image") {
        ShowTab(kImageTab);
    } else if (name == "skin_reset") {
        Announce(SkinChangedParam{false, 0, kDefaultSkinImage});
        WriteSkinChoice(m_choiceFilePath, "0", kDefaultSkinImage);
    } else if (name == "skin_Custom") {
        ChooseCustomImage();
    }
}

LRESULT CSkinFrame::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) m_pm.SetClosing();
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

void CSkinFrame::OnFinalMessage(HWND hwnd) {
    if (g_openFrame == hwnd) g_openFrame = 0;
    delete this;
}
