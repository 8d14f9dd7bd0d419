// Character states and combo input: dashes from the pad, the combo grid's rows and variants, the
// dash turn, the down state's events and landings from the air.
#include <gtest/gtest.h>

#include "battle/camp_data.h"
#include "battle/chr_state.h"
#include "battle/hit_resolve.h"
#include "services/key_button.h"
#include "services/mth_math.h"
#include "tests/battle/melee_test_util.h"

namespace {

using melee_test::kShortSeq;
using support::KeyFrame;

struct States : melee_test::Melee {
    void SetUp() override {
        Melee::SetUp();
        support::WazaActSpec act;
        act.key[0] = KeyFrame(kShortSeq, 4, 30);
        std::vector<support::WazaSpec> v(9, support::OneAction(act, 10));
        v[5].air = 0;
        Techniques("player", v);
        player = Make(0, 0, CHR_PLAYER, 300, 300);
        KEY_DATA = KeyData{};
    }
    // The player's frame with these buttons held.
    void Press(uint16_t held) {
        support::FeedKeys(held);
        Update(player);
    }
    LIST_NODE* player = nullptr;
};

TEST_F(States, DoubleTapDashesWithinFourFrames) {
    struct Case {
        std::vector<uint16_t> keys;
        int state;
    };
    const Case cases[] = {
        {{8, 0, 8}, 2},                 // tap, release, tap
        {{8, 0, 0, 0, 8}, 2},           // the first tap four frames back
        {{8, 0, 0, 0, 0, 8}, 1},        // too late: a walk
        {{8, 1, 0, 8}, 1},              // a different direction in between
        {{2, 0, 8}, 1},
    };
    for (const Case& c : cases) {
        CHR_Reset(0, 300, 300, 1);
        for (int i = 0; i < 8; ++i) support::FeedKeys(0);
        for (uint16_t k : c.keys) Press(k);
        EXPECT_EQ(player->chr->state, c.state) << c.keys.size();
        if (c.state == 2) { EXPECT_EQ(std::tuple(player->chr->pad_vec[0], player->chr->pad_vec[1], int(player->dir)), std::tuple(65535, 0, 6)); }
    }
}

TEST_F(States, LongDashFromTheButtonAndItsRun) {
    CAMP_DATA.base[CAMP_LONG_DASH] = 9;
    CAMP_DATA.base[CAMP_LONG_DASH_LEN] = 8;
    CHR_Reset(0, 300, 300, 1);
    Press(0x80);
    CHR_DATA* c = player->chr;
    EXPECT_EQ(std::tuple(c->state, c->move_speed), std::tuple(5, 18));  // twice the stat
    EXPECT_EQ(std::tuple(c->pad_vec[0], c->pad_vec[1]), std::tuple(0, 65535));  // facing down without a target
    std::vector<std::pair<int, int>> run;  // step, speed
    for (int f = 0; f < 8; ++f) {
        Press(0x80);
        run.emplace_back(c->state_step, c->move_speed);
    }
    // A third of the stat off for three frames; at the end of the run it brakes from 5.
    EXPECT_EQ(run, (std::vector<std::pair<int, int>>{{1, 15}, {1, 12}, {1, 9}, {1, 9}, {1, 9}, {1, 9}, {1, 9}, {2, 5}}));
    Press(0);
    EXPECT_EQ(c->move_speed, 4);
    // Released early, it stands at once.
    CHR_Reset(0, 300, 300, 1);
    Press(0x80);
    Press(0x80);
    Press(0);
    EXPECT_EQ(c->state, 0);
}

// The pad turns the facing; the display object shows it only when an animation is set.
TEST_F(States, PadFacingReachesTheDisplayWithTheNextAnimation) {
    auto offset = [&] { return int(SP_Anim(player->sprite)->pattern_offset); };
    auto frame = [&](uint16_t held) {
        Press(held);
        BTL_AnimStep();
    };
    // Walking right without a target, then left: the walk step shown keeps facing right.
    CHR_Reset(0, 300, 300, 1);
    frame(8);
    frame(8);
    ASSERT_EQ(std::tuple(player->chr->state, int(player->dir), offset()), std::tuple(1, 6, 6));
    frame(4);
    EXPECT_EQ(std::tuple(int(player->dir), offset()), std::tuple(2, 6));
    int frames = 1;
    while (offset() == 6 && frames < 20) frame(4), ++frames;
    EXPECT_EQ(offset(), 2);
    EXPECT_GT(frames, 2);  // the first walk step ran out first
    // Standing, a direction turns the facing; the walk's first animation shows it a frame later.
    CHR_Reset(0, 300, 300, 1);
    frame(0);
    frame(1);
    EXPECT_EQ(std::tuple(player->chr->state, int(player->dir), offset()), std::tuple(1, 4, 2));
    frame(1);
    EXPECT_EQ(offset(), 4);
    // Paused, the long-dash button faces the target without touching the display object.
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 200, 200);
    CHR_Reset(0, 300, 300, 1);
    Aim(player, dummy);
    BTL_SetState(BTL_STATE_PAUSE);
    support::FeedKeys(0x80);
    BTL_FrameUpdate();
    EXPECT_EQ(std::tuple(player->chr->state, int(player->dir), offset()), std::tuple(5, 3, 4));
}

TEST_F(States, AnAttackButtonWithHeatAndNoTechniqueIsRefused) {
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 360, 300);
    Aim(player, dummy);
    player->chr->heat = 10;
    BTL_RecordOn(true);
    Press(0x10);
    EXPECT_TRUE(Recorded("SE_PlaySys 4 -1"));
    EXPECT_EQ(player->chr->phase, 0);
    BTL_RecordOn(false);
}

TEST_F(States, ComboRowsClimbPastUsedCells) {
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 500, 300);  // 200 pixels: far
    for (int i = 0; i < 12; ++i) CAMP_DATA.equip[i] = int16_t(3 * (i % 3));
    CHR_DATA* c = player->chr;
    Current(player);
    Aim(player, dummy);
    LIST_SetCurrent(player);
    support::FeedKeys(0);
    support::FeedKeys(0x20);
    c->combo_cells[1 * 3 + 1] = 1;
    EXPECT_EQ(CHR_ComboInput(1), 1);
    EXPECT_EQ(c->combo_cells[2 * 3 + 1], 1);
    EXPECT_EQ(c->queued, 3);
    EXPECT_EQ(CHR_ComboContinue, 1);  // not the starting row
    c->combo_cells[3 * 3 + 1] = 1;
    c->heat = 0;
    EXPECT_EQ(CHR_ComboInput(1), -1);
    // A near target starts on row 0; the variant is the weapon's level, held at 2.
    LIST_SetPos(dummy, 360, 300, 0);
    CAMP_DATA.weapon[1].levelup_value = 3;
    std::fill(std::begin(c->combo_cells), std::end(c->combo_cells), uint8_t(0));
    EXPECT_EQ(CHR_ComboInput(1), 1);
    EXPECT_EQ(c->queued, 5);
    EXPECT_EQ(CHR_ComboContinue, 0);
    BTL_DebugWeaponLevel = -5;
    c->combo_cells[1] = 0;
    EXPECT_EQ(CHR_ComboInput(1), 1);
    EXPECT_EQ(c->queued, 3);
    // Technique 5 may not start in the air.
    BTL_DebugWeaponLevel = 0;
    CAMP_DATA.weapon[1].levelup_value = 2;
    c->combo_cells[1] = 0;
    player->height = 20;
    EXPECT_EQ(CHR_ComboInput(1), -1);
}

TEST_F(States, DashTurnsAtMostThirtyDegreesAFrame) {
    CHR_DATA* c = player->chr;
    auto heading = [&] { return MTH_Atan2Deg(0, 0, c->pad_vec[0] >> 8, c->pad_vec[1] >> 8); };
    CHR_SetState(player, 2);
    c->state_step = 1;
    c->state_counter = 20;
    CHR_SetDirVelocity(player, 0, 65535);  // heading down, 90 degrees
    Current(player);
    CHR_PadDir = 6;  // wanted: right, 0 degrees
    int gravity = 0;
    CHR_StateDash(&gravity);
    EXPECT_NEAR(heading(), 60, 1);
    CHR_StateDash(&gravity);
    EXPECT_NEAR(heading(), 30, 1);
    // From 10 degrees to up (270): the angles lie more than 180 apart, so it turns down through 0.
    MTH_GetDirVec(0, 0, 1000, 176, &c->pad_vec[0], &c->pad_vec[1]);
    const int before = heading();
    CHR_PadDir = 4;
    CHR_StateDash(&gravity);
    EXPECT_NEAR(heading(), (before + 330) % 360, 1);
    // A heading of 182 wanted at 180 snaps to the horizontal.
    int32_t ax = -32, ay = -1;  // 32 pad vectors ahead, with the vector's 2048 a pixel
    while (MTH_Atan2Deg(0, 0, ax, ay) != 182 && ax < -8) ++ax;
    ASSERT_EQ(MTH_Atan2Deg(0, 0, ax, ay), 182);
    c->pad_vec[0] = ax * 2048;
    c->pad_vec[1] = ay * 2048;
    CHR_PadDir = 2;
    CHR_StateDash(&gravity);
    EXPECT_EQ(std::tuple(c->pad_vec[0], c->pad_vec[1]), std::tuple(-65535, 0));
}

// The down state by counter, for a beaten character and for one that gets up.
TEST_F(States, DownStateEventsByCount) {
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 420, 300);
    CHR_DATA* d = dummy->chr;
    Aim(player, dummy);
    player->chr->waza_active = 1;
    BTL_RecordOn(true);
    for (const int levels : {-1, 1}) {
        CHR_SetState(dummy, 8);
        d->levels = int16_t(levels);
        d->knock_speed = 0;
        player->chr->waza_active = 1;
        std::vector<int> counters;
        for (int f = 0; f <= 18; ++f) {
            const int before = CountEffects(13);
            Current(dummy);
            int gravity = 0;
            CHR_StateDown(&gravity);
            if (f == 0) { EXPECT_EQ(CountEffects(13), before + 1); }
            if (f == 5) { EXPECT_EQ(dummy->anim, 4); }
            if (f == 9) { EXPECT_EQ(Recorded("mBSC_Event_Check 1 1"), levels < 0); }
            if (f == 10) {
                EXPECT_EQ(player->chr->waza_active, levels < 0 ? 0 : 1) << levels;
                if (levels >= 0) { EXPECT_EQ(dummy->anim, 5); }
                EXPECT_EQ(player->chr->combo_window, 10);
            }
            counters.push_back(d->state_counter);
        }
        if (levels < 0) {
            EXPECT_EQ(counters.back(), 19);  // passed 18: the update destroys it
        } else {
            EXPECT_EQ(std::tuple(d->state, d->state_step, d->state_counter, d->armour), std::tuple(0, 99, 0, d->armour_max));
        }
        BTL_Recorded().clear();
    }
    BTL_RecordOn(false);
}

TEST_F(States, LandingsFromTheAir) {
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 420, 300);
    for (const int kind : {0, 1}) {
        CHR_SetState(dummy, 7);
        dummy->knock_kind = uint8_t(kind);
        dummy->vspeed = 6;
        dummy->down = 100;
        SCR_QuakeStop();
        BTL_RecordOn(true);
        int frames = 0;
        while (dummy->chr->state == 7 && frames < 60) {
            Update(dummy);
            ++frames;
        }
        EXPECT_GT(frames, 3);
        EXPECT_EQ(dummy->height, 0);
        if (kind == 1) {
            EXPECT_EQ(std::tuple(dummy->chr->state, int(dummy->down), SCR_QUAKE.level), std::tuple(8, 100, 8));
            EXPECT_TRUE(Recorded("SE_Play 16 -1"));
        } else {
            EXPECT_EQ(std::tuple(dummy->chr->state, int(dummy->down), int(dummy->knock_kind)), std::tuple(0, 0, 0));
            EXPECT_TRUE(Recorded("SE_Play 34 -1"));
        }
        BTL_Recorded().clear();
        BTL_RecordOn(false);
    }
}

TEST_F(States, StaggerLastsTheCopiedLengthAndRestoresArmour) {
    LIST_NODE* dummy = Make(1, 1, CHR_CPU, 420, 300);
    CHR_DATA* d = dummy->chr;
    CHR_SetState(dummy, 6);
    d->stagger = 6;
    d->armour = -1;
    d->armour_max = 300;
    int frames = 0;
    std::vector<int32_t> anims;
    while (d->state == 6 && frames < 30) {
        Update(dummy);
        anims.push_back(dummy->anim);
        ++frames;
    }
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(anims, (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(d->armour, 300);
}

}  // namespace
