#include "cli/interrupt_signals.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <csignal>

#include <signal.h>
#endif

namespace zandrel::cli {

namespace {

// One per process: a handler can reach nothing but globals.
StopRequest stopRequest;

#ifdef _WIN32

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    // The second time, the next handler (the system's) ends the process.
    if (stopRequest.requested()) return FALSE;
    stopRequest.request();
    return TRUE;
}

#else

const int kSignals[] = {SIGINT, SIGTERM};
struct sigaction previousActions[2];
volatile std::sig_atomic_t installed[2] = {0, 0};
struct sigaction defaultAction;  // prepared before any handler runs

// Only async-signal-safe work: a lock-free store and sigaction.
void onSignal(int) {
    stopRequest.request();
    for (int n = 0; n < 2; ++n)
        if (installed[n]) ::sigaction(kSignals[n], &defaultAction, nullptr);
}

#endif

}  // namespace

InterruptSignals::InterruptSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
#else
    defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
    // Reads and writes go on where they were instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (int n = 0; n < 2; ++n) {
        struct sigaction current = {};
        if (::sigaction(kSignals[n], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        previousActions[n] = current;
        installed[n] = ::sigaction(kSignals[n], &action, nullptr) == 0 ? 1 : 0;
    }
#endif
}

InterruptSignals::~InterruptSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
#else
    for (int n = 0; n < 2; ++n) {
        if (!installed[n]) continue;
        installed[n] = 0;
        ::sigaction(kSignals[n], &previousActions[n], nullptr);
    }
#endif
}

const StopRequest& InterruptSignals::stop() const { return stopRequest; }

}  // namespace zandrel::cli
