// Time from a key press injected into the X server (XTest) to its row in the macro editor: the X11
// backend, the hand-over to the UI thread, the hook message and the recorder. Needs an X display
// (run under xvfb-run); reports the median and the worst of 200 events.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "input/DeviceHook.h"
#include "input/HookMessages.h"
#include "input/InputCapture.h"
#include "input/MacroRecorder.h"
#include "panels/macro/MacroControlUI.h"
#include "platform/Time.h"
#include "toolkit/UIlib.h"

// Last: Xlib defines names that Qt and the toolkit use.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace DuiLib;

namespace {

constexpr int kEvents = 200;
constexpr unsigned kKeycodeA = 38;

// The macro editor alone in a window that hands it the hook messages, as the main window does.
class EditorWindow : public WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "KeyToRowBench"; }
    std::string GetSkinFile() override { return "XML/CustomControlXML/macro/macro-panel-preview.xml"; }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const std::optional<HookMsg> hook = FindHookMessage(msg);
        if (hook == HookMsg::KeyKbMacro && panel) {
            handled = true;
            panel->OnKeyboardHook(RecordPlacement::Append, static_cast<UINT>(wParam),
                                  *reinterpret_cast<const KeyboardHookRecord*>(lParam), GetTickCount());
        }
        return 0;
    }
    CMacroControlUI* panel = nullptr;
};

void KeyPressToEditorRow(benchmark::State& state) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display: run under xvfb-run");
        return;
    }
    CPaintManagerUI::SetInstance();
    RegisterHookMessages();
    RegisterMacroControls();
    setenv("ZORV_INPUT_BACKEND", "x11", 1);
    auto* window = new EditorWindow;
    window->Create(0, "bench", 0, 0, 0, 0, 316, 454);
    window->panel = static_cast<CMacroControlUI*>(window->GetPaintManager()->GetRoot()->GetInterface(CMacroControlUI::kClassName));
    CDeviceHook hook;
    if (!window->panel || !hook.Start(0, HookMode::kKbMacro, window->GetHWND(), true, true)) {
        state.SkipWithError("no capture");
        return;
    }
    window->panel->BeginRecording(kDelayMeasured, RecordPlacement::Append, GetTickCount());
    std::vector<double> ms;
    for (auto _ : state) {
        ms.clear();
        window->panel->DeleteAllRows();
        for (int i = 0; i < kEvents; ++i) {
            const int before = window->panel->RowCount();
            QElapsedTimer clock;
            clock.start();
            XTestFakeKeyEvent(display, kKeycodeA, i % 2 == 0, CurrentTime);
            XFlush(display);
            while (window->panel->RowCount() == before && clock.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["worst_ms"] = ms.back();
    state.counters["events"] = static_cast<double>(ms.size());
    hook.Stop();
    CInputCapture::Instance().Reset();
    window->Close(0);
}

}  // namespace

BENCHMARK(KeyPressToEditorRow)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
