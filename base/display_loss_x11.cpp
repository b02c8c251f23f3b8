// A lost connection to the X server. Xlib calls its I/O error handler on the thread whose call
// found the connection broken, and calls exit() if the handler returns; exit() runs Allegro's
// clean-up, which touches the dead connection and waits for threads that never answer. So the
// handler never returns into Xlib: it tells the game once, then parks its thread, which ends with
// the process.
#include "base/display_loss.h"

#include <X11/Xlib.h>
#include <atomic>
#include <unistd.h>

namespace {

struct DisplayLossWatch {
    DisplayLossHandler handler;
    void* context;
    /// Set by the first thread that finds the connection gone.
    std::atomic<bool> reported;
};

// Xlib's handler takes no context of its own, so what it calls lives as long as the process, as
// the handler does.
DisplayLossWatch watch;

[[noreturn]] void parkThisThread() {
    for (;;) {
        pause(); // the close signals are blocked here (close_requests_posix.cpp); any other wakes
    }
}

int onConnectionLost(Display*) {
    if (!watch.reported.exchange(true)) {
        watch.handler(watch.context, "X connection lost");
    }
    parkThisThread();
}

} // namespace

void watchDisplayLoss(DisplayLossHandler handler, void* context) {
    watch.handler = handler;
    watch.context = context;
    XSetIOErrorHandler(onConnectionLost);
}
