#pragma once
// Hosts a native widget (or a QWindow) on the control's rectangle: every SetPos moves it there
// and it is shown only while the control is visible. The hosted widget stays its creator's,
// except the container made around an attached QWindow.
#include <QPointer>
#include <QWidget>

#include "toolkit/Control.h"

class QWindow;

namespace DuiLib {

class CWndUI : public CControlUI {
public:
    static constexpr const char* kClassName = "Wnd";
    static constexpr int kShowCommand = 5;  // show
    static constexpr int kHideCommand = 0;  // hide

    CWndUI() = default;
    ~CWndUI() override;
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Takes the widget onto the control; nullptr releases the current one.
    void Attach(QWidget* native);
    // Wraps the window in a container widget made a child of the toolkit window.
    void AttachWindow(QWindow* window);
    QWidget* GetHostedWidget() const { return m_hosted.data(); }
    QWidget* Detach();
    // The show command last applied: 5 shown, 0 hidden.
    int GetShowCommand() const { return m_nShowCommand; }

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;

private:
    void PlaceHosted();
    void ReleaseContainer();

    QPointer<QWidget> m_hosted;
    QPointer<QWidget> m_ownedContainer;
    int m_nShowCommand = kHideCommand;
};

}  // namespace DuiLib
