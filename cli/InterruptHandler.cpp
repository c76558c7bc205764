#include "cli/InterruptHandler.h"

#include <csignal>

namespace tonalbox::cli {

namespace {

std::atomic<int>* g_cancelFlag = nullptr;
struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};
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
    // No SA_RESTART: a question waiting for its answer is interrupted and
    // taken as No. SA_RESETHAND: a second Ctrl-C ends the process.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
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
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    g_cancelFlag = nullptr;
}

}  // namespace tonalbox::cli
