// Close requests on Windows: Ctrl+C and Ctrl+Break in the console, the console window closed, and
// the session's end (a logoff, a shutdown). Windows calls a console handler on a thread of its
// own for each console event. A program with windows gets no console event at the session's end,
// only the messages every top-level window gets, so a hidden window of its own, on a thread of
// its own, takes them.
//
// Windows waits for the program only so long: about five seconds after the console's close, a
// little longer at the session's end. The handler holds that time for the game to finish the
// saves clicked before, and Windows ends the process when it returns or the time is up; the saves
// are only ever moved into place whole, so each file stays whole either way.
#include "base/close_requests.h"

#include <atomic>
#include <windows.h>

#include "base/wide_text_windows.h"

namespace {

// The status of a process that Ctrl+C ends, as Windows' own handler ends it.
constexpr UINT ENDED_BY_CONTROL_C = 0xC000013A;

const wchar_t* const SESSION_WINDOW_CLASS = L"TellurnSessionEnd";

struct CloseWatch {
    CloseRequestHandler handler;
    void* context;
    /// Set by the first request.
    std::atomic<bool> asked{false};
};

// Windows' handlers take no context of their own, so what they call lives as long as the process,
// as the handlers do.
CloseWatch watch;

// The first request closes the game; true when this one was it.
bool askToClose() {
    if (watch.asked.exchange(true)) {
        return false;
    }
    watch.handler(watch.context);
    return true;
}

// Keeps Windows from ending the process while the game finishes its saves: the process ends by
// itself once they are done, or Windows ends it when its time is up.
[[noreturn]] void waitForTheEnd() {
    for (;;) {
        Sleep(INFINITE);
    }
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        if (!askToClose()) {
            TerminateProcess(GetCurrentProcess(), ENDED_BY_CONTROL_C); // a second: at once
        }
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        askToClose();
        waitForTheEnd();
    default:
        return FALSE;
    }
}

LRESULT CALLBACK onSessionMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        return TRUE; // the game may end: it closes when the session does
    }
    if (message == WM_ENDSESSION && wParam != 0) {
        askToClose();
        waitForTheEnd();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI watchSessionEnd(void*) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = onSessionMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = SESSION_WINDOW_CLASS;
    // Never shown; a top-level window, since a message-only one hears no session's end.
    if (RegisterClassW(&windowClass) == 0 ||
        CreateWindowExW(0, SESSION_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                        windowClass.hInstance, nullptr) == nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}

} // namespace

bool watchCloseRequests(CloseRequestHandler handler, void* context, std::string& problem) {
    watch.handler = handler;
    watch.context = context;
    if (SetConsoleCtrlHandler(onConsoleEvent, TRUE) == 0) {
        problem =
            "cannot watch the console's Ctrl+C and close (" + systemReason(GetLastError()) + ")";
        return false;
    }
    const HANDLE thread = CreateThread(nullptr, 0, watchSessionEnd, nullptr, 0, nullptr);
    if (thread == nullptr) {
        problem = "cannot start the thread that watches for the session's end (" +
                  systemReason(GetLastError()) + ")";
        return false;
    }
    CloseHandle(thread); // it runs as long as the process
    return true;
}
