// The SDL backend's direct questions to the X server: the pointer, held keys, the connection and its errors.
#include "platform/sdl/sdl_x11.h"

#include "platform/backend.h"

#if ORV_HAVE_X11
#include <cstdio>

#include "platform/debug.h"
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace plat::sdl::x11 {
namespace {
Display* g_display = nullptr;  // SDL's own connection, once a window exists
::Window g_window = 0;         // the game's window on it

bool Info(SDL_Window* window, Display** dpy, ::Window* xwin) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *dpy = info.info.x11.display;
    *xwin = info.info.x11.window;
    return true;
}

// The X library calls these once the connection is gone; returning keeps the process alive, and
// every later call on the connection does nothing, so the program can end in order.
int OnIoError(Display*) {
    plat::detail::DisplayLost();
    return 0;
}
void OnIoErrorExit(Display*, void*) { plat::detail::DisplayLost(); }

// A protocol error. Xlib's default handler would exit the process from inside the failed call,
// with the sound threads still running. An error about the game's own window means another
// program destroyed it: the program ends in order. Any other error is reported and passed over.
int OnError(Display* dpy, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->resourceid == g_window) {
        plat::detail::WindowDestroyed();
        return 0;
    }
    static int reported = 0;
    if (plat::detail::DisplayWasLost() || reported >= 10) return 0;
    ++reported;
    char text[128] = "";
    XGetErrorText(dpy, e->error_code, text, sizeof text);
    char line[256];
    std::snprintf(line, sizeof line, "X error %d (%s), request %d.%d, resource 0x%lx\r\n", int(e->error_code), text,
                  int(e->request_code), int(e->minor_code), static_cast<unsigned long>(e->resourceid));
    plat::OutputDebugString(line);
    return 0;
}
}  // namespace

bool QueryPointer(SDL_Window* window, int* x, int* y) {
    Display* dpy = nullptr;
    ::Window xwin = 0;
    if (plat::detail::DisplayWasLost() || !Info(window, &dpy, &xwin)) return false;
    ::Window root = 0, child = 0;
    int rx = 0, ry = 0;
    unsigned int mask = 0;
    return XQueryPointer(dpy, xwin, &root, &child, &rx, &ry, x, y, &mask) == True;
}

uint32_t HeldKeysyms(const unsigned long* keysyms, int count) {
    if (!g_display || plat::detail::DisplayWasLost()) return 0;
    char keys[32];
    XQueryKeymap(g_display, keys);
    uint32_t held = 0;
    for (int i = 0; i < count && i < 32; ++i) {
        const KeyCode code = XKeysymToKeycode(g_display, KeySym(keysyms[i]));
        if (code != 0 && ((keys[code / 8] >> (code % 8)) & 1)) held |= 1u << i;
    }
    return held;
}

bool FitToScreen(SDL_Window* window, int x, int y, int width, int height) {
    Display* dpy = nullptr;
    ::Window xwin = 0;
    if (plat::detail::DisplayWasLost() || !Info(window, &dpy, &xwin)) return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, xwin, &a)) return false;
    ::Window child = 0;
    int rx = 0, ry = 0;
    XTranslateCoordinates(dpy, xwin, a.root, 0, 0, &rx, &ry, &child);
    if (rx == x && ry == y && a.width == width && a.height == height) return false;
    XMoveResizeWindow(dpy, xwin, x, y, unsigned(width), unsigned(height));
    XFlush(dpy);
    return true;
}

void FixedSizeHints(SDL_Window* window) {
    Display* dpy = nullptr;
    ::Window xwin = 0;
    if (!Info(window, &dpy, &xwin)) return;
    // flags (functions, decorations); functions: move, minimise, close; decorations: border,
    // title, menu, minimise button.
    const long hints[5] = {1 | 2, 4 | 8 | 32, 2 | 8 | 16 | 32, 0, 0};
    const Atom motif = XInternAtom(dpy, "_MOTIF_WM_HINTS", False);
    XChangeProperty(dpy, xwin, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(hints), 5);
}

void CatchErrors() { XSetErrorHandler(OnError); }

void WatchConnection(SDL_Window* window) {
    Display* dpy = nullptr;
    ::Window xwin = 0;
    if (!Info(window, &dpy, &xwin)) return;
    g_display = dpy;
    g_window = xwin;
    XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnIoError);
    XSetIOErrorExitHandler(dpy, OnIoErrorExit, nullptr);
}

void WatchEvent(const SDL_SysWMmsg& msg) {
    // The server says so itself when another program destroys the window, even while the game,
    // paused, asks nothing about it.
    if (msg.subsystem == SDL_SYSWM_X11 && msg.msg.x11.event.type == DestroyNotify &&
        msg.msg.x11.event.xdestroywindow.window == g_window && g_window != 0)
        plat::detail::WindowDestroyed();
}

bool WindowGone() {
    if (plat::detail::DisplayWasLost()) return true;
    if (!g_display || !g_window) return false;
    // What the server has said so far: an error about the window reaches OnError, a dead
    // connection OnIoError; a destroy notice still queued is read here.
    XSync(g_display, False);
    XEvent e;
    if (XCheckTypedWindowEvent(g_display, g_window, DestroyNotify, &e)) plat::detail::WindowDestroyed();
    return plat::detail::DisplayWasLost();
}

void ForgetWindow() { g_window = 0; }
}  // namespace plat::sdl::x11
#else
namespace plat::sdl::x11 {
bool QueryPointer(SDL_Window*, int*, int*) { return false; }
uint32_t HeldKeysyms(const unsigned long*, int) { return 0; }
bool FitToScreen(SDL_Window*, int, int, int, int) { return false; }
void FixedSizeHints(SDL_Window*) {}
void CatchErrors() {}
void WatchConnection(SDL_Window*) {}
void WatchEvent(const SDL_SysWMmsg&) {}
bool WindowGone() { return plat::detail::DisplayWasLost(); }
void ForgetWindow() {}
}  // namespace plat::sdl::x11
#endif
