// Fuzzes the movie stream from memory: any bytes open, decode and convert into a surface (the
// sample's, or straight into the back buffer) or fail cleanly, and every update returns (the
// headless clock moves instead of waiting).
#include <cstdint>

#include "platform/headless/headless.h"
#include "platform/movie.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    if (!display->ok) return 0;
    headless::ClearCallLog();
    headless::ClearDebugOutput();
    plat::MultiMediaStream* stream = nullptr;
    if (plat::MultiMediaStream::Create(&stream) != 0) return 0;
    stream->AddMediaStream(DD_DISPLAY.dd4, MediaPurpose::PrimaryVideo, 0);
    stream->AddMediaStream(nullptr, MediaPurpose::PrimaryAudio, AMMSF_ADDDEFAULTRENDERER);
    plat::MediaStream* video = nullptr;
    if (stream->OpenMemory(data, size) == 0 && stream->GetMediaStream(MediaPurpose::PrimaryVideo, &video) == 0) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = DDSD_SIZE;
        video->GetFormat(&desc);
        DDSurface* surface = DD_CreateSurface(int(desc.dwWidth), int(desc.dwHeight), DD_CAPS_SYSTEM);
        plat::StreamSample* sample = nullptr;
        // A rectangle smaller than the frame makes the conversion scale too.
        RECT half{0, 0, int32_t(desc.dwWidth + 1) / 2, int32_t(desc.dwHeight + 1) / 2};
        if (surface && video->CreateSample(surface, (size & 1) ? &half : nullptr, 0, &sample) == 0) {
            // Every other update goes straight into the back buffer where the sample's size fits.
            const RECT own = (size & 1) ? half : RECT{0, 0, int32_t(desc.dwWidth), int32_t(desc.dwHeight)};
            const RECT into{1, 1, 1 + own.right, 1 + own.bottom};
            stream->SetState(StreamState::Run);
            for (int i = 0; i < 64; ++i) {
                const bool straight = (i & 1) && sample->TakesInto(DD_DISPLAY.back, into);
                const HRESULT r = straight ? sample->UpdateInto(DD_DISPLAY.back, into) : sample->Update(0);
                if (r != 0 && r != MS_S_NOUPDATE) break;
            }
            stream->SetState(StreamState::Stop);
            sample->Release();
        }
        DD_ReleaseSurface(surface);
        video->Release();
    }
    int64_t t = 0;
    stream->GetTime(&t);
    stream->GetDuration(&t);
    stream->Release();
    return 0;
}
