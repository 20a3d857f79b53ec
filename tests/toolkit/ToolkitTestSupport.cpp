#include "tests/toolkit/ToolkitTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace ToolkitTest {
namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DuiLib::CPaintManagerUI::SetInstance(); }
    void TearDown() override {
        Pump();
        DuiLib::CPaintManagerUI::Term();
        delete QApplication::instance();
    }
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void PumpFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

DuiLib::CControlUI* RecordingWindow::CreateControl(const std::string& tag) {
    askedTags.push_back(tag);
    return makeControl ? makeControl(tag) : nullptr;
}

void RecordingWindow::Notify(DuiLib::TNotifyUI& msg) {
    notifications.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : "", msg.wParam, msg.lParam});
    WindowImplBase::Notify(msg);
}

DuiLib::LRESULT RecordingWindow::HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                                     bool& bHandled) {
    if (msg >= DuiLib::WM_USER || msg == DuiLib::WM_TIMER) {
        messages.push_back({"message", std::to_string(msg), wParam, lParam});
        bHandled = true;
        return onMessage ? onMessage(msg, wParam, lParam) : 0;
    }
    bHandled = false;
    return 0;
}

DuiLib::LRESULT RecordingWindow::OnDestroy(DuiLib::UINT, DuiLib::WPARAM, DuiLib::LPARAM, bool& bHandled) {
    if (onDestroy) onDestroy();
    bHandled = false;
    return 0;
}

std::vector<std::string> RecordingWindow::Events(bool withFocus) const {
    std::vector<std::string> out;
    for (const auto& n : notifications) {
        if (!withFocus && (n.type == "setfocus" || n.type == "killfocus")) continue;
        if (n.type == "windowsize" || n.type == "windowinit") continue;
        out.push_back(n.type + ":" + n.sender);
    }
    return out;
}

RecordingWindow* OpenWindow(const std::string& layout, int width, int height) {
    auto* window = new RecordingWindow(layout);
    window->Create(0, "test", DuiLib::WS_POPUP, 0, 0, 0, width, height);
    window->ShowWindow(true);
    Pump();
    return window;
}

}  // namespace ToolkitTest
