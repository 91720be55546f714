#include "app/shell/termination_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace quillmix {

namespace {

// The pipe's ends; the write end is used from the signal handler only.
int signalPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT};

void restoreDefaults() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaction(s, &action, nullptr);
}

// Async-signal-safe: write(2) and sigaction(2) only; errno kept for the interrupted code.
extern "C" void onTerminationSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
    restoreDefaults();
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> requestClose) : requestClose_(std::move(requestClose)) {
    if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    restoreDefaults();
    delete notifier_;
    notifier_ = nullptr;
    for (int& end : signalPipe) {
        ::close(end);
        end = -1;
    }
}

void TerminationSignals::drain() {
    char bytes[16];
    bool received = false;
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) received = true;
    if (received && requestClose_) requestClose_();
}

}  // namespace quillmix
