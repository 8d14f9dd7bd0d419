// Movie frames at 640 x 480 (MPEG-1, 50 frames): ours decodes each frame, converts it into the 565
// sample surface and copies it into the back buffer; the peer is FFmpeg's own libraries decoding
// the same frames and converting them with swscale straight to RGB565. Both decode on one thread.
// Run on one core: taskset -c 3 bench_movie
#include <benchmark/benchmark.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "services/mov_movie.h"
#include "tests/support/fixture.h"
#include "tests/support/movie_writer.h"

namespace {
constexpr int kFrames = 50;
using Clock = std::chrono::steady_clock;

const std::string& MoviePath() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / ("orv_bench_" + std::to_string(getpid()) + ".mpg")).string();
        support::MovieSpec spec{"mpeg", "mpeg1video", "", 640, 480, 25, kFrames};
        if (!support::WriteMovie(p, spec)) p.clear();
        return p;
    }();
    return path;
}

// Ours: every frame through the movie layer into the back buffer; seconds of the frame loop.
double PlayOurs(int* frames) {
    static support::HeadlessDisplay display{headless::Config{16, true, 0}};
    plat::detail::SetLogging(false);
    MOV_DATA* m = MOV_Open(MoviePath().c_str(), DD_DISPLAY.dd4);
    MOV_SetSize(m, 640, 480);
    MOV_Play(m);
    *frames = 0;
    const auto t0 = Clock::now();
    while (MOV_Draw(m, DD_DISPLAY.back) == DD_OK) ++*frames;
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    MOV_Close(&m);
    headless::ClearDebugOutput();
    return s;
}

// The peer: demux, decode and swscale to RGB565 of the same frames.
double PlayPeer(int* frames) {
    AVFormatContext* fmt = nullptr;
    *frames = 0;
    if (avformat_open_input(&fmt, MoviePath().c_str(), nullptr, nullptr) < 0) return 0;
    avformat_find_stream_info(fmt, nullptr);
    const AVCodec* codec = nullptr;
    const int vidx = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    AVCodecContext* dec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec, fmt->streams[vidx]->codecpar);
    dec->thread_count = 1;
    avcodec_open2(dec, codec, nullptr);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<uint8_t> out(640 * 480 * 2);
    uint8_t* planes[4] = {out.data()};
    const int strides[4] = {640 * 2};
    SwsContext* sws = nullptr;
    auto drain = [&] {
        while (avcodec_receive_frame(dec, frame) == 0) {
            sws = sws_getCachedContext(sws, frame->width, frame->height, AVPixelFormat(frame->format), 640, 480,
                                       AV_PIX_FMT_RGB565, SWS_BILINEAR, nullptr, nullptr, nullptr);
            sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
            ++*frames;
        }
    };
    const auto t0 = Clock::now();
    while (av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == vidx && avcodec_send_packet(dec, pkt) >= 0) drain();
        av_packet_unref(pkt);
    }
    avcodec_send_packet(dec, nullptr);
    drain();
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    sws_freeContext(sws);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return s;
}

// Best milliseconds per frame over a number of whole plays.
double MsPerFrame(double (*play)(int*)) {
    double best = 1e30;
    for (int rep = 0; rep < 15; ++rep) {
        int frames = 0;
        const double s = play(&frames);
        if (frames > 0) best = std::min(best, s * 1e3 / frames);
    }
    return best;
}

double g_ours = 0, g_peer = 0;

void Ours(benchmark::State& state) {
    for (auto _ : state) g_ours = MsPerFrame(PlayOurs);
    state.counters["ms/frame"] = g_ours;
}

void Peer(benchmark::State& state) {
    for (auto _ : state) g_peer = MsPerFrame(PlayPeer);
    state.counters["ms/frame"] = g_peer;
}
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (MoviePath().empty()) {
        std::fprintf(stderr, "ffmpeg could not write the benchmark movie\n");
        return 1;
    }
    benchmark::RegisterBenchmark("movie frame, ours", Ours)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("movie frame, ffmpeg + swscale 565", Peer)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\n640 x 480 movie frames (MPEG-1), ms per frame; x = ours / peer\n");
    std::printf("%-52s %8.4f\n", "ours: decode, 24-bit to 565 surface, copy to back", g_ours);
    std::printf("%-52s %8.4f\n", "ffmpeg: decode, swscale to RGB565", g_peer);
    std::printf("%-52s %8.2f\n", "x ffmpeg", g_peer > 0 ? g_ours / g_peer : 0);
    std::filesystem::remove(MoviePath());
    benchmark::Shutdown();
    return 0;
}
