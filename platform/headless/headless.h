// Test hooks of the headless backend: manual clock, scripted answers and events, call log,
// failure injection and captured output.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace headless {
struct Config {
    int desktop_bpp = 16;  // the emulated desktop colour depth
    bool is565 = true;     // layout of a 16-bit display mode
    int extra_pitch = 0;   // bytes added to every surface row (pitch wider than the pixels)
    uint32_t start_time = 0;
};

// Installs a fresh headless backend: clock, queues, logs and injected failures all cleared.
void Reset(const Config& config = {});
const Config& CurrentConfig();

void SetTime(uint32_t ms);
void AdvanceTime(uint32_t ms);

// Platform calls in order, e.g. "DDObject.Release", "DDSurface.Release(primary)".
const std::vector<std::string>& CallLog();
void ClearCallLog();
// The next `times` calls of that name fail with the platform's error.
void FailCall(const std::string& name, int times = 1);

// Answers for the next message boxes (IDOK when the queue is empty).
void PushMessageBoxAnswer(int answer);
struct ShownBox {
    std::string text_sjis, caption_sjis;
    uint32_t flags = 0;
};
const std::vector<ShownBox>& ShownMessageBoxes();

// Debug output lines as the game sent them (Shift-JIS).
const std::vector<std::string>& DebugOutput();
void ClearDebugOutput();

// A window event delivered at the next message pump (to the main window).
void PostWindowEvent(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);
}  // namespace headless
