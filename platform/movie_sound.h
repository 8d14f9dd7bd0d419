// A movie's sound (internal to platform/): its audio stream decoded, resampled to the mixer's rate
// and layout, and queued to play at full level, starting and stopping with the movie's clock.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sound.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace plat::detail {
class MovieSound {
public:
    MovieSound() = default;
    MovieSound(const MovieSound&) = delete;
    MovieSound& operator=(const MovieSound&) = delete;
    ~MovieSound();

    // Takes the file's best audio stream when it decodes and the output opens; paused until Run.
    // `start` is the movie's time 0 in 100-ns units.
    bool Open(AVFormatContext* fmt, int64_t start);
    int Stream() const { return index_; }
    // A packet of the audio stream, or null at the end of the file (what the decoder holds back).
    void Packet(const AVPacket* packet);
    void Run(bool run);
    // Frames decoded and not yet played; while fewer than a lead are queued, the movie reads on.
    size_t Queued() const;
    bool WantsMore() const;

private:
    void QueueFrame(AVFrame* frame);
    bool Resampler(const AVFrame* frame);

    int index_ = -1;
    AVFormatContext* fmt_ = nullptr;
    AVCodecContext* dec_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* swr_ = nullptr;
    int swr_format_ = -1, swr_rate_ = 0, swr_channels_ = 0;
    uint64_t swr_mask_ = 0;
    plat::AudioQueue* queue_ = nullptr;
    int64_t start_ = 0;
    bool placed_ = false;  // the first sound is in the queue, after the silence before it
    std::vector<int16_t> pcm_;
};
}  // namespace plat::detail
