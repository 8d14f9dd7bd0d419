// Logical buttons: key and pad maps into the button word, edges, auto-repeat, history, mouse frame.
#include "services/key_button.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/input.h"
#include "services/inp_device.h"
#include "shell/sysdat.h"

const std::array<uint16_t, KEY_MAP_ENTRIES> KEY_BITS = {
    0x0002, 0x0006, 0x0004, 0x0005, 0x0001, 0x0009, 0x0008, 0x000A, 0x0010, 0x0020,
    0x0040, 0x0080, 0x0100, 0x0200, 0x0400, 0x0800, 0x1000, 0,      0,      0,
};

KeyData KEY_DATA;
MouseFrame MOUSE_FRAME;

namespace {
// Stand-ins for a missing map; the default assignment written afterwards replaces all but pad 0-7.
constexpr uint16_t kBuiltinKeys[KEY_MAP_ENTRIES] = {0x50, 0x4F, 0x4B, 0x47, 0x48, 0x49, 0x4D,
                                                   0x51, 0x2C, 0x2D, 0x2E, 0x4C, 0xFFFF, 0xFFFF,
                                                   0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
constexpr uint16_t kBuiltinPad[KEY_MAP_ENTRIES] = {0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x20,
                                                  0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
constexpr int kPadButtons = 12;       // joystick buttons 0..11 use pad entries 8..19
constexpr int32_t kStickDead = 80;    // beyond -80 or from 80 on a stick axis counts
constexpr int kWordBits = 16;

// The clock's last value before the wrap doubles as "not held"; a press stamped then is kept 1 ms
// earlier so that it still counts as held.
uint32_t Stamp(uint32_t now) { return now == KEY_NOT_HELD ? now - 1 : now; }
}  // namespace

void KEY_Init(KeyData* kd, const uint16_t* key_map, const uint16_t* pad_map) {
    if (!kd) return;
    kd->pressed = kd->released = kd->held = kd->repeat = 0;
    kd->delay = KEY_REPEAT_DELAY;
    kd->repeat_phase = 0;
    kd->press_time.fill(KEY_NOT_HELD);
    kd->ring_index = KEY_HISTORY - 1;  // the first poll writes entry 0
    kd->ring.fill(0);
    // The source is left as the last poll set it.
    kd->key_map = SYS_DATA.KEY_MAP;
    kd->pad_map = SYS_DATA.PAD_MAP;
    std::memcpy(kd->key_map, key_map ? key_map : kBuiltinKeys, sizeof(uint16_t) * KEY_MAP_ENTRIES);
    std::memcpy(kd->pad_map, pad_map ? pad_map : kBuiltinPad, sizeof(uint16_t) * KEY_MAP_ENTRIES);
    SYSDAT_KeyDefault();
}

void KEY_InitDefault() { KEY_Init(&KEY_DATA, nullptr, nullptr); }

void KEY_Poll(KeyData* kd) {
    if (!kd) return;
    const uint32_t now = plat::TimeMs();
    kd->ring_index = int32_t((uint32_t(kd->ring_index) + 1) & (KEY_HISTORY - 1));
    kd->source = KEY_SOURCE_NONE;
    uint16_t word = 0;

    INP_ReadKeyboard();
    if (kd->key_map) {
        for (int i = 0; i < KEY_MAP_ENTRIES; ++i) {
            uint16_t code = kd->key_map[i];
            // A damaged settings file may hold codes past the snapshot: such an entry is never down.
            if (code == KEY_UNASSIGNED || code > 255) continue;
            if (KEY_IsDown(code)) word |= KEY_BITS[i];
        }
    }
    if (word) kd->source = KEY_SOURCE_KEYBOARD;

    INP_ReadJoysticks();
    int32_t x = 0, y = 0;
    uint32_t buttons = 0;
    if (kd->source == KEY_SOURCE_NONE && INP_GetJoystick(0, &x, &y, &buttons)) {
        if (y < -kStickDead) word |= KEY_UP;
        if (y >= kStickDead) word |= KEY_DOWN;
        if (x < -kStickDead) word |= KEY_LEFT;
        if (x >= kStickDead) word |= KEY_RIGHT;
        if (kd->pad_map)
            for (int b = 0; b < kPadButtons; ++b)
                if (buttons & (1u << b)) word |= kd->pad_map[8 + b];
        if (word) kd->source = KEY_SOURCE_JOYSTICK;
    }
    kd->ring[kd->ring_index] = word;

    const uint16_t old = kd->held;
    kd->pressed = (old ^ word) & word;
    kd->released = old & ~word;
    kd->held = word;

    for (int i = 0; i < kWordBits; ++i) {
        const uint16_t bit = uint16_t(1u << i);
        if (kd->press_time[i] == KEY_NOT_HELD) {
            if ((kd->held & bit) && !(kd->repeat & bit)) {
                kd->repeat_phase &= ~uint32_t(bit);
                kd->press_time[i] = Stamp(now);
                kd->repeat |= bit;  // the press itself repeats
            }
            continue;
        }
        kd->repeat &= ~bit;
        if (!(kd->held & bit)) {
            kd->press_time[i] = KEY_NOT_HELD;
            continue;
        }
        const uint32_t wait = (kd->repeat_phase & bit) ? KEY_REPEAT_RATE : kd->delay;
        if (now - kd->press_time[i] >= wait) {  // unsigned: right across the clock's wrap
            kd->repeat |= bit;
            kd->repeat_phase |= bit;
            kd->press_time[i] = Stamp(now);
        }
    }
}

uint16_t KEY_GetHistory(const KeyData* kd, int n) {
    if (!kd) return 0;
    uint32_t index = (uint32_t(kd->ring_index) - uint32_t(n)) & (KEY_HISTORY - 1);
    return kd->ring[index];
}

void KEY_Update() {
    INP_ReadKeyboard();
    KEY_Poll(&KEY_DATA);
    MOUSE_Poll();
    int32_t x = 0, y = 0;
    uint32_t b = 0;
    MOUSE_GetState(&x, &y, &b);
    MOUSE_FRAME.x = x;
    MOUSE_FRAME.y = y;
    MOUSE_FRAME.edge = (MOUSE_FRAME.buttons ^ b) & b;
    MOUSE_FRAME.buttons = b;
}

void MOUSE_MoveByKeys(const KeyData* kd, plat::Window* window, int32_t* x, int32_t* y, int32_t step, int screen) {
    if (!kd || !x || !y) return;
    POINT p{*x, *y};
    if (kd->held & KEY_UP) p.y -= step;
    if (kd->held & KEY_DOWN) p.y += step;
    if (kd->held & KEY_LEFT) p.x -= step;
    if (kd->held & KEY_RIGHT) p.x += step;
    if (p.x == *x && p.y == *y) return;
    *x = p.x;
    *y = p.y;
    if (!screen) plat::ClientToScreen(window, &p);
    plat::SetCursorPos(p.x, p.y);
}
