// X queries and requests about the game's window, as a window manager would make them.
#include "tests/screen/x11_program.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace {
// Windows come and go while they are searched (the program makes and drops windows as it starts):
// a request about one already gone fails and is ignored, where Xlib's default would end the test.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

Display* Open() {
    static const auto previous = XSetErrorHandler(IgnoreError);
    (void)previous;
    return XOpenDisplay(nullptr);
}

// Depth-first search under `w` for a window whose _NET_WM_NAME (or WM_NAME) is the title.
Window Search(Display* dpy, Window w, const std::string& title) {
    Atom net_name = XInternAtom(dpy, "_NET_WM_NAME", False), utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, net_name, 0, 1024, False, utf8, &type, &format, &n, &after, &data) == Success &&
        data) {
        const bool match = title == std::string(reinterpret_cast<char*>(data), n);
        XFree(data);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) found = Search(dpy, children[i], title);
    if (children) XFree(children);
    return found;
}
}  // namespace

X11Geometry FindWindowByTitle(const std::string& title) {
    X11Geometry g;
    Display* dpy = Open();
    if (!dpy) return g;
    if (Window w = Search(dpy, DefaultRootWindow(dpy), title)) {
        XWindowAttributes a;
        Window child;
        if (XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable) {
            XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &g.x, &g.y, &child);
            g.width = a.width;
            g.height = a.height;
            g.window = w;
            g.found = true;
        }
    }
    XCloseDisplay(dpy);
    return g;
}

bool RequestClose(const std::string& title) {
    Display* dpy = Open();
    if (!dpy) return false;
    const Window w = Search(dpy, DefaultRootWindow(dpy), title);
    XCloseDisplay(dpy);
    return w && SendDeleteWindow(w);
}

bool DestroyWindow(const std::string& title) {
    Display* dpy = Open();
    if (!dpy) return false;
    const Window w = Search(dpy, DefaultRootWindow(dpy), title);
    if (w) XDestroyWindow(dpy, w);
    XCloseDisplay(dpy);  // flushes the request
    return w != 0;
}

bool KillClient(const std::string& title) {
    Display* dpy = Open();
    if (!dpy) return false;
    const Window w = Search(dpy, DefaultRootWindow(dpy), title);
    if (w) XKillClient(dpy, w);
    XCloseDisplay(dpy);
    return w != 0;
}

long ScreenPixel(int x, int y) {
    Display* dpy = Open();
    if (!dpy) return -1;
    long out = -1;
    if (XImage* img = XGetImage(dpy, DefaultRootWindow(dpy), x, y, 1, 1, AllPlanes, ZPixmap)) {
        out = static_cast<long>(XGetPixel(img, 0, 0) & 0xFFFFFF);
        XDestroyImage(img);
    }
    XCloseDisplay(dpy);
    return out;
}

OtherWindow::OtherWindow() {
    Display* dpy = Open();
    if (!dpy) return;
    display_ = dpy;
    const int size = 100, sw = DisplayWidth(dpy, DefaultScreen(dpy)), sh = DisplayHeight(dpy, DefaultScreen(dpy));
    const ::Window w =
        XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), sw - size - 10, sh - size - 10, size, size, 0, 0, 0xFFFFFF);
    // The place is the program's own choice: a window manager keeps it there.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = sw - size - 10, hints.y = sh - size - 10, hints.width = hints.height = size;
    XSetWMNormalHints(dpy, w, &hints);
    XStoreName(dpy, w, "other");
    XSelectInput(dpy, w, StructureNotifyMask);
    XMapRaised(dpy, w);
    XFlush(dpy);
    // Shown (mapped by the window manager, where one runs) before it may take the focus; left 0
    // when that never happens.
    for (int waited = 0; waited < 10000; waited += 10) {
        XEvent e;
        while (XCheckWindowEvent(dpy, w, StructureNotifyMask, &e))
            if (e.type == MapNotify) {
                window_ = w;
                return;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XDestroyWindow(dpy, w);
}

OtherWindow::~OtherWindow() {
    if (!display_) return;
    Display* dpy = static_cast<Display*>(display_);
    if (window_) XDestroyWindow(dpy, window_);
    XCloseDisplay(dpy);
}
