// Voices: numbered lines through the database and the archive with the speaker switches, battle
// barks with their cooldown and the shared generator, bonus lines, and the table files' lines.
#include <cstring>

#include "platform/files.h"
#include "platform/random.h"
#include "services/sound/voice_bark.h"
#include "services/sound/voice_db.h"
#include "shell/sysdat.h"
#include "tests/services/sound_fixture.h"

using soundtest::Ramp;

namespace {
constexpr uint32_t kRate = 44100;

std::vector<uint8_t> Clip(size_t frames, int step) {
    return support::WaveBytes(support::MakeWave16(kRate, 1, Ramp(frames, step)));
}

struct Voices : soundtest::SoundTest {
    support::VoiceArchive archive;
    void SetUp() override {
        SoundTest::SetUp();
        VOICE_SetVolume(100);
        std::memset(SYS_DATA.voice_on, 1, sizeof SYS_DATA.voice_on);
        SYS_DATA.battle_voice_off = 0;
        SYS_DATA.bonus_voice = 0;
        // Speakers 01, 99, 18, 03 and 15; the last clip is the archive's last.
        archive = support::MakeVoiceArchive({{1010001, Clip(3000, 3)},
                                             {1990002, Clip(500, 5)},
                                             {1180003, Clip(700, 7)},
                                             {1030004, Clip(700, 9)},
                                             {2150005, Clip(2500, 11)}});
        support::WriteBytes("Wav/ovwav.dat", archive.archive);
        VOICE_ParseDb(archive.database);
    }
};

std::vector<uint8_t> TempFile() { return support::ReadBytes("Wav/Voice/voice.wav"); }
}  // namespace

TEST_F(Voices, SpeakerSwitches) {
    struct Case {
        int32_t number;
        int switch_index;  // -1: the speaker has no switch
    } cases[] = {{1010001, 1}, {1990002, 15}, {1180003, 15}, {1030004, -1}, {2150005, 6},
                 {1060000, -1}, {1070000, -1}};
    for (const Case& c : cases) {
        VOICE_Stop();
        if (c.switch_index < 0) {
            EXPECT_EQ(VOICE_PlayId(c.number), 0) << c.number;  // even with every switch on
            EXPECT_EQ(VOICE_IsPlaying(), 0);
            continue;
        }
        EXPECT_EQ(VOICE_PlayId(c.number), 1) << c.number;
        EXPECT_EQ(VOICE_IsPlaying(), 1) << c.number;
        SYS_DATA.voice_on[c.switch_index] = 0;
        EXPECT_EQ(VOICE_PlayId(c.number), 1) << c.number;  // off: nothing new, the line goes on
        EXPECT_EQ(VOICE_IsPlaying(), 1) << c.number;
        VOICE_Stop();
        EXPECT_EQ(VOICE_PlayId(c.number), 1);
        EXPECT_EQ(VOICE_IsPlaying(), 0) << c.number;
        SYS_DATA.voice_on[c.switch_index] = 1;
    }
    const int8_t map[18] = {0, 1, 2, -1, 4, 5, -1, -1, 8, 9, 10, 11, 12, 13, 14, 6, 3, 7};
    EXPECT_EQ(std::memcmp(map, VOICE_SWITCH_MAP, 18), 0);
}

TEST_F(Voices, ClipsAreTakenWithTheirTailAndReplaceEachOther) {
    ASSERT_EQ(VOICE_PlayId(1010001), 1);
    std::vector<uint8_t> first = TempFile();
    ASSERT_EQ(first.size(), 6u * 1024 + 204800);  // the clip's units and 200 KB more
    // The count runs on over the clips behind it, then zeros past the archive's end.
    std::vector<uint8_t> want = archive.archive;
    want.resize(first.size(), 0);
    EXPECT_EQ(first, want);
    headless::ClearCapturedAudio();
    headless::AdvanceTime(10);
    std::vector<int16_t> out = Left();
    const std::vector<int16_t> r = Ramp(441, 3);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 441), r);
    // The archive's last clip reads past its end: zeros fill the full count.
    ASSERT_EQ(VOICE_PlayId(2150005), 1);
    std::vector<uint8_t> last = TempFile();
    const size_t start = archive.archive.size() - 5 * 1024;
    ASSERT_EQ(last.size(), 5u * 1024 + 204800);
    EXPECT_TRUE(std::equal(archive.archive.begin() + static_cast<std::ptrdiff_t>(start), archive.archive.end(),
                           last.begin()));
    EXPECT_TRUE(std::all_of(last.begin() + 5 * 1024, last.end(), [](uint8_t b) { return b == 0; }));
    // Voice level 0: the clip is still taken out, nothing plays, the result is 1. The file is no
    // player's: written without the disk flush, so a flush that would fail is never asked for.
    VOICE_SetVolume(0);
    headless::FailCall("FlushFile");
    EXPECT_EQ(VOICE_PlayId(1990002), 1);
    EXPECT_EQ(TempFile().size(), 2u * 1024 + 204800);
    EXPECT_FALSE(plat::WriteFileAtomic("kept.dat", "x", 1));  // the failure was still waiting
    EXPECT_EQ(VOICE_IsPlaying(), 0);
}

TEST_F(Voices, UnknownNumbersAndLostArchivesPlayNothing) {
    ASSERT_EQ(VOICE_PlayId(1010001), 1);
    for (int32_t n : {1010009, -1, -1010001}) {
        EXPECT_EQ(VOICE_PlayId(n), 0) << n;
        EXPECT_EQ(VOICE_IsPlaying(), 1) << n;  // the line already playing is left alone
    }
    // Without the archive, nothing plays, not even the file the previous line left.
    std::remove("Wav/ovwav.dat");
    VOICE_Stop();
    EXPECT_EQ(VOICE_PlayId(1990002), 0);
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    // Without a database every numbered line is unknown.
    VOICE_ParseDb("");
    support::WriteBytes("Wav/ovwav.dat", archive.archive);
    EXPECT_EQ(VOICE_PlayId(1010001), 0);
}

TEST(VoiceTables, MalformedLinesAreSkipped) {
    headless::Reset();
    VOICE_ParseDb("# number start length\n10001 0 3\n10002 3\n-4 0 1\n10003 5 0\n10004 x 1\n 10005\t9 70000\n"
                  "10006 4 2 \r\n");
    ASSERT_EQ(VOICE_DB.size(), 2u);
    EXPECT_EQ(VOICE_DB[1].number, 10006u);
    EXPECT_EQ(VOICE_DB[1].start, 4u);
    EXPECT_EQ(VOICE_DB[1].length, 2);
    EXPECT_EQ(headless::DebugOutput().size(), 2u * 5);  // one line and its line end per skip
    BGM_ParseTable("1 500 stem A title with  spaces \n18 0 x y\n2 0 sixteenchars1234 t\n3 zero s t\n4 0 s\n");
    EXPECT_STREQ(BGM_DATA[1].stem, "stem");
    EXPECT_STREQ(BGM_DATA[1].title, "A title with  spaces");
    EXPECT_EQ(BGM_DATA[1].loop_ms, 500u);
    EXPECT_STREQ(BGM_DATA[2].stem, "");
    EXPECT_STREQ(BGM_DATA[4].stem, "s");
    EXPECT_STREQ(BGM_DATA[4].title, "");
    std::string barks;
    for (int i = 0; i < 22; ++i) barks += "19 3 btl\\abc_1_" + std::to_string(i % 10) + "\n";
    barks += "28 3 btl\\x\n19 5 btl\\x\n20 2 btl\\fifteen_chars_\n20 2 btl\\ab_1_1 extra\n20 2 btl\\ab_1_2\n";
    VOICE_ParseBarks(barks);
    EXPECT_EQ(VOICE_BARK_TABLE[0][20].category, 3);
    EXPECT_STREQ(VOICE_BARK_TABLE[1][0].name, "btl\\ab_1_2");
    EXPECT_EQ(VOICE_BARK_TABLE[1][1].category, 0);
    VOICE_ParseBonus("1 abc\n2 abcd\n9 xyz\n3 qrs\n");
    EXPECT_STREQ(VOICE_BONUS_CODE[0], "abc");
    EXPECT_STREQ(VOICE_BONUS_CODE[1], "");
    EXPECT_STREQ(VOICE_BONUS_CODE[2], "qrs");
    VOICE_ParseBonus(std::string_view("1 \xf2\0\x10\n2 abc\n", 11));  // a NUL inside a field
    EXPECT_STREQ(VOICE_BONUS_CODE[0], "");
    EXPECT_STREQ(VOICE_BONUS_CODE[1], "abc");
}

TEST_F(Voices, BarksDrawFromTheSharedGeneratorWithACooldown) {
    // Row 0 (type 19): damage clips in records 0 and 1; row 2 (type 21) attack; row 8 attack.
    VOICE_ParseBarks("19 4 btl\\aa_1_1\n19 4 btl\\aa_1_2\n21 3 btl\\bb_2_1\n27 3 btl\\cc_2_1\n");
    plat::CreateDirectory("Wav/Voice/btl");
    for (const char* n : {"aa_1_1", "aa_1_2", "bb_2_1", "cc_2_1"})
        support::WriteWave(std::string("Wav/Voice/btl/") + n + ".wav", support::MakeWave16(kRate, 1, Ramp(100)));
    VOICE_BarkWait = 0;
    VOICE_BarkRowSwitch = 0;
    // The cooldown comes from the draw after the one that found the clip.
    plat::Srand(1234);
    int draws = 1;
    while (VOICE_BARK_TABLE[0][plat::Rand() % 21].category != 4) ++draws;
    const int32_t want_wait = plat::Rand() % 60 + 20;
    const int after = plat::Rand();
    plat::Srand(1234);
    VOICE_PlayBark(19, 3);
    EXPECT_EQ(VOICE_BarkWait, want_wait);
    EXPECT_GE(VOICE_BarkWait, 20);
    EXPECT_LE(VOICE_BarkWait, 79);
    EXPECT_EQ(plat::Rand(), after);
    EXPECT_EQ(VOICE_IsPlaying(), 1);
    // While it cools down only destruction barks play; destruction ignores it.
    VOICE_Stop();
    for (int event : {0, 2, 3}) VOICE_PlayBark(19, event);
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    VOICE_PlayBark(21, 1);  // no category-2 clip in row 2: 1,024 draws, cooldown kept
    EXPECT_EQ(VOICE_BarkWait, want_wait);
    VOICE_BarkWait = 0;
    // 1,024 draws and nothing: the generator moved on by exactly that many.
    plat::Srand(99);
    for (int i = 0; i < 1024; ++i) plat::Rand();
    const int expect_next = plat::Rand();
    plat::Srand(99);
    VOICE_PlayBark(19, 0);
    EXPECT_EQ(plat::Rand(), expect_next);
    EXPECT_EQ(VOICE_BarkWait, 0);
    // Type 21 takes row 8 only while the switch is 1; type 27 never plays its own row.
    VOICE_PlayBark(21, 2);
    EXPECT_EQ(VOICE_IsPlaying(), 1);
    VOICE_Stop();
    VOICE_BarkWait = 0;
    VOICE_PlayBark(27, 2);
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    VOICE_BarkRowSwitch = 1;
    headless::ClearDebugOutput();
    VOICE_PlayBark(21, 2);
    EXPECT_EQ(VOICE_IsPlaying(), 1);
    VOICE_BarkRowSwitch = 2;
    VOICE_Stop();
    // Battle voices off silences every event; types outside 19..26 and unknown events do nothing.
    SYS_DATA.battle_voice_off = 1;
    VOICE_BarkWait = 0;
    VOICE_PlayBark(19, 1);
    SYS_DATA.battle_voice_off = 0;
    for (int type : {18, 27, 28, 31}) VOICE_PlayBark(type, 3);
    VOICE_PlayBark(19, 4);
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    EXPECT_EQ(VOICE_BarkWait, 0);
}

TEST_F(Voices, BonusLinesOfTheChosenCharacter) {
    VOICE_ParseBonus("1 aaa\n2 bbb\n3 ccc\n");
    support::WriteWave("Wav/Voice/omkccc07.wav", support::MakeWave16(kRate, 1, Ramp(100)));
    VOICE_PlayBonus(7);  // character 0: none
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    SYS_DATA.bonus_voice = 3;
    VOICE_PlayBonus(7);
    EXPECT_EQ(VOICE_IsPlaying(), 1);
    VOICE_Stop();
    for (int8_t c : {int8_t(4), int8_t(9), int8_t(-1)}) {
        SYS_DATA.bonus_voice = c;  // no code, or a damaged byte
        VOICE_PlayBonus(7);
        EXPECT_EQ(VOICE_IsPlaying(), 0);
    }
}
