// Movie frames at 640 x 480 (MPEG-1, 50 frames): ours decodes each frame and converts it in one
// pass, 32 pixels an AVX2 step, from its planes straight into the back buffer's 565 pixels, with
// swscale's arithmetic (a destination of the frame's size needs no sample surface and no copy);
// the peer is FFmpeg's own libraries decoding the same frames and converting them with swscale
// straight to RGB565. Both decode on one thread.
// Run on one core: taskset -c 3 bench_movie
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_run.h"
#include "platform/backend.h"
#include "services/mov_movie.h"
#include "tests/support/fixture.h"
#include "tests/support/movie_writer.h"

namespace {
constexpr int kFrames = 50;

const std::string& MoviePath() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / ("orv_bench_" + std::to_string(getpid()) + ".mpg")).string();
        support::MovieSpec spec{"mpeg", "mpeg1video", "", 640, 480, 25, kFrames};
        if (!support::WriteMovie(p, spec)) p.clear();
        return p;
    }();
    return path;
}

// Ours: each call takes the next frame through the movie layer into the back buffer; at the end
// the movie opens again, outside the timing.
struct Ours {
    support::HeadlessDisplay display{headless::Config{16, true, 0}};
    MOV_DATA* m = nullptr;
    Ours() { plat::detail::SetLogging(false); }
    ~Ours() { Close(); }
    void Close() {
        if (m) MOV_Close(&m);
        headless::ClearDebugOutput();
    }
    void Open() {
        Close();
        m = MOV_Open(MoviePath().c_str(), DD_DISPLAY.dd4);
        MOV_SetSize(m, 640, 480);
        MOV_Play(m);
    }
    bool Frame() { return m && MOV_Draw(m, DD_DISPLAY.back) == DD_OK; }
};

// The peer: each call demuxes, decodes and swscales to RGB565 the next frame of the same movie.
struct Peer {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwsContext* sws = nullptr;
    int vidx = -1;
    bool flushed = false;
    std::vector<uint8_t> out = std::vector<uint8_t>(640 * 480 * 2);
    ~Peer() {
        Close();
        av_frame_free(&frame);
        av_packet_free(&pkt);
        sws_freeContext(sws);
    }
    void Close() {
        avcodec_free_context(&dec);
        avformat_close_input(&fmt);
    }
    void Open() {
        Close();
        flushed = false;
        if (avformat_open_input(&fmt, MoviePath().c_str(), nullptr, nullptr) < 0) return;
        avformat_find_stream_info(fmt, nullptr);
        const AVCodec* codec = nullptr;
        vidx = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
        dec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec, fmt->streams[vidx]->codecpar);
        dec->thread_count = 1;
        avcodec_open2(dec, codec, nullptr);
    }
    bool Frame() {
        if (!dec) return false;
        for (;;) {
            if (avcodec_receive_frame(dec, frame) == 0) {
                sws = sws_getCachedContext(sws, frame->width, frame->height, AVPixelFormat(frame->format), 640, 480,
                                           AV_PIX_FMT_RGB565, SWS_BILINEAR, nullptr, nullptr, nullptr);
                uint8_t* planes[4] = {out.data()};
                const int strides[4] = {640 * 2};
                sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
                return true;
            }
            if (flushed) return false;
            if (av_read_frame(fmt, pkt) < 0) {
                avcodec_send_packet(dec, nullptr);
                flushed = true;
                continue;
            }
            if (pkt->stream_index == vidx) avcodec_send_packet(dec, pkt);
            av_packet_unref(pkt);
        }
    }
};

// One frame a call; when the movie has no more, it opens again outside the timing.
template <class Player>
void Frames(benchmark::State& state) {
    Player p;
    p.Open();
    for (auto _ : state) {
        if (p.Frame()) continue;
        state.PauseTiming();
        p.Open();
        state.ResumeTiming();
        if (!p.Frame()) {
            state.SkipWithError("the movie gives no frame");
            break;
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    if (!bench::Init(&argc, argv)) return 1;
    if (MoviePath().empty()) {
        std::fprintf(stderr, "ffmpeg could not write the benchmark movie\n");
        return 1;
    }
    const char* ours = "movie frame, ours";
    const char* peer = "movie frame, ffmpeg + swscale 565";
    bench::Settings(benchmark::RegisterBenchmark(ours, Frames<Ours>));
    bench::Settings(benchmark::RegisterBenchmark(peer, Frames<Peer>));
    bench::RunAll();
    const double o = bench::Ms(ours), p = bench::Ms(peer);
    std::printf("\n640 x 480 movie frames (MPEG-1), ms per frame; x = ours / peer\n");
    std::printf("%-52s %8.4f\n", "ours: decode, one pass to 565 back buffer", o);
    std::printf("%-52s %8.4f\n", "ffmpeg: decode, swscale to RGB565", p);
    std::printf("%-52s %8.2f\n", "x ffmpeg", o > 0 && p > 0 ? o / p : 0);
    std::filesystem::remove(MoviePath());
    benchmark::Shutdown();
    return 0;
}
