// The program on the real SDL backend plays a fixture effect through SDL's disk audio driver:
// the written stream holds the effect at the start-up effect level (50: -1000, amplitude 0.3162).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/fixture.h"
#include "tests/support/sound_writer.h"

TEST(SoundOutput, TheProgramPlaysAnEffectAtItsLevel) {
    support::TempDir dir;
    support::ConfigHome home;  // the program's lock and registry stay out of the player's
    std::system("mkdir -p Wav");
    // A square wave of 0.25 s at the device rate: no resampling stands between file and output.
    std::vector<int16_t> square(11025);
    for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 50) % 2 ? -20000 : 20000;
    ASSERT_TRUE(support::WriteWave("Wav/beep.wav", support::MakeWave16(44100, 1, square)));
    const std::string cmd = "ORV_PLATFORM=sdl ORV_WINDOWED=1 ORV_FRAMES=45 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" +
                            dir.path() + "/out.raw '" ORV_PROGRAM "' > log.txt 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    std::vector<uint8_t> raw = support::ReadBytes("out.raw");
    ASSERT_GT(raw.size(), 44100u * 4 / 2) << "less than half a second of sound was written";
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    size_t first = 0;
    while (first < s.size() && s[first] == 0) ++first;
    ASSERT_LT(first, s.size()) << "the stream is silent";
    // 20000 x 10^(-1000/2000), floored per sample as the mixer's fixed point does.
    for (size_t i = 0; i < square.size(); ++i) {
        const int want = square[i] > 0 ? 6324 : -6325;
        ASSERT_EQ(s[first + 2 * i], want) << i;
        ASSERT_EQ(s[first + 2 * i + 1], want) << i;
    }
    for (size_t i = first + 2 * square.size(); i < s.size(); ++i) ASSERT_EQ(s[i], 0) << i;
}
