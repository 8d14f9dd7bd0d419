// Music streaming: the ring of four blocks, its refill worker, loop seeks and the fades.
//
// The record is shared with the worker under one lock. The worker holds it while it handles a
// wake-up and never while it waits; the main thread never holds it while it joins the worker. A
// new piece starts only after the previous worker has ended, and closing ends the worker before
// the buffer, the events and the file go.
#include "services/sound/snd_stream.h"

#include <cstring>
#include <mutex>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/timer.h"
#include "services/sound/snd_device.h"

namespace {
struct SND_STREAM {
    WAVEFORMATEX format;
    SND_WAVE mmio = nullptr;
    SND_CHUNK data_chunk;  // its size: bytes still to read, for both kinds of source
    SND_CHUNK riff_chunk;
    uint32_t data_size = 0;
    plat::EventHandle block_event = 0;
    plat::EventHandle stop_event = 0;  // beside the block event: one wait covers both
    plat::ThreadHandle worker = 0;
    SND_BUFFER buffer = nullptr;
    uint32_t ring_size = 0;
    uint32_t block_size = 0;
    uint32_t write_cursor = 0;
    uint32_t bytes_played = 0;
    uint32_t played_end = 0;  // bytes played when the block holding the last data has played
    uint32_t last_position = 0;
    uint32_t loop = 0;
    uint32_t stop_request = 0;
    uint32_t data_ended = 0;
    uint32_t open = 0;
    uint32_t streaming = 0;
    uint32_t start_position = 0;
    uint32_t loop_position = 0;
    int32_t volume = 0;
    uint32_t snd_source = 0;
    plat::File* file = nullptr;
    uint32_t data_start = 0;
    uint32_t fade_active = 0, fade_out = 0, fade_duration = 0, fade_start_time = 0, fade_start_level = 0;
    uint32_t quit = 0;  // closing asks the worker to leave at its next wake-up
};

SND_STREAM S;
std::mutex g_mu;
using Lock = std::unique_lock<std::mutex>;

constexpr uint32_t kFadeTimer = 5000;
constexpr uint32_t kNotifyCount = 5;

uint8_t Silence() { return S.format.wBitsPerSample == 8 ? 0x80 : 0; }

// ---- ".snd" sources, read byte for byte ----
int SND_SndOpen(const char* name) {
    auto* f = new plat::File;
    uint8_t h[SND_SND_HEADER_BYTES];
    if (!f->Open(name, plat::File::Mode::Read)) {
        SYS_DebugPrintNoCrlf("%s:Open error %d\n", name, -1);
        delete f;
        return 0;
    }
    if (f->Read(h, SND_SND_HEADER_BYTES) != SND_SND_HEADER_BYTES || h[0] != 'S' || h[1] != 'N') {
        delete f;
        return 0;
    }
    S.format = SND_UnpackFormat(h + 3);
    S.data_size = uint32_t(h[21]) | uint32_t(h[22]) << 8 | uint32_t(h[23]) << 16 | uint32_t(h[24]) << 24;
    S.data_start = SND_SND_HEADER_BYTES;
    S.file = f;
    return 1;
}

int SND_SndSeek(uint32_t offset) {
    if (!S.file || !S.file->Seek(uint64_t(S.data_start) + offset)) return 0;
    S.data_chunk.size = S.data_size - offset;
    return 1;
}

uint32_t SND_SndRead(void* dest, uint32_t count) {
    uint32_t amount = count < S.data_chunk.size ? count : S.data_chunk.size;
    S.data_chunk.size -= amount;
    return static_cast<uint32_t>(S.file->Read(dest, amount));
}

void SND_SndClose() {
    delete S.file;
    S.file = nullptr;
}

// Reads up to count bytes of the piece; false on a failed read.
bool ReadSource(void* dest, uint32_t count, uint32_t* got) {
    *got = 0;
    if (S.snd_source) {
        *got = SND_SndRead(dest, count);
        return true;
    }
    return SND_WavRead(S.mmio, dest, count, &S.data_chunk, got) == 1;
}

// Byte offset of `ms` into the data, or its start when that lies at or past the end.
uint32_t DataOffset(uint32_t ms) {
    uint64_t offset = ms ? SND_StreamTimeToOffset(S.format.nSamplesPerSec, S.format.nBlockAlign, ms) : 0;
    return offset < S.data_size ? static_cast<uint32_t>(offset) : 0;
}

// Position the source `ms` into the data, or at its start when that lies at or past the end.
bool SND_StreamSeekLoopWav(uint32_t ms) {
    const uint32_t offset = DataOffset(ms);
    S.data_chunk.size = S.data_size - offset;
    return S.mmio->Seek(uint64_t(S.data_chunk.data_offset) + offset);
}

bool SND_StreamSeekLoopSnd(uint32_t ms) { return SND_SndSeek(DataOffset(ms)) == 1; }

bool SeekLoop(uint32_t ms) { return S.snd_source ? SND_StreamSeekLoopSnd(ms) : SND_StreamSeekLoopWav(ms); }

void SND_StreamPreload() {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0, got = 0;
    if (S.buffer->Lock(0, S.ring_size, &p1, &n1, &p2, &n2, 0) != DS_OK) return;
    if (!SeekLoop(S.start_position) || !ReadSource(p1, S.ring_size, &got)) {
        S.buffer->Unlock(p1, n1, p2, n2);
        return;
    }
    if (got < S.ring_size) {
        std::memset(static_cast<uint8_t*>(p1) + got, Silence(), S.ring_size - got);
        if (got < S.block_size) S.data_ended = 1;
    }
    S.buffer->Unlock(p1, n1, p2, n2);
    S.write_cursor = (S.write_cursor + S.ring_size) % S.ring_size;
    // A one-shot piece ends with the block that holds its last byte, counted from where it started.
    const uint32_t data = S.data_size - DataOffset(S.start_position);
    S.played_end = (data + S.block_size - 1) / S.block_size * S.block_size;
}

void SND_StreamRefill() {
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0, got = 0;
    if (S.buffer->Lock(S.write_cursor, S.block_size, &p1, &n1, &p2, &n2, 0) != DS_OK) return;
    auto* p = static_cast<uint8_t*>(p1);
    if (!ReadSource(p, S.block_size, &got)) {
        S.buffer->Unlock(p1, n1, p2, n2);
        return;
    }
    if (got < S.block_size && !S.loop) {
        S.data_ended = 1;
        std::memset(p + got, Silence(), S.block_size - got);
    }
    while (got < S.block_size && S.loop) {
        uint32_t more = 0;
        // A read that brings nothing after the seek would repeat for ever: the block ends here.
        if (!SeekLoop(S.loop_position) || !ReadSource(p + got, S.block_size - got, &more) || more == 0) break;
        got += more;
    }
    S.buffer->Unlock(p1, n1, p2, n2);
    S.write_cursor += S.block_size;
    if (S.write_cursor >= S.ring_size) S.write_cursor = 0;
}

// Starts the data again from the start position. On the worker a lost source stops the piece
// and marks it closed; the main thread's next close releases it.
bool SND_StreamRewind(bool on_worker) {
    if (!S.open) return true;
    SND_Stop(S.buffer);
    if (!S.streaming) return true;
    bool found = S.snd_source ? SND_SndSeek(0) == 1 : SND_WavFindData(&S.mmio, &S.data_chunk, &S.riff_chunk) == 1;
    if (!found) {
        if (on_worker) S.open = 0;
        return false;
    }
    S.data_ended = S.loop = S.write_cursor = S.bytes_played = S.last_position = 0;
    SND_StreamPreload();
    S.stop_request = 0;
    return true;
}

void SND_StreamThread(void*) {
    plat::EventHandle block, stop;
    {
        Lock lock(g_mu);
        block = S.block_event;
        stop = S.stop_event;
    }
    for (;;) {
        int which = plat::WaitForEither(block, stop);
        Lock lock(g_mu);
        if (which < 0 || S.quit) return;
        if (S.stop_request) {
            SND_StreamRewind(true);
            return;
        }
        if (which == 1) {  // the buffer was stopped, by anyone: rewind for the next play and leave
            SND_StreamRewind(true);
            S.stop_request = 1;
            return;
        }
        if (S.loop) {
            SND_StreamRefill();
            continue;
        }
        uint32_t play = 0;
        SND_GetPosition(S.buffer, &play, nullptr);
        S.bytes_played += play >= S.last_position ? play - S.last_position : play + S.ring_size - S.last_position;
        S.last_position = play;
        if (!S.data_ended) {
            SND_StreamRefill();
        } else {
            void *p1 = nullptr, *p2 = nullptr;
            uint32_t n1 = 0, n2 = 0;
            if (S.buffer->Lock(S.write_cursor, S.block_size, &p1, &n1, &p2, &n2, 0) == DS_OK) {
                std::memset(p1, Silence(), n1);
                S.buffer->Unlock(p1, n1, p2, n2);
            }
        }
        // Every byte from the start position has played (the last wake of a lap comes one byte
        // before the ring's end): stop now, before the ring plays older blocks again.
        if (S.data_ended && S.bytes_played + 1 >= S.played_end) {
            SND_StreamRewind(true);
            return;
        }
    }
}

void CloseEvents() {
    if (S.block_event) plat::CloseEvent(S.block_event);
    if (S.stop_event) plat::CloseEvent(S.stop_event);
    S.block_event = S.stop_event = 0;
}

// Ends the worker (it leaves at its next wake-up) and closes its events; the lock is let go
// while the worker finishes.
void EndWorker(Lock& lock) {
    if (S.worker) {
        S.quit = 1;
        plat::SetEvent(S.block_event);
        plat::ThreadHandle t = S.worker;
        lock.unlock();
        plat::JoinThread(t);
        lock.lock();
        S.worker = 0;
        S.quit = 0;
    }
    CloseEvents();
}

int SND_StreamStartThread() {
    S.block_event = plat::CreateEvent();
    S.stop_event = plat::CreateEvent();
    if (!S.block_event || !S.stop_event) {
        CloseEvents();
        return 0;
    }
    const uint32_t b = S.block_size;
    DSBPOSITIONNOTIFY n[kNotifyCount] = {{b, S.block_event},
                                         {2 * b, S.block_event},
                                         {3 * b, S.block_event},
                                         {4 * b - 1, S.block_event},  // the end itself is no offset
                                         {DSBPN_OFFSETSTOP, S.stop_event}};
    // Positions first, so a worker that could not be told where to wake never starts.
    if (S.buffer->SetNotificationPositions(kNotifyCount, n) != DS_OK) {
        CloseEvents();
        return 0;
    }
    S.worker = plat::CreateThread(SND_StreamThread, nullptr);
    if (!S.worker) {
        S.buffer->SetNotificationPositions(0, nullptr);
        CloseEvents();
        return 0;
    }
    return 1;
}

void CloseLocked(Lock& lock) {
    EndWorker(lock);
    SND_Release(S.buffer);
    SND_SndClose();
    SND_WavClose(&S.mmio);
    if (S.fade_active) plat::KillTimer(SND_Window, kFadeTimer);
    S = SND_STREAM{};
}

void SetVolumeLocked(int32_t level) {
    S.volume = level > 100 ? 100 : (level < 0 ? 0 : level);
    SND_SetVolume(S.buffer, SND_LevelToVolume(S.volume));
}

void SND_StreamReset() {
    S.data_ended = S.write_cursor = S.bytes_played = S.last_position = S.loop = S.stop_request = 0;
    S.open = 1;
    SetVolumeLocked(100);  // every new piece starts at full level until its caller sets one
}

int SND_StreamOpenFile(Lock& lock, const char* name) {
    CloseLocked(lock);
    bool ok;
    bool packed = false;
    if (!SND_IsSndName(name)) {
        ok = SND_WavOpen(name, &S.mmio, &S.format, &S.riff_chunk) && SND_WavFindData(&S.mmio, &S.data_chunk, &S.riff_chunk);
        S.data_size = S.data_chunk.size;
    } else {
        ok = SND_SndOpen(name) && SND_SndSeek(0);
        S.snd_source = 1;
        // A packed ".snd" is unpacked whole: its stored bytes are no PCM to stream.
        uint8_t kind = 0;
        packed = ok && S.file->Seek(2) && S.file->Read(&kind, 1) == 1 && kind == 'D' && SND_SndSeek(0);
    }
    // A rate or alignment of 0 leaves the sizes meaningless.
    if (!ok || S.format.nSamplesPerSec == 0 || S.format.nBlockAlign == 0) {
        CloseLocked(lock);
        return 0;
    }
    S.block_size = SND_StreamBlockSize(S.format.nSamplesPerSec, S.format.nBlockAlign);
    S.ring_size = 4 * S.block_size;
    if (S.data_size < S.ring_size || packed) {
        const WAVEFORMATEX format = S.format;
        CloseLocked(lock);
        S.buffer = SND_LoadFile(name);
        if (!S.buffer) return 0;
        S.format = format;
        SND_StreamReset();
        return 1;
    }
    S.buffer = SND_CreateBuffer(nullptr, S.ring_size, SND_BUFFER_FLAGS, &S.format);
    if (!S.buffer) {
        CloseLocked(lock);
        return 0;
    }
    SND_StreamReset();
    S.streaming = 1;
    return 1;
}

void SND_StreamStart(Lock& lock, uint32_t loop) {
    if (!S.open || !S.buffer) return;
    EndWorker(lock);
    if (!SND_StreamRewind(false)) {
        CloseLocked(lock);  // the data can no longer be found
        return;
    }
    if (!S.streaming) {
        SND_Play(S.buffer, loop);
        return;
    }
    SND_StreamStartThread();
    SND_SetPosition(S.buffer, 0);
    if (SND_Play(S.buffer, 1)) S.loop = loop;
}

// ---- fades ----
void SND_FadeStop() {
    S.fade_active = S.fade_out = S.fade_duration = S.fade_start_time = S.fade_start_level = 0;
    plat::KillTimer(SND_Window, kFadeTimer);
}

void SND_FadeTimerProc(plat::Window*, uint32_t, uint32_t, uint32_t now) {
    Lock lock(g_mu);
    if (!S.fade_active) return;
    uint32_t elapsed = now - S.fade_start_time;
    int32_t level;
    if (elapsed >= S.fade_duration) {
        level = S.fade_out ? 0 : static_cast<int32_t>(S.fade_start_level);
        SND_FadeStop();
    } else {
        int64_t part = int64_t(S.fade_start_level) * elapsed / S.fade_duration;
        level = static_cast<int32_t>(S.fade_out ? S.fade_start_level - part : part);
    }
    SND_SetVolume(S.buffer, SND_LevelToVolume(level));  // shown, not stored
}

// `now` is read before the lock is taken: the clock is never read under it.
int SND_FadeStart(uint32_t fade_out, uint32_t ms, uint32_t now) {
    if (S.fade_active) return 0;
    S.fade_active = 1;
    S.fade_out = fade_out;
    S.fade_duration = ms;
    S.fade_start_time = now;
    S.fade_start_level = static_cast<uint32_t>(S.volume);
    return 1;
}

// Starts the fade's window timer, outside the lock (setting a timer reads the clock).
int StartFadeTimer(int started, uint32_t ms) {
    if (started) plat::SetTimer(SND_Window, kFadeTimer, ms >> 6, SND_FadeTimerProc);
    return started;
}
}  // namespace

uint32_t SND_StreamBlockSize(uint32_t rate, uint32_t align) {
    uint32_t block = rate * 8 * align / 4;
    return align ? (block + align - 1) / align * align : block;
}

uint64_t SND_StreamTimeToOffset(uint32_t rate, uint32_t align, uint32_t ms) {
    return uint64_t(rate) * ms / 1000 * align;
}

int SND_StreamOpen(const char* name) {
    Lock lock(g_mu);
    if (!SND_StreamOpenFile(lock, name)) return 0;
    S.stop_request = 0;
    return 1;
}

void SND_StreamPlay(uint32_t loop) { SND_StreamPlayFrom(loop, 0); }

void SND_StreamPlayFrom(uint32_t loop, uint32_t start_ms) {
    Lock lock(g_mu);
    S.start_position = start_ms;
    SND_StreamStart(lock, loop);
}

int SND_StreamStop() {
    Lock lock(g_mu);
    if (!S.open || !S.buffer) return 0;
    SND_Stop(S.buffer);  // the worker rewinds and ends
    return 1;
}

void SND_StreamFree() { SND_StreamClose(); }

void SND_StreamClose() {
    Lock lock(g_mu);
    CloseLocked(lock);
}

void SND_StreamClear() {
    Lock lock(g_mu);
    S = SND_STREAM{};
}

int SND_StreamSetLoopPos(uint32_t ms) {
    Lock lock(g_mu);
    if (!S.open || !S.buffer) return 0;
    S.loop_position = ms;
    return 1;
}

int SND_StreamIsPlaying() {
    Lock lock(g_mu);
    return SND_IsPlaying(S.buffer);
}

void SND_StreamSetVolume(int32_t level) {
    Lock lock(g_mu);
    SetVolumeLocked(level);
}

int32_t SND_StreamGetVolume() {
    Lock lock(g_mu);
    return S.volume;
}

int SND_FadeIn(uint32_t ms) {
    const uint32_t now = plat::TimeMs();
    Lock lock(g_mu);
    int r = SND_FadeStart(0, ms, now);
    SetVolumeLocked(0);
    lock.unlock();
    return StartFadeTimer(r, ms);
}

int SND_FadeOut(uint32_t ms) {
    const uint32_t now = plat::TimeMs();
    Lock lock(g_mu);
    int r = SND_FadeStart(1, ms, now);
    lock.unlock();
    return StartFadeTimer(r, ms);
}

int SND_FadeIsActive() {
    Lock lock(g_mu);
    return S.fade_active ? 1 : 0;
}
