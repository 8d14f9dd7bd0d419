// What a backend provides to the platform core (internal to platform/).
#pragma once
#include <cstdint>
#include <string>

#include "platform/display.h"
#include "platform/window.h"

namespace plat {
struct Window {
    WndProc proc = nullptr;
    int width = 0, height = 0;
    std::string title_utf8;
    bool shown = false;
    bool active = true;
    bool fullscreen = false;
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
    // Moves pending backend events into the message queue (PostMessage).
    virtual void Pump() = 0;
    virtual void Present(const Frame& frame) = 0;
    virtual void ShowPointer(bool visible) = 0;  // the system pointer over the game window
    virtual int MessageBox(const std::string& text_utf8, const std::string& caption_utf8, uint32_t flags) = 0;
};

Backend* Current();
Backend* MakeSdlBackend();       // null when SDL cannot start
Backend* MakeHeadlessBackend();

// After the headless clock moved: tells the clock's listeners.
void ClockMoved();
// Forgets due times and puts the frame interval back to its start value.
void ResetClock();

// Call log and failure injection, used by the headless backend's test hooks (any thread).
void LogCall(const char* name);
bool ShouldFail(const char* name);  // true when a failure was injected for this call
void SetLogging(bool on);
void ResetHooks();

// The system pointer's look and display count; the backend shows it while the look is not null
// and the count is 0 or more.
const void* PointerCursor();
int PointerCount();
void SetPointer(const void* cursor, int count);

// Shows the primary surface: converts it, keeps it as the last frame, hands it to the backend.
void PresentSurface(const DDSurface& primary);
}  // namespace detail
}  // namespace plat

namespace headless {
void RecordBox(const char* text_sjis, const char* caption_sjis, uint32_t flags);
}
