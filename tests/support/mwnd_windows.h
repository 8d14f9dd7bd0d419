// A set of menu windows for tests: each handler is a system window's state machine (build,
// slide in, input with the focus, slide out, closing on request, mouse kept across a child) over
// one bordered panel, and records every call it gets.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"
#include "shell/mwnd_stack.h"

namespace support {

constexpr int kTestWindows = 8;

struct TestWindow {
    // ---- set by the test ----
    std::string name;               // node name; a root's window is registered under it
    uint32_t rgb = 0x406080;        // panel colour, 0xRRGGBB
    RECT panel{0, 0, 0, 0};         // where the panel stands once slid in
    int slide_frames = 4;           // frames of the slide-in and of the slide-out
    bool wait = true;               // the build answers -4 (wait for MWND_Activate), else 0
    int32_t result = 0;             // scene result set when an item is chosen (0: none)
    int32_t leave = MWND_DESTROY;   // the answer once the slide-out is done
    // Input, read in state 1 on a frame with the focus; each is used once.
    bool choose = false;            // choose an item: slide out
    bool close_chain = false;       // answer -11 at once, staying on screen
    int open_child = -1;            // stack that window of the set on this one and activate it
    // Extra work inside a call, before the state machine: (state, flags) -> handled.
    std::function<bool(int32_t state, int32_t flags, int32_t* answer)> hook;

    // ---- kept by the handler ----
    std::vector<std::pair<int32_t, int32_t>> calls;  // (state, flags) of every call
    int32_t image = -1, sprite = -1;
    int32_t depth = -1;             // as read in the build
    int slide = 0;
    int32_t mouse_x = 0, mouse_y = 0;  // kept while a child covers this window
    int child = -1;                 // the window of the set stacked on this one
};

// The set's windows and their handlers (window k always calls handler k).
TestWindow& TestWindowAt(int k);
MWND_HANDLER TestHandler(int k);
// Empties the set: names "w0".."w7", default panels, no records. The window is the one whose
// client area the mouse position is read in.
void ResetTestWindows(plat::Window* window);
// Frees the panels still held (a test ending with windows open).
void FreeTestWindowObjects();

// MWND_Create of window k under its own name, then MWND_Activate.
int OpenTestWindow(int k);
// Stacks window k on window `parent` (the top of its window), then MWND_Activate.
void OpenTestChild(int parent, int k);

// Calls of window k with that state, in order.
int CountCalls(int k, int32_t state);
}  // namespace support
