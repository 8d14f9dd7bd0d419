// Movie playback: open, play, stop, pause, the destination rectangle, time, frames into the back
// buffer, close, and the trace lines of every state change.
#include "services/mov_movie.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "platform/debug.h"
#include "platform/format.h"

namespace {
template <typename T>
void ReleaseField(T*& field) {
    if (field) field->Release();
    field = nullptr;
}

// An off-screen surface in system memory in the display's pixel format.
DDSurface* MOV_CreateSurface(DDObject* dd, int32_t width, int32_t height) {
    if (!dd) return nullptr;
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<uint32_t>(width);
    desc.dwHeight = static_cast<uint32_t>(height);
    DDSurface* surface = nullptr;
    return dd->CreateSurface(&desc, &surface) == DD_OK ? surface : nullptr;
}

// The video stream, the frame size, the sample surface and the sample, each only when the step
// before succeeded: 1 when all did.
int MOV_SetupVideo(MOV_DATA* mov) {
    if (!mov->stream || mov->stream->GetMediaStream(MediaPurpose::PrimaryVideo, &mov->video) != 0) return 0;
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    if (mov->video->GetFormat(&desc) != 0) return 0;
    const auto width = static_cast<int32_t>(desc.dwWidth), height = static_cast<int32_t>(desc.dwHeight);
    mov->x = mov->y = 0;
    mov->w = width;
    mov->h = height;
    mov->src = RECT{0, 0, width, height};
    mov->surface = MOV_CreateSurface(mov->dd, width, height);
    if (!mov->surface) return 0;
    return mov->video->CreateSample(mov->surface, &mov->src, 0, &mov->sample) == 0 ? 1 : 0;
}
}  // namespace

void MOV_DebugPrint(const char* format, ...) {
    char line[256];
    va_list ap;
    va_start(ap, format);
    plat::FormatV(line, sizeof line, format, ap);
    va_end(ap);
    plat::OutputDebugString(line);
}

// The platform's streaming needs no start or end of its own.
void DWWL_Init() { MOV_DebugPrint("DWWL_Init\n"); }
void DWWL_Term() { MOV_DebugPrint("DWWL_Term\n"); }

MOV_DATA* MOV_Open(const char* name, DDObject* dd) {
    const size_t length = name ? std::strlen(name) : 0;
    if (!name || length >= FIL_PATH_MAX) {
        SYS_DebugPrint("MOV_Open: a name of %u bytes refused", static_cast<unsigned>(length));
        return nullptr;
    }
    auto* mov = new (std::nothrow) MOV_DATA{};
    if (!mov) return nullptr;
    std::memcpy(mov->name, name, length + 1);
    // What the stream makes of the file shows later: a record without a sample draws nothing.
    if (plat::MultiMediaStream::Create(&mov->stream) == 0) {
        mov->stream->AddMediaStream(dd, MediaPurpose::PrimaryVideo, 0);
        mov->stream->AddMediaStream(nullptr, MediaPurpose::PrimaryAudio, AMMSF_ADDDEFAULTRENDERER);
        mov->stream->OpenFile(name);
    }
    mov->dd = dd;
    MOV_SetupVideo(mov);
    MOV_DebugPrint("movie open....(%s)\n", mov->name);
    return mov;
}

void MOV_Play(MOV_DATA* mov) {
    if (!mov) return;
    if (mov->stream && mov->stream->SetState(StreamState::Run) == 0) {
        mov->playing = 1;
        mov->paused = 0;
        MOV_DebugPrint("movie playing....(%s)\n", mov->name);
    } else {
        mov->playing = 0;
    }
}

void MOV_Stop(MOV_DATA* mov) {
    if (!mov || !mov->playing) return;
    mov->stream->SetState(StreamState::Stop);
    mov->paused = 0;
    MOV_DebugPrint("movie stop....(%s)\n", mov->name);
}

void MOV_Pause(MOV_DATA* mov) {
    if (!mov || !mov->playing || mov->paused) return;
    mov->stream->SetState(StreamState::Stop);
    MOV_DebugPrint("movie pause....(%s)\n", mov->name);
    mov->paused = 1;
}

void MOV_SetPos(MOV_DATA* mov, int32_t x, int32_t y) {
    if (!mov) return;
    mov->x = x;
    mov->y = y;
}

void MOV_SetSize(MOV_DATA* mov, int32_t w, int32_t h) {
    if (!mov) return;
    mov->w = w;
    mov->h = h;
}

void MOV_GetPos(MOV_DATA* mov, int32_t* x, int32_t* y) {
    if (x) *x = mov ? mov->x : 0;
    if (y) *y = mov ? mov->y : 0;
}

void MOV_GetSize(MOV_DATA* mov, int32_t* w, int32_t* h) {
    if (w) *w = mov ? mov->w : 0;
    if (h) *h = mov ? mov->h : 0;
}

// A length the stream cannot give is one the time never reaches.
uint32_t MOV_GetDuration(MOV_DATA* mov) {
    if (!mov || !mov->stream) return 0;
    int64_t t = 0;
    if (mov->stream->GetDuration(&t) != 0) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(t / 10000);
}

// A movie without video has ended from the start, so the callers' end test finishes it.
uint32_t MOV_GetTime(MOV_DATA* mov) {
    if (!mov || !mov->sample) return MOV_GetDuration(mov);
    int64_t t = 0;
    if (mov->stream->GetTime(&t) != 0) return MOV_GetDuration(mov);
    return static_cast<uint32_t>(t / 10 / 1000);
}

int32_t MOV_Update(MOV_DATA* mov) {
    if (!mov || !mov->sample) return 0;
    return mov->sample->Update(0) == 0 ? 1 : 0;
}

HRESULT MOV_Draw(MOV_DATA* mov, DDSurface* target) {
    if (!mov || !mov->sample) return MS_E_NOSTREAM;
    // Wrapping sums: a rectangle past the 32-bit range is one the blit refuses.
    const auto right = static_cast<int32_t>(uint32_t(mov->x) + uint32_t(mov->w));
    const auto bottom = static_cast<int32_t>(uint32_t(mov->y) + uint32_t(mov->h));
    RECT dest{mov->x, mov->y, right, bottom};
    // A rectangle of the frame's size takes the frame straight from the stream: the pixels the
    // copy would give, without the copy.
    if (mov->sample->TakesInto(target, dest)) return mov->sample->UpdateInto(target, dest);
    if (HRESULT r = mov->sample->Update(0); r != 0) return r;
    if (!target) return DDERR_INVALIDPARAMS;
    return target->Blt(&dest, mov->surface, &mov->src, DDBLT_WAIT, nullptr);
}

void MOV_Close(MOV_DATA** pmov) {
    if (!pmov || !*pmov) return;
    MOV_DATA* mov = *pmov;
    if (mov->stream) mov->stream->SetState(StreamState::Stop);
    ReleaseField(mov->surface);
    ReleaseField(mov->stream);
    ReleaseField(mov->video);
    ReleaseField(mov->sample);
    MOV_DebugPrint("movie close ..... (%s)\n", mov->name);
    std::memset(mov->name, 0, sizeof mov->name);
    mov->dd = nullptr;
    delete mov;
    *pmov = nullptr;
}
