/* Closes an X window the way a window manager's close button does: by sending it the
 * WM_DELETE_WINDOW client message. Usage: close-window WINDOW_ID */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    Display* connection = XOpenDisplay(NULL);
    if (connection == NULL) {
        fprintf(stderr, "close-window: cannot open the X display\n");
        return 1;
    }
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    XEvent message = {0};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = (long)XInternAtom(connection, "WM_DELETE_WINDOW", False);
    message.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(connection, window, False, NoEventMask, &message);
    XSync(connection, False);
    XCloseDisplay(connection);
    if (sent == 0) {
        fprintf(stderr, "close-window: the message could not be sent\n");
        return 1;
    }
    return 0;
}
