// Save records carrying the battle: the rig's story battle saved to a slot mid-battle, torn down
// and loaded back; a load over an ended battle or one in mid-fight against the same load in a
// process that never ran a battle and made the same calls first; every step of a load, with what
// its caller set kept; the loads refused with nothing changed; the chapter name and caption cut to
// their fields; the memory records that can be built.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "battle/bsc_command.h"
#include "battle/bsc_snap.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/chr_update.h"
#include "battle/cpu_think.h"
#include "battle/ecnt_enemy.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/svv_flow.h"
#include "battle/tama_data.h"
#include "battle/wpn_fire.h"
#include "display/dd_display.h"
#include "platform/bytes.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "platform/window.h"
#include "scenario/save_record.h"
#include "scenario/snr_mode.h"
#include "services/key_button.h"
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
        Prepare();
    }
    // The files and settings of a test around the rig's battle, in the rig's directory.
    void Prepare() {
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

// What the load's caller set, which a load keeps: the battle state (now, before and at the start of
// the frame), the kind, the CPU and debug switches and the survival test condition.
std::string CallerValues() {
    char b[256];
    std::snprintf(b, sizeof b, "battle state %d %d %d, kind %d, CPU on %d, invincible %d, weapon level %d, survival test %d", BTL_GetState(0),
                  BTL_GetState(1), BTL_GetState(2), BTL_KIND, BTL_CpuOn, BTL_DebugInvincible, BTL_DebugWeaponLevel, SVV_TestCond);
    return b;
}

// What a load left, line by line: the snapshot as it compares, then everything a battle keeps
// outside it (what BTL_ResetLeftovers puts back, the pool's counts and what the load itself sets),
// and whether the caller's values are those it had before the load (`caller`).
std::vector<std::string> LoadedState(const std::string& caller) {
    std::vector<std::string> out;
    char b[512];
    mBSC_SaveSnap();
    const std::vector<uint8_t> snap = Comparable(BATTLE_SNAP_DATA);
    for (size_t at = 0; at < snap.size(); at += 208) {  // 18 lines
        std::string line = "snapshot " + std::to_string(at) + ":";
        for (size_t i = at; i < std::min(snap.size(), at + 208); ++i) std::snprintf(b, sizeof b, "%02x", snap[i]), line += b;
        out.push_back(line);
    }
    out.push_back(CallerValues() == caller ? "the caller's values kept" : "the caller's values " + caller + " became " + CallerValues());
    std::snprintf(b, sizeof b, "end %d, hit mask %u", BTL_EndCount, HIT_GetMask());
    out.push_back(b);
    const ScrQuake& q = SCR_QUAKE;
    std::snprintf(b, sizeof b, "quake %d %d %d %d %d, scroll rect %d %d %d %d", q.slow, q.hold, q.level, q.offset, q.counter,
                  SCR_SCROLL_RECT.left, SCR_SCROLL_RECT.top, SCR_SCROLL_RECT.right, SCR_SCROLL_RECT.bottom);
    out.push_back(b);
    const CameraData& c = CAMERA_DATA;
    auto slot = [](const LIST_NODE* n) { return n ? int(n->slot) : -1; };
    std::snprintf(b, sizeof b, "camera %d %d %d %d %d %d %d %d %d %d %d %d, follows %d %d %d", c.mode, c.scroll_x, c.scroll_y, c.fixed_x,
                  c.fixed_y, c.scroll_x16, c.scroll_y16, c.range_x, c.range_y, c.ramp, c.ramp_step, c.speed, slot(c.followed),
                  slot(c.second), slot(c.queued));
    out.push_back(b);
    std::string slots = "destroyed, preview request:";
    for (int i = 0; i < CHR_SLOTS; ++i) slots += " " + std::to_string(CHR_DESTROYED[i]) + "," + std::to_string(CHR_PREVIEW_REQUEST[i]);
    out.push_back(slots);
    for (int i = 0; i < CHR_SLOTS; ++i) {
        const CPU_WORK& w = CPU_WORK_TABLE[i];
        std::snprintf(b, sizeof b, "CPU work %d: %d %d %d %d %d %d %d %d %d %d %d %d %d, %d %d %d %d %d", i, w.data, w.mode, w.phase,
                      w.level, w.frames, w.left, w.step_wait, w.priority, w.action, w.pattern, w.reaction, w.next_step,
                      w.step != nullptr, w.work[0], w.work[1], w.work[2], w.work[3], w.work[4]);
        out.push_back(b);
    }
    std::string queues = "script queues (current, saved, entries):";
    for (const MBSC_MOVE_QUEUE& q : MBSC_QUEUE)
        queues += " " + std::to_string(q.current) + "," + std::to_string(q.saved) + "," +
                  std::to_string(std::count_if(std::begin(q.entry), std::end(q.entry), [](const MBSC_MOVE_ENTRY& e) { return e.used != 0; }));
    out.push_back(queues);
    int32_t ambient = 0;
    EFT_GetAmbientCount(&ambient);
    std::snprintf(b, sizeof b, "last destroyed %d, fire orders %d, pad %d %d %d, script %d %d %d %d %d, ambient %d, pool %d %d %d %d",
                  HIT_LastDestroyed, wp2Cnt, CHR_PadDir, CHR_ComboContinue, CHR_MoveSubStep, bscMovRun, bscMovCnt, bscEnmGuard,
                  bscChrCollide, bscBarkChr, ambient, LIST_STATE_DATA.listCnt, LIST_STATE_DATA.wpnCnt, LIST_STATE_DATA.eftCnt,
                  LIST_STATE_DATA.bgObjCnt);
    out.push_back(b);
    std::snprintf(b, sizeof b, "load: restart %d, slot %d, replay voice %d", BAR_LINK.restart, BAR_LINK.load_slot, BAR_DATA.replay_voice);
    out.push_back(b);
    return out;
}

// Everything a battle leaves behind outside its snapshot, set away from its start, so that a load
// that misses any of it differs from the fresh process whatever this battle or an earlier test
// left. A record with a map sets the scroll rectangle again, and every record the events, the
// ambient count and the two switches; the clean-up drops the explosion check.
void LeaveBehind() {
    BTL_EndCount = 2;
    SCR_QUAKE = ScrQuake{6, 5, 12, 3, 9};
    for (int s = 0; s < CHR_SLOTS; ++s) CHR_DESTROYED[s] = 1, CHR_PREVIEW_REQUEST[s] = int16_t(s);
    for (CPU_WORK& w : CPU_WORK_TABLE) w.frames = 40, w.work[CPU_POINT_X] = 700;
    HIT_LastDestroyed = 3;
    wp2Cnt += 4;  // past the fire orders the clean-up takes away
    CHR_PadDir = 6, CHR_ComboContinue = 1, CHR_MoveSubStep = 2;
    SCR_SCROLL_RECT = RECT{64, 64, 800, 600};
    BTL_SkipNextDraw();
    BTL_NoteExplosion(2);
    MBSC_QUEUE[3].current = 1, MBSC_QUEUE[3].saved = 0;
    MBSC_QUEUE[3].entry[0] = MBSC_MOVE_ENTRY{1, 0, 700, 600, 1, 0, 4};
    bscMovRun = 1, bscMovCnt = 2, bscBarkChr = 21, bscEnmGuard = 1, bscChrCollide = 0;
    mBSC_Event_Set(6, 1, 1);
    EFT_SetAmbientCount(9);
}

// "" when the lines are the same, else the first that differs.
std::string FirstDifference(const std::vector<std::string>& here, const std::vector<std::string>& fresh) {
    for (size_t i = 0; i < std::max(here.size(), fresh.size()); ++i) {
        const std::string a = i < here.size() ? here[i] : "(none)", b = i < fresh.size() ? fresh[i] : "(none)";
        if (a != b) return "line " + std::to_string(i + 1) + "\n  this process: " + a + "\n  fresh process: " + b;
    }
    return "";
}

// A process that never ran the test's battle: forked before its first frame, it waits until the
// parent has written the slot (Start), then runs `run` and hands back its lines through a file in
// the test's directory. A parent that never starts it ends it.
class FreshProcess {
public:
    explicit FreshProcess(const std::function<std::vector<std::string>()>& run) {
        int go[2];
        if (pipe(go) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(go[1]);
            char c = 0;
            if (read(go[0], &c, 1) != 1) _exit(3);
            const std::vector<std::string> lines = run();
            std::ofstream out("fresh.txt", std::ios::binary);
            for (const std::string& l : lines) out << l << '\n';
            out.close();
            _exit(out ? 0 : 4);
        }
        close(go[0]);
        go_ = pid_ > 0 ? go[1] : (close(go[1]), -1);
    }
    ~FreshProcess() {
        if (go_ >= 0) close(go_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    FreshProcess(const FreshProcess&) = delete;
    FreshProcess& operator=(const FreshProcess&) = delete;

    bool started() const { return pid_ > 0; }
    void Start() {
        if (go_ >= 0 && write(go_, "g", 1) == 1) close(go_), go_ = -1;
    }
    // Its lines once it has ended; a first line that says why when it ended otherwise.
    std::vector<std::string> Lines() {
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return {"(the fresh process could not be waited for)"};
        pid_ = -1;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {"(the fresh process ended with status " + std::to_string(status) + ")"};
        std::ifstream in("fresh.txt", std::ios::binary);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }

private:
    pid_t pid_ = -1;
    int go_ = -1;
};

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

// A load replaces the whole battle: over a battle that ended (the player destroyed, the end counter
// set, the finish's quake running) or one in mid-fight, the state it leaves and the next 300 frames
// are those of the same slot loaded by a process that never ran a battle, with the same input and
// seed and the same calls of the load's caller first (none, or the scenario's start with the debug
// keys' switches and a survival condition), which the load keeps.
TEST_F(SaveRecordTest, ALoadOverAnyBattleLeavesWhatTheSameLoadLeavesInAFreshProcess) {
    // Row by row: the situation loaded over, when it is reached, what makes it that one, the
    // caller's calls before the load on both sides, and which mechs move after it. In mid-fight
    // the load comes from frame 700 on, once a blow has landed, so that its hit mask is set.
    const auto mid_fight = [this] { return rig->frame() >= 700 && HIT_GetMask() != 0; };
    const auto mid_fight_seen = [] {
        int bullets = 0;
        for (const LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head); n; n = LIST_Node(n->next)) bullets += n->kind == LIST_KIND_TAMA;
        return "end " + std::to_string(BTL_EndCount) + ", characters " + std::to_string(Characters()) + ", bullets " +
               std::string(bullets > 0 ? ">0" : "0") + ", hit mask " + std::string(HIT_GetMask() ? ">0" : "0");
    };
    const struct {
        const char* over;
        std::function<bool()> reached;
        std::function<std::string()> seen;
        std::string expected;
        std::function<void()> caller;
        std::string moved;
    } rows[] = {
        {"an ended battle", [] { return BTL_EndCount != 0; },
         [] {
             return "end " + std::to_string(BTL_EndCount) + ", player destroyed " + std::to_string(CHR_DESTROYED[0]) +
                    ", quake level " + std::string(SCR_QUAKE.level > 0 ? ">0" : "0") + ", hit mask " + std::string(HIT_GetMask() ? ">0" : "0");
         },
         "end 1, player destroyed 1, quake level >0, hit mask 0", [] {}, "moved: 0 1 2 3"},
        {"a battle in mid-fight", mid_fight, mid_fight_seen, "end 0, characters 4, bullets >0, hit mask >0", [] {}, "moved: 0 1 2 3"},
        // The enemies think no more (the CPU is off): only the one the player's attacks reach moves.
        {"a battle in mid-fight, after mBSC_Start, the debug keys' switches and a survival condition", mid_fight, mid_fight_seen,
         "end 0, characters 4, bullets >0, hit mask >0",
         [] {
             mBSC_Start();
             BTL_CpuOn = 0, BTL_DebugInvincible = 1, BTL_DebugWeaponLevel = 2, SVV_TestCond = 2;
         },
         "moved: 0 2"},
    };
    // The caller's calls, then (on this side only) what the old battle leaves behind set away from
    // its start, then the slot loaded through the scenario's restart with the input and the
    // generator as a new start has them; then what the load left, the trace of the next 300 frames
    // (counted on from the frame of the save) and which mechs moved.
    const auto load_and_run = [this](const std::function<void()>& caller, bool leave_behind) {
        caller();
        if (leave_behind) LeaveBehind();
        KEY_InitDefault();
        KEY_DATA.source = KEY_SOURCE_NONE;
        plat::Srand(support::StoryBattle().seed);
        BTL_Recorded().clear();
        const std::string before = CallerValues();
        SNR_SetLoadSlot(3);
        SNR_SetState(7);
        SNR_Update();
        std::vector<std::string> lines = LoadedState(before);
        int32_t start[CHR_SLOTS][2] = {};
        for (int s = 0; s < CHR_SLOTS; ++s)
            if (CHR_TABLE[s]) start[s][0] = CHR_TABLE[s]->x, start[s][1] = CHR_TABLE[s]->y;
        bool moved[CHR_SLOTS] = {};
        // The battle mode's to set: a snapshot holds neither kind nor state.
        BTL_SetKind(0);
        BTL_SetState(BTL_STATE_FIGHT);
        rig->SetFrame(600);
        lines.push_back(support::BattleRig::TraceHeader());
        for (int f = 0; f < 300; ++f) {
            rig->Step();
            lines.push_back(rig->TraceLine());
            for (int s = 0; s < CHR_SLOTS; ++s)
                moved[s] |= CHR_TABLE[s] && (CHR_TABLE[s]->x != start[s][0] || CHR_TABLE[s]->y != start[s][1]);
        }
        std::string who = "moved:";
        for (int s = 0; s < CHR_SLOTS; ++s)
            if (moved[s]) who += " " + std::to_string(s);
        lines.push_back(who);
        return lines;
    };
    bool first = true;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.over);
        if (!std::exchange(first, false)) {  // every row its own battle from the start
            rig.reset();
            rig = std::make_unique<support::BattleRig>(support::StoryBattle());
            ASSERT_TRUE(rig->ok());
            ASSERT_NO_FATAL_FAILURE(Prepare());
        }
        // Forked before the battle's first frame; once the slot is written it ends the rig's battle,
        // starts again as the program does and loads.
        FreshProcess fresh([&] {
            support::EndBattle();
            SP_Init();
            BTL_Init();
            TAMA_Load();
            return load_and_run(r.caller, false);
        });
        ASSERT_TRUE(fresh.started());
        Frames(600);
        ASSERT_EQ(SAVE_WriteSlot(3), SAVE_WRITE_DONE);
        fresh.Start();
        while (!r.reached() && rig->frame() < 1500) rig->Step();
        ASSERT_EQ(r.seen(), r.expected) << "at frame " << rig->frame();
        const std::vector<std::string> here = load_and_run(r.caller, true);
        const std::vector<std::string> there = fresh.Lines();
        EXPECT_EQ(FirstDifference(here, there), "");
        // The player moves on its pad input, the enemies as their CPU thinks.
        EXPECT_EQ(here.back(), r.moved);
    }
}

TEST_F(SaveRecordTest, ALoadTakesEveryStepFromASlotFileOrAMemoryRecord) {
    support::SnapSpec spec;
    spec.camp.gauge_pool = 111;
    spec.chr[0] = {1, 500, 600, 2, 0, 0, 0, 0, -1, 2080, 0, 0, 0};
    spec.collide = 0;  // both records hold the no-collision switch (command 7 at 0)
    ASSERT_TRUE(support::WriteBytes("save/ov03.sav", support::SaveRecord("c", "", support::SaveTime(2024, 1, 1), 1234, support::BuildSnap(spec))));
    BAR_DATA.replay_voice = 4321;
    CAMP_DATA.gauge_pool = 222;
    bscChrCollide = 0;
    SAVE_MakeMemSave(1);  // the rig's two mechs, its map and its camera
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
        // Loaded in the slow-motion state with a tick of it counted: when a hit starts another, its
        // first full frame is its 4th tick, as in a battle never slowed before.
        {"the slow-motion finish's count back to its start", [] { BTL_SetState(BTL_STATE_SLOW), SCR_QUAKE.slow = 8, BTL_FrameUpdate(); },
         [] {
             SCR_QUAKE.slow = 8;
             const SP_ANIM* a = SP_Anim(CHR_TABLE[0]->sprite);
             for (int tick = 1; tick <= 4; ++tick) {
                 const int before = a->wait * 100 + a->step;
                 BTL_FrameUpdate();
                 if (a->wait * 100 + a->step != before) return tick;
             }
             return 0;
         },
         4, 4},
        // What the caller set stays (the slot file's record holds no map, the memory record the rig's).
        {"after mBSC_Start in the menu state: kind 9, the HUD off, battle state 14 after 2",
         [] { mBSC_Start(), BTL_SetState(BTL_STATE_PRE), BTL_SetState(BTL_STATE_MENU); },
         [] { return BTL_KIND * 100000 + BTL_IsHudOff() * 10000 + BTL_GetState(0) * 100 + BTL_GetState(1); }, 9'1'14'02, 9'1'14'02},
        {"the survival test condition, the CPU switch, invincibility and the weapon level",
         [] { SVV_TestCond = 2, BTL_CpuOn = 0, BTL_DebugInvincible = 1, BTL_DebugWeaponLevel = 3; },
         [] { return SVV_TestCond * 1000 + BTL_CpuOn * 100 + BTL_DebugInvincible * 10 + BTL_DebugWeaponLevel; }, 2'0'1'3, 2'0'1'3},
        {"the script-mode flag: the script's update runs every object", [] { mBSC_Start(), BTL_SetScriptMode(1); },
         [] {
             const SP_ANIM* a = SP_Anim(CHR_TABLE[0]->sprite);
             const int before = a->wait * 100 + a->step;
             BTL_ScriptModeUpdate();
             return int(a->wait * 100 + a->step != before);
         },
         1, 1},
        {"after mBSC_Start, the camera's speed and range changed: kept without a map, the record's with one",
         [] { mBSC_Start(), mBSC_Cam_Spd_Set(5, 24), mBSC_Cam_Rng_Set(100, 50); },
         [] { return CAMERA_DATA.speed * 10000000 + CAMERA_DATA.mode * 1000000 + CAMERA_DATA.range_x * 1000 + CAMERA_DATA.range_y; },
         24'2'100'050, 16'2'120'080},
        // The old battle's camera follows its two mechs; the slot file's record creates another.
        {"the camera's links to the old battle's mechs go", [] { mBSC_Cam_Chr_Set(0, 1), SCR_SetCameraNext(CHR_Get(1)); },
         [] { return (CAMERA_DATA.followed ? 100 : 0) + (CAMERA_DATA.second ? 10 : 0) + (CAMERA_DATA.queued ? 1 : 0); }, 0, 110},
        {"the old map's scroll rectangle goes with it", [] {}, [] { return int(SCR_SCROLL_RECT.right); }, 0, 1600},
        // Slot 0's mech steps onto slot 1's place in one move (the slot file's record holds no slot 1).
        {"kind 9: the record's no-collision switch lets a mech walk through another", [] { mBSC_Start(); },
         [] {
             LIST_NODE *a = CHR_TABLE[0], *b = CHR_TABLE[1];
             if (!b) return -1;
             LIST_SetCurrent(a);
             a->sub_step_size = 1, a->vx = (b->x - a->x) * 65536, a->vy = (b->y - a->y) * 65536;
             CHR_MoveSubStep = 1;  // no height step
             CHR_Move(0, 0);
             CHR_MoveSubStep = 0;
             LIST_SetCurrent(nullptr);
             return int(a->x == b->x && a->y == b->y);
         },
         -1, 1},
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
        {"memory record 2", [] { return SAVE_RestoreMemSave(2); }},
        {"memory record -1", [] { return SAVE_RestoreMemSave(-1); }},
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

// What SAVE_SetInfo was given is stored cut to its field, always with its terminator, and read
// back as stored: a chapter name of 48 bytes keeps 47 of them, a caption of 26 keeps 25.
TEST_F(SaveRecordTest, TheChapterNameAndCaptionAreStoredCutToTheirFieldsWithTheirTerminators) {
    const std::string chapter47(47, 'c'), caption25(25, 'k');
    const struct {
        std::string chapter, caption;  // given
        std::string stored_chapter, stored_caption;  // stored before the terminator and read back
    } rows[] = {
        {"", "", "", ""},
        {"c", "k", "c", "k"},
        {chapter47, caption25, chapter47, caption25},                      // the longest that fit whole
        {chapter47 + "C", caption25 + "K", chapter47, caption25},          // exactly a field: one byte goes
        {chapter47 + std::string(13, 'C'), caption25 + std::string(15, 'K'), chapter47, caption25},
    };
    for (const auto& r : rows) {
        const std::string row = std::to_string(r.chapter.size()) + " / " + std::to_string(r.caption.size()) + " bytes";
        SAVE_SetInfo(r.chapter.c_str(), r.caption.c_str());
        ASSERT_EQ(SAVE_WriteSlot(3), SAVE_WRITE_DONE) << row;
        const std::vector<uint8_t> file = support::ReadBytes("save/ov03.sav");
        ASSERT_EQ(file.size(), size_t(SAVE_RECORD_SIZE)) << row;
        std::string chapter(SAVE_CHAPTER_SIZE, '\0'), caption(SAVE_CAPTION_SIZE, '\0');
        std::copy_n(r.stored_chapter.begin(), r.stored_chapter.size(), chapter.begin());
        std::copy_n(r.stored_caption.begin(), r.stored_caption.size(), caption.begin());
        EXPECT_EQ(std::string(file.begin() + SAVE_CHAPTER_OFFSET, file.begin() + SAVE_CHAPTER_OFFSET + SAVE_CHAPTER_SIZE), chapter) << row;
        EXPECT_EQ(std::string(file.begin() + SAVE_CAPTION_OFFSET, file.begin() + SAVE_CAPTION_OFFSET + SAVE_CAPTION_SIZE), caption) << row;
        SAVE_INFO info;
        ASSERT_EQ(SAVE_ReadInfo(3, &info), 1) << row;
        EXPECT_EQ(std::tuple(std::string(info.chapter), std::string(info.caption)), std::tuple(r.stored_chapter, r.stored_caption)) << row;
    }
    SAVE_SetInfo("", "");
}

// SAVE_MakeMemSave builds records 0 and 1 only: another number writes nothing anywhere, not even
// the battle snapshot it would have taken.
TEST_F(SaveRecordTest, OnlyMemoryRecordsZeroAndOneAreBuilt) {
    const struct {
        int n;
        bool built;
    } rows[] = {{0, true}, {1, true}, {-1, false}, {2, false}};
    for (const auto& r : rows) {
        std::memset(SAVE_MEM, 0xEE, sizeof SAVE_MEM);
        std::memset(BATTLE_SNAP_DATA, 0xEE, SNAP_SIZE);
        SAVE_MakeMemSave(r.n);
        for (int k = 0; k < SAVE_MEM_RECORDS; ++k)
            EXPECT_EQ(plat::Get32(SAVE_MEM[k] + SAVE_VALID_OFFSET), k == r.n ? 1u : 0xEEEEEEEEu)
                << "record " << r.n << ", memory record " << k;
        EXPECT_EQ(std::count(BATTLE_SNAP_DATA, BATTLE_SNAP_DATA + SNAP_SIZE, 0xEE) == SNAP_SIZE, !r.built) << "record " << r.n;
    }
    // The record built carries the snapshot it took.
    SAVE_MakeMemSave(1);
    EXPECT_TRUE(std::equal(BATTLE_SNAP_DATA, BATTLE_SNAP_DATA + SNAP_SIZE, SAVE_MEM[1] + SAVE_SNAP_OFFSET));
}

}  // namespace
