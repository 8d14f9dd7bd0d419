// The sound device, the WAVE and ".snd" readers, whole-file buffers and the buffer wrappers.
#include "services/sound/snd_device.h"

#include <strings.h>

#include <cstring>

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "platform/memory.h"
#include "services/sound/snd_stream.h"

DSObject* SND_DS = nullptr;
SND_BUFFER SND_Primary = nullptr;
plat::Window* SND_Window = nullptr;

namespace {
constexpr uint32_t FourCC(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

// A raw ".snd" may be shorter than its stated size (the tail reads as zeros), but a size far
// beyond the bytes present is a damaged header, refused before anything is allocated.
uint64_t RawSndLimit(uint64_t present) { return present * 2 + 4096; }

// Finds the chunk `id` among the chunks from `from` up to `end` (each padded to an even size)
// and leaves the file at its data.
bool FindChunk(plat::File* f, uint32_t id, uint64_t from, uint64_t end, SND_CHUNK* out) {
    uint64_t pos = from;
    while (pos + 8 <= end) {
        uint8_t h[8];
        if (!f->Seek(pos) || f->Read(h, 8) != 8) return false;
        uint32_t size = plat::Get32(h + 4);
        if (plat::Get32(h) == id) {
            *out = SND_CHUNK{id, size, 0, static_cast<uint32_t>(pos + 8)};
            return true;
        }
        pos += 8 + uint64_t(size) + (size & 1);
    }
    return false;
}

uint64_t RiffEnd(const SND_CHUNK& riff) { return uint64_t(riff.data_offset) + riff.size; }
}  // namespace

WAVEFORMATEX SND_UnpackFormat(const uint8_t* b) {
    WAVEFORMATEX f;
    f.wFormatTag = plat::Get16(b);
    f.nChannels = plat::Get16(b + 2);
    f.nSamplesPerSec = plat::Get32(b + 4);
    f.nAvgBytesPerSec = plat::Get32(b + 8);
    f.nBlockAlign = plat::Get16(b + 12);
    f.wBitsPerSample = plat::Get16(b + 14);
    f.cbSize = plat::Get16(b + 16);
    return f;
}

bool SND_IsSndName(const char* name) {
    size_t n = name ? std::strlen(name) : 0;
    return n >= 4 && strncasecmp(name + n - 4, ".snd", 4) == 0;
}

int32_t SND_LevelToVolume(int32_t level) {
    if (level < 1) return DSBVOLUME_MIN;
    return (level + 400) * 10000 / 500 - 10000;
}

// ---- device ----
int SND_Init(plat::Window* window) {
    DSBUFFERDESC primary{DSBCAPS_PRIMARYBUFFER, 0, nullptr};
    if (DSObject::Create(&SND_DS) != DS_OK || SND_DS->SetCooperativeLevel(window, DSSCL_NORMAL) != DS_OK ||
        SND_DS->CreateSoundBuffer(&primary, &SND_Primary) != DS_OK) {
        SND_Term();
        return 0;
    }
    SND_StreamClear();
    SND_Window = window;
    return 1;
}

void SND_Term() {
    SND_StreamClose();
    if (SND_Primary) SND_Primary->Release();
    SND_Primary = nullptr;
    if (SND_DS) SND_DS->Release();
    SND_DS = nullptr;
}

// ---- WAVE files ----
int SND_WavOpen(const char* name, SND_WAVE* handle, WAVEFORMATEX* format, SND_CHUNK* riff) {
    if (!handle || !format || !riff) return 0;
    *handle = nullptr;
    auto* f = new plat::File;
    if (!name || !f->Open(name, plat::File::Mode::Read)) {
        delete f;
        return 0;
    }
    uint8_t h[12], fmt[16];
    SND_CHUNK c;
    bool ok = f->Read(h, 12) == 12 && plat::Get32(h) == FourCC("RIFF") && plat::Get32(h + 8) == FourCC("WAVE");
    if (ok) {
        *riff = SND_CHUNK{FourCC("RIFF"), plat::Get32(h + 4), FourCC("WAVE"), 8};
        ok = FindChunk(f, FourCC("fmt "), 12, RiffEnd(*riff), &c) && c.size >= 16 && f->Read(fmt, 16) == 16 &&
             plat::Get16(fmt) == WAVE_FORMAT_PCM;
    }
    if (!ok) {
        delete f;
        return 0;
    }
    uint8_t rec[SND_WAVEFORMAT_BYTES] = {};
    std::memcpy(rec, fmt, 16);  // only 16 bytes count; the extra size stays 0
    *format = SND_UnpackFormat(rec);
    *handle = f;
    return 1;
}

int SND_WavFindData(SND_WAVE* handle, SND_CHUNK* data, const SND_CHUNK* riff) {
    if (!handle || !*handle || !data || !riff) return 0;
    return FindChunk(*handle, FourCC("data"), uint64_t(riff->data_offset) + 4, RiffEnd(*riff), data) ? 1 : 0;
}

int SND_WavRead(SND_WAVE handle, void* dest, uint32_t count, SND_CHUNK* data, uint32_t* read) {
    if (read) *read = 0;
    if (!handle || !data || (count && !dest)) return 0;
    uint32_t amount = count < data->size ? count : data->size;
    data->size -= amount;
    if (handle->Read(dest, amount) != amount) return 0;  // the file ended inside the chunk
    if (read) *read = amount;
    return 1;
}

void SND_WavClose(SND_WAVE* handle) {
    if (!handle || !*handle) return;
    delete *handle;
    *handle = nullptr;
}

void* SND_LoadWav(const char* name, uint32_t* size, WAVEFORMATEX* format) {
    SND_WAVE h = nullptr;
    SND_CHUNK riff, data;
    void* block = nullptr;
    if (SND_WavOpen(name, &h, format, &riff) && SND_WavFindData(&h, &data, &riff)) {
        uint32_t want = data.size, got = 0;
        // A data chunk longer than the file is refused before its size is allocated.
        if (uint64_t(data.data_offset) + want <= uint64_t(h->Size())) block = plat::AllocZero(want ? want : 1);
        if (block && (!SND_WavRead(h, block, want, &data, &got) || got < want)) {
            plat::Free(block);
            block = nullptr;
        }
        if (block && size) *size = want;
    }
    SND_WavClose(&h);
    return block;
}

// ---- ".snd" files ----
void* SND_LoadSnd(const char* name, uint32_t* size, WAVEFORMATEX* format) {
    if (!SND_IsSndName(name) || !size || !format) return nullptr;
    plat::File f;
    if (!f.Open(name, plat::File::Mode::Read)) {
        SYS_DebugPrintNoCrlf("%s:Open error %d\n", name, -1);
        return nullptr;
    }
    uint8_t h[SND_SND_HEADER_BYTES];
    if (f.Read(h, 3) != 3 || h[0] != 'S' || h[1] != 'N') return nullptr;
    if (f.Read(h + 3, SND_WAVEFORMAT_BYTES + 4) != SND_WAVEFORMAT_BYTES + 4) return nullptr;
    *format = SND_UnpackFormat(h + 3);
    *size = plat::Get32(h + 21);
    const uint64_t present = uint64_t(f.Size()) - SND_SND_HEADER_BYTES;
    const bool packed = h[2] == 'D';
    if (*size > (packed ? LZ_MaxExpansion(present) : RawSndLimit(present))) return nullptr;
    void* block = plat::AllocZero(*size ? *size : 1);
    if (!block) return nullptr;
    if (packed ? !LZ_Read(&f, block, *size, nullptr) : false) {
        plat::Free(block);
        return nullptr;
    }
    if (!packed) f.Read(block, *size);  // a file that ends early leaves zeros
    return block;
}

// ---- buffers ----
SND_BUFFER SND_CreateBuffer(const void* data, uint32_t size, uint32_t flags, const WAVEFORMATEX* format) {
    if (!SND_DS) return nullptr;
    DSBUFFERDESC desc{flags, size, format};
    SND_BUFFER b = nullptr;
    if (SND_DS->CreateSoundBuffer(&desc, &b) != DS_OK) return nullptr;
    if (data) {
        void *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        if (b->Lock(0, size, &p1, &n1, &p2, &n2, 0) != DS_OK) {
            b->Release();
            return nullptr;
        }
        std::memcpy(p1, data, n1);
        if (p2) std::memcpy(p2, static_cast<const uint8_t*>(data) + n1, n2);
        b->Unlock(p1, n1, p2, n2);
    }
    b->SetCurrentPosition(0);
    b->SetPan(0);
    return b;
}

SND_BUFFER SND_LoadFile(const char* name) {
    uint32_t size = 0;
    WAVEFORMATEX format;
    void* data = SND_IsSndName(name) ? SND_LoadSnd(name, &size, &format) : SND_LoadWav(name, &size, &format);
    if (!data) return nullptr;
    SND_BUFFER b = SND_CreateBuffer(data, size, SND_BUFFER_FLAGS, &format);
    plat::Free(data);
    return b;
}

void SND_Release(SND_BUFFER buffer) {
    if (!buffer) return;
    buffer->Stop();
    buffer->Release();
}

// ---- wrappers ----
uint32_t SND_GetStatus(SND_BUFFER buffer) {
    uint32_t status = 0;
    if (!buffer || buffer->GetStatus(&status) != DS_OK) return 0;
    return status;
}

int SND_IsPlaying(SND_BUFFER buffer) { return (SND_GetStatus(buffer) & DSBSTATUS_PLAYING) ? 1 : 0; }

int SND_GetPosition(SND_BUFFER buffer, uint32_t* play, uint32_t* write) {
    return buffer && buffer->GetCurrentPosition(play, write) == DS_OK ? 1 : 0;
}

int SND_SetPosition(SND_BUFFER buffer, uint32_t offset) {
    return buffer && buffer->SetCurrentPosition(offset) == DS_OK ? 1 : 0;
}

int SND_GetPan(SND_BUFFER buffer, int32_t* pan) { return buffer && buffer->GetPan(pan) == DS_OK ? 1 : 0; }
int SND_SetPan(SND_BUFFER buffer, int32_t pan) { return buffer && buffer->SetPan(pan) == DS_OK ? 1 : 0; }

int SND_GetVolume(SND_BUFFER buffer, int32_t* attenuation) {
    return buffer && buffer->GetVolume(attenuation) == DS_OK ? 1 : 0;
}

int SND_SetVolume(SND_BUFFER buffer, int32_t attenuation) {
    return buffer && buffer->SetVolume(attenuation) == DS_OK ? 1 : 0;
}

int SND_Play(SND_BUFFER buffer, uint32_t loop) {
    return buffer && buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0) == DS_OK ? 1 : 0;
}

int SND_Stop(SND_BUFFER buffer) { return buffer && buffer->Stop() == DS_OK ? 1 : 0; }
