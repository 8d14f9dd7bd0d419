// Movie streams: a file's video frames delivered into display surfaces at their presentation times,
// its sound played on the platform's sound output; the operations the movie layer calls.
//
// Files are opened by their content whatever their extension, and are untrusted: the frame size is
// capped, every decoder result is checked, and an update never waits for ever. The stream runs on
// the platform clock (the manual clock headless); a stop keeps the position, so running again
// continues where the stream stood.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/display.h"
#include "platform/types.h"

// ---- result codes (0 is success) ----
constexpr HRESULT MS_S_NOUPDATE = 2;          // no frame fell due within the longest wait of one update
constexpr HRESULT MS_S_ENDOFSTREAM = 3;       // the movie has no more frames
constexpr HRESULT MS_E_NOTRUNNING = -0x200;   // the stream is stopped
constexpr HRESULT MS_E_NOSTREAM = -0x201;     // no file open, or the file has no such stream
constexpr HRESULT MS_E_BADFILE = -0x202;      // the file cannot be read or is no movie
constexpr HRESULT MS_E_INVALIDPARAMS = -0x203;
constexpr HRESULT MS_E_BUSY = -0x204;         // a file is already open on this stream
constexpr HRESULT MS_E_OUTOFMEMORY = -0x205;

enum class MediaPurpose { PrimaryVideo, PrimaryAudio };  // MSPID_PrimaryVideo, MSPID_PrimaryAudio
enum class StreamState { Stop, Run };
constexpr uint32_t AMMSF_ADDDEFAULTRENDERER = 0x1;  // play the stream on the default output

// Largest frame a movie may have: wider, taller or larger frames leave the file without video.
constexpr int kMovieMaxSide = 4096;
constexpr int64_t kMovieMaxPixels = 3840 * 2160;

namespace plat {
class MediaStream;
class StreamSample;

// One movie file and its clock. Reference counted; Create returns one reference.
class MultiMediaStream {
public:
    static HRESULT Create(MultiMediaStream** out);
    uint32_t AddRef();
    uint32_t Release();

    // Asks for a stream of the file before it is opened: video rendered into surfaces of dd,
    // audio played on the default output when AMMSF_ADDDEFAULTRENDERER is given.
    HRESULT AddMediaStream(DDObject* dd, MediaPurpose purpose, uint32_t flags);
    // Opens a file through the path resolver (Shift-JIS name) and finds its streams. Its first
    // frame is decoded here: video without one that decodes counts as none.
    HRESULT OpenFile(const char* name_sjis);
    // The same from bytes in memory, which must outlive the stream (tests and fuzzing).
    HRESULT OpenMemory(const uint8_t* data, size_t size);
    // A stream that was asked for and found in the file.
    HRESULT GetMediaStream(MediaPurpose purpose, MediaStream** out);
    HRESULT SetState(StreamState state);
    // Current time and length in 100-nanosecond units. The time stops a millisecond short of the
    // length, and equals it once the video has ended. A length not known before the end fails until then.
    HRESULT GetTime(int64_t* out);
    HRESULT GetDuration(int64_t* out);

    struct Impl;
    Impl* impl() { return impl_; }

private:
    MultiMediaStream();
    ~MultiMediaStream();
    Impl* impl_;
    uint32_t refs_ = 1;
};

// The primary video stream of an open file, rendering into surfaces. Holds its multimedia stream.
class MediaStream {
public:
    uint32_t AddRef();
    uint32_t Release();
    // The frame size: dwWidth and dwHeight with DDSD_WIDTH | DDSD_HEIGHT.
    HRESULT GetFormat(DDSURFACEDESC2* desc);
    // A sample that writes each frame into the rectangle of the surface (16 or 32 bits per pixel),
    // scaled when the rectangle differs from the frame. Holds the surface and this stream.
    HRESULT CreateSample(DDSurface* surface, const RECT* rect, uint32_t flags, StreamSample** out);

private:
    friend class MultiMediaStream;
    friend class StreamSample;
    explicit MediaStream(MultiMediaStream* owner) : owner_(owner) {}
    MultiMediaStream* owner_;
    uint32_t refs_ = 1;
};

class StreamSample {
public:
    uint32_t AddRef();
    uint32_t Release();
    // Waits until the next frame is due and writes it into the surface: 0 then. When the stream
    // has fallen behind, frames already past are skipped. Returns at once on a stopped stream
    // (MS_E_NOTRUNNING) or at the end (MS_S_ENDOFSTREAM); waits at most a quarter second
    // (MS_S_NOUPDATE, the frame stays due). A surface that cannot be locked gives its error.
    HRESULT Update(uint32_t flags);
    // Whether UpdateInto can write frames into this rectangle of the target: one of the sample
    // rectangle's size, inside a surface of the sample surface's pixel format that is usable and
    // not the primary (whose clipper and presentation belong to Blt), while the sample surface
    // is usable too.
    bool TakesInto(const DDSurface* target, const RECT& rect) const;
    // Update, with the frame written into that rectangle of the target instead of the sample
    // surface, which keeps the frame it had: the pixels an unscaled Blt from the sample surface
    // would give, without the copy. MS_E_INVALIDPARAMS at once where TakesInto is false.
    HRESULT UpdateInto(DDSurface* target, const RECT& rect);

private:
    friend class MediaStream;
    StreamSample(MediaStream* stream, DDSurface* surface, const RECT& rect);
    ~StreamSample();
    MediaStream* stream_;
    DDSurface* surface_;
    RECT rect_;
    uint32_t refs_ = 1;
};
}  // namespace plat
