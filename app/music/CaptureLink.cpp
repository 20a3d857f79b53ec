#include "app/music/CaptureLink.h"

#include <QProcess>
#include <QStringList>

#include "app/music/CaptureProtocol.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/bus/MessageBus.h"

using namespace capture;

std::array<uint32_t, 3> StyleColourToSend(const AudioLightInfo& info) {
    const auto& colour = info.Colour();
    return {colour[0], colour[1] == 0 ? 1u : colour[1], colour[2]};
}

bool CAudioCaptureLink::StartProgram() {
    std::vector<std::string> argv = command_;
    if (argv.empty()) argv.push_back(ProgramFolder() + kProgramName);
    QStringList arguments;
    for (size_t i = 1; i < argv.size(); ++i) arguments << QString::fromStdString(argv[i]);
    // Detached: the window never waits for it, and it leaves no child behind when it ends.
    const bool started = QProcess::startDetached(QString::fromStdString(argv[0]), arguments);
    DebugOutput(std::string("music: ") + (started ? "started " : "cannot start ") + argv[0]);
    return started;
}

uint64_t CAudioCaptureLink::FindCaptureWindow() {
    captureWindow_ = bus_ && bus_->Running() ? bus_->FindWindow(WindowClass(), WindowTitle(), kCaptureFindTimeoutMs) : 0;
    return captureWindow_;
}

void CAudioCaptureLink::NoteFailure(const std::string& what) {
    // Given up until the window is found again, so a hung program costs one time-out.
    DebugOutput("music: the capture program did not answer " + what);
    captureWindow_ = 0;
}

bool CAudioCaptureLink::SendControl(uint64_t code, int64_t lParam) {
    if (!captureWindow_) return false;
    BusStatus status = BusStatus::Ok;
    const auto answer = bus_->SendMessageTo(BusTarget::ByHandle(captureWindow_), kControlMessage, code, lParam,
                                            kCaptureControlTimeoutMs, &status);
    if (answer) return true;
    NoteFailure("control code " + std::to_string(code) + " (" + BusStatusText(status) + ")");
    return false;
}

bool CAudioCaptureLink::SendLinkSequence(uint64_t mainWindow) {
    if (!FindCaptureWindow()) return false;
    return SendControl(kLink, static_cast<int64_t>(mainWindow)) && SendControl(kResetAnalysis, 0) &&
           SendControl(kStartSending, 0);
}

void CAudioCaptureLink::SendShutdownSequence() {
    if (!FindCaptureWindow()) return;
    SendControl(kStopSending, 0) && SendControl(kCloseInput, 0) && SendControl(kQuit, 0);
}

bool CAudioCaptureLink::SendStyle(uint64_t mainWindow, const AudioLightInfo& info) {
    if (!captureWindow_ || !bus_) return false;
    const auto colour = StyleColourToSend(info);
    const auto record = StyleRecord(colour[0], colour[1], colour[2]);
    const BusAnswer answer = bus_->CopyDataTo(BusTarget::ByHandle(captureWindow_), mainWindow, kStyleDataId, record,
                                              kCaptureStyleTimeoutMs);
    if (answer.status == BusStatus::Ok) return true;
    NoteFailure(std::string("the style (") + BusStatusText(answer.status) + ")");
    return false;
}
