// The battle frame core: the character branch of the animation stepper, the slow-motion finish,
// explosion checks, battle kinds, clean-up and drawing images at the view origin.
#include <gtest/gtest.h>

#include <map>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "battle/scr_camera.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/map_writer.h"

namespace {

struct Frame : battle_test::BattleTest {
    void SetUp() override {
        BattleTest::SetUp();
        ASSERT_EQ(CHR_Create(0, 0, CHR_PLAYER, 0, 300, 400, 0, -1), 1);
        p = CHR_TABLE[0];
        a = SP_Anim(p->sprite);
    }
    // Ticks of the stepper until the character's animation is finished (0: not within limit).
    int TicksToFinish(int limit) {
        for (int t = 1; t <= limit; ++t) {
            BTL_AnimStep();
            if (p->chr->anim_done) return t;
        }
        return 0;
    }
    LIST_NODE* p = nullptr;
    SP_ANIM* a = nullptr;
};

TEST_F(Frame, TechniquePhaseStepsByTheCharactersDurations) {
    CHR_DATA* c = p->chr;
    // Sequence 20 has three steps. In a phase, durations 3, 7, 11 (the set says 1, 3, 0) and a
    // keyframe of length 24.
    for (auto [technique, finish] : {std::pair{0, 24}, {1, 0}}) {
        c->waza = int16_t(technique);
        c->phase = 1;
        c->anim_done = 0;
        c->durations[0] = 3, c->durations[1] = 7, c->durations[2] = 11;
        ASSERT_EQ(SP_PlaySeq(p->sprite, 20, 0, 1), 1);
        a->wait = 3;
        std::vector<int> steps;
        for (int t = 1; t <= 24; ++t) {
            BTL_AnimStep();
            steps.push_back(a->step);
            if (c->anim_done) break;
        }
        if (finish) {
            ASSERT_EQ(int(steps.size()), finish);
            EXPECT_EQ(steps[3], 1);
            EXPECT_EQ(steps[11], 2);
            EXPECT_EQ(std::tuple(a->running, a->step), std::tuple(0, 2));
        } else {  // length 255: the animation loops, whatever the object's own loop flag says
            EXPECT_EQ(c->anim_done, 0);
            EXPECT_EQ(std::tuple(a->running, a->step, a->wait), std::tuple(1, 0, 3));
        }
    }
    // Outside a phase the set's waits 1, 3, 0 count, the first with the restart's extra tick.
    c->phase = 0;
    c->anim_done = 0;
    SP_PlaySeq(p->sprite, 20, 0, 1);
    EXPECT_EQ(TicksToFinish(50), 3 + 4 + 1);
    EXPECT_EQ(a->pattern, 16);
    // Looping sequences loop outside a phase.
    c->anim_done = 0;
    SP_PlaySeq(p->sprite, 20, 1, 1);
    EXPECT_EQ(TicksToFinish(50), 0);
}

TEST_F(Frame, StepsPastTheDurationsKeepTheSetsWait) {
    support::SprFile f = support::MechSprFile("zako03", 1);
    f.seqs[31].assign(130, support::SprStep{8, 2});
    ASSERT_TRUE(support::WriteSpr("Bmp/Meka/zako03.spr", f));
    ASSERT_TRUE(support::WriteGrp("Bmp/Meka/zako03.grp", support::MechPicture(1), false));
    ASSERT_EQ(CHR_Create(2, 1, CHR_CPU, 3, 500, 400, 0, -1), 1);
    LIST_NODE* n = CHR_TABLE[2];
    SP_ANIM* o = SP_Anim(n->sprite);
    n->chr->phase = 1;
    for (uint16_t& d : n->chr->durations) d = 0;
    SP_PlaySeq(n->sprite, 31, 0, 1);
    o->wait = 0;
    int ticks = 0;
    while (o->step < 128 && ticks < 500) BTL_AnimStep(), ++ticks;
    EXPECT_EQ(ticks, 128);
    EXPECT_EQ(o->wait, 2);
    while (o->running && ticks < 500) BTL_AnimStep(), ++ticks;
    EXPECT_EQ(ticks, 128 + 3 + 3);
    EXPECT_EQ(n->chr->anim_done, 1);
}

TEST_F(Frame, SlowMotionFinishRunsEveryFourthFrameThenTheHoldFrames) {
    SP_PlaySeq(p->sprite, 6, 1, 1);
    a->wait = 100;  // only full frames step animations
    BTL_SetState(BTL_STATE_FIGHT);
    BTL_SetState(BTL_STATE_SLOW);
    SCR_QUAKE.slow = 8;
    SCR_QUAKE.hold = 4;
    std::vector<int> full, states;
    for (int f = 1; f <= 14; ++f) {
        const int wait = a->wait;
        BTL_FrameUpdate();
        if (a->wait < wait) full.push_back(f);
        states.push_back(BTL_GetState(0));
        if (f == 1) {
            EXPECT_EQ(std::tuple(BTL_GetState(1), BTL_GetState(2)), std::tuple(BTL_STATE_FIGHT, BTL_STATE_SLOW));
        }
    }
    EXPECT_EQ(full, (std::vector<int>{4, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(states[11], BTL_STATE_FIGHT);
    EXPECT_EQ(states[10], BTL_STATE_SLOW);
    EXPECT_EQ(BTL_GetState(1), BTL_STATE_SLOW);
    // A pause only reads input: nothing animates.
    BTL_SetState(BTL_STATE_PAUSE);
    const int wait = a->wait;
    BTL_FrameUpdate();
    EXPECT_EQ(a->wait, wait);
}

TEST_F(Frame, ScriptEventCheckEightFramesAfterEachExplosion) {
    BTL_SetState(BTL_STATE_FIGHT);
    BTL_RecordOn(true);
    BTL_Recorded().clear();
    // Frame of each destruction, by slot: slot 3 holds a second mech after the first explodes,
    // and the battle is cleaned up while slot 7's check is still counting down.
    const std::map<int, int> destroy = {{1, 3}, {12, 6}, {21, 3}, {31, 7}};
    std::vector<int> checks;
    for (int f = 1; f <= 45; ++f) {
        if (auto d = destroy.find(f); d != destroy.end()) {
            if (!CHR_TABLE[d->second]) {
                ASSERT_EQ(CHR_Create(d->second, 1, CHR_CPU, 1, 500, 400, 0, -1), 1);
            }
            LIST_NODE* n = CHR_TABLE[d->second];
            CHR_SetState(n, 8);
            n->chr->state_counter = 19;
            n->chr->levels = -1;
        }
        if (f == 35) BTL_Cleanup();  // the end of the battle: the next one starts clean
        BTL_FrameUpdate();
        for (const std::string& line : BTL_Recorded())
            if (line.rfind("mBSC_Event_Check 2 ", 0) == 0) checks.push_back(f * 100 + std::stoi(line.substr(19)));
        BTL_Recorded().clear();
    }
    EXPECT_EQ(checks, (std::vector<int>{903, 2006, 2903}));
    BTL_RecordOn(false);
}

TEST_F(Frame, StatesKindsAndHud) {
    for (int kind = 0; kind <= 10; ++kind) {
        BTL_SetKind(kind);
        EXPECT_EQ(BTL_IsHudOff(), kind == 1 || kind == 2 || kind == 3 || kind == 9) << kind;
    }
    BTL_SetState(2);
    BTL_SetState(14);
    EXPECT_EQ(std::tuple(BTL_GetState(0), BTL_GetState(1)), std::tuple(14, 2));
    BTL_FrameUpdate();
    EXPECT_EQ(BTL_GetState(2), 14);
    BTL_ResetGlobals();
    EXPECT_EQ(std::tuple(BTL_GetState(0), BTL_GetState(1), BTL_GetState(2), int(BTL_KIND), BTL_CpuOn), std::tuple(0, 0, 0, 0, 1));
    BTL_SetScriptMode(1);
    EXPECT_EQ(BTL_ScriptModeUpdate(), 0);  // no script moves are under way
}

TEST_F(Frame, CleanupLeavesNothingBehind) {
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 5, 30)));
    MAP_Load(1, 0, 0);
    const battle_test::Holdings map_only = [&] {
        CHR_Delete(0);
        return battle_test::Hold();
    }();
    for (int s = 0; s < 4; ++s) ASSERT_EQ(CHR_Create(s, s & 1, s ? CHR_CPU : CHR_PLAYER, s ? 1 : 0, 300 + 100 * s, 400, 1, -1), 1);
    for (int kind : {LIST_KIND_WP2, LIST_KIND_TAMA, LIST_KIND_EFT, LIST_KIND_GAUGE}) LIST_Alloc(kind);
    ++LIST_STATE_DATA.wpnCnt;
    ++LIST_STATE_DATA.eftCnt;
    const RECT src{0, 0, 8, 8};
    ASSERT_GE(MAP_CreateOverlay(400, 400, 380, &src), 0);
    BTL_DeleteNonCharObjects();
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 4);
    for (int s = 0; s < 4; ++s) EXPECT_NE(CHR_TABLE[s], nullptr);
    LIST_Alloc(LIST_KIND_EFT);
    ++LIST_STATE_DATA.eftCnt;
    MAP_CreateOverlay(400, 400, 380, &src);
    BTL_Cleanup();
    const LIST_STATE& st = LIST_STATE_DATA;
    EXPECT_EQ(std::tuple(st.listCnt, st.wpnCnt, st.eftCnt, st.bgObjCnt, st.head, st.tail), std::tuple(0, 0, 0, 0, -1, -1));
    for (LIST_NODE* n : CHR_TABLE) EXPECT_EQ(n, nullptr);
    EXPECT_EQ(battle_test::Hold(), map_only);
}

TEST_F(Frame, ImagesDrawAtTheViewOrigin) {
    const int image = IMG_Create(4, 4, 0);
    DDSurface* s = IMG_Surface(image);
    support::SetPixel(s, 1, 1, 0x1234);  // the rest is the key colour 0
    DDSurface* back = DD_DISPLAY.back;
    support::SetPixel(back, 52, 33, 0x7777);
    MAP_DATA.origin_x = 40;
    MAP_DATA.origin_y = 20;
    const RECT src{0, 0, 4, 4};
    BTL_DrawImage(image, 11, 12, &src);
    EXPECT_EQ(support::PixelAt(back, 52, 33), 0x1234);
    EXPECT_EQ(support::PixelAt(back, 51, 32), 0);
    BTL_DrawImage(image, 11, 13, &src);  // keyed: what is 0 in the image leaves the screen alone
    EXPECT_EQ(support::PixelAt(back, 52, 33), 0x1234);
    BTL_DrawImage(-1, 0, 0, &src);
    MAP_DATA.origin_x = MAP_DATA.origin_y = 0;
    IMG_Release(image);
}

}  // namespace

namespace {
TEST(BattleModule, InitBuildsThePoolWithNewGameValuesAndTermTakesItDown) {
    support::HeadlessDisplay display;
    support::TempDir dir;
    FIL_InitBaseDir();
    ASSERT_TRUE(plat::CreateDirectory("Dat") && support::WriteBytes("Dat/MechStem.txt", {'3', '0', ' ', 'a', 'b', 'c'}));
    CAMP_DATA.base[1] = 9;
    ASSERT_EQ(BTL_Init(), 1);
    EXPECT_EQ(CAMP_DATA.base[1], 500);
    EXPECT_STREQ(MECH_Stem(30), "abc");
    EXPECT_EQ(std::tuple(LIST_STATE_DATA.free_head, LIST_STATE_DATA.free_tail, LIST_STATE_DATA.listCnt), std::tuple(0, 2047, 0));
    LIST_Alloc(LIST_KIND_EFT);
    ASSERT_EQ(BTL_Init(), 1);  // a second start builds a fresh pool
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 0);
    BTL_Term();
    EXPECT_EQ(LIST_DATA[0], nullptr);
    EXPECT_EQ(LIST_Alloc(LIST_KIND_EFT), nullptr);
    MECH_ResetStems();
}
}  // namespace
