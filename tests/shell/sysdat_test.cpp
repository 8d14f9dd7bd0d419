// The settings block: layout, defaults, colour sets, the file's read and atomic write, read marks.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "display/dd_display.h"
#include "platform/headless/headless.h"
#include "services/fil_util.h"
#include "shell/sysdat.h"
#include "sprite/txt_print.h"
#include "services/sound/snd_game.h"
#include "shell/sys_bar.h"
#include "tests/shell/app_fixture.h"
#include "tests/shell/sysdat_expect.h"
#include "tests/support/sound_writer.h"
#include "tests/support/fixture.h"
#include "title/title.h"

namespace {

class SysDataTest : public ::testing::Test {
protected:
    support::TempDir dir;
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
        SYSDAT_Read();  // no file: clears what an earlier test remembered
        BAR_SetTextNo(-1);
        BAR_SetWasRead(0);
        TITLE_PlayKind = 0;
    }
    void TearDown() override { std::memset(&SYS_DATA, 0, sizeof SYS_DATA); }
    std::vector<uint8_t> Packed() {
        std::vector<uint8_t> b(SYSDAT_SIZE);
        SYSDAT_Pack(SYS_DATA, b.data());
        return b;
    }
    std::string FilePath() { return dir.File("save/sys.dat"); }
};

TEST_F(SysDataTest, DefaultKeysAndPadButtonsLeaveTheDirectionPadEntries) {
    std::memset(&SYS_DATA, 0x5A, sizeof SYS_DATA);
    SYSDAT_KeyDefault();
    const uint16_t keys[12] = {80, 79, 75, 71, 72, 73, 77, 81, 44, 45, 46, 76};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SYS_DATA.KEY_MAP[i], keys[i]) << i;
    for (int i = 12; i < 20; ++i) EXPECT_EQ(SYS_DATA.KEY_MAP[i], 0xFFFF) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[i], 0x5A5A) << i;
    const uint16_t pad[12] = {0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[8 + i], pad[i]) << i;
    EXPECT_EQ(SYS_DATA.numpad_dirs, 0x5A);
    EXPECT_EQ(SYS_DATA.reserved_1490[0], 0x5A);
}

// Each named field lands at its offset of the file, in little-endian order.
TEST_F(SysDataTest, EveryFieldPacksAtItsOffset) {
    struct Case {
        const char* name;
        int offset;
        std::vector<uint8_t> bytes;
        void (*set)();
    };
    const Case cases[] = {
        {"read_flags[1]", 4, {0x44, 0x33, 0x22, 0x11}, [] { SYS_DATA.read_flags[1] = 0x11223344; }},
        {"read_flags[245]", 980, {0x01, 0, 0, 0x80}, [] { SYS_DATA.read_flags[245] = 0x80000001; }},
        {"no_confirm[5]", 997, {7}, [] { SYS_DATA.no_confirm[5] = 7; }},
        {"bar_pin", 998, {1}, [] { SYS_DATA.bar_pin = 1; }},
        {"quick_pin", 1000, {3}, [] { SYS_DATA.quick_pin = 3; }},
        {"voice_unlock[8]", 1009, {9}, [] { SYS_DATA.voice_unlock[8] = 9; }},
        {"bonus_voice", 1011, {8}, [] { SYS_DATA.bonus_voice = 8; }},
        {"window_mode", 1012, {0x80}, [] { SYS_DATA.window_mode = 0x80; }},
        {"machine_class", 1015, {2}, [] { SYS_DATA.machine_class = 2; }},
        {"title_variant", 1020, {0x34, 0x12}, [] { SYS_DATA.title_variant = 0x1234; }},
        {"color_set[36][8]", 1354, {0xEE}, [] { SYS_DATA.color_set[36][8] = 0xEE; }},
        {"ctrl_assign[5]", 1360, {2}, [] { SYS_DATA.ctrl_assign[5] = 2; }},
        {"run_inactive", 1368, {1}, [] { SYS_DATA.run_inactive = 1; }},
        {"sound_inactive", 1369, {1}, [] { SYS_DATA.sound_inactive = 1; }},
        {"auto_wait", 1375, {99}, [] { SYS_DATA.auto_wait = 99; }},
        {"vol_system", 1386, {0xFF}, [] { SYS_DATA.vol_system = -1; }},
        {"voice_on[19]", 1408, {1}, [] { SYS_DATA.voice_on[19] = 1; }},
        {"KEY_MAP[0]", 1410, {0xCD, 0xAB}, [] { SYS_DATA.KEY_MAP[0] = 0xABCD; }},
        {"PAD_MAP[19]", 1488, {0x02, 0x01}, [] { SYS_DATA.PAD_MAP[19] = 0x0102; }},
        {"reserved_1490[1]", 1491, {0x77}, [] { SYS_DATA.reserved_1490[1] = 0x77; }},
        // The fields whose default is 0, which a file of defaults does not place.
        {"reserved_984[7]", 991, {5}, [] { SYS_DATA.reserved_984[7] = 5; }},
        {"auto_bar_pin", 999, {1}, [] { SYS_DATA.auto_bar_pin = 1; }},
        {"reserved_1010", 1010, {6}, [] { SYS_DATA.reserved_1010 = 6; }},
        {"bgm_suspended", 1016, {1}, [] { SYS_DATA.bgm_suspended = 1; }},
        {"se_muted", 1017, {1}, [] { SYS_DATA.se_muted = 1; }},
        {"reserved_1018[1]", 1019, {4}, [] { SYS_DATA.reserved_1018[1] = 4; }},
        {"mouse_type", 1361, {2}, [] { SYS_DATA.mouse_type = 2; }},
        {"log_size", 1362, {2}, [] { SYS_DATA.log_size = 2; }},
        {"reserved_1363", 1363, {3}, [] { SYS_DATA.reserved_1363 = 3; }},
        {"battle_voice_off", 1364, {1}, [] { SYS_DATA.battle_voice_off = 1; }},
        {"notice_off", 1366, {1}, [] { SYS_DATA.notice_off = 1; }},
        {"cg_instant", 1370, {1}, [] { SYS_DATA.cg_instant = 1; }},
        {"stand_instant", 1371, {1}, [] { SYS_DATA.stand_instant = 1; }},
        {"window_instant", 1372, {1}, [] { SYS_DATA.window_instant = 1; }},
        {"bar_instant", 1373, {1}, [] { SYS_DATA.bar_instant = 1; }},
        {"read_is_click", 1377, {1}, [] { SYS_DATA.read_is_click = 1; }},
        {"font_family", 1379, {2}, [] { SYS_DATA.font_family = 2; }},
        {"gradient_off", 1381, {1}, [] { SYS_DATA.gradient_off = 1; }},
        {"reserved_1382", 1382, {9}, [] { SYS_DATA.reserved_1382 = 9; }},
    };
    for (const Case& c : cases) {
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
        c.set();
        const std::vector<uint8_t> b = Packed();
        std::vector<uint8_t> want(SYSDAT_SIZE, 0);
        std::copy(c.bytes.begin(), c.bytes.end(), want.begin() + c.offset);
        EXPECT_EQ(b, want) << c.name;
        SysData back{};
        SYSDAT_Unpack(b.data(), &back);
        EXPECT_EQ(std::memcmp(&back, &SYS_DATA, sizeof back), 0) << c.name;
    }
}

TEST_F(SysDataTest, DefaultsSetTheConfigurationAndLeaveProgressAlone) {
    std::memset(&SYS_DATA, 0x5A, sizeof SYS_DATA);
    SYSDAT_Default();
    const SysData& d = SYS_DATA;
    const uint8_t zero6[6] = {};
    EXPECT_EQ(std::memcmp(d.no_confirm, zero6, 6), 0);
    EXPECT_EQ(d.window_mode, 0);
    EXPECT_EQ(d.difficulty, 1);
    EXPECT_EQ(d.text_speed, 2);
    EXPECT_EQ(d.machine_class, 2);
    EXPECT_EQ(d.title_variant, 0);
    const uint8_t assign[6] = {0, 2, 0, 0, 2, 2};
    EXPECT_EQ(std::memcmp(d.ctrl_assign, assign, 6), 0);
    EXPECT_EQ(d.help_on, 1);
    EXPECT_EQ(d.music_title_off, 1);
    EXPECT_EQ(d.skip_read_only, 1);
    EXPECT_EQ(d.auto_wait, 50);
    EXPECT_EQ(d.punct_option, 1);
    EXPECT_EQ(d.choice_stop_auto, 1);
    EXPECT_EQ(d.edge_off, 1);
    EXPECT_EQ(d.gradient_off, 0);
    EXPECT_EQ(d.vol_music, 100);
    EXPECT_EQ(d.vol_system, 100);
    EXPECT_EQ(d.duck_se, 1);
    for (int8_t v : d.voice_on) EXPECT_EQ(v, 1);
    EXPECT_EQ(d.numpad_dirs, 1);
    // Progress, pins, unlocks, the log size, sound_inactive, key maps and reserved bytes stay.
    EXPECT_EQ(d.read_flags[0], 0x5A5A5A5Au);
    EXPECT_EQ(d.bar_pin, 0x5A);
    EXPECT_EQ(d.quick_pin, 0x5A);
    EXPECT_EQ(d.voice_unlock[4], 0x5A);
    EXPECT_EQ(d.log_size, 0x5A);
    EXPECT_EQ(d.sound_inactive, 0x5A);
    EXPECT_EQ(d.KEY_MAP[3], 0x5A5A);
    EXPECT_EQ(d.reserved_984[0], 0x5A);
    EXPECT_EQ(d.reserved_1382, 0x5A);
}

TEST_F(SysDataTest, ColourSetsTakeTheirShadowFromTopAndWhite) {
    SYSDAT_Default();
    struct Case {
        int set;
        uint8_t want[9];
    };
    const Case cases[] = {
        {0, {128, 128, 128, 255, 255, 255, 95, 95, 32}},
        {3, {211, 8, 8, 255, 255, 255, 116, 65, 2}},
        {6, {255, 77, 255, 255, 255, 255, 127, 83, 63}},
        {10, {255, 255, 15, 255, 255, 255, 127, 127, 3}},
        {20, {161, 164, 99, 255, 255, 255, 104, 104, 24}},
        {36, {128, 128, 128, 255, 255, 255, 95, 95, 32}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::memcmp(SYS_DATA.color_set[c.set], c.want, 9), 0) << "set " << c.set;
    std::memset(SYS_DATA.color_set[5], 0, 9);
    SYSDAT_ColorDefault(5);
    EXPECT_EQ(SYS_DATA.color_set[5][0], 255);
    SYSDAT_ColorDefault(37);  // outside the table: nothing
    SYSDAT_ColorDefault(-1);
}

// All 37 sets against the table of top colours over a white bottom.
TEST_F(SysDataTest, EveryColourSetIsItsTopColourOverWhite) {
    std::memset(SYS_DATA.color_set, 0xA5, sizeof SYS_DATA.color_set);
    SYSDAT_Default();
    for (int set = 0; set < SYSDAT_COLOR_SETS; ++set)
        EXPECT_EQ(std::memcmp(SYS_DATA.color_set[set], sysdattest::ColourSet(set).data(), 9), 0) << "set " << set;
}

TEST_F(SysDataTest, ATenByteFileChangesOnlyTheFirstReadFlags) {
    SYSDAT_Default();
    std::vector<uint8_t> before = Packed();
    std::filesystem::create_directory(dir.File("save"));
    ASSERT_TRUE(support::WriteBytes(FilePath(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(SYSDAT_Read(), 0);
    std::vector<uint8_t> after = Packed();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(after[i], i + 1);
    EXPECT_TRUE(std::equal(after.begin() + 10, after.end(), before.begin() + 10));
}

TEST_F(SysDataTest, ALongerFileIsReadOnlyToTheBlocksEnd) {
    std::filesystem::create_directory(dir.File("SAVE"));  // any letter case
    std::vector<uint8_t> bytes(5000, 0x42);
    ASSERT_TRUE(support::WriteBytes(dir.File("SAVE/Sys.Dat"), bytes));
    SYSDAT_Read();
    EXPECT_EQ(Packed(), std::vector<uint8_t>(SYSDAT_SIZE, 0x42));
}

TEST_F(SysDataTest, AFreshStartWritesTheDefaultsIntoANewSaveDirectory) {
    SYSDAT_Read();  // nothing there
    SYSDAT_Default();
    SYSDAT_KeyDefault();
    ASSERT_EQ(SYSDAT_Write(), 1);
    const std::vector<uint8_t> file = support::ReadBytes(FilePath());
    ASSERT_EQ(file.size(), size_t(SYSDAT_SIZE));
    EXPECT_EQ(file, Packed());
    EXPECT_EQ(file[1013], 1);   // difficulty
    EXPECT_EQ(file[1410], 80);  // KEY_MAP[0]
    for (int i = 1450; i < 1466; ++i) EXPECT_EQ(file[i], 0) << "PAD_MAP 0..7 byte " << i;
    for (int off : {984, 991, 1010, 1018, 1019, 1363, 1382, 1490, 1491}) EXPECT_EQ(file[off], 0) << off;
    // Read back over a different block, it restores it whole.
    std::memset(&SYS_DATA, 0xEE, sizeof SYS_DATA);
    SYSDAT_Read();
    EXPECT_EQ(Packed(), file);
}

TEST_F(SysDataTest, AFileThatCouldNotBeReadIsNotOverwritten) {
    std::filesystem::create_directory(dir.File("save"));
    const std::vector<uint8_t> old(SYSDAT_SIZE, 0x31);
    ASSERT_TRUE(support::WriteBytes(FilePath(), old));
    headless::FailCall("OpenFile");
    SYSDAT_Read();
    SYSDAT_Default();
    EXPECT_EQ(SYSDAT_Write(), 0);
    EXPECT_EQ(support::ReadBytes(FilePath()), old);
    // A read that works again lifts the guard.
    SYSDAT_Read();
    SYS_DATA.difficulty = 2;
    EXPECT_EQ(SYSDAT_Write(), 1);
    EXPECT_EQ(support::ReadBytes(FilePath())[1013], 2);
}

// Whatever call fails, a lock too (a file system without locks), the debug output says so and no
// temporary file stays.
TEST_F(SysDataTest, AFailedWriteReportsZeroAndKeepsTheOldFile) {
    std::filesystem::create_directory(dir.File("save"));
    const std::vector<uint8_t> old(SYSDAT_SIZE, 0x31);
    ASSERT_TRUE(support::WriteBytes(FilePath(), old));
    for (const char* call : {"CreateFile", "LockTemp", "WriteFile", "FlushFile", "CloseFile"}) {
        headless::ClearDebugOutput();
        headless::FailCall(call);
        EXPECT_EQ(SYSDAT_Write(), 0) << call;
        EXPECT_EQ(support::ReadBytes(FilePath()), old) << call;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("save")), {}), 1) << call;
        bool said = false;
        for (const std::string& line : headless::DebugOutput()) said |= line.find("sys.dat: write error") != std::string::npos;
        EXPECT_TRUE(said) << call;
    }
}

// A writer killed at any moment leaves either the old file or the new one, whole.
TEST_F(SysDataTest, AWriteKilledAtAnyPointLeavesAWholeFile) {
    std::filesystem::create_directory(dir.File("save"));
    std::memset(&SYS_DATA, 0x01, sizeof SYS_DATA);
    ASSERT_EQ(SYSDAT_Write(), 1);
    std::mt19937 rng(7);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (uint8_t k = 2;; k = uint8_t(k % 250 + 2)) {
                std::memset(&SYS_DATA, k, sizeof SYS_DATA);
                SYSDAT_Write();
            }
        }
        usleep(200 + rng() % 3000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::vector<uint8_t> file = support::ReadBytes(FilePath());
        ASSERT_EQ(file.size(), size_t(SYSDAT_SIZE)) << "round " << round;
        EXPECT_EQ(std::count(file.begin(), file.end(), file[0]), SYSDAT_SIZE) << "round " << round;
    }
}

TEST_F(SysDataTest, BitOperationsStopAtTheLimit) {
    uint32_t* f = SYS_DATA.read_flags;
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, 7867, 1), 1);
    EXPECT_EQ(f[245], 0x08000000u);  // bit 27 of word 245
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, 7867, -1), 1);
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, 7867, 5), 1);  // any other op tests
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, 7868, 1), -1);
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, -1, 1), -1);
    EXPECT_EQ(SYSDAT_BitOp(f, SYSDAT_READ_FLAG_COUNT, 7867, 0), 1);
    EXPECT_EQ(f[245], 0u);
    EXPECT_EQ(SYSDAT_BitOp(f, 0, 33, 1), 1);  // no limit
    EXPECT_EQ(f[1], 2u);
    EXPECT_EQ(SYSDAT_BitOp(f, 0, 33, 2), 1);
}

TEST_F(SysDataTest, ReadMarksCountOnlyInStoryPlay) {
    BAR_SetTextNo(40);
    BAR_MarkRead();
    EXPECT_EQ(BAR_GetWasRead(), 0);
    EXPECT_EQ(BAR_GetTextNo(), -1);
    EXPECT_EQ(SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, 40, -1), 1);
    BAR_SetTextNo(40);  // the same text again
    BAR_MarkRead();
    EXPECT_EQ(BAR_GetWasRead(), 1);
    BAR_MarkRead();  // no current text: nothing
    EXPECT_EQ(BAR_GetWasRead(), 1);
    TITLE_PlayKind = 1;
    BAR_SetTextNo(41);
    BAR_MarkRead();
    EXPECT_EQ(SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, 41, -1), 0);
    EXPECT_EQ(BAR_GetTextNo(), 41);
    BAR_SetTextNo(9000);  // past the flags: refused, not read
    TITLE_PlayKind = 0;
    BAR_MarkRead();
    EXPECT_EQ(BAR_GetWasRead(), 0);
}

// With the game running: a new text number stops the voice and forgets the one to replay.
class TextNumberTest : public apptest::GameTest {};

TEST_F(TextNumberTest, ANewTextNumberStopsTheVoiceAndItsReplay) {
    std::filesystem::create_directories(dir.File("WAV/Voice"));
    ASSERT_TRUE(support::WriteWave(dir.File("WAV/Voice/line.wav"), support::MakeWave16(22050, 1, support::Sine(22050, 50, 8000))));
    Start();
    ASSERT_EQ(VOICE_PlayName("line"), 1);
    ASSERT_EQ(VOICE_IsPlaying(), 1);
    BAR_DATA.replay_voice = 1234;
    BAR_SetTextNo(12);
    EXPECT_EQ(BAR_GetTextNo(), 12);
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    EXPECT_EQ(BAR_DATA.replay_voice, -1);
}

TEST_F(SysDataTest, ReadTextCountsAsAClickOnlyWhenSwitchedOn) {
    struct Case {
        uint8_t read_is_click;
        int32_t kind;
        int text;
        int want;
    };
    SYSDAT_BitOp(SYS_DATA.read_flags, 0, 12, 1);
    const Case cases[] = {
        {0, 0, 12, 0}, {1, 1, -1, 1}, {1, 2, 13, 1}, {1, 0, -1, 0}, {1, 0, 12, 1}, {1, 0, 13, 0},
    };
    for (const Case& c : cases) {
        SYS_DATA.read_is_click = c.read_is_click;
        TITLE_PlayKind = c.kind;
        BAR_SetTextNo(c.text);
        EXPECT_EQ(BAR_IsReadText(), c.want) << int(c.read_is_click) << " " << c.kind << " " << c.text;
    }
}

TEST_F(SysDataTest, TextColoursFollowTheEdgeAndGradientSwitches) {
    support::HeadlessDisplay display{headless::Config{16, false}};  // 555
    ASSERT_TRUE(display.ok);
    SYSDAT_Default();
    struct Case {
        uint8_t gradient_off, edge_off;
        uint16_t top, bottom, shadow;
    };
    // Set 3: top (211, 8, 8), bottom white, shadow (116, 65, 2) in 555.
    const uint16_t top = uint16_t((211 >> 3) << 10 | (8 >> 3) << 5 | (8 >> 3));
    const uint16_t shadow = uint16_t((116 >> 3) << 10 | (65 >> 3) << 5 | (2 >> 3));
    const Case cases[] = {{0, 0, top, 0x7FFF, shadow}, {1, 1, top, top, 1}, {0, 1, top, 0x7FFF, 1}, {1, 0, top, top, shadow}};
    for (const Case& c : cases) {
        SYS_DATA.gradient_off = c.gradient_off;
        SYS_DATA.edge_off = c.edge_off;
        TXT_STATE.style = 0;
        SYSDAT_SetTextColor(3);
        EXPECT_EQ(TXT_STATE.top_color, c.top);
        EXPECT_EQ(TXT_STATE.bottom_color, c.bottom);
        EXPECT_EQ(TXT_STATE.shadow_color, c.shadow);  // 0 is stored as 1, the images' key
        EXPECT_EQ(TXT_STATE.style, 4);
    }
}

}  // namespace
