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
