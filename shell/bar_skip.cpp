// Auto mode, skip mode and the assignable controls of the text window.
#include "shell/bar_skip.h"

#include "platform/input.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/snd_game.h"
#include "shell/bar_link.h"
#include "shell/msgbox.h"
#include "shell/mwnd_balloon.h"
#include "shell/qsave.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "shell/thumb_info.h"
#include "sprite/sp_object.h"
#include "title/title.h"

BAR_SKIP_DATA BAR_SKIP{};

namespace {
constexpr uint32_t kRight = 2, kMiddle = 4;  // mouse button bits
constexpr int kVkShift = 0x10, kVkControl = 0x11;

bool KeyDown(int vk) { return plat::GetAsyncKeyState(vk) < 0; }

// B pressed or a right click ends auto and skip mode.
bool EndPressed() { return (KEY_DATA.pressed & KEY_B) || (MOUSE_FRAME.edge & kRight); }

void EndMode() {
    SE_PlaySys(47, 0);
    BAR_DATA.mode = 0;
    BAR_DATA.skipping = 0;
}

bool AnyBoxOpen() {
    for (int kind = 1; kind <= 4; ++kind)
        if (MSGBOX_IsOpen(kind)) return true;
    return false;
}

// Whether control c passes its skip test (held, or auto-repeating for the pad buttons).
bool SkipTest(int c) {
    switch (c) {
        case BAR_CTRL_RIGHT: return (MOUSE_FRAME.buttons & kRight) != 0;
        case BAR_CTRL_MIDDLE: return (MOUSE_FRAME.buttons & kMiddle) != 0;
        case BAR_CTRL_B: return (KEY_DATA.repeat & KEY_B) != 0;
        case BAR_CTRL_C: return (KEY_DATA.repeat & KEY_C) != 0;
        case BAR_CTRL_CTRL: return KeyDown(kVkControl);
        default: return KeyDown(kVkShift);
    }
}

// Whether the pad or mouse control c (not Ctrl or Shift) was used this frame.
bool PressTest(int c) {
    switch (c) {
        case BAR_CTRL_RIGHT: return (MOUSE_FRAME.edge & kRight) != 0;
        case BAR_CTRL_MIDDLE: return (MOUSE_FRAME.edge & kMiddle) != 0;
        case BAR_CTRL_B: return (KEY_DATA.pressed & KEY_B) != 0;
        default: return (KEY_DATA.pressed & KEY_C) != 0;
    }
}

// Ctrl or Shift went down since it was last up: once per press.
bool LatchedPress(int k) {
    const bool down = KeyDown(k == 0 ? kVkControl : kVkShift);
    if (!down) {
        BAR_SKIP.latch[k] = 0;
        return false;
    }
    if (BAR_SKIP.latch[k]) return false;
    BAR_SKIP.latch[k] = 1;
    return true;
}
}  // namespace

int BAR_SkipCheck() {
    BAR_DATA_T& b = BAR_DATA;
    BAR_SKIP.stopped = 0;
    if (b.mode != 0 && EndPressed()) {
        EndMode();
        BAR_SKIP.stopped = 1;
        return 0;
    }
    if (!BAR_HaveKeys()) return 0;

    int result = 0;
    if (!QSAVE_DATA.skip_block) {
        bool want = b.mode == 2 || (KEY_DATA.held & KEY_X);
        for (int c = 0; c < 6 && !want; ++c) want = SYS_DATA.ctrl_assign[c] == BAR_ASSIGN_SKIP && SkipTest(c);
        result = want && !AnyBoxOpen() && !b.choice_shown;
    }
    MOUSE_ShowCursor(result ? 0 : 1);
    if (result) {
        SP_SetVisible(QSAVE_DATA.mark.sprite, 0);
        THUMB_InfoHide();
    }
    const int was = b.skipping;
    b.skipping = result;

    // Read-only skip stops at text not read before.
    const bool story = TITLE_PlayKind == 0;
    const int text = BAR_GetTextNo();
    if (SYS_DATA.skip_read_only == 1 && story && text >= 0 &&
        SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, text, -1) != 1) {
        if (b.mode == 2) {
            b.mode = 0;
            b.skipping = 0;
        }
        return 0;
    }
    if (SYS_DATA.skip_read_only == 1 && story && text < 0 && BAR_GetWasRead() == 0) return 0;

    if (!was && b.skipping && BAR_FaceShown()) BAR_HideFace();
    if (b.skipping && b.tip_item >= 0) {
        b.tip_item = -1;
        MWND_TipHide();
    }
    return result;
}

void BAR_SkipSet(int32_t* destination, int32_t value) {
    if (BAR_SkipCheck() == 1) *destination = value;
}

void BAR_SkipKeyCheck() {
    BAR_DATA_T& b = BAR_DATA;
    if (BAR_SKIP.stopped) {
        BAR_SKIP.stopped = 0;
        return;
    }
    if (b.mode != 0 && EndPressed()) {
        EndMode();
        return;
    }
    const uint8_t* assign = SYS_DATA.ctrl_assign;
    // Ctrl and Shift act once per press whatever they are assigned; the latch is shared.
    bool pressed_key[2] = {false, false};
    for (int k = 0; k < 2; ++k) pressed_key[k] = LatchedPress(k);

    // Hiding the text window: Ctrl or Shift first, else the first pad or mouse control.
    bool toggled = false;
    for (int k = 0; k < 2 && !toggled; ++k)
        if (pressed_key[k] && assign[BAR_CTRL_CTRL + k] == BAR_ASSIGN_HIDE) toggled = true;
    for (int c : {BAR_CTRL_B, BAR_CTRL_C, BAR_CTRL_MIDDLE, BAR_CTRL_RIGHT}) {
        if (toggled) break;
        if (assign[c] == BAR_ASSIGN_HIDE && PressTest(c)) toggled = true;
    }
    if (toggled) BAR_WndToggle();

    // Auto mode; a mouse click that starts it is used up.
    for (int k = 0; k < 2; ++k)
        if (pressed_key[k] && assign[BAR_CTRL_CTRL + k] == BAR_ASSIGN_AUTO) b.mode = 1;
    for (int c : {BAR_CTRL_B, BAR_CTRL_C, BAR_CTRL_MIDDLE, BAR_CTRL_RIGHT}) {
        if (assign[c] != BAR_ASSIGN_AUTO || !PressTest(c)) continue;
        b.mode = 1;
        if (c == BAR_CTRL_MIDDLE) MOUSE_FRAME.edge &= ~kMiddle;
        if (c == BAR_CTRL_RIGHT) MOUSE_FRAME.edge &= ~kRight;
    }
}

void BAR_AutoWaitReset() { BAR_SKIP.auto_count = 0; }

int BAR_AutoWaitCheck() {
    if (BAR_DATA.mode != 1) return 0;
    ++BAR_SKIP.auto_count;
    if (BAR_SKIP.auto_count > SYS_DATA.auto_wait && !VOICE_IsPlaying()) {
        BAR_SKIP.auto_count = 0;
        return 1;
    }
    return 0;
}
