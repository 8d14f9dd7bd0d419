// X requests shared by the screen tests.
#include "tests/screen/x11_common.h"

#include <X11/Xlib.h>

bool ScreenSize(int* width, int* height) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    *width = DisplayWidth(dpy, DefaultScreen(dpy));
    *height = DisplayHeight(dpy, DefaultScreen(dpy));
    XCloseDisplay(dpy);
    return true;
}

bool SendDeleteWindow(unsigned long window) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &e);
    XCloseDisplay(dpy);
    return true;
}
