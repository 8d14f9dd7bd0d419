// Logical buttons: the 16-bit button word with its edges, auto-repeat and history, from the key
// and pad maps of the settings block; and the per-frame mouse snapshot.
#pragma once
#include <array>
#include <cstdint>

#include "platform/window.h"

constexpr int KEY_MAP_ENTRIES = 20;
constexpr int KEY_HISTORY = 32;

// Logical button bits.
constexpr uint16_t KEY_UP = 0x0001;
constexpr uint16_t KEY_DOWN = 0x0002;
constexpr uint16_t KEY_LEFT = 0x0004;
constexpr uint16_t KEY_RIGHT = 0x0008;
constexpr uint16_t KEY_A = 0x0010;  // decides
constexpr uint16_t KEY_B = 0x0020;  // cancels
constexpr uint16_t KEY_C = 0x0040;
constexpr uint16_t KEY_X = 0x0080;

constexpr uint16_t KEY_UNASSIGNED = 0xFFFF;
constexpr uint32_t KEY_NOT_HELD = 0xFFFFFFFFu;
constexpr uint32_t KEY_REPEAT_DELAY = 200;  // ms before the first repeat
constexpr uint32_t KEY_REPEAT_RATE = 66;    // ms between later repeats

// Where the last poll's buttons came from.
constexpr uint32_t KEY_SOURCE_NONE = 0;
constexpr uint32_t KEY_SOURCE_KEYBOARD = 1;
constexpr uint32_t KEY_SOURCE_JOYSTICK = 2;

struct KeyData {
    uint16_t pressed = 0;   // went down in the last poll
    uint16_t released = 0;  // went up in the last poll
    uint16_t held = 0;      // down in the last poll
    uint16_t repeat = 0;    // auto-repeat bits of the last poll
    uint32_t delay = KEY_REPEAT_DELAY;
    uint32_t repeat_phase = 0;  // bit i: bit i repeats at the fast rate
    std::array<uint32_t, KEY_MAP_ENTRIES> press_time{};  // press or last repeat; KEY_NOT_HELD
    uint16_t* key_map = nullptr;  // SYS_DATA.KEY_MAP
    uint16_t* pad_map = nullptr;  // SYS_DATA.PAD_MAP
    uint32_t source = KEY_SOURCE_NONE;
    int32_t ring_index = KEY_HISTORY - 1;
    std::array<uint16_t, KEY_HISTORY> ring{};  // held words of the last 32 polls
};

// The per-frame mouse snapshot. edge: button-word bits set now and clear in the previous frame.
struct MouseFrame {
    int32_t x = 0, y = 0;
    uint32_t buttons = 0;
    uint32_t edge = 0;
};

// Logical bits of each key-map entry: numeric keypad 2, 1, 4, 7, 8, 9, 6, 3, then the actions.
extern const std::array<uint16_t, KEY_MAP_ENTRIES> KEY_BITS;

extern KeyData KEY_DATA;
extern MouseFrame MOUSE_FRAME;

// Resets the controller, points it at the maps in SYS_DATA, copies the given maps (built-in ones
// for null) and then always writes the default assignment (SYSDAT_KeyDefault).
void KEY_Init(KeyData* kd, const uint16_t* key_map, const uint16_t* pad_map);
void KEY_InitDefault();
// One poll: keyboard first, the joystick only when no mapped key is down.
void KEY_Poll(KeyData* kd);
// The held word of n polls ago (0 = the last poll); n wraps into the ring.
uint16_t KEY_GetHistory(const KeyData* kd, int n);
// The per-frame input step: keyboard, logical buttons, mouse and MOUSE_FRAME.
void KEY_Update();
// Moves (x, y) by step along the held direction bits and puts the pointer there when it moved
// (window client pixels unless screen is nonzero).
void MOUSE_MoveByKeys(const KeyData* kd, plat::Window* window, int32_t* x, int32_t* y, int32_t step, int screen);
