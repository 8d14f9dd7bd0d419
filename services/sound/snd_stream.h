// Music streaming: one piece at a time through a ring of four two-second blocks refilled by a
// worker thread, or loaded whole when shorter than the ring.
#pragma once
#include <cstdint>

int SND_StreamOpen(const char* name);
void SND_StreamPlay(uint32_t loop);
void SND_StreamPlayFrom(uint32_t loop, uint32_t start_ms);
int SND_StreamStop();
void SND_StreamFree();
int SND_StreamSetLoopPos(uint32_t ms);
int SND_StreamIsPlaying();
void SND_StreamSetVolume(int32_t level);
int32_t SND_StreamGetVolume();

// Fades of the stream's level over ms milliseconds, stepped by a window timer.
int SND_FadeIn(uint32_t ms);
int SND_FadeOut(uint32_t ms);
int SND_FadeIsActive();

// Ends the worker, releases the buffer, the events and the source, and clears the record.
void SND_StreamClose();
// Clears the record without releasing anything (the device's start).
void SND_StreamClear();

// Block size of a format: two seconds, (rate x 8 x align) / 4 in 32-bit arithmetic.
uint32_t SND_StreamBlockSize(uint32_t rate, uint32_t align);
// Byte offset of a time: rate x ms / 1000 x align, in 64 bits.
uint64_t SND_StreamTimeToOffset(uint32_t rate, uint32_t align, uint32_t ms);
