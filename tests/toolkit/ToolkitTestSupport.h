#pragma once
// Shared by the toolkit tests: the QApplication, event pumping and a recording window.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/UIlib.h"

namespace ToolkitTest {

// Runs queued work (posted messages, async notifications, deferred deletes) for a while.
void Pump(int rounds = 5);
// Pumps until the condition holds or timeoutMs passed.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 2000);
// Pumps for ms milliseconds.
void PumpFor(int ms);

struct Recorded {
    std::string type;
    std::string sender;
    DuiLib::WPARAM wParam;
    DuiLib::LPARAM lParam;
};

// A window over a test layout that records what reaches it.
class RecordingWindow : public DuiLib::WindowImplBase {
public:
    explicit RecordingWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetWindowClassName() const override { return "ToolkitTestWnd"; }
    std::string GetSkinFile() override { return m_layout; }
    DuiLib::CControlUI* CreateControl(const std::string& tag) override;
    void InitWindow() override { initWindowCalls++; }
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    DuiLib::LRESULT OnDestroy(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, bool& bHandled) override;

    // Notifications without the focus and size noise, as "type:sender".
    std::vector<std::string> Events(bool withFocus = false) const;
    void ClearEvents() { notifications.clear(); }

    std::vector<Recorded> notifications;
    std::vector<std::string> askedTags;
    std::vector<Recorded> messages;
    std::function<DuiLib::CControlUI*(const std::string&)> makeControl;
    std::function<DuiLib::LRESULT(DuiLib::UINT, DuiLib::WPARAM, DuiLib::LPARAM)> onMessage;
    std::function<void()> onDestroy;
    int initWindowCalls = 0;

private:
    std::string m_layout;
};

// Creates the window over a layout and lets "windowinit" arrive.
RecordingWindow* OpenWindow(const std::string& layout, int width = 0, int height = 0);

}  // namespace ToolkitTest
