// The sound device: buffers, the software mixer, movie queues, and the headless output.
#include "platform/sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless_sound.h"
#include "platform/platform.h"
#include "platform/sound_output.h"
#include "platform/thread.h"

struct DSBuffer::State {
    uint32_t flags = 0, size = 0, align = 0, frames = 0;
    uint16_t channels = 0, bits = 0;
    std::vector<uint8_t> data;
    uint64_t pos = 0;   // play position in frames, 32.32 fixed point
    uint64_t step = 0;  // buffer frames per device frame, 32.32
    bool playing = false, looping = false;
    int32_t volume = 0, pan = 0;
    int32_t gain_l = 65536, gain_r = 65536;  // Q16 amplitudes
    std::vector<DSBPOSITIONNOTIFY> notes;
    std::vector<uint8_t> scratch;  // the copy a lock hands out
    bool locked = false;
    uint32_t lock_offset = 0, lock_n1 = 0, lock_n2 = 0;
};

namespace plat {
struct AudioQueue {
    uint32_t rate = 0;
    int channels = 0;
    uint64_t step = 0;
    std::vector<int16_t> samples;
    size_t read = 0;   // first unplayed frame in samples
    uint64_t pos = 0;  // fraction past `read`, 32.32
    bool paused = false;
};
}  // namespace plat

// The one device, shared by every DSObject, buffer and queue; its lock guards all their state.
struct SoundDevice {
    std::mutex mu;
    int users = 0;      // DSObjects, buffers and queues alive (under the opening lock)
    bool open = false;  // the output runs (under mu)
    bool headless = false;
    std::vector<DSBuffer*> buffers;
    std::vector<plat::AudioQueue*> queues;
    std::vector<int32_t> acc;
    // headless output
    uint32_t last_ms = 0;
    uint64_t elapsed_ms = 0, mixed_frames = 0;
    std::vector<int16_t> capture;

    static DSBuffer::State& S(DSBuffer* b) { return *b->s_; }
};

namespace {
SoundDevice g_dev;
std::mutex g_open_mu;  // orders opening and closing of the output

constexpr uint64_t kOne = uint64_t(1) << 32;
constexpr size_t kMaxCapture = size_t(plat::kMixRate) * 2 * 200;  // about three minutes
constexpr uint32_t kHeadlessChunk = 256;                            // frames mixed between wake-ups
constexpr uint64_t kMaxCatchUpMs = 120000;

int32_t GainQ16(int32_t centibels) {
    if (centibels <= DSBVOLUME_MIN) return 0;
    if (centibels >= 0) return 65536;
    return static_cast<int32_t>(std::lround(65536.0 * std::pow(10.0, centibels / 2000.0)));
}

void UpdateGains(DSBuffer::State& s) {
    s.gain_l = GainQ16(s.volume + std::min(0, -s.pan));
    s.gain_r = GainQ16(s.volume + std::min(0, s.pan));
}

bool AcquireDevice() {
    std::lock_guard<std::mutex> open(g_open_mu);
    if (g_dev.users == 0) {
        bool headless = plat::IsHeadless();
        if (!headless && !plat::detail::OpenSdlAudio()) return false;
        const uint32_t now = plat::TimeMs();  // outside the device lock, which a moving clock takes
        std::lock_guard<std::mutex> lock(g_dev.mu);
        g_dev.open = true;
        g_dev.headless = headless;
        g_dev.last_ms = now;
        g_dev.elapsed_ms = g_dev.mixed_frames = 0;
        g_dev.capture.clear();
    }
    ++g_dev.users;
    return true;
}

void ReleaseDevice() {
    std::lock_guard<std::mutex> open(g_open_mu);
    if (g_dev.users <= 0 || --g_dev.users > 0) return;
    if (!g_dev.headless) plat::detail::CloseSdlAudio();
    std::lock_guard<std::mutex> lock(g_dev.mu);
    g_dev.open = false;  // the capture stays for inspection until the next open
}

void FireStop(const DSBuffer::State& s, std::vector<plat::EventHandle>& fire) {
    for (const auto& n : s.notes)
        if (n.dwOffset == DSBPN_OFFSETSTOP) fire.push_back(n.hEventNotify);
}

void SetAll(const std::vector<plat::EventHandle>& fire) {
    for (plat::EventHandle e : fire) plat::SetEvent(e);
}

// ---- the mixer ----
template <int Bits, int Ch>
inline int32_t Sample(const uint8_t* d, uint32_t frame, int c) {
    if constexpr (Bits == 8) {
        return (int32_t(d[size_t(frame) * Ch + c]) - 128) << 8;
    } else {
        int16_t v;
        std::memcpy(&v, d + (size_t(frame) * Ch + c) * 2, 2);
        return v;
    }
}

// Adds n device frames of the buffer from pos into acc; returns the position after them. Needs
// pos + (n - 1) x step to stay inside the buffer; the frame after the last is the first again
// when looping, else silence.
template <int Bits, int Ch>
uint64_t Kernel(const DSBuffer::State& b, uint64_t pos, uint32_t n, int32_t* acc) {
    const uint8_t* d = b.data.data();
    const int32_t gl = b.gain_l, gr = b.gain_r;
    if (gl == 0 && gr == 0) return pos + b.step * n;
    if (b.step == kOne && (pos & 0xFFFFFFFFu) == 0) {
        uint32_t i = static_cast<uint32_t>(pos >> 32);
        for (uint32_t k = 0; k < n; ++k, ++i) {
            int32_t l = Sample<Bits, Ch>(d, i, 0);
            int32_t r = Ch == 2 ? Sample<Bits, Ch>(d, i, 1) : l;
            acc[2 * k] += (l * gl) >> 16;
            acc[2 * k + 1] += (r * gr) >> 16;
        }
        return pos + (uint64_t(n) << 32);
    }
    const uint32_t frames = b.frames;
    for (uint32_t k = 0; k < n; ++k, pos += b.step) {
        uint32_t i = static_cast<uint32_t>(pos >> 32);
        int32_t f = static_cast<int32_t>((pos >> 17) & 0x7FFF);
        uint32_t j = i + 1 < frames ? i + 1 : 0;
        bool silent_next = i + 1 >= frames && !b.looping;
        int32_t l0 = Sample<Bits, Ch>(d, i, 0), l1 = silent_next ? 0 : Sample<Bits, Ch>(d, j, 0);
        int32_t l = l0 + (((l1 - l0) * f) >> 15), r = l;
        if constexpr (Ch == 2) {
            int32_t r0 = Sample<Bits, Ch>(d, i, 1), r1 = silent_next ? 0 : Sample<Bits, Ch>(d, j, 1);
            r = r0 + (((r1 - r0) * f) >> 15);
        }
        acc[2 * k] += (l * gl) >> 16;
        acc[2 * k + 1] += (r * gr) >> 16;
    }
    return pos;
}

uint64_t RunKernel(const DSBuffer::State& b, uint64_t pos, uint32_t n, int32_t* acc) {
    if (b.bits == 8) return b.channels == 2 ? Kernel<8, 2>(b, pos, n, acc) : Kernel<8, 1>(b, pos, n, acc);
    return b.channels == 2 ? Kernel<16, 2>(b, pos, n, acc) : Kernel<16, 1>(b, pos, n, acc);
}

void MixBuffer(DSBuffer::State& b, int32_t* acc, uint32_t n, std::vector<plat::EventHandle>& fire) {
    const uint64_t end = uint64_t(b.frames) << 32;
    uint32_t done = 0;
    while (done < n && b.playing) {
        uint64_t can = (end - b.pos + b.step - 1) / b.step;
        uint32_t k = static_cast<uint32_t>(std::min<uint64_t>(can, n - done));
        uint32_t from = static_cast<uint32_t>(b.pos >> 32) * b.align;
        uint64_t next = RunKernel(b, b.pos, k, acc + 2 * size_t(done));
        uint32_t to = static_cast<uint32_t>(std::min<uint64_t>(next >> 32, b.frames)) * b.align;
        if (next >= end) to = b.size;  // the tail bytes past the last whole frame pass too
        for (const auto& note : b.notes)
            if (note.dwOffset != DSBPN_OFFSETSTOP && note.dwOffset >= from && note.dwOffset < to)
                fire.push_back(note.hEventNotify);
        done += k;
        if (next < end) {
            b.pos = next;
        } else if (b.looping) {
            b.pos = next % end;
        } else {
            b.playing = false;
            b.pos = 0;
            FireStop(b, fire);
        }
    }
}

void MixQueue(plat::AudioQueue& q, int32_t* acc, uint32_t n) {
    if (q.paused) return;
    const int ch = q.channels;
    const size_t avail = q.samples.size() / ch - q.read;
    const int16_t* s = q.samples.data() + q.read * ch;
    uint64_t pos = q.pos;
    for (uint32_t k = 0; k < n; ++k, pos += q.step) {
        size_t i = static_cast<size_t>(pos >> 32);
        if (i + 1 >= avail) break;  // wait for more frames
        int32_t f = static_cast<int32_t>((pos >> 17) & 0x7FFF);
        int32_t l0 = s[i * ch], l1 = s[(i + 1) * ch];
        int32_t l = l0 + (((l1 - l0) * f) >> 15), r = l;
        if (ch == 2) r = s[i * ch + 1] + (((s[(i + 1) * ch + 1] - s[i * ch + 1]) * f) >> 15);
        acc[2 * k] += l;
        acc[2 * k + 1] += r;
    }
    size_t used = static_cast<size_t>(pos >> 32);
    if (used > avail) used = avail;
    q.read += used;
    q.pos = pos - (uint64_t(used) << 32);
    if (q.read * ch > q.samples.size() / 2) {
        q.samples.erase(q.samples.begin(), q.samples.begin() + static_cast<std::ptrdiff_t>(q.read * ch));
        q.read = 0;
    }
}

// With the device lock held.
void MixLocked(int16_t* out, uint32_t frames, std::vector<plat::EventHandle>& fire) {
    auto& acc = g_dev.acc;
    acc.assign(size_t(frames) * 2, 0);
    for (DSBuffer* b : g_dev.buffers) {
        auto& s = SoundDevice::S(b);
        if (s.playing) MixBuffer(s, acc.data(), frames, fire);
    }
    for (plat::AudioQueue* q : g_dev.queues) MixQueue(*q, acc.data(), frames);
    for (size_t i = 0; i < acc.size(); ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
}

bool ValidFormat(const WAVEFORMATEX* f) {
    if (!f || f->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f->nChannels != 1 && f->nChannels != 2) return false;
    if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
    if (f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8) return false;
    return f->nSamplesPerSec >= DSBFREQUENCY_MIN && f->nSamplesPerSec <= DSBFREQUENCY_MAX;
}
}  // namespace

// ---- device ----
HRESULT DSObject::Create(DSObject** out) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    plat::detail::LogCall("DirectSoundCreate");
    if (plat::detail::ShouldFail("DirectSoundCreate") || !AcquireDevice()) return DSERR_NODRIVER;
    *out = new DSObject;
    return DS_OK;
}

uint32_t DSObject::AddRef() { return ++refs_; }

uint32_t DSObject::Release() {
    plat::detail::LogCall("DSObject.Release");
    if (--refs_ > 0) return refs_;
    delete this;
    ReleaseDevice();
    return 0;
}

HRESULT DSObject::SetCooperativeLevel(plat::Window* window, uint32_t level) {
    return window && level == DSSCL_NORMAL ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT DSObject::CreateSoundBuffer(const DSBUFFERDESC* desc, DSBuffer** out) {
    if (!desc || !out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    plat::detail::LogCall("DSObject.CreateSoundBuffer");
    if (plat::detail::ShouldFail("DSObject.CreateSoundBuffer")) return DSERR_OUTOFMEMORY;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
        auto* b = new DSBuffer;
        b->primary_ = true;
        AcquireDevice();
        *out = b;
        return DS_OK;
    }
    const WAVEFORMATEX* f = desc->lpwfxFormat;
    if (!ValidFormat(f)) return DSERR_BADFORMAT;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
        desc->dwBufferBytes < f->nBlockAlign)
        return DSERR_INVALIDPARAM;
    auto* s = new (std::nothrow) DSBuffer::State;
    if (!s) return DSERR_OUTOFMEMORY;
    try {
        s->data.assign(desc->dwBufferBytes, f->wBitsPerSample == 8 ? 0x80 : 0);
    } catch (const std::bad_alloc&) {
        delete s;
        return DSERR_OUTOFMEMORY;
    }
    s->flags = desc->dwFlags;
    s->size = desc->dwBufferBytes;
    s->align = f->nBlockAlign;
    s->frames = s->size / s->align;
    s->channels = f->nChannels;
    s->bits = f->wBitsPerSample;
    s->step = (uint64_t(f->nSamplesPerSec) << 32) / plat::kMixRate;
    auto* b = new DSBuffer;
    b->s_ = s;
    AcquireDevice();
    {
        std::lock_guard<std::mutex> lock(g_dev.mu);
        g_dev.buffers.push_back(b);
    }
    *out = b;
    return DS_OK;
}

// ---- buffers ----
uint32_t DSBuffer::AddRef() { return ++refs_; }

uint32_t DSBuffer::Release() {
    if (--refs_ > 0) return refs_;
    if (s_) {
        std::lock_guard<std::mutex> lock(g_dev.mu);
        g_dev.buffers.erase(std::remove(g_dev.buffers.begin(), g_dev.buffers.end(), this), g_dev.buffers.end());
    }
    delete s_;
    delete this;
    ReleaseDevice();
    return 0;
}

HRESULT DSBuffer::GetStatus(uint32_t* status) {
    if (!status) return DSERR_INVALIDPARAM;
    *status = 0;
    if (!s_) return DS_OK;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    if (s_->playing) *status = DSBSTATUS_PLAYING | (s_->looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DSBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) {
    if (!s_) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    uint32_t p = static_cast<uint32_t>(s_->pos >> 32) * s_->align;
    uint32_t w = p;
    if (s_->playing) {
        // The mixer has taken about 10 ms past the play cursor.
        uint64_t lead = uint64_t(s_->step * (plat::kMixRate / 100) >> 32) * s_->align;
        w = static_cast<uint32_t>((p + lead) % s_->size);
    }
    if (play) *play = p;
    if (write) *write = w;
    return DS_OK;
}

HRESULT DSBuffer::SetCurrentPosition(uint32_t offset) {
    if (!s_) return DSERR_INVALIDCALL;
    if (offset >= s_->size) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    s_->pos = uint64_t(offset / s_->align) << 32;
    return DS_OK;
}

HRESULT DSBuffer::GetPan(int32_t* pan) {
    if (!s_ || !(s_->flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (!pan) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    *pan = s_->pan;
    return DS_OK;
}

HRESULT DSBuffer::SetPan(int32_t pan) {
    if (!s_ || !(s_->flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    s_->pan = pan;
    UpdateGains(*s_);
    return DS_OK;
}

HRESULT DSBuffer::GetVolume(int32_t* volume) {
    if (!s_ || !(s_->flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (!volume) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    *volume = s_->volume;
    return DS_OK;
}

HRESULT DSBuffer::SetVolume(int32_t volume) {
    if (!s_ || !(s_->flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    s_->volume = volume;
    UpdateGains(*s_);
    return DS_OK;
}

HRESULT DSBuffer::Play(uint32_t, uint32_t, uint32_t flags) {
    if (!s_) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    s_->playing = true;
    s_->looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT DSBuffer::Stop() {
    if (!s_) return DSERR_INVALIDCALL;
    std::vector<plat::EventHandle> fire;
    {
        std::lock_guard<std::mutex> lock(g_dev.mu);
        if (s_->playing) FireStop(*s_, fire);
        s_->playing = false;
    }
    SetAll(fire);
    return DS_OK;
}

HRESULT DSBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                       uint32_t* bytes2, uint32_t flags) {
    if (!s_) return DSERR_INVALIDCALL;
    if (!part1 || !bytes1) return DSERR_INVALIDPARAM;
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = s_->size;
    }
    if (offset >= s_->size || bytes == 0 || bytes > s_->size) return DSERR_INVALIDPARAM;
    uint32_t n1 = std::min(bytes, s_->size - offset), n2 = bytes - n1;
    if (n2 && (!part2 || !bytes2)) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    if (s_->locked) return DSERR_INVALIDCALL;
    try {
        s_->scratch.resize(bytes);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    std::memcpy(s_->scratch.data(), s_->data.data() + offset, n1);
    if (n2) std::memcpy(s_->scratch.data() + n1, s_->data.data(), n2);
    s_->locked = true;
    s_->lock_offset = offset;
    s_->lock_n1 = n1;
    s_->lock_n2 = n2;
    *part1 = s_->scratch.data();
    *bytes1 = n1;
    if (part2) *part2 = n2 ? s_->scratch.data() + n1 : nullptr;
    if (bytes2) *bytes2 = n2;
    return DS_OK;
}

HRESULT DSBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    if (!s_) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    if (!s_->locked || part1 != s_->scratch.data()) return DSERR_INVALIDPARAM;
    std::memcpy(s_->data.data() + s_->lock_offset, s_->scratch.data(), std::min(bytes1, s_->lock_n1));
    if (part2 && s_->lock_n2) std::memcpy(s_->data.data(), s_->scratch.data() + s_->lock_n1, std::min(bytes2, s_->lock_n2));
    s_->locked = false;
    return DS_OK;
}

HRESULT DSBuffer::SetNotificationPositions(uint32_t count, const DSBPOSITIONNOTIFY* positions) {
    if (!s_ || !(s_->flags & DSBCAPS_CTRLPOSITIONNOTIFY)) return DSERR_CONTROLUNAVAIL;
    if (count && !positions) return DSERR_INVALIDPARAM;
    plat::detail::LogCall("DSBuffer.SetNotificationPositions");
    if (plat::detail::ShouldFail("DSBuffer.SetNotificationPositions")) return DSERR_GENERIC;
    for (uint32_t i = 0; i < count; ++i)
        if (positions[i].dwOffset != DSBPN_OFFSETSTOP && positions[i].dwOffset >= s_->size) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    if (s_->playing) return DSERR_INVALIDCALL;
    s_->notes.assign(positions, positions + count);
    return DS_OK;
}

// ---- movie queues ----
namespace plat {
AudioQueue* OpenAudioQueue(uint32_t rate, int channels) {
    if (rate < DSBFREQUENCY_MIN || rate > DSBFREQUENCY_MAX || (channels != 1 && channels != 2)) return nullptr;
    if (!AcquireDevice()) return nullptr;
    auto* q = new AudioQueue;
    q->rate = rate;
    q->channels = channels;
    q->step = (uint64_t(rate) << 32) / kMixRate;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    g_dev.queues.push_back(q);
    return q;
}

bool QueueAudio(AudioQueue* q, const int16_t* samples, size_t frames) {
    if (!q || (frames && !samples)) return false;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    try {
        q->samples.insert(q->samples.end(), samples, samples + frames * q->channels);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

size_t QueuedAudioFrames(AudioQueue* q) {
    if (!q) return 0;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    return q->samples.size() / q->channels - q->read;
}

void PauseAudioQueue(AudioQueue* q, bool paused) {
    if (!q) return;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    q->paused = paused;
}

void ClearAudioQueue(AudioQueue* q) {
    if (!q) return;
    std::lock_guard<std::mutex> lock(g_dev.mu);
    q->samples.clear();
    q->read = 0;
    q->pos = 0;
}

void CloseAudioQueue(AudioQueue* q) {
    if (!q) return;
    {
        std::lock_guard<std::mutex> lock(g_dev.mu);
        g_dev.queues.erase(std::remove(g_dev.queues.begin(), g_dev.queues.end(), q), g_dev.queues.end());
    }
    delete q;
    ReleaseDevice();
}

// ---- outputs ----
namespace detail {
void MixDeviceOutput(int16_t* out, uint32_t frames) {
    std::vector<EventHandle> fire;
    {
        std::lock_guard<std::mutex> lock(g_dev.mu);
        MixLocked(out, frames, fire);
    }
    SetAll(fire);
}

void AudioClockMoved(uint32_t now) {
    WaitThreadsIdle();
    std::vector<EventHandle> fire;
    std::vector<int16_t> chunk(size_t(kHeadlessChunk) * 2);
    std::unique_lock<std::mutex> lock(g_dev.mu);
    if (!g_dev.open || !g_dev.headless) return;
    uint32_t moved = now - g_dev.last_ms;
    g_dev.last_ms = now;
    if (moved < 0x80000000u) g_dev.elapsed_ms += std::min<uint64_t>(moved, kMaxCatchUpMs);  // never backwards
    for (;;) {
        uint64_t due = g_dev.elapsed_ms * kMixRate / 1000 - g_dev.mixed_frames;
        if (due == 0 || !g_dev.open) return;
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(due, kHeadlessChunk));
        MixLocked(chunk.data(), n, fire);
        g_dev.mixed_frames += n;
        if (g_dev.capture.size() + size_t(n) * 2 > kMaxCapture)
            g_dev.capture.erase(g_dev.capture.begin(), g_dev.capture.begin() + static_cast<std::ptrdiff_t>(kMaxCapture / 2));
        g_dev.capture.insert(g_dev.capture.end(), chunk.begin(), chunk.begin() + size_t(n) * 2);
        if (fire.empty()) continue;
        // Wake the waiters outside the lock and let them finish before the mix goes on, as a
        // real device gives them time to refill.
        lock.unlock();
        SetAll(fire);
        fire.clear();
        WaitThreadsIdle();
        lock.lock();
    }
}
}  // namespace detail
}  // namespace plat

namespace headless {
std::vector<int16_t> CapturedAudio() {
    std::lock_guard<std::mutex> lock(g_dev.mu);
    return g_dev.capture;
}

void ClearCapturedAudio() {
    std::lock_guard<std::mutex> lock(g_dev.mu);
    g_dev.capture.clear();
}

bool SoundDeviceOpen() {
    std::lock_guard<std::mutex> open(g_open_mu);
    return g_dev.users > 0;
}

int LiveSoundBuffers() {
    std::lock_guard<std::mutex> lock(g_dev.mu);
    return static_cast<int>(g_dev.buffers.size() + g_dev.queues.size());
}
}  // namespace headless
