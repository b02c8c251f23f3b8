// The connection to the window system lost for good: the desktop session crashed, an `ssh -X`
// link dropped, Xwayland ended. The window system's library gives no way back from it and ends
// the process its own way, which hangs or crashes a game with threads; the game ends itself
// instead. Each platform implements it in a file of its own (display_loss_x11.cpp; on Windows,
// display_loss_windows.cpp, there is no such connection).
#pragma once

/// What the game does when the connection to the window system is lost; `cause` names it in
/// the platform's words ("X connection lost"). Called once, on the
/// thread whose call into the window system found the connection gone (any thread: the
/// library's event thread, the render thread, main), with that call unfinished: it must not
/// touch the window system. It may end the process; if it returns, its thread is parked for
/// ever, as is every other thread that finds the connection gone.
using DisplayLossHandler = void (*)(void* context, const char* cause);

/// From now on a lost connection to the window system calls `handler` once instead of ending
/// the process. Call it before the connection is opened.
void watchDisplayLoss(DisplayLossHandler handler, void* context);
