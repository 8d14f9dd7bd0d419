// Test hooks of the headless sound device: it mixes only as the manual clock moves and keeps the
// mixed output.
#pragma once
#include <cstdint>
#include <vector>

namespace headless {
// Interleaved stereo 16-bit frames at plat::kMixRate mixed since the device opened or the last
// clear (the oldest half goes when it holds more than about three minutes).
std::vector<int16_t> CapturedAudio();
void ClearCapturedAudio();
// Whether the sound device is open, and its live secondary buffers and queues.
bool SoundDeviceOpen();
int LiveSoundBuffers();
}  // namespace headless
