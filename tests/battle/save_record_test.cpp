// Save records carrying the battle: the rig's story battle saved to a slot mid-battle, torn down
// and loaded back; every step of a load; the loads refused with nothing changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "battle/bsc_snap.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/ecnt_enemy.h"
#include "battle/list_pool.h"
#include "battle/tama_data.h"
#include "display/dd_display.h"
#include "platform/bytes.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "scenario/save_record.h"
#include "scenario/snr_mode.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_stream.h"
#include "shell/bar_link.h"
#include "shell/qsave.h"
#include "shell/sysdat.h"
#include "sprite/fnt_font.h"
#include "sprite/sp_draw.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"
#include "tests/support/save_writer.h"
#include "tests/support/snap_builder.h"
#include "tests/support/sound_writer.h"
#include "tests/support/story_battle.h"

namespace {

struct SaveRecordTest : ::testing::Test {
    std::unique_ptr<support::BattleRig> rig = std::make_unique<support::BattleRig>(support::StoryBattle());
    const std::vector<uint8_t> script_font = support::FntBytes(support::PatternFont(12, 12));

    void SetUp() override {
        ASSERT_TRUE(rig->ok());
        ASSERT_EQ(SND_Init(plat::MainWindow()), 1);
        for (const char* d : {"Wav", "Wav/Voice", "Music", "save"}) plat::CreateDirectory(d);
        const support::Wave w = support::MakeWave16(22050, 1, std::vector<int16_t>(22050, 500));
        for (const char* f : {"Wav/Voice/line.wav", "Wav/fx.wav", "Wav/menu01.wav", "Music/t1.wav"}) ASSERT_TRUE(support::WriteWave(f, w));
        for (int size : {10, 14, 12})
            ASSERT_TRUE(support::WriteBytes("Dat/spf" + std::to_string(size) + "x" + std::to_string(size) + ".fnt",
                                            support::FntBytes(support::PatternFont(uint16_t(size), uint16_t(size)))));
        SE_LoadAll();
        BGM_ParseTable("1 0 t1 One\n");
        SYSDAT_Default();
        SYS_DATA.battle_voice_off = SYS_DATA.music_title_off = 1;
        BAR_PartsInit(&QSAVE_DATA.mark);  // no bar: the mark has no object
        std::memset(SAVE_MEM, 0, sizeof SAVE_MEM);
    }
    void TearDown() override {
        Neutral();
        SND_UnloadAll();
        SND_Term();
        FNT_Reset();
        QSAVE_DATA = QSAVE_DATA_T{};
        BAR_DATA.replay_voice = -1;
        BAR_SetWasRead(0);
        rig.reset();
    }
    // The sound layer as a start leaves it: nothing playing, nothing suspended or muted, full levels.
    static void Neutral() {
        VOICE_Stop();
        BGM_Stop();
        BGM_Suspend(0);
        SE_SetMute(0);
        SE_StopFile(-1);
        for (int (*set)(int32_t) : {BGM_SetVolume, SE_SetVolume, SE_SetSysVolume, VOICE_SetVolume}) set(100);
    }
    void Frames(int n) {
        for (int f = 0; f < n; ++f) rig->Step();
    }
    static int Characters() {
        int n = 0;
        for (const LIST_NODE* c : CHR_TABLE) n += c != nullptr;
        return n;
    }
};

// The snapshot as it compares: the display objects' two saved bytes are set by the rebuilt stand
// animation, an enemy bank's handle is the sprite set this run gave it (used or not is what
// counts), and a free spawn entry keeps nothing but its free mark.
std::vector<uint8_t> Comparable(const uint8_t* snap) {
    BattleSnap s;
    SNAP_Unpack(s, snap);
    for (SnapChar& c : s.chr) c.saved_visible = c.saved_running = 0;
    for (int i = 0; i < ECNT_BANKS; ++i)
        if (int32_t(plat::Get32(s.ecnt + 4 * i)) >= 0) std::memset(s.ecnt + 4 * i, 0, 4);
    for (uint8_t* e = s.ecnt + ECNT_OFF_QUEUE; e < s.ecnt + ECNT_OFF_COUNT; e += ECNT_SPAWN_SIZE)
        if (int32_t(plat::Get32(e + 12)) < 0) std::memset(e, 0, 12), std::memset(e + 16, 0, 4);
    std::vector<uint8_t> out(SNAP_SIZE);
    SNAP_Pack(s, out.data());
    return out;
}

TEST_F(SaveRecordTest, TheStoryBattleSavedMidBattleIsLoadedIntoANewStartAndRunsOn) {
    Frames(600);  // four mechs, two of them spawned
    BAR_DATA.replay_voice = 77;
    ASSERT_EQ(SAVE_WriteSlot(3), SAVE_WRITE_DONE);
    const std::vector<uint8_t> file = support::ReadBytes("save/ov03.sav");
    ASSERT_EQ(file.size(), 9120u);
    EXPECT_EQ(std::tuple(plat::Get32(file.data()), plat::Get32(file.data() + 94)), std::tuple(1u, 77u));
    EXPECT_EQ(std::count(file.begin() + 104, file.begin() + 5376, 0), 5272);  // the adventure block
    const std::vector<uint8_t> saved = Comparable(file.data() + 5376);
    ASSERT_EQ(Characters(), 4);
    // Everything released as at the end of the program, then started again.
    support::EndBattle();
    SP_Init();
    ASSERT_EQ(BTL_Init(), 1);
    TAMA_Load();
    SNR_SetLoadSlot(3);
    SNR_SetState(7);
    SNR_Update();
    EXPECT_EQ(std::tuple(BAR_LINK.restart, BAR_LINK.load_slot, BAR_DATA.replay_voice), std::tuple(0, -1, 77));
    mBSC_SaveSnap();
    const std::vector<uint8_t> again = Comparable(BATTLE_SNAP_DATA);
    std::string differ;
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i] != saved[i]) differ += " " + std::to_string(i);
    EXPECT_EQ(differ, "") << "snapshot bytes that differ";
    // The battle runs on: the mechs move and fight.
    const int32_t x = CHR_TABLE[0]->x;
    int started = 0, moved = 0;
    BTL_SetState(BTL_STATE_FIGHT);  // the battle mode's to set: a snapshot holds no state
    for (int f = 0; f < 200; ++f) {
        rig->Step();
        moved |= CHR_TABLE[0] && CHR_TABLE[0]->x != x;
        for (const LIST_NODE* c : CHR_TABLE) started += c && c->team == 1 ? c->chr->waza_started : 0;
    }
    EXPECT_EQ(moved, 1);
    EXPECT_GT(started, 0);
}

TEST_F(SaveRecordTest, ALoadTakesEveryStepFromASlotFileOrAMemoryRecord) {
    support::SnapSpec spec;
    spec.camp.gauge_pool = 111;
    spec.chr[0] = {1, 500, 600, 2, 0, 0, 0, 0, -1, 2080, 0, 0, 0};
    ASSERT_TRUE(support::WriteBytes("save/ov03.sav", support::SaveRecord("c", "", support::SaveTime(2024, 1, 1), 1234, support::BuildSnap(spec))));
    BAR_DATA.replay_voice = 4321;
    CAMP_DATA.gauge_pool = 222;
    SAVE_MakeMemSave(1);  // the rig's two mechs
    ASSERT_EQ(DD_DISPLAY.full_screen, 0);
    const SysData neutral = SYS_DATA;
    const struct {
        const char* step;
        std::function<void()> arrange;
        std::function<int()> seen;
        int slot, memory;
    } rows[] = {
        {"the voice stops", [] { VOICE_PlayName("line"); }, VOICE_IsPlaying, 0, 0},
        {"the quick panel closes", [] { QSAVE_DATA.x = 616, BAR_DATA.navigation = 3; }, [] { return QSAVE_DATA.x * 10 + BAR_DATA.navigation; }, 6400, 6400},
        {"the replay voice id from the record", [] { BAR_DATA.replay_voice = 5; }, [] { return BAR_DATA.replay_voice; }, 1234, 4321},
        {"was-read 1", [] { BAR_SetWasRead(0); }, BAR_GetWasRead, 1, 1},
        {"the skip block cleared (slot files)", [] { QSAVE_DATA.skip_block = 1; }, [] { return QSAVE_DATA.skip_block; }, 0, 1},
        {"bgm_suspended", [] { SYS_DATA.bgm_suspended = 1, BGM_Play(1, 1); }, SND_StreamIsPlaying, 0, 0},
        {"se_muted", [] { SYS_DATA.se_muted = 1; }, [] { SE_PlayFile(2, "fx", 0); return int(SE_CHANNEL[2].in_use); }, 0, 0},
        {"vol_music", [] { SYS_DATA.vol_music = 40; }, SND_StreamGetVolume, 40, 40},
        {"vol_se", [] { SYS_DATA.vol_se = 60; }, [] { int32_t a = SE_PlayFile(1, "fx", 0); SND_GetVolume(SE_CHANNEL[1].buffer, &a); return a; },
         SND_LevelToVolume(60), SND_LevelToVolume(60)},
        {"vol_voice", [] { SYS_DATA.vol_voice = 0; }, [] { VOICE_PlayName("line"); return VOICE_IsPlaying(); }, 0, 0},
        {"vol_system", [] { SYS_DATA.vol_system = 0; }, [] { SE_PlaySys(46, 0); return SE_IsPlaying(46); }, 0, 0},
        {"font_family after FNT_Reset", [&] { FNT_LoadBytes(4, script_font.data(), script_font.size()), SYS_DATA.font_family = 1; },
         [] { return FNT_TABLE[4].loaded ? -1 : FNT_TABLE[1].height; }, 14, 14},
        {"window_mode from the display", [] { SYS_DATA.window_mode = 0; }, [] { return int(SYS_DATA.window_mode); }, 1, 1},
        {"the campaign block whole", [] { CAMP_DATA.gauge_pool = 9; }, [] { return int(CAMP_DATA.gauge_pool); }, 111, 222},
        {"the battle replaced", [] {}, Characters, 1, 2},
    };
    for (const auto& r : rows)
        for (const bool slot : {true, false}) {
            SYS_DATA = neutral;
            Neutral();
            r.arrange();
            ASSERT_EQ(slot ? SAVE_ReadSlot(3) : SAVE_RestoreMemSave(1), 1);
            EXPECT_EQ(r.seen(), slot ? r.slot : r.memory) << r.step << (slot ? ", slot file" : ", memory record");
        }
}

TEST_F(SaveRecordTest, ARefusedLoadChangesNothing) {
    Frames(300);
    ASSERT_EQ(SAVE_WriteSlot(3), SAVE_WRITE_DONE);
    std::vector<uint8_t> record = support::ReadBytes("save/ov03.sav");
    ASSERT_TRUE(support::WriteBytes("save/ov05.sav", {record.begin(), record.end() - 1}));
    record[0] = 0;  // the valid word 0, whatever follows
    ASSERT_TRUE(support::WriteBytes("save/ov06.sav", record));
    // What a load would change.
    VOICE_PlayName("line");
    FNT_LoadBytes(4, script_font.data(), script_font.size());
    BAR_DATA.replay_voice = 8;
    QSAVE_DATA.skip_block = 1;
    SYS_DATA.window_mode = 0;
    mBSC_SaveSnap();
    const std::vector<uint8_t> battle(BATTLE_SNAP_DATA, BATTLE_SNAP_DATA + SNAP_SIZE);
    const SysData settings = SYS_DATA;
    const struct {
        const char* why;
        std::function<int()> load;
    } rows[] = {
        {"no file", [] { return SAVE_ReadSlot(4); }},
        {"no such slot", [] { return SAVE_ReadSlot(108); }},
        {"a byte short", [] { return SAVE_ReadSlot(5); }},
        {"valid word 0", [] { return SAVE_ReadSlot(6); }},
        {"a memory record never built", [] { return SAVE_RestoreMemSave(1); }},
        {"no such memory record", [] { return SAVE_RestoreMemSave(2); }},
    };
    for (const auto& r : rows) {
        headless::ClearDebugOutput();
        EXPECT_EQ(r.load(), 0) << r.why;
        EXPECT_EQ(battle_test::DebugCount("nothing changes"), 1) << r.why;
        mBSC_SaveSnap();
        EXPECT_TRUE(std::equal(battle.begin(), battle.end(), BATTLE_SNAP_DATA)) << r.why;
        EXPECT_EQ(std::memcmp(&SYS_DATA, &settings, sizeof settings), 0) << r.why;
        EXPECT_EQ(std::tuple(VOICE_IsPlaying(), BAR_DATA.replay_voice, QSAVE_DATA.skip_block, BAR_GetWasRead(), int(FNT_TABLE[4].loaded)),
                  std::tuple(1, 8, 1, 0, 1))
            << r.why;
    }
}

}  // namespace
