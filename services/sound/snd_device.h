// Sound device, sound files and buffers: the WAVE and ".snd" readers, whole-file buffers, the
// buffer wrappers and the level rule.
#pragma once
#include <cstdint>

#include "platform/sound.h"
#include "platform/window.h"
#include "services/fil_util.h"

using SND_BUFFER = DSBuffer*;  // null is no sound, accepted by every operation

// Flags of every secondary buffer: position 2, sticky focus, notifications, volume, pan, frequency.
constexpr uint32_t SND_BUFFER_FLAGS = 0x141E0;
static_assert(SND_BUFFER_FLAGS == (DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_STICKYFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY |
                                   DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY));

// Size of the wave format record in files.
constexpr uint32_t SND_WAVEFORMAT_BYTES = 18;
// Bytes of a ".snd" header: 'S', 'N', kind, the format record, the data size.
constexpr uint32_t SND_SND_HEADER_BYTES = 25;

// A RIFF chunk: its id, the size of its data (for a data chunk being read: the bytes still to
// read), the form type of a RIFF chunk, and the file offset of its data.
struct SND_CHUNK {
    uint32_t id = 0;
    uint32_t size = 0;
    uint32_t type = 0;
    uint32_t data_offset = 0;
};

using SND_WAVE = plat::File*;  // an open WAVE file, null when closed

// Device state: the device, its primary buffer and the main window.
extern DSObject* SND_DS;
extern SND_BUFFER SND_Primary;
extern plat::Window* SND_Window;

int SND_Init(plat::Window* window);
void SND_Term();

// Readers: blocks are zero-filled and belong to the caller (FIL_FreeBlock).
void* SND_LoadWav(const char* name, uint32_t* size, WAVEFORMATEX* format);
int SND_WavOpen(const char* name, SND_WAVE* handle, WAVEFORMATEX* format, SND_CHUNK* riff);
int SND_WavFindData(SND_WAVE* handle, SND_CHUNK* data, const SND_CHUNK* riff);
int SND_WavRead(SND_WAVE handle, void* dest, uint32_t count, SND_CHUNK* data, uint32_t* read);
void SND_WavClose(SND_WAVE* handle);
void* SND_LoadSnd(const char* name, uint32_t* size, WAVEFORMATEX* format);

// Unpacks the 18-byte format record of a file.
WAVEFORMATEX SND_UnpackFormat(const uint8_t* bytes);
// Whether the name's last four characters are ".snd" in any case.
bool SND_IsSndName(const char* name);

SND_BUFFER SND_CreateBuffer(const void* data, uint32_t size, uint32_t flags, const WAVEFORMATEX* format);
SND_BUFFER SND_LoadFile(const char* name);
void SND_Release(SND_BUFFER buffer);

uint32_t SND_GetStatus(SND_BUFFER buffer);
int SND_IsPlaying(SND_BUFFER buffer);
int SND_GetPosition(SND_BUFFER buffer, uint32_t* play, uint32_t* write);
int SND_SetPosition(SND_BUFFER buffer, uint32_t offset);
int SND_GetPan(SND_BUFFER buffer, int32_t* pan);
int SND_SetPan(SND_BUFFER buffer, int32_t pan);
int SND_GetVolume(SND_BUFFER buffer, int32_t* attenuation);
int SND_SetVolume(SND_BUFFER buffer, int32_t attenuation);
int SND_Play(SND_BUFFER buffer, uint32_t loop);
int SND_Stop(SND_BUFFER buffer);

// Level 0..100 to hundredths of a decibel: 0 (and below) is -10000, else 20 x level - 2000.
int32_t SND_LevelToVolume(int32_t level);
