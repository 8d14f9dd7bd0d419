// Between the sound device and its outputs (internal to platform/): the SDL callback pulls
// mixed frames; the headless clock pushes them into a capture.
#pragma once
#include <cstdint>

namespace plat::detail {
// Mixes `frames` stereo frames of device output into out and sets the events whose positions
// were passed. Called by the output, never while the caller holds the device lock.
void MixDeviceOutput(int16_t* out, uint32_t frames);

// The SDL output: starts the audio callback at the device rate; false when no device opens.
bool OpenSdlAudio();
void CloseSdlAudio();  // returns once the callback has ended

// Headless: mixes everything due up to `now_ms` into the capture. The clock calls it with its new
// time (so mixing never reads the clock) and never while the caller holds a sound lock.
void AudioClockMoved(uint32_t now_ms);
}  // namespace plat::detail
