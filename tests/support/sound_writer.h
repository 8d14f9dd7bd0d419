// Writers of sound fixtures: RIFF WAVE files (with extra chunks and odd sizes), ".snd" files raw
// or LZ-packed, and voice archives with their database lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct Wave {
    uint16_t tag = 1;  // 1 = PCM
    uint16_t channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint32_t fmt_size = 16;  // 18 or 40 add zero bytes after the 16 that count
    std::vector<uint8_t> data;
    // Chunks before "fmt ", between "fmt " and "data", and after "data" (id, bytes; odd sizes
    // get their pad byte).
    std::vector<std::pair<std::string, std::vector<uint8_t>>> before, between, after;
    int64_t data_size = -1;  // the size "data" states, when not the data's own
};

// A wave of 16-bit samples (interleaved when stereo), or of 8-bit unsigned bytes.
Wave MakeWave16(uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples);
Wave MakeWave8(uint32_t rate, uint16_t channels, const std::vector<uint8_t>& samples);
std::vector<uint8_t> WaveBytes(const Wave& w);
bool WriteWave(const std::string& path, const Wave& w);

// A ".snd" file: 'S', 'N', the kind byte ('D' packs the data as one LZ block), the 18-byte
// format of the wave, the stated size (the data's own unless given), then the data.
std::vector<uint8_t> SndBytes(const Wave& w, uint8_t kind, int64_t stated_size = -1);
bool WriteSnd(const std::string& path, const Wave& w, uint8_t kind, int64_t stated_size = -1);

// A voice archive: each clip starts on a 1,024-byte boundary; the database lines name each clip
// by its voice number with its start and length in 1,024-byte units.
struct VoiceClip {
    uint32_t number;
    std::vector<uint8_t> bytes;  // a whole WAVE file
};
struct VoiceArchive {
    std::vector<uint8_t> archive;
    std::string database;  // "number start length" lines
};
VoiceArchive MakeVoiceArchive(const std::vector<VoiceClip>& clips);

// count samples of a sine of the given period in samples and amplitude.
std::vector<int16_t> Sine(size_t count, double period, double amplitude);
}  // namespace support
