// Start and end of the platform layer, and the choice of backend.
#pragma once
#include <string>

namespace plat {
enum class BackendKind { Sdl, Headless };

// Chooses the backend from ORV_PLATFORM ("sdl" or "headless"; default sdl when a display is
// available, else headless). False when the chosen backend cannot start.
bool Init();
// Installs the given backend (tests use the headless one directly).
bool InitBackend(BackendKind kind);
void Shutdown();
BackendKind CurrentBackend();
bool IsHeadless();

// An environment variable, or the fallback when unset or empty.
std::string Env(const char* name, const char* fallback = "");
}  // namespace plat
