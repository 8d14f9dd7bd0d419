// Test hooks of the headless backend: its clock, scripted answers and events, call log,
// failure injection and captured output. The platform calls that fill the call log, take
// injected failures and write the debug capture may come from any thread; these hooks belong to
// the main thread, and the logs are read while no other thread writes them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace headless {
struct Config {
    int desktop_bpp = 16;  // the emulated desktop colour depth
    bool is565 = true;     // layout of a 16-bit display mode
    int extra_pitch = 0;   // bytes added to every surface row (pitch wider than the pixels)
    uint32_t start_time = 0;
    int screen_width = 640, screen_height = 480;  // the emulated desktop (a window is centred on it)
    // Manual: only SetTime, AdvanceTime and Sleep move the clock (tests). Virtual: every idle
    // pass of the message loop moves it too (the headless executable).
    enum class Clock { Manual, Virtual } clock = Clock::Manual;
};

// Installs a fresh headless backend: clock, queues, logs and injected failures all cleared,
// the call log on.
void Reset(const Config& config = {});
// The configuration of the next headless backend, without the test hooks (the executable).
void Configure(const Config& config);
const Config& CurrentConfig();

// Move the clock (its listeners are told, on this thread).
void SetTime(uint32_t ms);
void AdvanceTime(uint32_t ms);

// Platform calls in order, e.g. "DDObject.Release", "DDSurface.Release(primary)".
const std::vector<std::string>& CallLog();
void ClearCallLog();
// The next `times` calls of that name fail with the platform's error, after `after` calls that
// pass. The file calls are "OpenFile" (to read), "CreateFile", "WriteFile", "FlushFile",
// "CloseFile", "RenameFile" (a written file replacing its target), "FlushFolder" (after that
// rename), "MoveFile" (either kind of move), "DeleteFile", and the sweep for the temporary files
// that interrupted writes left (a create, and the question whether a killed write left one):
// "ListFolder" (listing their folder), "OpenTemp" (opening one) and "DeleteTemp" (removing one).
// "LockTemp" fails the lock of a temporary file, a create's new one or one the sweep opened, as a
// file system without locks does (ENOLCK); failing every call, it stands for such a file system.
// "AnyFileCall" stands for every one of them, counted in the order they come, so that after = n
// fails the file call n + 1 whatever it is. "RenameNoReplace" is no file call: it makes the move
// that never replaces meet a file system that does not know how (its fallback runs).
void FailCall(const std::string& name, int times = 1, int after = 0);
// The calls of that name numbered in `calls` fail (0 the next one), whatever lies between them;
// replaces what was injected for that name.
void FailCalls(const std::string& name, std::vector<int> calls);
// Injected failures of that name that no call has taken yet.
int FailuresLeft(const std::string& name);
// The process kills itself (SIGKILL) just before its `step`-th file step from now (1 the next; 0
// never): making a folder, creating, writing or flushing a temporary file, renaming or removing a
// file. For a child process that stands for a program killed at that point of a save.
void KillAtFileStep(int step);

// Whether the system pointer shows over the window (SetCursor, ShowCursor).
bool PointerShown();

// Answers for the next message boxes (IDOK when the queue is empty).
void PushMessageBoxAnswer(int answer);
struct ShownBox {
    std::string text_sjis, caption_sjis;
    uint32_t flags = 0;
};
const std::vector<ShownBox>& ShownMessageBoxes();  // read while no box is being shown

// Debug output lines as the game sent them (Shift-JIS).
const std::vector<std::string>& DebugOutput();
void ClearDebugOutput();

// A window event delivered at the next message pump (to the main window).
void PostWindowEvent(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
// What the player does to the main window, as the SDL backend reports it: the focus goes or comes
// (the activation messages in their order), the window is minimised (losing the focus) or
// restored, uncovered (WM_PAINT), closed (one WM_CLOSE), files dropped on it, text typed (WM_CHAR,
// or WM_SYSCHAR while a scripted Alt key is down).
void SetFocus(bool focused);
void Minimize(bool minimized);
void Repaint();
void Close();
void DropFiles(const std::vector<std::string>& names_sjis);
void Type(const std::string& bytes);

// ---- scripted input: the devices report this state from their next read on ----
struct ScriptedJoystick {
    int32_t x = 0, y = 0;      // raw axes -32768..32767 (the devices scale them to their range)
    uint32_t buttons = 0;      // bit i = button i down
    bool attached = true;      // false: it cannot be opened, and reads of an opened one fail
};
struct InputState {
    std::array<uint8_t, 256> keys{};  // by key code, bit 7 = down
    int32_t mouse_x = 0, mouse_y = 0;  // the pointer in client pixels (SetCursorPos moves it)
    int32_t wheel = 0;                 // running wheel position
    uint8_t mouse_buttons = 0;         // physical buttons 0..3 in bits 0..3
    bool buttons_swapped = false;      // the system's left/right exchange setting
    std::vector<ScriptedJoystick> joysticks;  // attached joysticks in enumeration order
};
// The scripted state; edit it between frames. Reset() clears it.
InputState& Input();
void ResetInput();
void SetKey(uint8_t code, bool down);
// A key pressed or let go as a player does: the devices read it, and the window procedure hears it
// as the SDL backend posts it (WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN / WM_SYSKEYUP while an Alt
// key is down; a second press without a release is a repeat).
void PressKey(uint8_t code, bool down);
void SetMouse(int32_t x, int32_t y, uint8_t buttons);
void TurnWheel(int notches);  // DI_WHEEL_DELTA per notch, positive away from the player
void SetJoystick(int index, int32_t x, int32_t y, uint32_t buttons);  // attaches up to index
// The pad is pulled out (an opened one is gone at once: its reads fail even if it comes back before
// the next, until the devices open it again) or plugged back in (attaching up to index).
void PlugJoystick(int index, bool plugged);
// Joysticks opened by the devices and not yet released.
int OpenJoysticks();
// Whether the scripted keyboard holds either Alt key, either Ctrl key.
bool AltHeld();
bool CtrlHeld();
}  // namespace headless
