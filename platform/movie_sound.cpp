// A movie's sound: decoded with libavcodec, resampled with libswresample to 44.1 kHz 16-bit
// stereo, queued on the sound device at full level.
#include "platform/movie_sound.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

namespace plat::detail {
namespace {
constexpr size_t kLead = kMixRate / 2;           // decoded ahead of the clock
constexpr size_t kMaxQueued = kMixRate * 10;     // more than this is dropped, not stored
constexpr int kMaxFrameSamples = 1 << 20;
constexpr int64_t kMaxLeadingSilence = 10 * 10000000LL;  // 100-ns units
constexpr int kMaxChannels = 64;

// The rates the sound layer itself plays; a resampler from a rate far beyond them takes seconds and
// hundreds of megabytes to build.
bool RateOk(int rate) { return rate >= int(DSBFREQUENCY_MIN) && rate <= int(DSBFREQUENCY_MAX); }
}  // namespace

MovieSound::~MovieSound() {
    CloseAudioQueue(queue_);
    swr_free(&swr_);
    av_frame_free(&frame_);
    avcodec_free_context(&dec_);
}

bool MovieSound::Open(AVFormatContext* fmt, int64_t start) {
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || !codec) return false;
    const AVCodecParameters* par = fmt->streams[index]->codecpar;
    if (!RateOk(par->sample_rate) || par->ch_layout.nb_channels <= 0 || par->ch_layout.nb_channels > kMaxChannels)
        return false;
    dec_ = avcodec_alloc_context3(codec);
    frame_ = av_frame_alloc();
    if (!dec_ || !frame_ || avcodec_parameters_to_context(dec_, par) < 0) return false;
    dec_->thread_count = 1;
    if (avcodec_open2(dec_, codec, nullptr) < 0) return false;
    queue_ = OpenAudioQueue(kMixRate, kMixChannels);
    if (!queue_) return false;  // no output: the movie plays silent
    PauseAudioQueue(queue_, true);
    fmt_ = fmt;
    start_ = start;
    index_ = index;
    return true;
}

void MovieSound::Run(bool run) { PauseAudioQueue(queue_, !run); }

size_t MovieSound::Queued() const { return QueuedAudioFrames(queue_); }
bool MovieSound::WantsMore() const { return queue_ && Queued() < kLead; }

void MovieSound::Packet(const AVPacket* packet) {
    if (!dec_ || !queue_) return;
    if (avcodec_send_packet(dec_, packet) < 0) return;  // a refused packet is dropped
    while (avcodec_receive_frame(dec_, frame_) == 0) {
        QueueFrame(frame_);
        av_frame_unref(frame_);
    }
}

// A resampler for the frame's format, rate and channels, made again when they change.
bool MovieSound::Resampler(const AVFrame* f) {
    const int channels = f->ch_layout.nb_channels;
    const uint64_t mask = f->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? f->ch_layout.u.mask : 0;
    if (swr_ && f->format == swr_format_ && f->sample_rate == swr_rate_ && channels == swr_channels_ && mask == swr_mask_)
        return true;
    swr_free(&swr_);
    if (channels <= 0 || channels > kMaxChannels || !RateOk(f->sample_rate)) return false;
    AVChannelLayout in{}, out{};
    if (mask) {
        av_channel_layout_from_mask(&in, mask);
    } else {
        av_channel_layout_default(&in, channels);
    }
    av_channel_layout_default(&out, kMixChannels);
    const int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_S16, kMixRate, &in,
                                      static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(swr_) < 0) {
        swr_free(&swr_);
        return false;
    }
    swr_format_ = f->format;
    swr_rate_ = f->sample_rate;
    swr_channels_ = channels;
    swr_mask_ = mask;
    return true;
}

void MovieSound::QueueFrame(AVFrame* f) {
    if (f->nb_samples <= 0 || f->nb_samples > kMaxFrameSamples || !Resampler(f)) return;
    if (!placed_) {
        // Silence until the sound's own start, so that it keeps time with the pictures.
        placed_ = true;
        const AVRational tb = fmt_->streams[index_]->time_base;
        int64_t t = 0;
        if (f->best_effort_timestamp != AV_NOPTS_VALUE && tb.num > 0 && tb.den > 0 &&
            !__builtin_sub_overflow(av_rescale_q(f->best_effort_timestamp, tb, AVRational{1, 10000000}), start_, &t)) {
            if (t > 0 && t < kMaxLeadingSilence) {
                pcm_.assign(size_t(t * kMixRate / 10000000) * kMixChannels, 0);
                QueueAudio(queue_, pcm_.data(), pcm_.size() / kMixChannels);
            }
        }
    }
    const int room = swr_get_out_samples(swr_, f->nb_samples);
    if (room <= 0) return;
    pcm_.resize(size_t(room) * kMixChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(pcm_.data());
    const int n = swr_convert(swr_, &out, room, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    if (n > 0 && Queued() < kMaxQueued) QueueAudio(queue_, pcm_.data(), size_t(n));
}
}  // namespace plat::detail
