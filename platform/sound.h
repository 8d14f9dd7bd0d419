// Sound device: secondary buffers mixed in software to 44.1 kHz 16-bit stereo, position and stop
// notifications that set events, and a queue of decoded sound played at full level (movies).
//
// Rules the game relies on: a buffer is a byte ring with play and write cursors; Play starts at
// the current position, once or looping; Stop keeps the position; a one-shot buffer that reaches
// its end stops at position 0. Volume is in hundredths of a decibel (0 .. -10000, amplitude
// 10^(v/2000), -10000 exact silence), pan likewise per side. Every buffer is resampled to the
// device rate and mixed with saturation. Lock hands out a copy of the region; Unlock writes it
// back, so a playing ring may be refilled while the mixer reads it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/thread.h"
#include "platform/types.h"

namespace plat {
struct Window;
}

// ---- result codes ----
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = -201;
constexpr HRESULT DSERR_INVALIDPARAM = -202;
constexpr HRESULT DSERR_BADFORMAT = -203;
constexpr HRESULT DSERR_OUTOFMEMORY = -204;
constexpr HRESULT DSERR_CONTROLUNAVAIL = -205;
constexpr HRESULT DSERR_NODRIVER = -206;
constexpr HRESULT DSERR_INVALIDCALL = -207;

constexpr uint32_t DSSCL_NORMAL = 0x1;

constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBCAPS_CTRLPOSITIONNOTIFY = 0x100;
constexpr uint32_t DSBCAPS_STICKYFOCUS = 0x4000;
constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x10000;

constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;
constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;
constexpr uint32_t DSBPN_OFFSETSTOP = 0xFFFFFFFF;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;
constexpr uint32_t DSBSIZE_MIN = 4;
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 200000;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

// The wave format record (its 18-byte file image is packed explicitly by the readers).
struct WAVEFORMATEX {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

struct DSBUFFERDESC {
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0;          // 0 for the primary buffer
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

struct DSBPOSITIONNOTIFY {
    uint32_t dwOffset = 0;  // byte offset, or DSBPN_OFFSETSTOP
    plat::EventHandle hEventNotify = 0;
};

class DSObject;

// A secondary (or the primary) buffer.
class DSBuffer {
public:
    uint32_t AddRef();
    uint32_t Release();  // the last release stops and frees it
    HRESULT GetStatus(uint32_t* status);
    HRESULT GetCurrentPosition(uint32_t* play, uint32_t* write);
    HRESULT SetCurrentPosition(uint32_t offset);
    HRESULT GetPan(int32_t* pan);
    HRESULT SetPan(int32_t pan);
    HRESULT GetVolume(int32_t* volume);
    HRESULT SetVolume(int32_t volume);
    HRESULT Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    HRESULT Stop();
    // One or two regions (the second when the range wraps past the end); DSBLOCK_ENTIREBUFFER
    // ignores offset and bytes.
    HRESULT Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
                 uint32_t flags);
    HRESULT Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
    // Only on a stopped buffer made with DSBCAPS_CTRLPOSITIONNOTIFY; replaces earlier positions.
    HRESULT SetNotificationPositions(uint32_t count, const DSBPOSITIONNOTIFY* positions);

    struct State;  // what the mixer keeps of the buffer (internal to platform/)

private:
    friend class DSObject;
    friend struct SoundDevice;
    DSBuffer() = default;
    ~DSBuffer() = default;
    State* s_ = nullptr;
    bool primary_ = false;
    uint32_t refs_ = 1;
};

// The device: opened on the default output.
class DSObject {
public:
    // DSERR_NODRIVER when no output can be opened.
    static HRESULT Create(DSObject** out);
    uint32_t AddRef();
    uint32_t Release();
    HRESULT SetCooperativeLevel(plat::Window* window, uint32_t level);
    // Validated PCM only: tag 1, 8 or 16 bits, 1 or 2 channels, align = channels x bits / 8,
    // rate DSBFREQUENCY_MIN..MAX, size DSBSIZE_MIN..MAX. New buffers are silent, stopped at 0.
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, DSBuffer** out);

private:
    DSObject() = default;
    uint32_t refs_ = 1;
};

namespace plat {
// The device's output rate and layout: 44,100 frames a second, two interleaved 16-bit channels.
constexpr uint32_t kMixRate = 44100;
constexpr int kMixChannels = 2;

// Decoded sound that plays at full level, outside every buffer's volume (movie sound). Frames
// queue up and play as they arrive; an empty queue plays silence. Any thread may call these.
struct AudioQueue;
// rate DSBFREQUENCY_MIN..MAX, 1 or 2 channels; null without an output device.
AudioQueue* OpenAudioQueue(uint32_t rate, int channels);
// Appends interleaved 16-bit frames.
bool QueueAudio(AudioQueue* queue, const int16_t* samples, size_t frames);
// Frames queued and not yet played.
size_t QueuedAudioFrames(AudioQueue* queue);
// A paused queue keeps its frames and plays silence; new queues play at once.
void PauseAudioQueue(AudioQueue* queue, bool paused);
void ClearAudioQueue(AudioQueue* queue);
void CloseAudioQueue(AudioQueue* queue);  // accepts null
}  // namespace plat
