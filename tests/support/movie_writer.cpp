// Movies written and decoded by the ffmpeg command-line tool.
#include "tests/support/movie_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/fixture.h"

namespace support {
bool WriteMovie(const std::string& path, const MovieSpec& s) {
    const double seconds = double(s.frames) / s.fps;
    std::string cmd = "ffmpeg -nostdin -v error -y", out;
    if (!s.video.empty()) {
        cmd += " -f lavfi -i " + s.pattern + "=s=" + std::to_string(s.width) + "x" + std::to_string(s.height) +
               ":r=" + std::to_string(s.fps);
        out += " -frames:v " + std::to_string(s.frames) + " -c:v " + s.video + " -q:v " + std::to_string(s.quality);
    }
    if (!s.audio.empty()) {
        cmd += " -f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(s.sample_rate) +
               ":duration=" + std::to_string(seconds);
        out += " -c:a " + s.audio;
    }
    cmd += out + " -fflags +bitexact -flags +bitexact -f " + s.format + " '" + path + "' 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

bool BlankAviPictures(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    const auto at = [&](size_t i, const char* tag) { return i + 4 <= bytes.size() && std::memcmp(&bytes[i], tag, 4) == 0; };
    size_t i = 12;  // past "RIFF", its size and "AVI "
    int blanked = 0;
    // The chunks in order; a list's own chunks follow its type.
    while (i + 8 <= bytes.size()) {
        const size_t size = bytes[i + 4] | bytes[i + 5] << 8 | bytes[i + 6] << 16 | size_t(bytes[i + 7]) << 24;
        if (at(i, "LIST")) {
            i += 12;
            continue;
        }
        if (i + 8 + size > bytes.size()) break;
        if (at(i, "00dc")) {
            std::memset(&bytes[i + 8], 0, size);
            ++blanked;
        }
        i += 8 + size + (size & 1);
    }
    return blanked > 0 && WriteBytes(path, bytes);
}

std::vector<std::vector<uint8_t>> DecodeMovieRgb24(const std::string& path, int width, int height) {
    std::vector<std::vector<uint8_t>> frames;
    const std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -f rawvideo -pix_fmt rgb24 - 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return frames;
    const size_t size = size_t(width) * height * 3;
    std::vector<uint8_t> frame(size);
    while (std::fread(frame.data(), 1, size, pipe) == size) frames.push_back(frame);
    pclose(pipe);
    return frames;
}
std::vector<int16_t> DecodeMovieSound(const std::string& path) {
    std::vector<int16_t> samples;
    const std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -f s16le -ac 2 -ar 44100 - 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return samples;
    int16_t block[4096];
    size_t n;
    while ((n = std::fread(block, 2, 4096, pipe)) > 0) samples.insert(samples.end(), block, block + n);
    pclose(pipe);
    return samples;
}
}  // namespace support
