#include "app/shell/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

#include "platform/DebugOutput.h"

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT};

std::atomic<int> g_writeFd{-1};
int g_readFd = -1;
struct sigaction g_previous[std::size(kSignals)];

void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending request; losing this byte loses nothing.
    if (const int fd = g_writeFd.load(); fd >= 0) [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
    errno = savedErrno;
}
}  // namespace

CTerminationSignals::CTerminationSignals() = default;

CTerminationSignals::~CTerminationSignals() { Uninstall(); }

bool CTerminationSignals::Install(std::function<void(int)> onSignal) {
    if (installed_ || g_readFd >= 0) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        DebugOutput("signals: no pipe, SIGTERM ends the program without clean-up");
        return false;
    }
    g_readFd = fds[0];
    g_writeFd = fds[1];
    onSignal_ = std::move(onSignal);
    notifier_ = std::make_unique<QSocketNotifier>(g_readFd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &g_previous[i]);
    installed_ = true;
    return true;
}

void CTerminationSignals::OnReadable() {
    unsigned char bytes[16];
    const ssize_t n = read(g_readFd, bytes, sizeof bytes);
    if (n <= 0) return;
    DebugOutput("signals: termination signal " + std::to_string(bytes[0]) + ", exiting");
    if (onSignal_) onSignal_(bytes[0]);
}

void CTerminationSignals::Uninstall() {
    if (!installed_) return;
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
    notifier_.reset();
    close(g_writeFd.exchange(-1));
    close(g_readFd);
    g_readFd = -1;
    installed_ = false;
}
