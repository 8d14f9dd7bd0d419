// X requests and queries for the screen tests.
#include "tests/screen/x11_window.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

bool PointerImageBlank() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    XFixesCursorImage* img = XFixesGetCursorImage(dpy);
    bool blank = img != nullptr;
    for (int i = 0; img && i < img->width * img->height; ++i) blank = blank && (img->pixels[i] >> 24) == 0;
    if (img) XFree(img);
    XCloseDisplay(dpy);
    return blank;
}

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {
// Held for the whole test program: an X server whose last client leaves starts afresh (refusing
// connections meanwhile and putting the pointer back in the middle).
Display* const g_keep = XOpenDisplay(nullptr);
Display* g_other_display = nullptr;
::Window g_other = 0;

// The 32-bit items of a window's property of that type (at most `max`); empty when it has none.
std::vector<long> Property(Display* dpy, ::Window w, Atom name, Atom type, long max) {
    std::vector<long> items;
    Atom actual;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (name != None &&
        XGetWindowProperty(dpy, w, name, 0, max, False, type, &actual, &format, &count, &after, &data) == Success &&
        data && format == 32)
        items.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data) XFree(data);
    return items;
}

bool WindowManagerRuns(Display* dpy) {
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", True);
    return Property(dpy, DefaultRootWindow(dpy), check, XA_WINDOW, 1).size() == 1;
}

void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
}  // namespace

int StartWindowManager() {
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // ends with the test, however the test ends
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return -1;
    Display* dpy = XOpenDisplay(nullptr);
    for (int i = 0; dpy && i < 100; ++i) {
        if (WindowManagerRuns(dpy)) {
            XCloseDisplay(dpy);
            Wait(200);
            return pid;
        }
        Wait(50);
    }
    if (dpy) XCloseDisplay(dpy);
    StopWindowManager(pid);
    return -1;
}

void StopWindowManager(int pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

bool SendCloseRequest(SDL_Window* window) {
    const unsigned long xwin = XWindowOf(window);
    return xwin && SendDeleteWindow(xwin);
}

unsigned long OpenOtherWindow() {
    CloseOtherWindow();
    g_other_display = XOpenDisplay(nullptr);
    if (!g_other_display) return 0;
    Display* dpy = g_other_display;
    g_other = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 50, 50, 200, 150, 0, 0, 0xFFFFFF);
    XStoreName(dpy, g_other, "other");
    XMapRaised(dpy, g_other);
    XSync(dpy, False);
    return g_other;
}

void CloseOtherWindow() {
    if (!g_other_display) return;
    XDestroyWindow(g_other_display, g_other);
    XCloseDisplay(g_other_display);
    g_other_display = nullptr;
    g_other = 0;
}

unsigned long XWindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

unsigned long FocusedWindow() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return 0;
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    XCloseDisplay(dpy);
    return focus;
}

std::vector<uint32_t> CaptureScreen(int* width, int* height) {
    std::vector<uint32_t> out;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return out;
    const int w = DisplayWidth(dpy, DefaultScreen(dpy)), h = DisplayHeight(dpy, DefaultScreen(dpy));
    XImage* img = XGetImage(dpy, DefaultRootWindow(dpy), 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (img) {
        out.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) out[size_t(y) * w + x] = XGetPixel(img, x, y) & 0xFFFFFF;
        XDestroyImage(img);
        *width = w;
        *height = h;
    }
    XCloseDisplay(dpy);
    return out;
}

bool WarpPointer(int x, int y) {
    Display* dpy = g_keep;
    if (!dpy) return false;
    XWarpPointer(dpy, None, DefaultRootWindow(dpy), 0, 0, 0, 0, x, y);
    XSync(dpy, False);
    return true;
}

bool RequestMaximize(SDL_Window* window) {
    const unsigned long xwin = XWindowOf(window);
    if (!xwin || !g_keep) return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = xwin;
    e.xclient.message_type = XInternAtom(g_keep, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1;  // add
    e.xclient.data.l[1] = long(XInternAtom(g_keep, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] = long(XInternAtom(g_keep, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    e.xclient.data.l[3] = 1;
    XSendEvent(g_keep, DefaultRootWindow(g_keep), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(g_keep, False);
    return true;
}

std::vector<std::string> AllowedActions(SDL_Window* window) {
    std::vector<std::string> names;
    const unsigned long xwin = XWindowOf(window);
    if (!xwin || !g_keep) return names;
    for (long atom : Property(g_keep, xwin, XInternAtom(g_keep, "_NET_WM_ALLOWED_ACTIONS", False), XA_ATOM, 64))
        if (char* name = XGetAtomName(g_keep, Atom(atom))) {
            names.emplace_back(name);
            XFree(name);
        }
    return names;
}

bool TitleBarPoint(SDL_Window* window, int* x, int* y) {
    const unsigned long xwin = XWindowOf(window);
    if (!xwin || !g_keep) return false;
    const std::vector<long> extents =
        Property(g_keep, xwin, XInternAtom(g_keep, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 4);
    const long top = extents.size() == 4 ? extents[2] : 0;  // left, right, top, bottom
    ::Window child = 0;
    int rx = 0, ry = 0;
    XTranslateCoordinates(g_keep, xwin, DefaultRootWindow(g_keep), 0, 0, &rx, &ry, &child);
    if (top < 4) return false;  // no title bar
    *x = rx + 200;  // left of the middle: the title's text, clear of the buttons
    *y = ry - int(top) / 2;
    return true;
}
