// Requests from outside the game to close it: on Linux the signals a terminal, a logout or `kill`
// send; on Windows the console's Ctrl+C and close and the session's end. Each platform implements
// it in a file of its own (close_requests_posix.cpp, close_requests_windows.cpp).
#pragma once

#include <string>

/// What the game does when asked from outside to close. Called on a thread of the platform's
/// own, never inside a signal handler, so it may take locks and emit events; it must return at
/// once.
using CloseRequestHandler = void (*)(void* context);

/// From now on the first request from outside to close calls `handler`, and any later one ends
/// the process at once, as the request would have without the game. Call it first thing in
/// `main`, before any thread is made: the threads made afterwards leave the requests to it.
/// False, with `problem` saying why, when the requests cannot be watched; they then end the
/// process at once, as before.
bool watchCloseRequests(CloseRequestHandler handler, void* context, std::string& problem);
