// The test window set: system-window state machines over bordered panels.
#include "tests/support/mwnd_windows.h"

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/input.h"
#include "shell/mwnd_balloon.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"

namespace support {
namespace {
TestWindow g_set[kTestWindows];
plat::Window* g_window = nullptr;
constexpr int kSlideDistance = 48;  // the panel slides in from this far above its place
constexpr int kBorder = 2;

uint16_t Colour(uint32_t rgb) { return DD_RGB(rgb >> 16, rgb >> 8, rgb); }

// The panel follows the slide: slide 0 is out of place, slide_frames in place.
void Place(TestWindow& w) {
    const int off = w.slide_frames > 0 ? (w.slide_frames - w.slide) * kSlideDistance / w.slide_frames : 0;
    SP_SetPos(w.sprite, w.panel.left, w.panel.top - off);
}

void Build(TestWindow& w) {
    const int width = w.panel.right - w.panel.left, height = w.panel.bottom - w.panel.top;
    w.image = IMG_Create(width, height, 0);
    DDSurface* s = IMG_Surface(w.image);
    BLT_FillRect(s, nullptr, DD_RGB(255, 255, 255));
    const RECT inner{kBorder, kBorder, width - kBorder, height - kBorder};
    BLT_FillRect(s, &inner, Colour(w.rgb));
    w.depth = MWND_GetDepth(w.name.c_str());
    w.sprite = MWND_CreateStill(w.image, w.depth, 0);
    SP_SetVisible(w.sprite, 1);
    w.slide = 0;
    Place(w);
}

void FreePanel(TestWindow& w) {
    w.sprite = SP_Free(w.sprite);
    w.image = IMG_Free(w.image);
}

// A window closing on request takes the panels of the windows stacked on it along.
void FreeChainPanels(int k) {
    for (int guard = 0; k >= 0 && guard < kTestWindows; ++guard) {
        FreePanel(g_set[k]);
        k = g_set[k].child;
    }
}

bool SlideOut(TestWindow& w) {
    if (w.slide > 0) --w.slide;
    Place(w);
    return w.slide == 0;
}

int32_t Handle(int k, int32_t state, int32_t flags) {
    TestWindow& w = g_set[k];
    w.calls.emplace_back(state, flags);
    int32_t answer = state;
    if (w.hook && w.hook(state, flags, &answer)) return answer;
    switch (state) {
        case MWND_BUILD:
            Build(w);
            return w.wait ? MWND_WAIT : 0;
        case 0:  // slide in
            if (w.slide < w.slide_frames) ++w.slide;
            Place(w);
            return w.slide == w.slide_frames ? 1 : 0;
        case 1:  // input, only with the focus
            if (!(flags & MWND_FLAG_FOCUS)) return 1;
            if (w.close_chain) return MWND_CLOSE;
            if (w.open_child >= 0) {
                const int c = w.open_child;
                w.open_child = -1;
                w.child = c;
                const std::string window = MWND_GetCurName();
                MWND_CreateChild(window.c_str(), g_set[c].name.c_str(), TestHandler(c));
                MWND_Activate(window.c_str());
                return 1;
            }
            if (w.choose) {
                w.choose = false;
                if (w.result) MWND_SetResult(w.result);
                return 2;
            }
            return 1;
        case 2:  // slide out
            if (!SlideOut(w)) return 2;
            FreePanel(w);
            return w.leave;
        case MWND_CLOSE_REQUEST:
            if (!SlideOut(w)) return MWND_CLOSE_REQUEST;
            FreeChainPanels(k);
            return MWND_CLOSE;
        case MWND_COVERED:
            MWND_GetCursorPos(g_window, &w.mouse_x, &w.mouse_y, 1);
            return state;
        case MWND_FOCUS_BACK:
            plat::SetCursorPos(w.mouse_x, w.mouse_y);
            return state;
        case MWND_ACTIVATED:
            SP_SetVisible(w.sprite, 1);
            return state;
        case MWND_DEACTIVATED:
            SP_SetVisible(w.sprite, 0);
            return state;
        default:
            return state;
    }
}

template <int K>
int32_t HandlerOf(int32_t state, int32_t flags) {
    return Handle(K, state, flags);
}

constexpr MWND_HANDLER kHandlers[kTestWindows] = {HandlerOf<0>, HandlerOf<1>, HandlerOf<2>, HandlerOf<3>,
                                                  HandlerOf<4>, HandlerOf<5>, HandlerOf<6>, HandlerOf<7>};
}  // namespace

TestWindow& TestWindowAt(int k) { return g_set[k]; }
MWND_HANDLER TestHandler(int k) { return kHandlers[k]; }

void ResetTestWindows(plat::Window* window) {
    g_window = window;
    for (int k = 0; k < kTestWindows; ++k) {
        g_set[k] = TestWindow{};
        g_set[k].name = "w" + std::to_string(k);
        g_set[k].panel = RECT{40 + 40 * k, 60 + 30 * k, 300 + 40 * k, 220 + 30 * k};
    }
}

void FreeTestWindowObjects() {
    for (TestWindow& w : g_set) FreePanel(w);
}

int OpenTestWindow(int k) {
    const int ok = MWND_Create(g_set[k].name.c_str(), TestHandler(k));
    if (ok) MWND_Activate(g_set[k].name.c_str());
    return ok;
}

void OpenTestChild(int parent, int k) {
    std::string window;
    for (const MWND_SLOT& s : MWND_SLOT_TABLE)
        if (s.used && s.top && g_set[parent].name == s.top->name) window = s.name;
    g_set[parent].child = k;
    MWND_CreateChild(window.c_str(), g_set[k].name.c_str(), TestHandler(k));
    MWND_Activate(window.c_str());
}

int CountCalls(int k, int32_t state) {
    int n = 0;
    for (const auto& c : g_set[k].calls) n += c.first == state;
    return n;
}
}  // namespace support
