// What a backend provides to the platform core (internal to platform/).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/window.h"

namespace plat {
namespace script {
struct Event;
}

struct Window {
    WndProc proc = nullptr;
    int width = 0, height = 0;
    int x = 0, y = 0;  // windowed: the client area's origin on the screen (headless; SDL asks the window)
    std::string title_utf8;
    bool shown = false;
    bool active = true;
    bool minimized = false;
    bool activated = false;  // shown once: the first show posts the activation messages
    bool fullscreen = false;
    bool accept_drops = false;
    bool paint_pending = false;  // a WM_PAINT waits in the queue
    void* native = nullptr;  // the backend's own window
};

namespace detail {
class Backend {
public:
    virtual ~Backend() = default;
    virtual uint32_t TimeMs() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // A pass found no message: wait for events up to `ms` (real clock, only when something is
    // due), or move the virtual clock by `ms`.
    virtual void Idle(uint32_t ms, bool due) = 0;
    virtual int DesktopBpp() = 0;
    virtual bool Display565() = 0;  // layout of a 16-bit display mode
    virtual int ExtraPitch() { return 0; }
    virtual bool CreateWindow(Window& window) = 0;
    virtual void ShowWindow(Window& window, bool show) = 0;
    virtual void DestroyWindow(Window& window) = 0;
    virtual void SetFullscreen(Window& window, bool full) = 0;
    // Windowed placement: the client area's origin on the screen, and moving it there.
    virtual POINT ClientOrigin(Window& window) = 0;
    virtual void MoveClient(Window& window, int x, int y) = 0;
    virtual void ScreenSize(int* width, int* height) = 0;
    // Moves pending backend events into the message queue (PostMessage).
    virtual void Pump() = 0;
    virtual void Present(const Frame& frame) = 0;
    // True while the backend needs every presented frame, even one that repeats the last (a
    // full-screen window still being fitted to the screen).
    virtual bool WantsEveryFrame() { return false; }
    virtual void ShowPointer(bool visible) = 0;  // the system pointer over the game window
    virtual int MessageBox(const std::string& text_utf8, const std::string& caption_utf8, uint32_t flags) = 0;
};

Backend* Current();
Backend* MakeSdlBackend();       // null when SDL cannot start
Backend* MakeHeadlessBackend();

// After the headless clock moved: tells the clock's listeners.
void ClockMoved();
// Sets what an ORV_INPUT script holds when the program starts, on a new headless backend: every
// pad it names is plugged in (with those below it) and frame 0's keys and pad states are held, as
// the devices find them at start-up. The other events of frame 0 play at the first pump.
void StartScript(const std::vector<script::Event>& events);
// Plays one ORV_INPUT event on the headless backend (frame 0's keys and pads are already held).
void PlayScriptEvent(const script::Event& event);
// Forgets due times and puts the frame interval back to its start value.
void ResetClock();

// Call log and failure injection, used by the headless backend's test hooks (any thread).
void LogCall(const char* name);
bool ShouldFail(const char* name);  // true when a failure was injected for this call
// A step that changes what the disk holds is about to be taken: where a kill test ends the process.
void FileStep();
void SetLogging(bool on);
void ResetHooks();

// The system pointer's look and display count; the backend shows it while the look is not null
// and the count is 0 or more.
const void* PointerCursor();
int PointerCount();
void SetPointer(const void* cursor, int count);

// Posts what the window procedure hears when the program gains or loses the focus, in one fixed
// order (gain: WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE; loss: WM_NCACTIVATE, WM_ACTIVATE,
// WM_ACTIVATEAPP); nothing when the state does not change, unless `always`.
void PostActivation(Window* window, bool active, bool always = false);
// The window was minimised or restored (WM_ACTIVATE carries it).
void SetMinimized(Window* window, bool minimized);
// The window needs painting again: one WM_PAINT waits at a time.
void PostPaint(Window* window);
// A key (virtual-key code) pressed or let go on the window with the modifiers then held, posted as
// the key message the procedure hears (WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN / WM_SYSKEYUP); the
// message posted is returned.
uint32_t PostKey(Window* window, uint32_t vk, bool down, bool repeat, bool alt, bool ctrl);
// A typed character byte: WM_CHAR, or WM_SYSCHAR while Alt is held without Ctrl.
void PostTyped(Window* window, uint8_t c, bool alt, bool ctrl);
// Files dropped on the window (Shift-JIS names), delivered as one WM_DROPFILES when it accepts them.
void PostDrop(Window* window, std::vector<std::string> names_sjis);

// ---- how the program runs and ends ----
// Reads and checks the program's environment; a bad value ends the process with exit code 2.
void ReadRunEnvironment();
void StartWatchdog();
void ResetRun();  // a new backend: no end asked, no script played
// The display connection is gone: says so once and asks for an orderly end.
void DisplayLost();
// Another program destroyed the window (the connection lives on): the same orderly end.
void WindowDestroyed();
// Either of the two happened: the window can no longer be asked about.
bool DisplayWasLost();
// After each presented frame: the ORV_FRAMES'th one is kept for the screenshot and ends the run.
void FramePresented(uint64_t count, const Frame& frame);
// At every pump before the backend's events: plays due ORV_INPUT events, posts an asked end.
void PumpRun();
// Writes the end screenshot; the exit code.
int FinishRun(const Frame& last);
void Finished();

// The window lost or changed its picture (resized, shown, restored): the next presented frame is
// handed to the backend even when it repeats the last.
void RequestRepaint();
// Shows the primary surface: converts it, keeps it as the last frame, hands it to the backend.
void PresentSurface(const DDSurface& primary);
}  // namespace detail
}  // namespace plat

namespace headless {
void RecordBox(const char* text_sjis, const char* caption_sjis, uint32_t flags);
}
