// Movie streams on FFmpeg: custom I/O over the platform's files, demuxing, decoding, the stream
// clock, and frames converted into display surfaces, into the sample's surface or straight into
// another: 4:2:0 frames of the destination's size into 16-bit pixels in one pass with swscale's
// own arithmetic; others by swscale to 8 bits a channel, undithered, and our own packing.
#include "platform/movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/movie_sound.h"
#include "platform/movie_yuv.h"

using plat::detail::LogCall;
using plat::detail::ShouldFail;
using plat::detail::Yuv420Planes;
using plat::detail::Yuv420To16;
using plat::detail::Yuv420To16Fn;
using plat::detail::YuvRoute;

namespace {
constexpr int kIoBufferSize = 32768;
constexpr int64_t kUnits = 10000000;               // 100-ns units a second
constexpr AVRational kUnitBase{1, 10000000};
constexpr uint32_t kMaxWaitMs = 250;               // longest wait of one update
constexpr int kBandRows = 16;                      // rows converted at a time
constexpr size_t kMaxQueuedBytes = 64 << 20;       // video packets read ahead for the sound
constexpr int64_t kDefaultFrameUnits = kUnits / 25;  // frame length when the file gives none

// Where the bytes come from: a file through the resolver, or a block in memory.
struct Source {
    plat::File file;
    const uint8_t* mem = nullptr;
    size_t size = 0, pos = 0;
    bool in_memory = false;

    int Read(uint8_t* buf, int n) {
        if (!in_memory) {
            const size_t got = file.Read(buf, static_cast<size_t>(n));
            return got ? static_cast<int>(got) : AVERROR_EOF;
        }
        const size_t got = std::min(static_cast<size_t>(n), size - pos);
        if (got == 0) return AVERROR_EOF;
        std::memcpy(buf, mem + pos, got);
        pos += got;
        return static_cast<int>(got);
    }

    int64_t Seek(int64_t offset, int whence) {
        const int64_t total = in_memory ? static_cast<int64_t>(size) : file.Size();
        if (whence & AVSEEK_SIZE) return total;
        const int64_t here = in_memory ? static_cast<int64_t>(pos) : file.Tell();
        int64_t to;
        switch (whence & ~AVSEEK_FORCE) {
            case SEEK_SET: to = offset; break;
            case SEEK_CUR: to = here + offset; break;
            case SEEK_END: to = total + offset; break;
            default: return AVERROR(EINVAL);
        }
        if (to < 0 || to > total) return AVERROR(EINVAL);
        if (in_memory) {
            pos = static_cast<size_t>(to);
        } else if (!file.Seek(static_cast<uint64_t>(to))) {
            return AVERROR(EIO);
        }
        return to;
    }
};

int ReadSource(void* opaque, uint8_t* buf, int n) { return static_cast<Source*>(opaque)->Read(buf, n); }
int64_t SeekSource(void* opaque, int64_t offset, int whence) {
    return static_cast<Source*>(opaque)->Seek(offset, whence);
}

// A movie file never makes us open another file or address (playlists, references, concatenation).
int RefuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

bool SizeAllowed(int w, int h) {
    return w > 0 && h > 0 && w <= kMovieMaxSide && h <= kMovieMaxSide && int64_t{w} * h <= kMovieMaxPixels;
}

// The decoders test max_pixels on a padded picture, not the frame: the buffer check rounds each
// row up to FFmpeg's widest vector alignment (64 pixels, AVX-512), and coded sizes are whole
// blocks of at most 64. The decoder's bound leaves that much on both sides of any frame the size
// check allows, so it never refuses one, and stays within 7% of the largest frame's pixels.
constexpr int64_t kDecoderPad = 64;
constexpr int64_t kDecoderMaxPixels = kMovieMaxPixels + kDecoderPad * 2 * kMovieMaxSide + kDecoderPad * kDecoderPad;
static_assert(kDecoderMaxPixels <= kMovieMaxPixels + kMovieMaxPixels / 15);

// a - b, saturating, kept within +-2^62 so that the sums made of it later cannot overflow.
int64_t SafeDiff(int64_t a, int64_t b) {
    constexpr int64_t kLimit = int64_t{1} << 62;
    int64_t d;
    if (__builtin_sub_overflow(a, b, &d)) d = a < 0 ? -kLimit : kLimit;
    return std::clamp(d, -kLimit, kLimit);
}

// A swscale context to 0x00RRGGBB words, made again only when the sizes or the format change
// (asking swscale whether its cached context fits costs more than converting a band).
class Scaler {
public:
    Scaler() = default;
    Scaler(const Scaler&) = delete;
    Scaler& operator=(const Scaler&) = delete;
    ~Scaler() { sws_freeContext(ctx_); }
    SwsContext* For(int sw, int sh, AVPixelFormat format, int dw, int dh) {
        const int key[5] = {sw, sh, format, dw, dh};
        if (ctx_ && std::equal(key, key + 5, key_)) return ctx_;
        sws_freeContext(ctx_);
        ctx_ = sws_getContext(sw, sh, format, dw, dh, AV_PIX_FMT_0RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
        std::copy(key, key + 5, key_);
        return ctx_;
    }

private:
    SwsContext* ctx_ = nullptr;
    int key_[5] = {};
};

// 8-bit channels packed into one pixel of a surface's layout: each channel's top bits, as the
// display's own colour rule drops the low ones.
struct Packing {
    int r_shift, g_shift, b_shift;  // lowest bit of each channel
    int r_loss, g_loss, b_loss;     // bits dropped from 8
};

int LowBit(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }
int Bits(uint32_t mask) { return __builtin_popcount(mask); }

Packing PackingOf(const DDPIXELFORMAT& f) {
    return Packing{LowBit(f.dwRBitMask), LowBit(f.dwGBitMask), LowBit(f.dwBBitMask),
                   8 - std::min(Bits(f.dwRBitMask), 8), 8 - std::min(Bits(f.dwGBitMask), 8),
                   8 - std::min(Bits(f.dwBBitMask), 8)};
}

// Rows of 0x00RRGGBB words (8 bits a channel, as swscale gives them undithered) into rows of a
// surface's pixels; chosen once a frame by the surface's layout.
using PackFn = void (*)(uint8_t* d, ptrdiff_t pitch, const uint32_t* s, ptrdiff_t stride, int w, int h, const Packing& p);

template <typename T>
void PackRows(uint8_t* d, ptrdiff_t pitch, const uint32_t* s, ptrdiff_t stride, int w, int h, const Packing& p) {
    for (int y = 0; y < h; ++y, d += pitch, s += stride) {
        T* row = reinterpret_cast<T*>(d);
        for (int i = 0; i < w; ++i) {
            const uint32_t v = s[i];
            row[i] = static_cast<T>((((v >> 16) & 0xFF) >> p.r_loss) << p.r_shift |
                                    (((v >> 8) & 0xFF) >> p.g_loss) << p.g_shift | ((v & 0xFF) >> p.b_loss) << p.b_shift);
        }
    }
}

// The two 16-bit layouts: each channel's top bits moved into place. The vector form keeps those
// bits, then a byte multiply-add places blue and green and a word multiply-add red, all at eight
// times their places, so one shift ends the pixel.
template <bool Is565>
struct Layout16 {
    static constexpr int kRed = Is565 ? 8 : 9, kGreen = Is565 ? 5 : 6;
    static constexpr uint32_t kRedMask = Is565 ? 0xF800 : 0x7C00, kGreenMask = Is565 ? 0x07E0 : 0x03E0;
    static constexpr uint32_t kKept = Is565 ? 0x00F8FCF8 : 0x00F8F8F8;
    static constexpr uint32_t kByteMul = Is565 ? 0x00014001 : 0x00012001;  // blue x 1 + green x 64 or 32; red x 1
    static constexpr uint32_t kWordMul = Is565 ? 0x08000001 : 0x04000001;  // those + red x 2048 or 1024
    static uint16_t Pack(uint32_t v) {
        return static_cast<uint16_t>(((v >> kRed) & kRedMask) | ((v >> kGreen) & kGreenMask) | ((v >> 3) & 0x1F));
    }
};

template <bool Is565>
void PackRows16(uint8_t* d, ptrdiff_t pitch, const uint32_t* s, ptrdiff_t stride, int w, int h, const Packing&) {
    for (int y = 0; y < h; ++y, d += pitch, s += stride)
        for (int i = 0; i < w; ++i) reinterpret_cast<uint16_t*>(d)[i] = Layout16<Is565>::Pack(s[i]);
}

#if defined(__x86_64__)
template <bool Is565>
__attribute__((target("avx2"))) inline __m256i Pack8Avx2(const uint32_t* s) {
    using L = Layout16<Is565>;
    const __m256i v = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)), _mm256_set1_epi32(L::kKept));
    const __m256i words = _mm256_maddubs_epi16(v, _mm256_set1_epi32(L::kByteMul));
    return _mm256_srli_epi32(_mm256_madd_epi16(words, _mm256_set1_epi32(L::kWordMul)), 3);
}

// Sixteen pixels; the packing works within 128-bit halves, so the quarters are put back in order.
template <bool Is565>
__attribute__((target("avx2"))) inline void Pack16Avx2(uint16_t* d, const uint32_t* s) {
    const __m256i packed = _mm256_packus_epi32(Pack8Avx2<Is565>(s), Pack8Avx2<Is565>(s + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_permute4x64_epi64(packed, 0xD8));
}

template <bool Is565>
__attribute__((target("avx2"))) void PackRows16Avx2(uint8_t* d, ptrdiff_t pitch, const uint32_t* s, ptrdiff_t stride,
                                                     int w, int h, const Packing&) {
    for (int y = 0; y < h; ++y, d += pitch, s += stride) {
        uint16_t* row = reinterpret_cast<uint16_t*>(d);
        if (w < 16) {
            for (int i = 0; i < w; ++i) row[i] = Layout16<Is565>::Pack(s[i]);
            continue;
        }
        // The stores fall on 32-byte boundaries (a store across two cache lines costs two); the
        // first and the last sixteen pixels are written once more, unaligned, around them.
        Pack16Avx2<Is565>(row, s);
        int i = static_cast<int>(((32 - (reinterpret_cast<uintptr_t>(row) & 31)) & 31) / 2);
        for (; i + 32 <= w; i += 32) {  // two at a pass, which halves the loop's own work
            Pack16Avx2<Is565>(row + i, s + i);
            Pack16Avx2<Is565>(row + i + 16, s + i + 16);
        }
        if (i + 16 <= w) {
            Pack16Avx2<Is565>(row + i, s + i);
            i += 16;
        }
        if (i < w) Pack16Avx2<Is565>(row + w - 16, s + w - 16);
    }
}
#endif

template <bool Is565>
PackFn Packer16() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return PackRows16Avx2<Is565>;
#endif
    return PackRows16<Is565>;
}

bool Is565(const DDPIXELFORMAT& f) { return f.dwRBitMask == 0xF800 && f.dwGBitMask == 0x07E0 && f.dwBBitMask == 0x1F; }
bool Is555(const DDPIXELFORMAT& f) { return f.dwRBitMask == 0x7C00 && f.dwGBitMask == 0x03E0 && f.dwBBitMask == 0x1F; }

PackFn PackerFor(const DDPIXELFORMAT& f) {
    static const PackFn p565 = Packer16<true>(), p555 = Packer16<false>();
    if (f.dwRGBBitCount == 32) return PackRows<uint32_t>;
    if (Is565(f)) return p565;
    if (Is555(f)) return p555;
    return PackRows<uint16_t>;
}

// The one-pass 4:2:0 conversion for the two 16-bit layouts, where the processor has AVX2; null
// elsewhere (without it, swscale's own vector code and the packer beat the one-pass scalar form).
Yuv420To16Fn DirectFor(const DDPIXELFORMAT& f) {
    static const Yuv420To16Fn d565 = Yuv420To16(true, YuvRoute::Avx2), d555 = Yuv420To16(false, YuvRoute::Avx2);
    if (f.dwRGBBitCount != 16) return nullptr;
    return Is565(f) ? d565 : Is555(f) ? d555 : nullptr;
}
}  // namespace

namespace plat {
struct MultiMediaStream::Impl {
    bool want_video = false, want_audio = false;
    bool opened = false;
    Source source;
    AVIOContext* io = nullptr;
    AVFormatContext* fmt = nullptr;
    int vidx = -1;
    AVCodecContext* vdec = nullptr;
    AVPacket* pkt = nullptr;
    std::deque<AVPacket*> vqueue;  // video packets read ahead of their decoding
    size_t vqueue_bytes = 0;
    plat::detail::MovieSound sound;
    bool demux_done = false, flushed = false;
    int width = 0, height = 0;
    int64_t start = 0;                 // stream time 0 in 100-ns units of the file's clock
    int64_t duration = -1;             // -1 while unknown
    int64_t frame_units = kDefaultFrameUnits;
    int64_t last_pts = -1;

    // Decoded frames: `ahead` is the next one to show once its time comes.
    AVFrame* ahead = nullptr;
    AVFrame* shown = nullptr;
    bool ahead_valid = false;
    bool video_done = false;

    // Conversion into a sample's rectangle.
    Scaler sws, sws_tail;  // bands, and the last, shorter band
    std::vector<uint32_t> rgb;  // a band of the frame at 8 bits a channel, 0x00RRGGBB, from a 64-byte boundary

    // The clock: time accumulated while running, plus the run since run_start.
    bool running = false;
    int64_t base = 0;
    uint32_t run_start = 0;

    ~Impl() {
        for (AVPacket* p : vqueue) av_packet_free(&p);
        av_frame_free(&ahead);
        av_frame_free(&shown);
        av_packet_free(&pkt);
        avcodec_free_context(&vdec);
        avformat_close_input(&fmt);
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
    }

    HRESULT Open();
    bool OpenVideo();
    void DropVideo();
    bool ReadOne();
    void FeedSound();
    AVPacket* NextVideoPacket();
    bool DecodeVideo(AVFrame* f);
    int64_t FrameTime(const AVFrame* f);
    int64_t Now() const;
    HRESULT Show(DDSurface* surface, const RECT& rect);
    HRESULT Deliver(DDSurface* surface, const RECT& rect);
    void End();
};

HRESULT MultiMediaStream::Impl::Open() {
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (!buffer) return MS_E_OUTOFMEMORY;
    io = avio_alloc_context(buffer, kIoBufferSize, 0, &source, ReadSource, nullptr, SeekSource);
    if (!io) {
        av_free(buffer);
        return MS_E_OUTOFMEMORY;
    }
    fmt = avformat_alloc_context();
    pkt = av_packet_alloc();
    ahead = av_frame_alloc();
    shown = av_frame_alloc();
    if (!fmt || !pkt || !ahead || !shown) return MS_E_OUTOFMEMORY;
    fmt->pb = io;
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    fmt->io_open = RefuseOpen;
    // Probed by content; on failure the context is freed and set to null.
    if (avformat_open_input(&fmt, "", nullptr, nullptr) < 0) return MS_E_BADFILE;
    if (avformat_find_stream_info(fmt, nullptr) < 0) return MS_E_BADFILE;
    start = fmt->start_time != AV_NOPTS_VALUE ? av_rescale_q(fmt->start_time, AV_TIME_BASE_Q, kUnitBase) : 0;
    if (fmt->duration > 0) duration = av_rescale_q(fmt->duration, AV_TIME_BASE_Q, kUnitBase);
    if (want_audio) sound.Open(fmt, start);
    if (want_video && !OpenVideo()) DropVideo();
    opened = true;
    return 0;
}

bool MultiMediaStream::Impl::OpenVideo() {
    const AVCodec* codec = nullptr;
    vidx = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (vidx < 0 || !codec) return false;
    const AVStream* st = fmt->streams[vidx];
    if (!SizeAllowed(st->codecpar->width, st->codecpar->height)) return false;
    vdec = avcodec_alloc_context3(codec);
    if (!vdec || avcodec_parameters_to_context(vdec, st->codecpar) < 0) return false;
    vdec->max_pixels = kDecoderMaxPixels;
    vdec->thread_count = 1;  // decoded on the caller's thread, frame by frame
    if (avcodec_open2(vdec, codec, nullptr) < 0) return false;
    width = st->codecpar->width;
    height = st->codecpar->height;
    const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) {
        const int64_t units = av_rescale_q(1, av_inv_q(rate), kUnitBase);
        if (units > 0) frame_units = units;
    }
    // Pictures none of which decodes count as none: the first is decoded now, while the caller
    // can still take the file for one without video.
    ahead_valid = DecodeVideo(ahead);
    return ahead_valid;
}

// Leaves the file without video: what was read or decoded of it is dropped, and its packets
// are passed over from here on.
void MultiMediaStream::Impl::DropVideo() {
    avcodec_free_context(&vdec);
    vidx = -1;
    for (AVPacket* p : vqueue) av_packet_free(&p);
    vqueue.clear();
    vqueue_bytes = 0;
    av_frame_unref(ahead);
    ahead_valid = false;
}

// Reads one packet and files it; false at the end of the file or on a read error (both end it).
bool MultiMediaStream::Impl::ReadOne() {
    if (demux_done) return false;
    if (av_read_frame(fmt, pkt) < 0) {
        demux_done = true;
        sound.Packet(nullptr);
        return false;
    }
    if (pkt->stream_index == vidx && vdec) {
        // Past the bound (a file that holds its sound far from its pictures) pictures are dropped.
        AVPacket* p = vqueue_bytes + size_t(pkt->size) <= kMaxQueuedBytes ? av_packet_alloc() : nullptr;
        if (p) {
            av_packet_move_ref(p, pkt);
            vqueue_bytes += size_t(p->size);
            vqueue.push_back(p);
        }
    } else if (pkt->stream_index == sound.Stream()) {
        sound.Packet(pkt);
    }
    av_packet_unref(pkt);
    return true;
}

// Reads on while the sound has less than its lead decoded.
void MultiMediaStream::Impl::FeedSound() {
    while (sound.WantsMore() && vqueue_bytes < kMaxQueuedBytes && ReadOne()) {
    }
}

AVPacket* MultiMediaStream::Impl::NextVideoPacket() {
    while (vqueue.empty() && ReadOne()) {
    }
    if (vqueue.empty()) return nullptr;
    AVPacket* p = vqueue.front();
    vqueue.pop_front();
    vqueue_bytes -= size_t(p->size);
    return p;
}

// Stream time of a decoded frame: its best timestamp from the stream's start, else the previous
// frame's plus one frame; never earlier than the frame before.
int64_t MultiMediaStream::Impl::FrameTime(const AVFrame* f) {
    int64_t t = -1;
    if (f->best_effort_timestamp != AV_NOPTS_VALUE) {
        const AVRational tb = fmt->streams[vidx]->time_base;
        if (tb.num > 0 && tb.den > 0) t = SafeDiff(av_rescale_q(f->best_effort_timestamp, tb, kUnitBase), start);
    }
    if (t < 0) t = last_pts < 0 ? 0 : last_pts + frame_units;
    t = std::max(t, last_pts);
    last_pts = t;
    return t;
}

// Decodes the next frame into f (its pts set to its stream time); false once the video has ended.
// Every packet is used up or dropped, so the loop ends with the file.
bool MultiMediaStream::Impl::DecodeVideo(AVFrame* f) {
    for (;;) {
        const int r = avcodec_receive_frame(vdec, f);
        if (r == 0) {
            if (f->format >= 0 && SizeAllowed(f->width, f->height) &&
                sws_isSupportedInput(static_cast<AVPixelFormat>(f->format))) {
                f->pts = FrameTime(f);
                return true;
            }
            av_frame_unref(f);
            continue;
        }
        if (r == AVERROR_EOF || (r != AVERROR(EAGAIN) && flushed)) return false;
        AVPacket* p = NextVideoPacket();
        if (!p) {
            if (flushed) return false;
            flushed = true;
            if (avcodec_send_packet(vdec, nullptr) < 0) return false;
            continue;
        }
        avcodec_send_packet(vdec, p);  // a packet the decoder refuses is dropped
        av_packet_free(&p);
    }
}

int64_t MultiMediaStream::Impl::Now() const {
    int64_t t = base;
    if (running) t += int64_t{static_cast<uint32_t>(plat::TimeMs() - run_start)} * (kUnits / 1000);
    return t;
}

void MultiMediaStream::Impl::End() {
    video_done = true;
    if (duration < 0) duration = std::max<int64_t>(Now(), last_pts < 0 ? 0 : last_pts + frame_units);
}

// Writes the frame `shown` into the rectangle of the surface. Frames of the rectangle's size in
// 4:2:0 go straight into 565 or 555 pixels in one pass, or through swscale in bands of rows that
// stay in the cache; others are scaled whole.
HRESULT MultiMediaStream::Impl::Deliver(DDSurface* surface, const RECT& rect) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const auto format = static_cast<AVPixelFormat>(shown->format);
    const bool banded = shown->width == w && shown->height == h && h % 2 == 0 &&
                        (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P);
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    if (HRESULT r = surface->Lock(&rect, &desc, DDLOCK_WAIT); r != DD_OK) return r;
    if (const Yuv420To16Fn direct = banded ? DirectFor(desc.ddpfPixelFormat) : nullptr) {
        const Yuv420Planes planes{shown->data[0],     shown->data[1],     shown->data[2],
                                  shown->linesize[0], shown->linesize[1], shown->linesize[2]};
        direct(planes, static_cast<uint8_t*>(desc.lpSurface), desc.lPitch, w, h, format == AV_PIX_FMT_YUVJ420P);
        surface->Unlock(&rect);
        return 0;
    }
    const int band = banded ? std::min(kBandRows, h) : h;
    const int stride = FFALIGN(w, 16);  // in words
    rgb.resize(static_cast<size_t>(stride) * band + 64 + 16);  // swscale may write a little past the last row
    uint32_t* const words = reinterpret_cast<uint32_t*>(FFALIGN(reinterpret_cast<uintptr_t>(rgb.data()), 64));
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(words), nullptr, nullptr, nullptr};
    const int strides[4] = {stride * 4, 0, 0, 0};
    const Packing packing = PackingOf(desc.ddpfPixelFormat);
    const PackFn pack = PackerFor(desc.ddpfPixelFormat);
    HRESULT result = 0;
    for (int y0 = 0; y0 < h && result == 0; y0 += band) {
        const int n = std::min(band, h - y0);
        // Each band is converted as a picture of its own, from an even row (the chroma rows are halved).
        SwsContext* ctx = (n == band ? sws : sws_tail).For(shown->width, banded ? n : shown->height, format, w, n);
        const uint8_t* src[4] = {shown->data[0], shown->data[1], shown->data[2], shown->data[3]};
        if (banded) {
            src[0] += static_cast<ptrdiff_t>(y0) * shown->linesize[0];
            src[1] += static_cast<ptrdiff_t>(y0 / 2) * shown->linesize[1];
            src[2] += static_cast<ptrdiff_t>(y0 / 2) * shown->linesize[2];
        }
        if (!ctx || sws_scale(ctx, src, shown->linesize, 0, banded ? n : shown->height, planes, strides) != n) {
            result = MS_E_BADFILE;
            break;
        }
        pack(static_cast<uint8_t*>(desc.lpSurface) + static_cast<ptrdiff_t>(y0) * desc.lPitch, desc.lPitch, words,
             stride, w, n, packing);
    }
    surface->Unlock(&rect);
    return result;
}

// ---------------- the multimedia stream ----------------
MultiMediaStream::MultiMediaStream() : impl_(new Impl) {}
MultiMediaStream::~MultiMediaStream() { delete impl_; }

HRESULT MultiMediaStream::Create(MultiMediaStream** out) {
    LogCall("MultiMediaStream.Create");
    if (!out) return MS_E_INVALIDPARAMS;
    *out = nullptr;
    if (ShouldFail("MultiMediaStream.Create")) return MS_E_OUTOFMEMORY;
    // Damaged files are expected: the decoders' complaints would only flood stderr.
    static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    (void)quiet;
    *out = new MultiMediaStream;
    return 0;
}

uint32_t MultiMediaStream::AddRef() { return ++refs_; }
uint32_t MultiMediaStream::Release() {
    LogCall("MultiMediaStream.Release");
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

HRESULT MultiMediaStream::AddMediaStream(DDObject* dd, MediaPurpose purpose, uint32_t flags) {
    if (impl_->opened) return MS_E_BUSY;
    if (purpose == MediaPurpose::PrimaryVideo)
        impl_->want_video = true;
    else if (flags & AMMSF_ADDDEFAULTRENDERER)
        impl_->want_audio = true;
    return 0;
}

HRESULT MultiMediaStream::OpenFile(const char* name_sjis) {
    LogCall("MultiMediaStream.OpenFile");
    if (!name_sjis) return MS_E_INVALIDPARAMS;
    if (impl_->opened || impl_->fmt) return MS_E_BUSY;
    if (!impl_->source.file.Open(name_sjis, plat::File::Mode::Read)) return MS_E_BADFILE;
    return impl_->Open();
}

HRESULT MultiMediaStream::OpenMemory(const uint8_t* data, size_t size) {
    if (!data && size) return MS_E_INVALIDPARAMS;
    if (impl_->opened || impl_->fmt) return MS_E_BUSY;
    impl_->source.in_memory = true;
    impl_->source.mem = data;
    impl_->source.size = size;
    return impl_->Open();
}

HRESULT MultiMediaStream::GetMediaStream(MediaPurpose purpose, MediaStream** out) {
    if (!out) return MS_E_INVALIDPARAMS;
    *out = nullptr;
    if (!impl_->opened || purpose != MediaPurpose::PrimaryVideo || !impl_->vdec) return MS_E_NOSTREAM;
    AddRef();
    *out = new MediaStream(this);
    return 0;
}

HRESULT MultiMediaStream::SetState(StreamState state) {
    LogCall(state == StreamState::Run ? "MultiMediaStream.SetState(run)" : "MultiMediaStream.SetState(stop)");
    Impl& m = *impl_;
    if (!m.opened) return MS_E_NOSTREAM;
    if (ShouldFail("MultiMediaStream.SetState")) return MS_E_BADFILE;
    const bool run = state == StreamState::Run;
    if (run == m.running) return 0;
    if (run) {
        m.FeedSound();  // the sound starts with its lead decoded, at the same moment as the clock
        m.run_start = plat::TimeMs();
    } else {
        m.base = m.Now();
    }
    m.running = run;
    m.sound.Run(run);
    return 0;
}

HRESULT MultiMediaStream::GetTime(int64_t* out) {
    if (!out) return MS_E_INVALIDPARAMS;
    *out = 0;
    const Impl& m = *impl_;
    if (!m.opened) return MS_E_NOSTREAM;
    if (m.video_done && m.duration >= 0) {
        *out = m.duration;
    } else if (m.duration >= 0) {
        // A damaged file's stated length can fall before its last frames: until the video has
        // ended, the time stays a millisecond short of the length, so an end test that compares
        // them in milliseconds passes only after the last frame.
        const int64_t ms = kUnits / 1000;
        *out = std::min(m.Now(), std::max<int64_t>(0, m.duration / ms * ms - 1));
    } else {
        *out = m.Now();
    }
    return 0;
}

HRESULT MultiMediaStream::GetDuration(int64_t* out) {
    if (!out) return MS_E_INVALIDPARAMS;
    *out = 0;
    if (!impl_->opened) return MS_E_NOSTREAM;
    if (impl_->duration < 0) return MS_E_NOSTREAM;
    *out = impl_->duration;
    return 0;
}

// ---------------- the video stream ----------------
uint32_t MediaStream::AddRef() { return ++refs_; }
uint32_t MediaStream::Release() {
    LogCall("MediaStream.Release");
    const uint32_t r = --refs_;
    if (r == 0) {
        owner_->Release();
        delete this;
    }
    return r;
}

HRESULT MediaStream::GetFormat(DDSURFACEDESC2* desc) {
    if (!desc) return MS_E_INVALIDPARAMS;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    desc->dwWidth = static_cast<uint32_t>(owner_->impl()->width);
    desc->dwHeight = static_cast<uint32_t>(owner_->impl()->height);
    return 0;
}

HRESULT MediaStream::CreateSample(DDSurface* surface, const RECT* rect, uint32_t, StreamSample** out) {
    LogCall("MediaStream.CreateSample");
    if (!out) return MS_E_INVALIDPARAMS;
    *out = nullptr;
    if (!surface || (surface->Bpp() != 16 && surface->Bpp() != 32)) return MS_E_INVALIDPARAMS;
    const RECT r = rect ? *rect : RECT{0, 0, surface->Width(), surface->Height()};
    if (r.left < 0 || r.top < 0 || r.right > surface->Width() || r.bottom > surface->Height() || r.left >= r.right ||
        r.top >= r.bottom)
        return MS_E_INVALIDPARAMS;
    *out = new StreamSample(this, surface, r);
    return 0;
}

// ---------------- the sample ----------------
StreamSample::StreamSample(MediaStream* stream, DDSurface* surface, const RECT& rect)
    : stream_(stream), surface_(surface), rect_(rect) {
    stream_->AddRef();
    surface_->AddRef();
}

StreamSample::~StreamSample() {
    surface_->Release();
    stream_->Release();
}

uint32_t StreamSample::AddRef() { return ++refs_; }
uint32_t StreamSample::Release() {
    LogCall("StreamSample.Release");
    const uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

// Waits for the frame that is due, makes it `shown` and writes it into the rectangle of the
// surface: 0 then, else the update's code. The frame is converted while the decoder's output is
// still in the cache, and the next one decoded after; when that one is due already (the stream
// has fallen behind), it replaces the frame. A stream a frame or more behind decodes on first, so
// that only the newest frame due is converted.
HRESULT MultiMediaStream::Impl::Show(DDSurface* surface, const RECT& rect) {
    if (video_done) return MS_S_ENDOFSTREAM;
    if (!running) return MS_E_NOTRUNNING;
    FeedSound();
    if (!ahead_valid) {
        if (!DecodeVideo(ahead)) {
            End();
            return MS_S_ENDOFSTREAM;
        }
        ahead_valid = true;
    }
    int64_t now = Now();
    if (ahead->pts > now) {
        const int64_t wait_ms = (ahead->pts - now + kUnits / 1000 - 1) / (kUnits / 1000);
        plat::Sleep(static_cast<uint32_t>(std::min<int64_t>(wait_ms, kMaxWaitMs)));
        now = Now();
        if (ahead->pts > now) return MS_S_NOUPDATE;
    }
    std::swap(shown, ahead);
    ahead_valid = false;
    av_frame_unref(ahead);
    const bool behind = now - shown->pts >= frame_units;
    const HRESULT early = behind ? 0 : Deliver(surface, rect);
    if (!behind) av_frame_unref(shown);  // back to the decoder's pool while it is in the cache
    bool replaced = false;
    while (DecodeVideo(ahead)) {
        if (ahead->pts > now) {
            ahead_valid = true;
            break;
        }
        std::swap(shown, ahead);
        av_frame_unref(ahead);
        replaced = true;
    }
    return behind || replaced ? Deliver(surface, rect) : early;
}

HRESULT StreamSample::Update(uint32_t) { return stream_->owner_->impl()->Show(surface_, rect_); }

bool StreamSample::TakesInto(const DDSurface* target, const RECT& rect) const {
    if (!target || target->IsPrimary() || target->IsLost() != DD_OK || target->IsLocked() ||
        surface_->IsLost() != DD_OK)
        return false;
    const DDPIXELFORMAT &a = target->Format(), &b = surface_->Format();
    if (a.dwRGBBitCount != b.dwRGBBitCount || a.dwRBitMask != b.dwRBitMask || a.dwGBitMask != b.dwGBitMask ||
        a.dwBBitMask != b.dwBBitMask)
        return false;
    // Sizes in 64 bits: a rectangle's sides may be any 32-bit values.
    const int64_t w = int64_t{rect.right} - rect.left, h = int64_t{rect.bottom} - rect.top;
    return w == rect_.right - rect_.left && h == rect_.bottom - rect_.top && rect.left >= 0 && rect.top >= 0 &&
           rect.right <= target->Width() && rect.bottom <= target->Height();
}

HRESULT StreamSample::UpdateInto(DDSurface* target, const RECT& rect) {
    if (!TakesInto(target, rect)) return MS_E_INVALIDPARAMS;
    return stream_->owner_->impl()->Show(target, rect);
}
}  // namespace plat
