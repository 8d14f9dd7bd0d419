// Start and end of the platform layer, the choice of backend, and how the program ends.
#pragma once
#include <string>

namespace plat {
enum class BackendKind { Sdl, Headless };

// The program's start: reads its environment (ORV_PLATFORM, ORV_WINDOWED, ORV_FRAMES,
// ORV_SCREENSHOT, ORV_PIXEL_FORMAT, ORV_DEBUG, ORV_INPUT), catches the end signals and starts the
// backend: sdl when asked or when ORV_PLATFORM is unset, headless only when asked. A value it does
// not understand, a script it cannot read, or no reachable display for the SDL backend end the
// process at once with a message and exit code 2. False when the chosen backend cannot start.
bool Init();
// Installs the given backend (tests use the headless one directly).
bool InitBackend(BackendKind kind);
// Destroys a window that is left, writes the ORV_SCREENSHOT picture (when a frame was presented)
// and ends the backend. The process's exit code: 0, or 1 when the picture could not be written or
// the display was lost.
int Shutdown();
BackendKind CurrentBackend();
bool IsHeadless();
// ORV_WINDOWED=1: start in a window rather than in full screen.
bool WindowedRequested();

// Asks the program to end in order: at the next pump the main window gets WM_ENDSESSION (1),
// whose default handling destroys it (WM_DESTROY, then the program's own shutdown). SIGTERM,
// SIGINT and SIGHUP, ORV_FRAMES and a lost display ask this; a program that has not ended a few
// seconds later ends at once with a message. Safe from a signal handler and any thread.
void RequestEnd();
bool EndRequested();
// SIGTERM, SIGINT and SIGHUP ask for an orderly end; a second one ends the process at once.
void CatchEndSignals();

// An environment variable, or the fallback when unset or empty.
std::string Env(const char* name, const char* fallback = "");
}  // namespace plat
