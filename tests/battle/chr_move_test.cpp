// Movement and the per-frame update: walls, corner slides, pushing apart, height with gravity,
// sub-steps, the velocity mix, freeze frames and the destruction that can end a battle.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/hit_resolve.h"
#include "tests/battle/melee_test_util.h"

namespace {

struct Move : melee_test::Melee {
    // A CPU character whose map box (-32, -40, 64 x 40) stands at (x, y), current.
    LIST_NODE* Box(int32_t x, int32_t y) {
        LIST_NODE* n = Make(1, 1, CHR_CPU, x, y);
        Current(n);
        return n;
    }
    static int Solve(LIST_NODE* n, int32_t dx, int32_t dy, int32_t* x, int32_t* y) {
        int32_t x16 = (n->x + dx) * 65536, y16 = (n->y + dy) * 65536;
        const int r = CHR_MoveCollide(&x16, &y16, 1, 0);
        *x = x16 >> 16, *y = y16 >> 16;
        return r;
    }
};

TEST_F(Move, AWallAheadStopsTheBoxOnItsEdge) {
    for (int c = 5; c < 20; ++c) Wall(c, 20), Wall(c, 22);
    LIST_NODE* n = Box(200, 315);  // 5 pixels above row 20
    int32_t x, y;
    EXPECT_EQ(Solve(n, 0, 15, &x, &y), 1);  // 10 pixels into the wall
    EXPECT_EQ(std::tuple(x, y), std::tuple(200, 320));
    // Already 6 pixels into row 22 and stepping on diagonally: stuck in the wall.
    LIST_SetPos(n, 200, 358, 0);
    EXPECT_EQ(Solve(n, 4, 4, &x, &y), -2);
    // A move that meets nothing only turns the last signs.
    LIST_SetPos(n, 600, 600, 0);
    n->chr->sign_x = 1, n->chr->sign_y = -1;
    EXPECT_EQ(Solve(n, -3, 2, &x, &y), 0);
    EXPECT_EQ(std::tuple(x, y, n->chr->sign_x, n->chr->sign_y), std::tuple(597, 602, -1, 1));
}

TEST_F(Move, ACharacterAheadBlocksOnceDeepInside) {
    LIST_NODE* n = Box(200, 300);
    LIST_NODE* other = Make(2, 0, CHR_CPU, 200, 330);  // its body box starts 10 pixels below ours
    Current(n);
    int32_t x16 = 200 * 65536, y16 = 310 * 65536;
    EXPECT_EQ(CHR_MoveCollide(&x16, &y16, 0, 0), -1);  // 20 into a box it already overlapped by 10
    EXPECT_EQ(y16 >> 16, 310);
    LIST_SetPos(other, 200, 345, 0);
    x16 = 200 * 65536, y16 = 310 * 65536;  // 5 into it: back to its top edge
    EXPECT_EQ(CHR_MoveCollide(&x16, &y16, 0, 0), 1);
    EXPECT_EQ(y16 >> 16, 305);
}

TEST_F(Move, CornerSlideFollowsTheLastSignAcrossTheMove) {
    // A move 4 pixels right into a column of walls ending at y 320, the box's top 4 pixels above
    // that end, slides by 4 along the last vertical sign; a move 4 pixels up into a row of walls
    // ending at x 320, the box's left edge 4 pixels left of that end, slides along the last
    // horizontal sign, whatever the vertical one. The same ends at 32,736 slide past 32,767.
    struct Case {
        int mask, sign_x, sign_y;
        int32_t dy;  // 0: the move right, else the move up by -dy
        int32_t x, y, result;
        int32_t from_x, from_y;
    };
    const Case cases[] = {
        {1, 1, 1, 0, 288, 360, 0, 288, 356},
        {1, 1, -1, 0, 288, 352, 0, 288, 356},
        {0, 1, 1, 0, 288, 356, 1, 288, 356},
        {1, 1, 1, 0, 288, 32768 - 65536, 0, 288, 32764},  // slid past 32,767: the 16.16 sum wraps
        {1, 1, -1, -4, 352, 696, 0, 348, 696},
        {1, -1, 1, -4, 344, 696, 0, 348, 696},
        {0, 1, -1, -4, 348, 696, 1, 348, 696},
        {1, 1, -1, -4, 32768 - 65536, 696, 0, 32764, 696},  // slid past 32,767: the 16.16 sum wraps
    };
    for (const Case& c : cases) {
        // 64 chips each way, or 2,048 along an axis the box starts beyond them on.
        const bool wide = c.from_x >= 64 * 16, tall = c.from_y >= 64 * 16;
        Stage(wide ? 2048 : 64, tall ? 2048 : 64);
        for (int k = 10; k < 20; ++k) Wall(20, k), Wall(k, 40);  // ending at y 320 and at x 320
        for (int k = 2040; k < 2046; ++k) {  // the same ends at 32,736
            if (tall) Wall(20, k);
            if (wide) Wall(k, 40);
        }
        LIST_NODE* n = Box(c.from_x, c.from_y);  // touching the wall's side, or its bottom
        n->chr->slide_mask = uint8_t(c.mask);
        n->chr->sign_x = int16_t(c.sign_x);
        n->chr->sign_y = int16_t(c.sign_y);
        int32_t x, y;
        const std::string what = std::to_string(c.mask) + " " + std::to_string(c.sign_x) + " " + std::to_string(c.sign_y) +
                                 (c.dy ? " up from " : " right from ") + std::to_string(c.from_x) + "," + std::to_string(c.from_y);
        EXPECT_EQ(Solve(n, c.dy ? 0 : 4, c.dy, &x, &y), c.result) << what;
        EXPECT_EQ(std::tuple(x, y), std::tuple(c.x, c.y)) << what;
        CHR_Delete(1);
    }
}

TEST_F(Move, CharactersOnOnePixelArePushedApartBySevenOrEight) {
    std::set<std::pair<int, int>> seen;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        LIST_NODE* n = Box(400, 400);
        Make(2, 0, CHR_CPU, 400, 400);
        Current(n);
        plat::Srand(seed);
        int32_t x16 = n->x16, y16 = n->y16;
        EXPECT_EQ(CHR_HitCheck_Chr(&x16, &y16, 1), 1);
        seen.emplace((x16 >> 16) - 400, (y16 >> 16) - 400);
        CHR_Delete(1);
        CHR_Delete(2);
    }
    // 65535 a pixel: eight steps forward leave 7 whole pixels, eight back reach -8.
    for (const auto& [dx, dy] : seen) {
        EXPECT_TRUE(dx == -8 || dx == 0 || dx == 7) << dx;
        EXPECT_TRUE(dy == -8 || dy == 0 || dy == 7) << dy;
    }
    EXPECT_GE(seen.size(), 4u);
    // Apart by some pixels, the push points away from the other one; pushed past 32,767, the
    // 16.16 sum wraps.
    for (const auto& [x, to] : {std::pair{400, 407}, {32767, 32767 + 7 - 65536}}) {
        LIST_NODE* n = Box(x, 400);
        Make(2, 0, CHR_CPU, x - 20, 400);
        Current(n);
        int32_t x16 = n->x16, y16 = n->y16;
        EXPECT_EQ(CHR_HitCheck_Chr(&x16, &y16, 1), 1) << x;
        EXPECT_EQ(std::tuple(x16 >> 16, y16 >> 16), std::tuple(to, 400)) << x;
        LIST_SetPos(CHR_TABLE[2], 200, 400, 0);
        EXPECT_EQ(CHR_HitCheck_Chr(&x16, &y16, 1), 0) << x;
        CHR_Delete(1);
        CHR_Delete(2);
    }
}

TEST_F(Move, HeightFallsWithAirTimeAndLandsOnce) {
    LIST_NODE* n = Box(400, 400);
    CHR_DATA* c = n->chr;
    struct Case {
        int height, vspeed, air, gravity, sub_step, after;
    };
    const Case cases[] = {
        {50, 0, 10, 1, 0, 37},    // floor(-100 / 8) = -13
        {50, 0, 40, 1, 0, 26},    // never more than 24 a frame
        {50, 40, 0, 1, 0, 74},
        {50, 40, 0, 0, 0, 90},    // without gravity the vertical speed alone
        {50, -9, 30, 1, 1, 50},   // only the first sub-step moves the height
    };
    for (const Case& k : cases) {
        n->height = k.height, n->vspeed = int16_t(k.vspeed), c->air_time = int16_t(k.air);
        CHR_MoveSubStep = k.sub_step;
        CHR_Move(k.gravity, 1);
        EXPECT_EQ(n->height, k.after) << k.height << " " << k.air;
    }
    CHR_MoveSubStep = 0;
    BTL_RecordOn(true);
    n->height = 5, n->vspeed = 0, c->air_time = 10;
    CHR_Move(1, 1);
    CHR_Move(1, 1);
    EXPECT_EQ(n->height, 0);
    EXPECT_EQ(std::count(BTL_Recorded().begin(), BTL_Recorded().end(), "SE_Play 34 -1"), 1);
    BTL_RecordOn(false);
}

TEST(SplitSpeed, SubStepsOfAtMostSixteen) {
    const std::tuple<int, int, int> cases[] = {{40, 3, 13}, {-20, 2, -10}, {0, 1, 0}, {15, 1, 15}, {16, 2, 8}, {-33, 3, -11}};
    for (const auto& [speed, steps, step] : cases) {
        int16_t n = 0, s = 0;
        LIST_SplitSpeed(speed, &n, &s);
        EXPECT_EQ(std::tuple(int(n), int(s)), std::tuple(steps, step)) << speed;
    }
}

struct CharFrame : melee_test::Melee {};

TEST_F(CharFrame, VelocityMixesPadTechniqueAndKnockBack) {
    LIST_NODE* n = Make(1, 1, CHR_CPU, 400, 400);
    CHR_DATA* c = n->chr;
    Current(n);
    c->move_speed = 8, c->waza_speed = 4;
    c->pad_vec[0] = 65535, c->pad_vec[1] = 0;
    c->waza_vec[0] = 0, c->waza_vec[1] = 65535;
    CHR_ComposeVelocity();
    EXPECT_EQ(std::tuple(n->vx, n->vy, n->sub_steps, n->sub_step_size), std::tuple(32767, 32767, 1, 12));
    c->move_speed = c->waza_speed = 0;
    c->knock_speed = 5;
    c->knock_vec[0] = -65535, c->knock_vec[1] = 0;
    std::vector<int> knock;
    for (int i = 0; i < 4; ++i) {
        CHR_ComposeVelocity();
        knock.push_back(c->knock_speed);
    }
    EXPECT_EQ(knock, (std::vector<int>{3, 1, 0, 0}));
    EXPECT_EQ(std::tuple(n->vx, n->sub_step_size), std::tuple(0, 0));
    c->state = 6;  // a stagger keeps it
    c->knock_speed = 5;
    CHR_ComposeVelocity();
    EXPECT_EQ(std::tuple(c->knock_speed, n->vx, n->sub_step_size), std::tuple(5, -65535, 5));
}

TEST_F(CharFrame, FreezeFramesHoldTheCharacter) {
    LIST_NODE* n = Make(1, 1, CHR_CPU, 400, 400);
    CHR_DATA* c = n->chr;
    c->knock_speed = 6;
    c->knock_vec[0] = 65535;
    c->freeze = 3;
    SP_Anim(n->sprite)->running = 0;
    std::vector<int> xs, running;
    for (int f = 0; f < 4; ++f) {
        Update(n);
        xs.push_back(n->x);
        running.push_back(SP_Anim(n->sprite)->running);
    }
    EXPECT_EQ(xs, (std::vector<int>{400, 400, 400, 405}));
    EXPECT_EQ(running, (std::vector<int>{0, 0, 1, 1}));
}

// One frame of each battle state, or of script mode, with the player walking right and holding
// right, and a beaten enemy at the end of its down state: which update runs shows in what moves,
// what counts and whether the enemy is destroyed.
TEST_F(CharFrame, EachStateRunsItsOwnCharacterUpdate) {
    struct Case {
        int state;  // -1: script mode
        bool moved;
        int air;  // from 3
        bool flashed, destroyed;
    };
    const Case cases[] = {
        {BTL_STATE_FIGHT, true, 4, true, true},      // everything
        {BTL_STATE_PRE, false, 3, true, false},      // velocity and state only
        {BTL_STATE_PAUSE, false, 3, false, false},   // pad check and combo input only
        {BTL_STATE_SLOW, false, 3, false, false},    // a slow frame between full ones
        {BTL_STATE_PREVIEW, false, 3, false, false},
        {BTL_STATE_MENU, false, 1, true, false},     // no pad: the walk stops and stands
        {-1, true, 4, true, false},                  // the phase and moves, no state
    };
    for (const Case& k : cases) {
        BTL_DeleteAllObjects();
        LIST_NODE* p = Make(0, 0, CHR_PLAYER, 300, 300);
        LIST_NODE* e = Make(1, 1, CHR_CPU, 600, 300);
        CHR_DATA* c = p->chr;
        CHR_SetState(p, 1);
        c->state_step = 1;
        c->move_speed = c->walk_speed = 4;
        CHR_SetDirVelocity(p, 6, 65535);
        c->flash_timer = 5;
        c->air_time = 3;
        Aim(p, e);
        CHR_SetState(e, 8);
        e->chr->state_counter = 19;
        e->chr->levels = -1;
        support::FeedKeys(8);
        SCR_QUAKE.slow = 8;
        BTL_SetState(k.state < 0 ? BTL_STATE_FIGHT : k.state);
        if (k.state < 0) {
            BTL_SetScriptMode(1);
            BTL_ScriptModeUpdate();
            BTL_SetScriptMode(0);
        } else {
            BTL_FrameUpdate();
        }
        const int s = k.state;
        EXPECT_EQ(p->x != 300, k.moved) << s;
        EXPECT_EQ(c->air_time, k.air) << s;
        EXPECT_EQ(c->flash_timer == 4, k.flashed) << s;
        EXPECT_EQ(CHR_TABLE[1] == nullptr, k.destroyed) << s;
    }
}

TEST_F(CharFrame, DestructionRewardsRetargetsAndEndsTheBattle) {
    LIST_NODE* player = Make(0, 0, CHR_PLAYER, 300, 300);
    LIST_NODE* a = Make(1, 1, CHR_CPU, 400, 300);
    LIST_NODE* b = Make(2, 1, CHR_CPU, 700, 300);
    LIST_NODE* c = Make(3, 1, CHR_CPU, 450, 300);
    c->chr->levels = -1;  // beaten, still in its slot
    auto beat = [](LIST_NODE* n) {
        CHR_SetState(n, 8);
        n->chr->state_counter = 19;
        n->chr->levels = -1;
        Update(n);
    };
    BTL_RecordOn(true);
    Aim(player, a);
    player->chr->waza_active = 1;
    player->chr->heat = 30;
    beat(a);
    EXPECT_EQ(CHR_TABLE[1], nullptr);
    EXPECT_EQ(CHR_DESTROYED[1], 1);
    EXPECT_TRUE(Recorded("BTL_AddGaugePool 1 100"));
    EXPECT_TRUE(Recorded("HUD_PanelDelete 1"));
    EXPECT_EQ(std::tuple(CountEffects(0), CountEffects(14)), std::tuple(1, 20));
    // The nearest enemy, beaten or not: slot 3 before the lower but farther slot 2.
    EXPECT_EQ(std::tuple(player->target, player->chr->waza_active), std::tuple(c->index, 0));
    EXPECT_EQ(BTL_EndCount, 0);
    EXPECT_EQ(SCR_QUAKE.level, 16);
    beat(c);
    EXPECT_EQ(std::tuple(player->target, BTL_EndCount), std::tuple(b->index, 0));
    beat(b);
    EXPECT_EQ(std::tuple(player->target, BTL_EndCount), std::tuple(-1, 1));
    EXPECT_EQ(std::tuple(SCR_QUAKE.slow, SCR_QUAKE.hold, SCR_QUAKE.level), std::tuple(5, 5, 20));
    // The player's own mech gives no reward.
    BTL_Recorded().clear();
    BTL_EndCount = 0;
    beat(player);
    EXPECT_EQ(BTL_EndCount, 1);
    for (const std::string& l : BTL_Recorded()) EXPECT_EQ(l.find("BTL_AddGaugePool"), std::string::npos) << l;
    BTL_RecordOn(false);
}

}  // namespace
