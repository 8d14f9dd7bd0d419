// Where the input devices get their raw state: one source per backend (internal to platform/).
#pragma once
#include <cstdint>

namespace plat::detail {
struct MouseRaw {
    int32_t x = 0, y = 0;   // client pixels of the main window
    int32_t wheel = 0;      // running position, DI_WHEEL_DELTA per notch
    uint8_t buttons = 0;    // physical buttons 0..3 in bits 0..3
};

// `poll` marks a read of a device's state by the game: only such a read takes a quick tap (pressed
// and released between two reads) as seen; raw reads of the system pointer and keys do not.
struct InputSource {
    void (*start)();                                // before the first device is created
    void (*keyboard)(uint8_t out[256], bool poll);  // bit 7 = down, by key code
    void (*mouse)(MouseRaw* out, bool poll);
    void (*warp)(int32_t x, int32_t y);   // moves the pointer to client pixels
    bool (*swap_buttons)(bool swap);      // sets the system setting, returns the previous one
    int (*joystick_count)();              // attached joysticks
    bool (*open_joystick)(int index);
    void (*close_joystick)(int index);
    void (*poll_joysticks)();
    // Raw axes -32768..32767 and button bits; false when the joystick is gone.
    bool (*joystick)(int index, int32_t* x, int32_t* y, uint32_t* buttons);
};

const InputSource& SdlInputSource();
const InputSource& HeadlessInputSource();
}  // namespace plat::detail
