// Input devices: the keyboard, mouse and joystick snapshots read once per frame, and acquisition.
#pragma once
#include <array>
#include <cstdint>

#include "platform/input.h"
#include "platform/window.h"

constexpr int INP_MAX_JOYSTICKS = 16;

// The mouse snapshot. buttons: bits 0-2 left, right, middle held; bits 3-5 the same newly pressed.
struct MouseState {
    int32_t x = 0, y = 0;     // client pixels of the main window
    int32_t wheel = 0;        // running wheel position; compare with the value seen last
    uint32_t buttons = 0;
    uint32_t previous = 0;    // held bits 0-2 of the last poll
    uint32_t swap = 0;        // nonzero when the system exchanges the left and right buttons
};

struct JoyData {
    int32_t x = 0, y = 0;     // -100..100
    uint32_t buttons = 0;     // bit i = button i down
};

extern uint8_t KEY_STATE[256];  // by key code, bit 7 = down
extern MouseState MOUSE_STATE;
extern std::array<JoyData, INP_MAX_JOYSTICKS> JOY_DATA;

// Opens the input system with the keyboard, the mouse and every attached joystick (at most 16).
// The interface, or null when the input system cannot be opened (no device is then present).
DIObject* INP_Init(plat::Window* window, void* instance);
void INP_Term();
// Window activation: acquire or give up every device; both clear the snapshots.
void INP_Acquire();
void INP_Unacquire();

// 1 after a successful read; 0 without a device or when the read fails (snapshots cleared).
int INP_ReadKeyboard();
int KEY_IsDown(int code);  // code outside 0..255: 0
int MOUSE_Poll();
void MOUSE_GetState(int32_t* x, int32_t* y, uint32_t* buttons);
void MOUSE_GetWheel(int32_t* wheel);
void MOUSE_SetPos(int32_t x, int32_t y);
int INP_ReadJoysticks();
int INP_GetJoystick(int index, int32_t* x, int32_t* y, uint32_t* buttons);
int INP_GetJoystickCount();
int KEY_IsDownAsync(int vk);
uint32_t MOUSE_PollAsync();
