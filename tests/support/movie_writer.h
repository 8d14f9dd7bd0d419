// Small movies written by the ffmpeg command-line tool (bit-exact output), and that tool's own
// decode of them to 24-bit pixels as the reference for ours.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace support {
struct MovieSpec {
    std::string format = "mpeg";         // container: "mpeg" (MPEG-1 system stream) or "avi"
    std::string video = "mpeg1video";    // video codec; empty for none
    std::string audio = "mp2";           // audio codec; empty for none
    int width = 160, height = 120;
    int fps = 25;
    int frames = 25;
    int sample_rate = 44100;
    int quality = 4;                     // the video codec's fixed quantiser (higher: smaller frames)
    std::string pattern = "testsrc2";    // the frames' source: "testsrc2" rounds odd sides down, "testsrc" keeps them
};

// Writes the movie: moving test-card frames and a 440 Hz tone. False when ffmpeg fails.
bool WriteMovie(const std::string& path, const MovieSpec& spec);

// Zeroes the data of every video chunk ("00dc") of an AVI file the writer made: a file that still
// demuxes, sound and all, but none of whose pictures decode. False when it has no such chunk.
bool BlankAviPictures(const std::string& path);

// Every frame as the ffmpeg tool decodes it: width x height x 3 bytes (R, G, B) per frame.
std::vector<std::vector<uint8_t>> DecodeMovieRgb24(const std::string& path, int width, int height);
// Its sound as the ffmpeg tool decodes it: 44.1 kHz interleaved stereo 16-bit samples.
std::vector<int16_t> DecodeMovieSound(const std::string& path);
}  // namespace support
