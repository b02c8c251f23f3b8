// Close requests on Linux: SIGINT (Ctrl+C), SIGHUP (the terminal closed) and SIGTERM (a logout,
// `kill`). They are blocked in every thread and taken by one thread of their own with sigwait,
// so no game code ever runs inside a signal handler.
#include "base/close_requests.h"

#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace {

const int CLOSE_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

struct CloseWatch {
    CloseRequestHandler handler;
    void* context;
    sigset_t signals;
};

int nextSignal(const sigset_t& signals) {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    return signal;
}

// Ends the process as `signal` ends one that does not handle it, with its status.
[[noreturn]] void endAsTheSignalWould(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal);
    _exit(128 + signal); // not reached: the signal ends the process first
}

void* watchSignals(void* arg) {
    const CloseWatch& watch = *static_cast<const CloseWatch*>(arg);
    nextSignal(watch.signals);
    watch.handler(watch.context);
    endAsTheSignalWould(nextSignal(watch.signals));
}

} // namespace

bool watchCloseRequests(CloseRequestHandler handler, void* context, std::string& problem) {
    // Lives as long as the process, as its thread does.
    static CloseWatch watch;
    watch.handler = handler;
    watch.context = context;
    sigemptyset(&watch.signals);
    for (const int signal : CLOSE_SIGNALS) {
        sigaddset(&watch.signals, signal);
    }
    // Threads inherit the mask: blocked here, the signals stay pending for the watcher alone.
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &watch.signals, &before);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, watchSignals, &watch);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        problem = std::string("cannot start the thread that watches for signals (") +
                  std::strerror(error) + ")";
        return false;
    }
    return true;
}
