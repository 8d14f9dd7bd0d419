// Boundaries of the battle rules as tables of worked cases: the two counters held at their ends,
// the first contact of upward diagonal moves, the penetration limit, the movement and camera
// bounds, the height windows of the attack boxes, the chip extent of a box, the dust window of
// the down state, the fall poses, the far distance, the weapon prerequisites, the rain's spawn
// area, where an absorbed hit shows and the rewards by battle kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>

#include "battle/camp_data.h"
#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/hit_resolve.h"
#include "battle/scr_camera.h"
#include "services/key_button.h"
#include "sprite/sp_draw.h"
#include "tests/battle/melee_test_util.h"

namespace {

using support::HitSpec;
using support::KeyFrame;

struct Bounds : melee_test::Melee {
    // The player attacks with technique 0, one held keyframe hitting with `boxes`, against a CPU
    // dummy at (dx, 0) from it; the dummy's technique 0 holds a keyframe of armour `armour`.
    void Arm(const HitSpec& h, uint16_t boxes = 1 << 2 | 1 << 11, int8_t armour = 127, int32_t dx = 10) {
        support::WazaActSpec act;
        act.key[0] = KeyFrame(melee_test::kShortSeq, 4, 200, boxes);
        act.hit = support::HitRecord(h);
        act.hit_rate = 63;
        support::WazaSpec s = support::OneAction(act);
        s.heat_kind = 2;
        Techniques("player", {s});
        support::WazaActSpec guard;
        guard.key[0] = KeyFrame(melee_test::kShortSeq, 4, 200);
        guard.key[0].armour = armour;
        Techniques("zako01", {support::OneAction(guard)});
        player = Make(0, 0, CHR_PLAYER, 300, 300);
        dummy = Make(1, 1, CHR_CPU, 300 + dx, 300);
        Aim(player, dummy);
        Current(player);
        ASSERT_EQ(CHR_WazaStart(player, 0), 1);
        dummy->chr->units = 2080, dummy->chr->levels = 3;
    }
    void Disarm() {
        CHR_Delete(0);
        CHR_Delete(1);
    }
    LIST_NODE* player = nullptr;
    LIST_NODE* dummy = nullptr;
};

// ---- counters held at their ends ----

// The hit-stop value counts down while a keyframe makes no hit checks. It is held at -128: a
// byte that wrapped to 127 would block the hits of the next keyframe for 56 frames after 200
// quiet ones.
TEST_F(Bounds, HitStopIsHeldAtItsBottom) {
    Arm(HitSpec{}, 0);
    int gravity = 0;
    for (int f = 0; f < 200; ++f) {
        Current(player);
        WAZA_Phase1(&gravity);
    }
    EXPECT_EQ(player->chr->hit_stop, INT8_MIN);
    WAZA_Put16(LIST_CURRENT.key, WAZA_KEY_HIT, 1 << 2 | 1 << 11);  // the next keyframe hits
    HIT_ClearMask();
    Current(player);
    WAZA_Phase1(&gravity);
    EXPECT_EQ(HIT_GetMask(), 1u << 1);
}

// The down value grows with each hit and is held at 255: a wrap would leave a heavy hit on a
// character already down without knocking it down.
TEST_F(Bounds, DownValueIsHeldAtItsTop) {
    struct Case {
        int before, added, state;  // state 7: knocked down (down value 100 after)
    };
    const Case cases[] = {{0, 60, 0}, {40, 59, 0}, {40, 60, 7}, {200, 100, 7}, {250, 10, 7}, {255, 255, 7}, {99, 0, 0}};
    for (const Case& c : cases) {
        HitSpec h;
        h.base = 10;
        h.down = uint8_t(c.added);
        Arm(h);
        dummy->down = uint8_t(c.before);
        HIT_Apply(dummy, player);
        EXPECT_EQ(dummy->chr->state, c.state) << c.before << " + " << c.added;
        EXPECT_EQ(int(dummy->down), c.state == 7 ? 100 : c.before + c.added) << c.before << " + " << c.added;
        Disarm();
    }
}

// ---- movement and collision ----

struct MoveBounds : Bounds {
    // A CPU character whose map and body box is (-32, -40, 64 x 40), current, sliding nowhere.
    LIST_NODE* Box(int slot, int32_t x, int32_t y) {
        LIST_NODE* n = Make(slot, 1, CHR_CPU, x, y);
        n->chr->slide_mask = 0;
        Current(n);
        return n;
    }
    static int Solve(LIST_NODE* n, int32_t dx, int32_t dy, int ignore_chr, int32_t* x, int32_t* y) {
        int32_t x16 = (n->x + dx) * 65536, y16 = (n->y + dy) * 65536;
        const int r = CHR_MoveCollide(&x16, &y16, ignore_chr, 0);
        *x = x16 >> 16, *y = y16 >> 16;
        return r;
    }
};

// A diagonal move meeting a wall corner stops at its first contact along the way. Moving up
// (codes 7 and 9) the literal reading of the contact point looks away from the wall and would
// stop the "x first" cases on the side, short of where the box really meets the bottom face;
// the first contact is taken for every code.
TEST_F(MoveBounds, DiagonalsStopAtTheirFirstContact) {
    support::SprFile f = support::MeleeSprFile("zako01", 1);
    for (support::SprPattern& p : f.patterns) p.hit[13] = RECT{-32, -80, 32, 0};  // 64 x 80, whole chips
    ASSERT_TRUE(support::WriteSpr("Bmp/Meka/zako01.spr", f));
    Wall(20, 10);  // x 320..336, y 160..176
    struct Case {
        const char* what;
        int32_t x, y, dx, dy;  // the box's start (its x spans x-32..x+32, its y y-80..y) and move
        int32_t to_x, to_y;
    };
    const Case cases[] = {
        // Code 9, up and right: the box's right edge 2 short of the wall and its top 6 below it
        // (the x gap closes first), or 6 and 2 (the y gap first).
        {"9 x first: bottom face", 286, 262, 8, -8, 292, 256},
        {"9 y first: side", 282, 258, 8, -8, 288, 252},
        {"7 x first: bottom face", 370, 262, -8, -8, 364, 256},
        {"7 y first: side", 374, 258, -8, -8, 368, 252},
        // Codes 3 and 1, down, with the box above the wall.
        {"3 x first: top face", 286, 154, 8, 8, 292, 160},
        {"3 y first: side", 282, 158, 8, 8, 288, 164},
        {"1 x first: top face", 370, 154, -8, 8, 364, 160},
        {"1 y first: side", 374, 158, -8, 8, 368, 164},
    };
    LIST_NODE* n = Box(1, 600, 600);
    for (const Case& c : cases) {
        LIST_SetPos(n, c.x, c.y, 0);
        int32_t x, y;
        EXPECT_EQ(Solve(n, c.dx, c.dy, 1, &x, &y), 1) << c.what;
        EXPECT_EQ(std::tuple(x, y), std::tuple(c.to_x, c.to_y)) << c.what;
    }
}

// A straight move is put back on the obstacle's face while it went less than 16 pixels into it;
// 16 or more reports the obstacle (-1 a character, -2 a wall) and corrects nothing.
TEST_F(MoveBounds, PenetrationLimitIsSixteen) {
    struct Case {
        int32_t dx, dy, pen;
        bool wall;
        int result;
        int32_t far = 0;  // the scene moved this far along the move's axis
    };
    const Case cases[] = {
        {0, 16, 15, false, 1},   {0, 16, 16, false, -1}, {0, -16, 15, false, 1}, {0, -16, 16, false, -1},
        {16, 0, 15, false, 1},   {16, 0, 16, false, -1}, {-16, 0, 15, false, 1}, {-16, 0, 16, false, -1},
        // Walls are met chip by chip: only moves up and left can reach 16 into one.
        {0, -16, 15, true, 1},   {0, -16, 16, true, -2}, {-16, 0, 15, true, 1},  {-16, 0, 16, true, -2},
        // Put back past 32,767 (a character a script placed there): the 16.16 sum wraps.
        {-16, 0, 15, false, 1, 32384}, {0, -16, 15, false, 1, 32384},
    };
    // The obstacle's face: a chip edge at 448 ahead of moves down and right, at 352 ahead of moves
    // up and left; the moved box's leading edge lies `pen` beyond it.
    constexpr int32_t kNear = 448, kFar = 352;
    LIST_NODE* n = Box(1, 600, 600);
    for (const Case& c : cases) {
        if (c.wall) {  // the character cases come first, on open ground
            Wall(kFar / 16 - 1, 400 / 16 - 2);  // a chip beside moves left, another above moves up
            Wall(400 / 16, kFar / 16 - 1);
        }
        int32_t x0 = 400, y0 = 400, ox = 400, oy = 400;
        if (c.dy > 0) y0 = kNear + c.pen - c.dy, oy = kNear + 40;
        if (c.dy < 0) y0 = kFar - c.pen + 40 - c.dy, oy = kFar;
        if (c.dx > 0) x0 = kNear + c.pen - 32 - c.dx, ox = kNear + 32;
        if (c.dx < 0) x0 = kFar - c.pen + 32 - c.dx, ox = kFar - 32;
        (c.dx ? x0 : y0) += c.far, (c.dx ? ox : oy) += c.far;
        LIST_SetPos(n, x0, y0, 0);
        if (!c.wall) Make(2, 0, CHR_CPU, ox, oy);  // its body box's face on the line
        Current(n);
        int32_t x, y;
        EXPECT_EQ(Solve(n, c.dx, c.dy, c.wall ? 1 : 0, &x, &y), c.result) << c.dx << "," << c.dy << " pen " << c.pen;
        const int32_t back = c.result == 1 ? c.pen : 0;
        const int32_t want_x = x0 + c.dx - (c.dx > 0 ? back : c.dx < 0 ? -back : 0);
        const int32_t want_y = y0 + c.dy - (c.dy > 0 ? back : c.dy < 0 ? -back : 0);
        EXPECT_EQ(std::tuple(x, y), std::tuple(int16_t(want_x), int16_t(want_y))) << c.dx << "," << c.dy << " pen " << c.pen;
        CHR_Delete(2);
    }
}

// With the battle HUD shown a character keeps half its 64 x 80 map box inside the scroll
// rectangle; without it, anywhere on the map.
TEST_F(MoveBounds, MovesStayInsideTheScrollRectangle) {
    struct Case {
        int kind;
        int32_t x, y;  // proposed
        int32_t to_x, to_y;
        int32_t from_x = 400, from_y = 300;
    };
    const Case cases[] = {
        {0, 127, 300, 128, 300}, {0, 128, 300, 128, 300}, {0, 129, 300, 129, 300},
        {0, 767, 300, 767, 300}, {0, 768, 300, 768, 300}, {0, 769, 300, 768, 300},
        {0, 400, 103, 400, 104}, {0, 400, 104, 400, 104}, {0, 400, 105, 400, 105},
        {0, 400, 559, 400, 559}, {0, 400, 560, 400, 560}, {0, 400, 561, 400, 560},
        {1, -1, 300, 0, 300},    {1, 1025, 300, 1024, 300}, {1, 400, -1, 400, 0}, {1, 400, 769, 400, 768},
        // One past 32,767 (a stage of 2,048 chips or more) the 16.16 sum wraps to -32,768: held at 0.
        {1, 32768, 300, 0, 300, 32767, 300}, {1, 400, 32768, 400, 0, 400, 32767},
    };
    SCR_SCROLL_RECT = RECT{96, 64, 800, 600};
    LIST_NODE* n = Box(1, 400, 300);
    for (const Case& c : cases) {
        BTL_SetKind(c.kind);
        LIST_SetPos(n, c.from_x, c.from_y, 0);
        n->sub_step_size = 1;
        n->vx = (c.x - n->x) * 65536;
        n->vy = (c.y - n->y) * 65536;
        CHR_MoveSubStep = 1;  // no height step
        CHR_Move(0, 1);
        CHR_MoveSubStep = 0;
        EXPECT_EQ(std::tuple(n->x, n->y), std::tuple(c.to_x, c.to_y)) << "kind " << c.kind << " to " << c.x << "," << c.y;
        EXPECT_EQ(std::tuple(n->x16, n->y16), std::tuple(c.to_x * 65536, c.to_y * 65536));
    }
}

// ---- camera ----

// A step that ends outside the scroll bounds is put back on them, and the map buffer moves only
// by the part of the step made inside them. On this 1024 x 768 stage the bounds are x 320..704
// and y 240..528; a quake offset can carry the view past them. A script's rectangle may reach
// past 32,767, where a step wraps the 16.16 sum and is put back on the low bound.
TEST_F(Bounds, CameraStepsHandOnOnlyTheMovementInsideTheBounds) {
    struct Case {
        int32_t old_x, old_y, target_x, target_y, quake;
        int32_t x, y, moved_x, moved_y;
        bool wide = false;  // a scroll rectangle of 40,000 x 40,000
    };
    const Case cases[] = {
        {300, 400, 700, 400, 0, 320, 400, 0, 0},     // from outside, still short of the bound
        {310, 400, 700, 400, 0, 325, 400, 5, 0},     // from outside, in: only the part inside
        {500, 400, 700, 400, 0, 515, 400, 15, 0},    // inside to inside: all of it
        {720, 400, 320, 400, 0, 704, 400, 0, 0},     // from outside the high bound, still out
        {714, 400, 320, 400, 0, 698, 400, -6, 0},    // from outside the high bound, in
        {500, 520, 500, 528, 8, 500, 528, 0, 8},     // the quake pushes past: up to the bound
        {500, 530, 500, 528, 8, 500, 528, 0, 0},     // already past it: nothing
        {500, 540, 500, 400, 0, 500, 524, 0, -4},    // from past it back in
        {500, 250, 500, 240, -16, 500, 240, 0, -10}, // the quake pushes past the low bound
        {32767, 400, 33000, 400, 0, 320, 400, 320 - 32767, 0, true},  // a step right wraps
        {500, 32767, 500, 33000, 0, 500, 240, 0, 240 - 32767, true},  // a step down wraps
    };
    SCR_SetCameraSpeed(0, 1, 16);
    const RECT stage = SCR_SCROLL_RECT;
    for (const Case& c : cases) {
        SCR_SCROLL_RECT = c.wide ? RECT{0, 0, 40000, 40000} : stage;
        SCR_SetCamera(SCR_CAMERA_FIXED, nullptr, nullptr);
        CAMERA_DATA.fixed_x = c.target_x, CAMERA_DATA.fixed_y = c.target_y;
        SCR_SetScrollPos(c.old_x, c.old_y);
        const int32_t bx = MAP_DATA.scroll_x, by = MAP_DATA.scroll_y;
        SCR_UpdateCamera(c.quake);
        EXPECT_EQ(std::tuple(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y), std::tuple(c.x, c.y)) << c.old_x << "," << c.old_y;
        EXPECT_EQ(std::tuple(MAP_DATA.scroll_x - bx, MAP_DATA.scroll_y - by), std::tuple(c.moved_x, c.moved_y))
            << c.old_x << "," << c.old_y;
    }
}

// ---- hits ----

// Each pair of attack boxes reaches a band of target heights around a point of the attacker:
// boxes 2 and 11 its middle (height + range / 2) +-8, boxes 4 and 12 its top +-12, boxes 1 and 10
// its feet +-8. A target of height h and range r is in reach when h <= the band's top and
// h + r >= its bottom.
TEST_F(Bounds, AttackBoxesReachTheirHeightBands) {
    support::SprFile f = support::MeleeSprFile("player", 0);
    for (support::SprPattern& p : f.patterns)
        for (int box : {1, 2, 4, 10, 11, 12}) p.hit[box] = RECT{-80, -90, 80, 0};
    ASSERT_TRUE(support::WriteSpr("Bmp/Meka/player.spr", f));
    Arm(HitSpec{}, 0, 127, 0);
    uint8_t* key = LIST_CURRENT.key;
    struct Case {
        int box, H, R, h, r, touch;
    };
    const Case cases[] = {
        // 2 and 11: 100 + 40 / 2 = 120, band 112..128.
        {2, 100, 40, 128, 10, 1}, {2, 100, 40, 129, 10, 0}, {2, 100, 40, 102, 10, 1}, {2, 100, 40, 101, 10, 0},
        {11, 100, 40, 128, 10, 1}, {11, 100, 40, 129, 10, 0}, {11, 100, 41, 128, 10, 1}, {11, 100, 41, 129, 10, 0},
        // 4 and 12: 100 + 40 = 140, band 128..152.
        {4, 100, 40, 152, 10, 1}, {4, 100, 40, 153, 10, 0}, {4, 100, 40, 118, 10, 1}, {4, 100, 40, 117, 10, 0},
        {12, 100, 40, 152, 10, 1}, {12, 100, 40, 153, 10, 0}, {12, 100, 40, 118, 10, 1}, {12, 100, 40, 117, 10, 0},
        // 1 and 10: 100, band 92..108.
        {1, 100, 40, 108, 10, 1}, {1, 100, 40, 109, 10, 0}, {1, 100, 40, 82, 10, 1}, {1, 100, 40, 81, 10, 0},
        {10, 100, 40, 108, 10, 1}, {10, 100, 40, 109, 10, 0}, {10, 100, 40, 82, 10, 1}, {10, 100, 40, 81, 10, 0},
    };
    for (const Case& c : cases) {
        WAZA_Put16(key, WAZA_KEY_HIT, 1 << c.box);
        player->height = c.H, player->height_range = int16_t(c.R);
        dummy->height = c.h, dummy->height_range = int16_t(c.r);
        Current(player);
        EXPECT_EQ(HIT_Check(0, 0), uint32_t(c.touch)) << "box " << c.box << " H " << c.H << " R " << c.R << " h " << c.h;
    }
    // A target that is down is reached by boxes 1 and 10 only, and from its count 10 by none.
    player->height = 0, player->height_range = 40;
    dummy->height = 0, dummy->height_range = 10;
    CHR_SetState(dummy, 8);
    for (const auto& [box, counter, touch] : {std::tuple{2, 0, 0}, {12, 0, 0}, {1, 9, 1}, {10, 9, 1}, {10, 10, 0}}) {
        WAZA_Put16(key, WAZA_KEY_HIT, 1 << box);
        dummy->chr->state_counter = int16_t(counter);
        Current(player);
        EXPECT_EQ(HIT_Check(0, 0), uint32_t(touch)) << "box " << box << " down count " << counter;
    }
}

// The kind-7 mark of an absorbed hit: 8 sub-steps of the attacker's velocity back from the target,
// then 16 - rand() % 33 across and 56 - rand() % 33 down (after the freeze draw), halfway up
// between the two plus 80. Behind a target at 32,767 the 16.16 sum wraps.
TEST_F(Bounds, AnAbsorbedHitShowsBehindTheTarget) {
    struct Case {
        uint32_t seed;
        int32_t vx, vy, attacker_h, target_h;
        int32_t x, y, h;
        int32_t target_x = 310;
    };
    const Case cases[] = {
        {11, 0, 0, 0, 0, 299, 340, 80},
        {12, 2 << 16, -(1 << 16), 40, 100, 292, 336, 150},
        {13, -(3 << 15), 5 << 15, 100, 41, 330, 330, 151},
        {11, -(1 << 16), 0, 0, 0, 32767 + 8 - 65536 + 16 - 27, 340, 80, 32767},  // the draws of the first row
    };
    HitSpec h;
    h.base = 300;
    for (const Case& c : cases) {
        Arm(h, 1 << 2 | 1 << 11, 1, c.target_x - 300);
        Current(dummy);
        ASSERT_EQ(CHR_WazaStart(dummy, 0), 1);
        dummy->chr->armour = 5000, dummy->chr->freeze = 0;
        player->vx = c.vx, player->vy = c.vy;
        player->height = c.attacker_h, dummy->height = c.target_h;
        const int32_t tail = LIST_STATE_DATA.tail;
        plat::Srand(c.seed);
        HIT_Apply(dummy, player);
        const LIST_NODE* mark = LIST_Node(LIST_STATE_DATA.tail);
        ASSERT_TRUE(mark && mark->index != tail && mark->kind == LIST_KIND_EFT && mark->eft->kind == 7) << c.seed;
        EXPECT_EQ(std::tuple(mark->x, mark->y, mark->height), std::tuple(c.x, c.y, c.h)) << c.seed;
        BTL_DeleteNonCharObjects();
        Disarm();
    }
}

// The chips under a box: from the chip of its top-left corner, its width (and height) in pixels,
// one chip more only where it starts inside a chip. The player's box 2 is (-24, -64, 24, -8).
TEST_F(Bounds, ABoxReachesAChipFurtherOnlyWhenItStartsInsideOne) {
    struct Case {
        int32_t x, y;  // the node; the box's corner is (x - 24, y - 64)
        int c, r, wall;
    };
    const Case cases[] = {
        {280, 320, 18, 17, 1}, {280, 320, 19, 17, 0}, {280, 320, 17, 19, 1}, {280, 320, 17, 20, 0},  // 256, 256
        {281, 320, 19, 17, 1}, {281, 320, 20, 17, 0}, {280, 321, 17, 20, 1}, {280, 321, 17, 21, 0},  // 257
        {8, 320, 2, 17, 1},    {8, 320, 3, 17, 0},    {16, 320, 3, 17, 1},   {16, 320, 4, 17, 0},    // -16, -8
    };
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 300, 300);
    for (const Case& k : cases) {
        p->x = k.x, p->y = k.y;
        Wall(k.c, k.r);
        EXPECT_EQ(MAP_CheckRect(p, MAP_WALL), k.wall) << k.x << "," << k.y << " chip " << k.c << "," << k.r;
        Cell(k.c, k.r).attr = 0;
    }
}

// ---- states ----

// A character down raises dust and two clods in its first 20 frames while it still slides faster
// than 4, and only on the ground.
TEST_F(Bounds, DustOfTheDownStateEndsAtFrameTwentyOrSpeedFour) {
    struct Case {
        int counter, speed_after, height, clods;
    };
    const Case cases[] = {{0, 5, 0, 2}, {19, 5, 0, 2}, {20, 5, 0, 0}, {19, 4, 0, 0}, {19, 30, 1, 0}, {7, 6, 0, 2}};
    for (const Case& c : cases) {
        LIST_NODE* n = Make(1, 1, CHR_CPU, 400, 400);
        Current(n);
        CHR_SetState(n, 8);
        n->chr->state_counter = int16_t(c.counter);
        n->chr->knock_speed = int16_t(c.speed_after + c.counter);  // falls by the counter first
        n->height = c.height;
        int gravity = 0;
        CHR_StateDown(&gravity);
        EXPECT_EQ(n->chr->knock_speed, c.speed_after) << c.counter;
        int clods = 0;  // its own, not those the dust throws up
        for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next))
            clods += e->kind == LIST_KIND_EFT && e->eft->kind == 15 && e->owner == n->index;
        EXPECT_EQ(clods, c.clods) << c.counter << " " << c.speed_after << " " << c.height;
        BTL_DeleteNonCharObjects();
        CHR_Delete(1);
    }
}

// Knocked down (knock kind 1), the pose follows the height change dz of the frame: with l = 1
// below vertical speed 9 and 2 from it, pose 0 above 4l, 1 above l, 2 within -l..l, 3 down to -4l,
// 4 below. dz is the vertical speed less air time squared / 8 (rounded down).
TEST_F(Bounds, FallPosesOfAKnockDown) {
    struct Case {
        int vspeed, air, pose;  // dz in the comment
    };
    const Case cases[] = {
        {5, 0, 0}, {4, 0, 1}, {2, 0, 1}, {1, 0, 2}, {-1, 0, 2}, {-2, 0, 3}, {-4, 0, 3}, {-5, 0, 4},  // l = 1
        {8, 8, 2},   // dz 0
        {9, 0, 0},   // dz 9 > 8
        {9, 1, 1},   // dz 8
        {10, 7, 1},  // dz 3
        {9, 7, 2},   // dz 2
        {9, 9, 2},   // dz -2
        {10, 10, 3}, // dz -3
        {10, 12, 3}, // dz -8
        {9, 12, 4},  // dz -9
    };
    for (const Case& c : cases) {
        for (int from : {c.pose - 1, c.pose, c.pose + 1}) {
            if (from < 0 || from > 4) continue;
            LIST_NODE* n = Make(1, 1, CHR_CPU, 400, 400);
            Current(n);
            CHR_SetState(n, 7);
            n->knock_kind = 1;
            n->height = 500;
            n->vspeed = int16_t(c.vspeed);
            n->chr->air_time = int16_t(c.air);
            n->chr->state_counter = 1;
            n->chr->state_aux = int16_t(from);
            int gravity = 0;
            CHR_StateBlown(&gravity);
            EXPECT_EQ(n->chr->state_aux, c.pose) << "vspeed " << c.vspeed << " air " << c.air << " from " << from;
            CHR_Delete(1);
        }
    }
}

// A target more than 100 pixels away is far: the combo starts on the second row.
TEST_F(Bounds, FarBeginsPastOneHundredPixels) {
    struct Case {
        int32_t dx, dy;
        bool far;
    };
    const Case cases[] = {{100, 0, false}, {101, 0, true}, {60, 80, false}, {60, 81, true}, {-100, 0, false}, {0, -101, true}};
    for (const Case& c : cases) {
        LIST_NODE* p = Make(0, 0, CHR_PLAYER, 400, 400);
        LIST_NODE* d = Make(1, 1, CHR_CPU, 400 + c.dx, 400 + c.dy);
        Aim(p, d);
        Current(p);
        support::FeedKeys(0);
        support::FeedKeys(0x20);
        EXPECT_EQ(CHR_ComboInput(1), 1);
        EXPECT_EQ(std::tuple(int(p->chr->combo_cells[1]), int(p->chr->combo_cells[4])), std::tuple(c.far ? 0 : 1, c.far ? 1 : 0))
            << c.dx << "," << c.dy;
        CHR_Delete(0);
        CHR_Delete(1);
    }
}

// ---- campaign ----

// Every weapon's prerequisites: with each prerequisite requested at exactly its level points the
// weapon opens; one point short on any one, or that one only open for request, and it stays locked.
TEST(Campaign, EveryWeaponsPrerequisites) {
    struct Pair {
        int weapon, points;
    };
    const std::array<std::vector<Pair>, CAMP_WEAPONS> table = {{
        {}, {}, {}, {}, {{1, 300}, {21, 200}}, {{11, 100}, {41, 100}}, {{8, 200}, {41, 100}}, {}, {}, {},
        {{1, 300}, {15, 100}}, {{0, 100}, {3, 50}}, {{11, 150}}, {{1, 200}, {3, 200}, {14, 100}}, {{7, 50}},
        {{14, 150}, {36, 100}}, {{0, 50}, {1, 50}, {3, 25}}, {{16, 100}, {39, 100}}, {}, {},
        {{18, 50}, {9, 100}}, {{18, 75}}, {{18, 150}}, {{2, 50}, {22, 50}, {33, 50}}, {}, {{24, 50}}, {},
        {{26, 50}}, {{26, 50}}, {{27, 50}, {28, 50}, {21, 50}}, {{2, 50}, {26, 75}}, {{19, 100}},
        {{31, 100}, {40, 100}}, {{41, 100}}, {{18, 50}, {24, 50}}, {{34, 100}, {27, 100}}, {{34, 100}, {28, 100}},
        {}, {}, {{38, 50}}, {{4, 50}, {36, 50}}, {{19, 0}}, {{24, 200}, {25, 200}, {33, 100}},
        {{34, 200}, {35, 200}, {33, 100}}, {{23, 200}, {30, 200}, {34, 300}},
    }};
    // Everything locked, then the weapon's pairs set; `spoil` (-1 none) is short of one point or
    // of the request.
    auto opens = [&](int w, int spoil, bool short_of_points) {
        CAMP_DATA = CampData{};
        for (size_t i = 0; i < table[w].size(); ++i) {
            CampWeapon& need = CAMP_DATA.weapon[table[w][i].weapon];
            need.status = CAMP_REQUESTED;
            need.level_points = table[w][i].points;
            if (int(i) == spoil) {
                if (short_of_points) need.level_points -= 1;
                else need.status = CAMP_CAN_REQUEST;
            }
        }
        CAMP_UpdateDevelop();
        return CAMP_DATA.weapon[w].status == CAMP_CAN_REQUEST;
    };
    for (int w = 0; w < CAMP_WEAPONS; ++w) {
        EXPECT_TRUE(opens(w, -1, false)) << w;
        for (size_t i = 0; i < table[w].size(); ++i) {
            EXPECT_FALSE(opens(w, int(i), false)) << w << " pair " << i << " not requested";
            if (table[w][i].points > 0) {
                EXPECT_FALSE(opens(w, int(i), true)) << w << " pair " << i << " short";
            }
        }
    }
    // Available counts as well as requested.
    CAMP_DATA = CampData{};
    CAMP_DATA.weapon[38].status = CAMP_AVAILABLE;
    CAMP_DATA.weapon[38].level_points = 50;
    CAMP_UpdateDevelop();
    EXPECT_EQ(CAMP_DATA.weapon[39].status, CAMP_CAN_REQUEST);
}

// ---- effects and rewards ----

// Rain spawns within 320 pixels either way of the camera, from 240 above it to 480 below, at a
// height of its depth below the camera plus 240 plus 0..63: every edge of that area is reached.
TEST_F(Bounds, RainSpawnsOverItsWholeArea) {
    BTL_SetKind(4);
    CAMERA_DATA.scroll_x = 500, CAMERA_DATA.scroll_y = 400;
    EFT_SetAmbientCount(900);
    int32_t lo_x = INT32_MAX, hi_x = INT32_MIN, lo_y = INT32_MAX, hi_y = INT32_MIN, lo_h = INT32_MAX, hi_h = INT32_MIN;
    for (int batch = 0; batch < 28; ++batch) {
        ASSERT_EQ(EFT_SpawnAmbient(), 0);
        for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next)) {
            if (e->kind != LIST_KIND_EFT || e->eft->kind != 25) continue;
            const int32_t lift = e->height - (e->y - 400) - 240;
            lo_x = std::min(lo_x, e->x), hi_x = std::max(hi_x, e->x);
            lo_y = std::min(lo_y, e->y), hi_y = std::max(hi_y, e->y);
            lo_h = std::min(lo_h, lift), hi_h = std::max(hi_h, lift);
        }
        BTL_DeleteNonCharObjects();
    }
    EXPECT_EQ(std::tuple(lo_x, hi_x, lo_y, hi_y, lo_h, hi_h), std::tuple(180, 820, 160, 880, 0, 63));
}

// The gauge reward of a destroyed enemy by battle kind: story 100 %, survival with records,
// challenge and survival by levels 25 %, map test 50 %, the rest nothing; never for slot 0.
TEST_F(Bounds, RewardsOfADestructionByBattleKind) {
    const int percent[10] = {100, 0, 0, 0, 25, 50, 25, 25, 0, 0};
    for (int kind = 0; kind < 10; ++kind) {
        for (int slot : {1, 0}) {
            BTL_SetKind(kind);
            LIST_NODE* n = Make(slot, slot ? 1 : 0, slot ? CHR_CPU : CHR_PLAYER, 400, 400);
            BTL_RecordOn(true);
            BTL_Recorded().clear();
            CHR_SetState(n, 8);
            n->chr->state_counter = 19;
            n->chr->levels = -1;
            Update(n);
            ASSERT_EQ(CHR_TABLE[slot], nullptr);
            std::vector<std::string> rewards;
            for (const std::string& l : BTL_Recorded())
                if (l.rfind("BTL_AddGaugePool", 0) == 0) rewards.push_back(l);
            const int want = slot ? percent[kind] : 0;
            EXPECT_EQ(rewards, want ? std::vector<std::string>{"BTL_AddGaugePool " + std::to_string(slot ? 1 : 0) + " " + std::to_string(want)}
                                    : std::vector<std::string>{})
                << "kind " << kind << " slot " << slot;
            BTL_RecordOn(false);
            BTL_DeleteNonCharObjects();
        }
    }
}

}  // namespace
