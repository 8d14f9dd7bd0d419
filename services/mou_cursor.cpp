// The software mouse cursor, re-created on every pass at the pointer from the bar's common picture.
#include "services/mou_cursor.h"

#include "display/dd_display.h"
#include "platform/input.h"
#include "platform/random.h"
#include "services/inp_device.h"
#include "shell/app_frame.h"
#include "shell/sysdat.h"
#include "sprite/sp_object.h"

namespace {
constexpr BAR_PARTS kParked{0, 480, 0, -1, 0, 0, 0, 0, {}};  // dead, and without an object yet
}  // namespace
BAR_PARTS MOUSE_PARTICLE[MOUSE_PARTICLES] = {kParked, kParked, kParked, kParked, kParked, kParked,
                                             kParked, kParked, kParked, kParked, kParked, kParked,
                                             kParked, kParked, kParked, kParked};

namespace {
int32_t g_mode = -1;
int32_t g_frame = 0;        // animated look: 0..5
int32_t g_frame_ticks = 0;  // ticks shown of the frame: 0..3
int32_t g_click_delay = 0;  // ticks of the large click frame left
int32_t g_click_latch = 0;  // a click threw particles; cleared when every button is up
int32_t g_last_tick = 0;
int32_t g_vx[MOUSE_PARTICLES], g_vy[MOUSE_PARTICLES];

void SetAllVisible(int visible) {
    SP_SetVisible(BAR_CURSOR.sprite, visible);
    for (const BAR_PARTS& p : MOUSE_PARTICLE) SP_SetVisible(p.sprite, visible);
}

// The look for the settings' mouse type: source rectangle and offset from the pointer.
struct Look {
    int32_t left, top, w, h, dx, dy;
};

Look LookFor(int type) {
    switch (type) {
        case 1: return g_mode == 1 ? Look{32, 138, 32, 32, -16, -16} : Look{0, 138, 32, 32, -16, -16};
        case 2: return g_click_delay >= 1 ? Look{64, 137, 59, 64, -28, -32} : Look{0, 170, 32, 32, 0, 0};
        default: return g_mode == 1 ? Look{32 + 32 * g_frame, 112, 32, 26, 0, 0} : Look{0, 112, 32, 26, 0, 0};
    }
}

void ThrowParticle() {
    int32_t mx = 0, my = 0;
    MOUSE_GetState(&mx, &my, nullptr);
    for (int i = 0; i < MOUSE_PARTICLES; ++i) {
        if (MOUSE_PARTICLE[i].y < 480) continue;
        MOUSE_PARTICLE[i].x = mx + 16;
        MOUSE_PARTICLE[i].y = my + 8;
        g_vx[i] = 4;
        g_vy[i] = -4 - plat::Rand() % 2;
        return;
    }
}
}  // namespace

int MOUSE_InitCursor(const char*, int) {
    APP_DrawTickCount = 0;
    g_last_tick = 0;
    g_frame = g_frame_ticks = g_click_delay = g_click_latch = 0;
    for (int i = 0; i < MOUSE_PARTICLES; ++i) g_vx[i] = g_vy[i] = 0;
    return 1;
}

void MOUSE_SetCursorMode(int mode) {
    if (BAR_COMMON_IMAGE == -1 || mode == g_mode) return;
    if (mode == -1) SetAllVisible(0);
    if (mode >= 0 && mode <= 4) SetAllVisible(1);
    g_mode = mode;
}

int MOUSE_GetCursorMode() { return g_mode; }

int MOUSE_IsCursorShown() {
    const SP_OBJ* o = SP_Get(BAR_CURSOR.sprite);
    return o ? o->visible : 0;
}

void MOUSE_ShowCursor(int flag) { SetAllVisible(uint8_t(flag)); }

void MOUSE_UpdateCursor(plat::Window* window) {
    POINT p;
    plat::GetCursorPos(&p);
    if (!DD_DISPLAY.full_screen) plat::ScreenToClient(window, &p);
    plat::SetCursor(nullptr);  // the game draws its own; the system pointer stays hidden
    const bool ticked = APP_DrawTickCount != g_last_tick;
    const int visible = MOUSE_IsCursorShown();
    const int type = SYS_DATA.mouse_type;

    if (type == 2 && ticked && g_click_delay > 0) --g_click_delay;
    const Look look = LookFor(type);
    BAR_PartsSetRect(&BAR_CURSOR, look.left, look.top, look.w, look.h);
    const RECT src{BAR_CURSOR.left, BAR_CURSOR.top, BAR_CURSOR.right, BAR_CURSOR.bottom};
    SP_CreateStill(BAR_CURSOR.sprite, -10, p.x + look.dx, p.y + look.dy, BAR_COMMON_IMAGE, &src);
    if (type != 1 && type != 2 && g_mode == 1 && ticked && ++g_frame_ticks >= 4) {
        g_frame_ticks = 0;
        g_frame = (g_frame + 1) % 6;
    }

    if (type == 2) {
        uint32_t buttons = 0;
        MOUSE_GetState(nullptr, nullptr, &buttons);
        if ((buttons & 7) == 0) {
            g_click_latch = 0;
        } else if (g_click_delay == 0 && !g_click_latch && visible && (buttons & 1)) {
            g_click_latch = 1;
            g_click_delay = 4;
            ThrowParticle();
        }
    }

    if (ticked) {
        for (int i = 0; i < MOUSE_PARTICLES; ++i) {
            BAR_PARTS& q = MOUSE_PARTICLE[i];
            if (q.y >= 480) continue;
            ++g_vy[i];
            q.x += g_vx[i];
            q.y += g_vy[i];
            SP_SetPos(q.sprite, q.x, q.y);
        }
    }
    // A re-created object starts visible: the cursor keeps the visibility it had.
    SP_SetVisible(BAR_CURSOR.sprite, visible);
    g_last_tick = APP_DrawTickCount;
}
