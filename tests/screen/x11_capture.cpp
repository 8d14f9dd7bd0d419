// Reads what an SDL window shows from the X server (kept apart: X11's macros clash with GoogleTest).
#include "tests/screen/x11_capture.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "display/dd_display.h"
#include "platform/display.h"
#include "platform/window.h"
#include "tests/support/fixture.h"

std::vector<uint32_t> Capture(SDL_Window* w, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    std::vector<uint32_t> out;
    if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return out;
    Display* dpy = info.info.x11.display;
    XSync(dpy, False);
    XImage* img = XGetImage(dpy, info.info.x11.window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!img) return out;
    out.resize(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out[size_t(y) * width + x] = XGetPixel(img, x, y) & 0xFFFFFF;
    XDestroyImage(img);
    return out;
}

long DiffersFromBackBuffer(SDL_Window* window) {
    const std::vector<uint16_t> back = support::ReadSurface(DD_DISPLAY.back);
    std::vector<uint32_t> expect(back.size());
    plat::Convert16To32(back.data(), expect.data(), int(back.size()), DD_Is565(DD_PIXEL_FORMAT.g_mask));
    const std::vector<uint32_t> shown = Capture(window, 640, 480);
    if (shown.size() != expect.size()) return -1;
    long differ = 0;
    for (size_t i = 0; i < shown.size(); ++i) differ += shown[i] != expect[i];
    return differ;
}

long PresentUntilShown(SDL_Window* window) {
    long differ = -1;
    for (int attempt = 0; attempt < 20 && differ != 0; ++attempt) {
        plat::Msg msg;
        for (uint32_t end = SDL_GetTicks() + 150; SDL_GetTicks() < end; SDL_Delay(5))
            while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        DD_Present();
        differ = DiffersFromBackBuffer(window);
    }
    return differ;
}
