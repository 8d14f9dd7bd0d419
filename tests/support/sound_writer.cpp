// Sound fixture writers: WAVE, ".snd" and voice archives.
#include "tests/support/sound_writer.h"

#include <cmath>
#include <cstring>

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "tests/support/fixture.h"

namespace support {
namespace {
void PutChunk(std::vector<uint8_t>& out, const std::string& id, const std::vector<uint8_t>& bytes,
              int64_t stated = -1) {
    out.insert(out.end(), id.begin(), id.begin() + 4);
    plat::Put32(out, static_cast<uint32_t>(stated >= 0 ? stated : int64_t(bytes.size())));
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (bytes.size() & 1) out.push_back(0);
}

std::vector<uint8_t> FormatRecord(const Wave& w, uint32_t size) {
    std::vector<uint8_t> f;
    uint16_t align = static_cast<uint16_t>(w.channels * w.bits / 8);
    plat::Put16(f, w.tag);
    plat::Put16(f, w.channels);
    plat::Put32(f, w.rate);
    plat::Put32(f, w.rate * align);
    plat::Put16(f, align);
    plat::Put16(f, w.bits);
    f.resize(size, 0);
    return f;
}
}  // namespace

Wave MakeWave16(uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples) {
    Wave w;
    w.rate = rate;
    w.channels = channels;
    w.data.resize(samples.size() * 2);
    std::memcpy(w.data.data(), samples.data(), w.data.size());
    return w;
}

Wave MakeWave8(uint32_t rate, uint16_t channels, const std::vector<uint8_t>& samples) {
    Wave w;
    w.rate = rate;
    w.channels = channels;
    w.bits = 8;
    w.data = samples;
    return w;
}

std::vector<uint8_t> WaveBytes(const Wave& w) {
    std::vector<uint8_t> body{'W', 'A', 'V', 'E'};
    for (const auto& c : w.before) PutChunk(body, c.first, c.second);
    PutChunk(body, "fmt ", FormatRecord(w, w.fmt_size));
    for (const auto& c : w.between) PutChunk(body, c.first, c.second);
    PutChunk(body, "data", w.data, w.data_size);
    for (const auto& c : w.after) PutChunk(body, c.first, c.second);
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    plat::Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool WriteWave(const std::string& path, const Wave& w) { return WriteBytes(path, WaveBytes(w)); }

std::vector<uint8_t> SndBytes(const Wave& w, uint8_t kind, int64_t stated_size) {
    std::vector<uint8_t> out{'S', 'N', kind};
    std::vector<uint8_t> f = FormatRecord(w, 18);
    out.insert(out.end(), f.begin(), f.end());
    plat::Put32(out, static_cast<uint32_t>(stated_size >= 0 ? stated_size : int64_t(w.data.size())));
    if (kind == 'D')
        LZ_Encode(w.data.data(), static_cast<uint32_t>(w.data.size()), out);
    else
        out.insert(out.end(), w.data.begin(), w.data.end());
    return out;
}

bool WriteSnd(const std::string& path, const Wave& w, uint8_t kind, int64_t stated_size) {
    return WriteBytes(path, SndBytes(w, kind, stated_size));
}

VoiceArchive MakeVoiceArchive(const std::vector<VoiceClip>& clips) {
    VoiceArchive a;
    for (const VoiceClip& c : clips) {
        size_t start = a.archive.size() / 1024;
        size_t units = (c.bytes.size() + 1023) / 1024;
        a.archive.insert(a.archive.end(), c.bytes.begin(), c.bytes.end());
        a.archive.resize((start + units) * 1024, 0xEE);  // filler the reader must not care about
        a.database += std::to_string(c.number) + " " + std::to_string(start) + " " + std::to_string(units) + "\n";
    }
    return a;
}

std::vector<int16_t> Sine(size_t count, double period, double amplitude) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * double(i) / period)));
    return s;
}
}  // namespace support
