#include "cli/InterruptHandler.h"

#include <csignal>
#include <iterator>

namespace tonalbox::cli {

namespace {

std::atomic<int>* g_cancelFlag = nullptr;
// The signals that cancel, and whether a second one ends the process.
constexpr struct {
    int signal;
    bool secondEnds;
} kCancelSignals[] = {{SIGINT, true}, {SIGTERM, true}, {SIGHUP, true}, {SIGPIPE, false}};
constexpr size_t kCancelSignalCount = std::size(kCancelSignals);
struct sigaction g_old[kCancelSignalCount] {};
struct sigaction g_oldFileSize {};
struct sigaction g_oldWake {};
std::atomic<bool> g_installed{false};

int WakeSignal() { return SIGRTMIN; }

extern "C" void OnWake(int) {}

extern "C" void OnInterrupt(int) {
    static_assert(std::atomic<int>::is_always_lock_free);
    if (g_cancelFlag != nullptr) g_cancelFlag->store(1);
}

}  // namespace

InterruptHandler::InterruptHandler(std::atomic<int>& cancelFlag) {
    g_cancelFlag = &cancelFlag;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kCancelSignalCount; ++i) {
        // No SA_RESTART: a question waiting for its answer is interrupted
        // and taken as No. SA_RESETHAND: a second Ctrl-C ends the process.
        action.sa_flags = kCancelSignals[i].secondEnds ? SA_RESETHAND : 0;
        sigaction(kCancelSignals[i].signal, &action, &g_old[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &g_oldFileSize);
    struct sigaction wake {};
    wake.sa_handler = OnWake;
    sigemptyset(&wake.sa_mask);
    wake.sa_flags = 0;  // no SA_RESTART: the waiting call returns EINTR
    sigaction(WakeSignal(), &wake, &g_oldWake);
    g_installed = true;
}

void InterruptHandler::Wake(pthread_t thread) {
    if (g_installed) pthread_kill(thread, WakeSignal());
}

InterruptHandler::~InterruptHandler() {
    g_installed = false;
    sigaction(WakeSignal(), &g_oldWake, nullptr);
    sigaction(SIGXFSZ, &g_oldFileSize, nullptr);
    for (size_t i = 0; i < kCancelSignalCount; ++i)
        sigaction(kCancelSignals[i].signal, &g_old[i], nullptr);
    g_cancelFlag = nullptr;
}

}  // namespace tonalbox::cli
