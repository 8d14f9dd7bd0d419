// What the screen tests ask of the X server about another process's window (kept apart: X11's
// macros clash with GoogleTest).
#pragma once
#include <string>

#include "tests/screen/x11_common.h"

struct X11Geometry {
    int x = 0, y = 0, width = 0, height = 0;  // the window's area on the screen
    unsigned long window = 0;                 // its X window id
    bool found = false;
};

// The top-level window titled `title_utf8` (its _NET_WM_NAME) and where it lies on the screen.
X11Geometry FindWindowByTitle(const std::string& title_utf8);
// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW); false when
// the window is not found.
bool RequestClose(const std::string& title_utf8);
// Destroys the window from another client, as a misbehaving program may; false when not found.
bool DestroyWindow(const std::string& title_utf8);
// Has the server close the connection of the window's program, as xkill and xdotool's windowkill
// do; false when not found.
bool KillClient(const std::string& title_utf8);
// The colour (0x00RRGGBB) at a point of the screen, -1 when it cannot be read.
long ScreenPixel(int x, int y);

// Another program's window: small, in the screen's bottom right corner (clear of the game's picture
// while the game is in a window), shown while the object lives.
class OtherWindow {
public:
    OtherWindow();
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    unsigned long id() const { return window_; }  // 0 when it could not be made

private:
    void* display_ = nullptr;  // its own connection, held open while it lives
    unsigned long window_ = 0;
};
