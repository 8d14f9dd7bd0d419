// Auto mode and skip mode: the page turns by itself after a wait, or text is skipped while
// skip mode runs or an assigned control is held; the six assignable controls.
#pragma once
#include <cstdint>

// The controls of the assignments, in the settings' order.
constexpr int BAR_CTRL_RIGHT = 0, BAR_CTRL_MIDDLE = 1, BAR_CTRL_B = 2, BAR_CTRL_C = 3, BAR_CTRL_CTRL = 4, BAR_CTRL_SHIFT = 5;
// What an assignment does.
constexpr uint8_t BAR_ASSIGN_HIDE = 0, BAR_ASSIGN_AUTO = 1, BAR_ASSIGN_SKIP = 2;

struct BAR_SKIP_DATA {
    int32_t stopped;     // BAR_SkipCheck ended a mode this frame
    int32_t auto_count;  // frames since the page began
    int32_t latch[2];    // Ctrl and Shift pressed and not yet released
};
extern BAR_SKIP_DATA BAR_SKIP;

// 1 when text is skipped this frame.
int BAR_SkipCheck();
// Stores value into *destination only while text is skipped (waits and fades cut short).
void BAR_SkipSet(int32_t* destination, int32_t value);
// The assigned controls' hide and auto functions; the text window calls it when the bar did not
// take the input.
void BAR_SkipKeyCheck();
void BAR_AutoWaitReset();
// In auto mode counts a frame; 1 (and a new count) once more than auto_wait frames have passed
// and no voice plays.
int BAR_AutoWaitCheck();
