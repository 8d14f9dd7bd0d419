// Bullet motion: homing turns and facing, the wobbling missile's modes, sticky mines, inertial
// homing, proximity, fields on their anchors, and laser chains: placement, growth, cut and regrowth,
// phases shared by the beam, slots held by their own segments, link effects and the wall reversal.
#include <gtest/gtest.h>

#include <cmath>

#include "battle/hit_resolve.h"
#include "tests/battle/weapons_test_util.h"

namespace {

using support::TamaKey;
using support::TamaPhaseSpec;
using support::TamaSpec;
using weapons_test::Weapons;

TamaSpec Missile(uint8_t variant, int16_t speed, std::initializer_list<std::pair<int, int32_t>> params = {}) {
    TamaSpec s;
    TamaPhaseSpec& p = s.phase[0];
    p.key[0] = TamaKey(support::kBulletSeq, 2, 200);
    p.cls = TAMA_MISSILE, p.variant = variant, p.speed = speed;
    for (const auto& [i, v] : params) p.p[size_t(i)] = v;
    return s;
}

struct Motion : Weapons {
    // The fixture laser fired at (tx, ty) for `shots` updates of its order; the order.
    LIST_NODE* Laser(int shots, int16_t loops = 4, int32_t tx = 700, int32_t ty = 300) {
        support::WpnSpec w = support::FixtureWeapon(support::kLaser);
        w.loops = loops, w.interval = 0;
        LIST_NODE* order = Shoot(w, 300, 300, tx, ty);
        for (int i = 0; i < shots; ++i) Run(order);
        return order;
    }
    // One frame of the whole beam: the order, then each segment in list order.
    static void BeamFrame(LIST_NODE* order) {
        Run(order);
        for (LIST_NODE* b : Bullets()) Run(b);
    }
    static std::vector<int> Slots(const LIST_NODE* order, int n) {
        std::vector<int> v;
        for (int k = 0; k < n; ++k) {
            const LIST_NODE* s = WPN_SlotBullet(order, k);
            v.push_back(s ? s->index : -1);
        }
        return v;
    }
};

TEST_F(Motion, TurnSignsTakeTheShortWayRound) {
    struct Case {
        int a, b, sign;
    };
    const Case cases[] = {{10, 20, -1}, {350, 10, -1}, {20, 10, 1}, {10, 350, 1}, {0, 180, -1}, {180, 0, 1}, {0, 181, 1}, {181, 0, -1}, {90, 90, 1}};
    for (const Case& c : cases) EXPECT_EQ(TAMA_TurnSign(c.a, c.b, 360), c.sign) << c.a << " to " << c.b;
}

TEST_F(Motion, HomingTurnsByItsStepAndFacesByItsMode) {
    struct Case {
        int32_t step, facing;
        bool turns, faces;
    };
    const Case cases[] = {{0, 0, false, false}, {0, 4, false, true}, {6, 0, true, false}, {6, 4, true, true}, {6, 1, true, true}};
    for (const Case& c : cases) {
        LIST_NODE* b = FireOne({Missile(1, 6, {{1, c.step}, {2, c.facing}})});
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(std::tuple(b->vx, b->vy), std::tuple(65535, 0));
        LIST_SetPos(dummy, 600, 600, 0);  // below and ahead
        const uint8_t offset = SP_Anim(b->sprite)->pattern_offset;
        Frames(b, 10);
        EXPECT_EQ(b->vy > 0, c.turns) << c.step << " " << c.facing;
        if (!c.turns) {
            EXPECT_EQ(std::tuple(b->vx, b->vy), std::tuple(65535, 0));
        }
        const uint8_t now = SP_Anim(b->sprite)->pattern_offset;
        EXPECT_EQ(now != offset, c.faces) << c.step << " " << c.facing;
        // Turned from the right (270) down towards the dummy (360).
        if (c.turns) {
            EXPECT_TRUE(Heading(b) > 290 && Heading(b) < 345) << Heading(b);
        }
        support::EndBattle();
        SetUp();
    }
    // Without a target it stops homing for good.
    LIST_NODE* b = FireOne({Missile(1, 6, {{1, 6}, {2, 4}})});
    CHR_Delete(1);
    Frames(b, 1);
    EXPECT_EQ(b->tama->w[0], 0);
}

TEST_F(Motion, TheFacingModesTurnTheSpriteByTheStepTheSignOrToTheirSector) {
    // Flying right with the target straight below: the velocity turns 3 degrees towards it and the
    // sprite (24 sectors, 0 down, 18 right) by the mode from sector 5, or from its own sector.
    struct Case {
        int facing;
        int8_t from;
        int dir;
    };
    const Case cases[] = {
        {0, 5, 5},                                      // left alone
        {1, 5, 0},                                      // faces the target
        {2, 5, 8}, {2, 0, 0},                           // minus sign x step while the sectors differ
        {3, 5, 6}, {3, 23, 0},                          // minus the sign, brought into 0..23
        {4, 5, 18},                                     // faces the velocity
        {5, 5, 8}, {5, 18, 18},
        {6, 5, 6},
    };
    LIST_NODE* b = FireOne({Missile(0, 0)});
    ASSERT_NE(b, nullptr);
    for (const Case& c : cases) {
        TAMA_SetPos(b, 400, 300, 0);
        b->vx = 65535, b->vy = 0;
        b->dir = c.from;
        SP_Anim(b->sprite)->pattern_offset = 77;
        EXPECT_EQ(TAMA_SteerTo(b, 400, 400, 3, c.facing, 15), 90) << c.facing;
        EXPECT_TRUE(b->vx > 0 && b->vy > 0) << c.facing;  // turned down a little
        EXPECT_EQ(int(b->dir), c.dir) << c.facing << " from " << int(c.from);
        EXPECT_EQ(int(SP_Anim(b->sprite)->pattern_offset), c.facing == 0 ? 77 : c.dir) << c.facing;
    }
    // Turning the other way: the target above, the sign +1.
    TAMA_SetPos(b, 400, 300, 0);
    b->vx = 65535, b->vy = 0;
    b->dir = 0;
    TAMA_SteerTo(b, 400, 200, 3, 3, 15);
    EXPECT_EQ(std::tuple(b->vy < 0, int(b->dir)), std::tuple(true, 23));
}

TEST_F(Motion, TheProximityRadiusEndsAMissileNearItsTarget) {
    TamaSpec s = Missile(0, 10, {{15, 60}});
    s.phase[0].end = 1;
    s.phase[1] = Missile(0, 0).phase[0];
    LIST_NODE* b = FireOne({s}, 0, 450, 290);
    int frames = 0;
    while (Tama(b).phase == 0 && frames < 30) {
        Frames(b, 1);
        ++frames;
    }
    EXPECT_EQ(Tama(b).phase, 1);
    EXPECT_TRUE(b->x >= 385 && b->x <= 410) << b->x;
    // A still missile ends only strictly inside the radius; a radius below 0 never ends it.
    struct Case {
        int32_t radius, dx;
        int phase;
    };
    for (const Case& c : {Case{60, 60, 0}, Case{60, 59, 1}, Case{0, 0, 0}, Case{-60, 59, 0}}) {
        support::EndBattle();
        SetUp();
        TamaSpec still = Missile(0, 0, {{15, c.radius}});
        still.phase[0].end = 1;
        still.phase[1] = Missile(0, 0).phase[0];
        b = FireOne({still});
        ASSERT_NE(b, nullptr);
        LIST_SetPos(dummy, b->x + c.dx, b->y, 0);
        Frames(b, 1);
        EXPECT_EQ(Tama(b).phase, c.phase) << "radius " << c.radius << " at " << c.dx;
    }
}

TEST_F(Motion, TheWobblingMissileAlternatesHomingAndCoasting) {
    // The weave offset random(p2) and the phase timer random(p6) are 0 for a p2 or p6 below 1; with
    // no coasting time the missile never coasts, whatever the draws.
    struct Case {
        int32_t p2, p6;
        int offsets, timers;  // w4 lies within +-(offsets - 1), w7 within 0..timers - 1
        bool flips;
    };
    for (const Case& c : {Case{20, 4, 20, 4, true}, Case{-20, 4, 1, 4, true}, Case{20, -40, 20, 1, false}}) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            plat::Srand(seed);
            LIST_NODE* b = FireOne({Missile(2, 6, {{1, 5}, {2, c.p2}, {3, 4}, {5, 6}, {6, c.p6}, {10, 1}})});
            ASSERT_NE(b, nullptr);
            const int32_t* w = b->tama->w;
            EXPECT_EQ(std::tuple(w[0], w[1], w[2], std::abs(w[3]), w[5], w[6], w[10]), std::tuple(270, 5, c.p2, 4, 6, c.p6, 1));
            EXPECT_TRUE(std::abs(w[4]) < c.offsets && w[7] >= 0 && w[7] < c.timers && (w[8] == 0 || (w[8] == 1 && c.flips)))
                << c.p2 << " " << c.p6 << " seed " << seed << ": " << w[4] << " " << w[7] << " " << w[8];
            int flips = 0, last = w[8];
            for (int f = 0; f < 120; ++f) {
                Frames(b, 1);
                EXPECT_LE(std::abs(w[4]), std::max(c.p2, 0) + 4);
                flips += w[8] != last;
                last = w[8];
            }
            if (c.flips) {
                EXPECT_GE(flips, 6);  // each mode lasts 6 to 11 or 4 to 7 frames
            } else {
                EXPECT_EQ(flips, 0);
            }
            support::EndBattle();
            SetUp();
        }
    }
}

TEST_F(Motion, StickyMinesHoldToTheNearestEnemyInRange) {
    // A range of 0 never sticks: the mine stays where it was made.
    LIST_NODE* b = FireOne({Missile(3, 0, {{0, 0}})}, 0, 280, 300);
    EXPECT_EQ(b->tama->w[1], -1);
    Frames(b, 5);
    EXPECT_EQ(std::tuple(b->x, b->y, b->height), std::tuple(270, 290, 20));
    support::EndBattle();
    SetUp();
    b = FireOne({Missile(3, 0, {{0, 200}})}, 0, 380, 300);
    EXPECT_EQ(std::tuple(b->tama->w[1], b->tama->w[2], b->tama->w[3], b->tama->w[4]), std::tuple(1, -110, -10, 20));
    LIST_SetPos(dummy, 500, 400, 30);
    Frames(b, 1);
    EXPECT_EQ(std::tuple(b->x, b->y, b->height, b->x16), std::tuple(390, 390, 50, 390 << 16));
    CHR_Delete(1);  // its character gone, it ends (no end phase)
    Frames(b, 1);
    EXPECT_EQ(b->in_use, 0);
}

TEST_F(Motion, InertialHomingSlowsWhileTheAnglesDifferByTheUnwrappedAmount) {
    // Speed-up range w0, acceleration 3 to 20, deceleration 2 to 1, a turn of 5 degrees, facing on.
    struct Case {
        int heading, to;
        int32_t range;
        int step, turned, sector;
    };
    const Case cases[] = {
        {350, 10, 339, 8 - 2, 355, 1},  // 350 against 10: a difference of 340 however close they lie
        {350, 10, 341, 8 + 3, 355, 1},
        {90, 270, 339, 8 + 3, 95, 18},  // exactly opposite: the turn takes the + side ...
        {270, 90, 339, 8 + 3, 265, 6},  // ... counted from the smaller angle
    };
    for (const Case& c : cases) {
        LIST_NODE* b = FireOne({Missile(4, 8, {{0, c.range}, {1, 3}, {2, 20}, {3, 2}, {4, 1}, {5, 5}, {6, 1}})});
        MTH_AngleToVec(c.heading, &b->vx, &b->vy);
        ASSERT_EQ(Heading(b), c.heading);
        int32_t vx, vy;
        MTH_AngleToVec(c.to, &vx, &vy);
        dummy->x = b->x + int32_t((int64_t(vx) * 200) >> 16);
        dummy->y = b->y + int32_t((int64_t(vy) * 200) >> 16);
        ASSERT_EQ(MTH_GetDirIndex(1, b->x, b->y, dummy->x, dummy->y), c.to);
        Frames(b, 1);
        EXPECT_EQ(b->sub_step_size, c.step) << c.heading << " to " << c.to << " range " << c.range;
        MTH_AngleToVec(c.turned, &vx, &vy);
        EXPECT_EQ(std::tuple(b->vx, b->vy), std::tuple(vx, vy)) << c.heading << " to " << c.to;
        EXPECT_EQ(SP_Anim(b->sprite)->pattern_offset, c.sector) << c.heading << " to " << c.to;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Motion, APinnedFieldFollowsItsAnchorWhileItFires) {
    LIST_NODE* order = Shoot(support::FixtureWeapon(support::kBarrier));
    Run(order);
    LIST_NODE* b = Bullets().at(0);
    EXPECT_EQ(std::tuple(b->tama->linked, b->tama->w[0]), std::tuple(shooter->index, 6));
    ASSERT_EQ(shooter->chr->phase, 2);
    LIST_SetPos(shooter, 320, 310, 5);
    Frames(b, 1);
    RECT box;
    SP_GetHitBox(shooter->sprite, 6, &box);
    EXPECT_EQ(std::tuple(b->x, b->y, b->height), std::tuple(320 + box.left, 310 + box.bottom, 5 + box.bottom - box.top));
    CHR_SetWazaPhase(shooter, 1);
    Frames(b, 1);
    EXPECT_EQ(b->in_use, 0);
}

TEST_F(Motion, AnExpandingFieldGrowsToItsLimit) {
    LIST_NODE* order = Shoot(support::FixtureWeapon(support::kExpanding));
    Run(order);
    LIST_NODE* b = Bullets().at(0);
    RECT box;
    std::vector<int> radii;
    for (int f = 0; f < 30; ++f) {
        Frames(b, 1);
        SP_GetHitBox(shooter->sprite, 6, &box);
        const double dx = b->x - (shooter->x + box.left), dy = b->y - (shooter->y + box.bottom);
        radii.push_back(int(std::lround(std::sqrt(dx * dx + dy * dy))));
    }
    // The radius of each frame is the one grown so far, 4 a sub-step, 96 at most.
    for (int f = 0; f < 30; ++f) EXPECT_NEAR(radii[size_t(f)], std::min(4 * f, 96), 1.5) << f;
}

TEST_F(Motion, TheBeamIsPlacedFromTheMuzzleTipToTip) {
    LIST_NODE* order = Laser(4);
    ASSERT_EQ(Bullets().size(), 4u);
    EXPECT_EQ(Slots(order, 5)[4], -1);
    BeamFrame(order);
    const std::vector<LIST_NODE*> beam = Bullets();
    ASSERT_EQ(beam.size(), 4u);
    RECT m;
    SP_GetHitBox(shooter->sprite, 6, &m);
    const int32_t rise = m.bottom - m.top;
    EXPECT_EQ(std::tuple(beam[0]->x, beam[0]->y, beam[0]->height), std::tuple(300 + m.left, 300 + m.top + rise, rise));
    for (int k = 1; k < 4; ++k) {
        const LIST_NODE* pred = beam[size_t(k - 1)];
        const POINT tip = support::BulletTip(pred->dir);
        EXPECT_EQ(std::tuple(beam[size_t(k)]->x, beam[size_t(k)]->y, beam[size_t(k)]->height),
                  std::tuple(pred->x + tip.x, pred->y + tip.y, pred->height))
            << k;
        EXPECT_EQ(beam[size_t(k)]->owner, pred->index);
        EXPECT_EQ(beam[size_t(k)]->tama->w[TAMA_W_RANGE], k);
    }
    // The head keeps its sector (no jitter); the others wave one sector a step about it, three at most.
    EXPECT_EQ(beam[0]->dir, MTH_GetVecDirIndex(9, beam[0]->vx, beam[0]->vy));
    for (int k = 1; k < 4; ++k) EXPECT_LE(std::abs(beam[size_t(k)]->dir - beam[0]->dir), 3) << k;
    // Both ends carry their link effect, on the order.
    std::vector<std::pair<int, int>> links;
    for (const LIST_NODE* e : Nodes(LIST_KIND_EFT))
        if (e->eft->kind == 21) links.push_back({e->eft->counter, e->eft->variant});
    EXPECT_EQ(links, (std::vector<std::pair<int, int>>{{0, 1}, {1, 4}}));
}

TEST_F(Motion, ASwingingHeadSweepsItsSectorBackAndForthOrRoundAndRound) {
    // Head variant 2 on a beam aimed right (sector 30 of 40): d = 30 + w2 with w2 from p1 / 2,
    // stepping by p0 and turning back once past p1, or wrapping into 0..39 for a p1 below 0.
    // Variant 1 (every p0-th frame, p1 degrees) turns the sprite from the head's own sector towards
    // the aim a little below sector 30: one reversed by a wall (-10) is not taken for 30.
    struct Case {
        uint8_t variant;
        int32_t p0, p1;
        std::vector<int> d;
        int8_t from = 30;  // the head's direction before the first frame
    };
    const Case cases[] = {
        {2, 2, 5, {32, 34, 36, 34, 32, 30, 28, 26, 24, 26}},
        {2, 7, -1, {29, 36, 3, 10, 17, 24, 31, 38, 5, 12}},  // w2 -1, then 6, 13, 20, 27, 34, 1, ...
        {1, 1, 1, {30, 30, 30}},
        {1, 1, 1, {31, 30, 30}, -10},
        {1, 1, 1, {21, 22, 23}, 20},
    };
    for (const Case& c : cases) {
        uint8_t* p = PhaseBytes(support::kLaser, 0);
        p[TAMA_PHASE_VARIANT] = c.variant;
        Param(support::kLaser, 0, 0, c.p0);
        Param(support::kLaser, 0, 1, c.p1);
        LIST_NODE* order = Laser(1);
        LIST_NODE* head = WPN_SlotBullet(order, 0);
        ASSERT_NE(head, nullptr);
        ASSERT_EQ(MTH_GetVecDirIndex(9, head->vx, head->vy), 30);
        head->dir = c.from;
        LIST_SetCurrent(head);  // whose frame counter variant 1 reads
        std::vector<int> d;
        for (size_t i = 0; i < c.d.size(); ++i) {
            TAMA_LaserHead(order);
            d.push_back(head->dir);
        }
        EXPECT_EQ(d, c.d) << int(c.variant) << ": " << c.p0 << " " << c.p1 << " from " << int(c.from);
        EXPECT_EQ(int(SP_Anim(head->sprite)->pattern_offset), c.d.back());
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Motion, AnElectricSegmentJittersAboutItsPredecessorByAGrowingAmount) {
    // Segment variant 0 with q0 1, q1 1, q2 3: each placement turns up to u0 sectors either way
    // from the segment before it, u0 growing by 1 to 3 and held there.
    uint8_t* p = PhaseBytes(support::kLaser, 0);
    p[TAMA_PHASE_SEG_VARIANT] = 0;
    Param2(support::kLaser, 0, 0, 1);
    Param2(support::kLaser, 0, 1, 1);
    Param2(support::kLaser, 0, 2, 3);
    LIST_NODE* order = Laser(2);
    LIST_NODE* head = WPN_SlotBullet(order, 0);
    LIST_NODE* seg = WPN_SlotBullet(order, 1);
    ASSERT_TRUE(head && seg);
    EXPECT_EQ(seg->tama->u[0], 1);
    std::vector<int> spread;
    int widest = 0;
    for (int f = 0; f < 40; ++f) {
        const int u0 = seg->tama->u[0];
        TAMA_LaserHead(order);
        TAMA_LaserChain(order);
        spread.push_back(seg->tama->u[0]);
        const int off = ((seg->dir - head->dir) % 40 + 60) % 40 - 20;
        EXPECT_LE(std::abs(off), u0) << f;
        widest = std::max(widest, std::abs(off));
    }
    EXPECT_EQ(std::vector<int>(spread.begin(), spread.begin() + 4), (std::vector<int>{2, 3, 3, 3}));
    EXPECT_EQ(widest, 3);
}

TEST_F(Motion, AHomingSegmentTurnsOneSectorFromItsPredecessorTowardsTheAim) {
    // Segment variant 1 on a beam whose head holds sector 30 (right), the aim about sector 38:
    // from segment q0 on, every q1-th segment turns one sector from the one its predecessor shows;
    // the others show their predecessor's. Every frame places the beam alike. A beam fired a
    // little right of down holds sector 39; with the aim down and to the left, the turn from a
    // predecessor at 39 wraps to 0.
    struct Case {
        int32_t q0, q1;
        std::vector<int> d;
        POINT fire{700, 300}, aim{600, 1300};
    };
    const Case cases[] = {
        {1, 1, {30, 31, 32, 33, 34, 35}},
        {3, 1, {30, 30, 30, 31, 32, 33}},
        {1, 2, {30, 30, 31, 31, 32, 32}},
        {1, 1, {39, 0, 1, 2, 3, 4}, {448, 1289}, {-300, 1126}},
    };
    for (const Case& c : cases) {
        PhaseBytes(support::kLaser, 0)[TAMA_PHASE_SEG_VARIANT] = 1;
        Param2(support::kLaser, 0, 0, c.q0);
        Param2(support::kLaser, 0, 1, c.q1);
        LIST_NODE* order = Laser(6, 6, c.fire.x, c.fire.y);
        ASSERT_EQ(Bullets().size(), 6u);
        LIST_SetPos(dummy, c.aim.x, c.aim.y, 0);
        for (int f = 0; f < 3; ++f) {
            TAMA_LaserHead(order);
            TAMA_LaserChain(order);
            std::vector<int> d;
            for (int k = 0; k < 6; ++k) d.push_back(WPN_SlotBullet(order, k)->dir);
            EXPECT_EQ(d, c.d) << c.q0 << " " << c.q1 << " from sector " << c.d[0] << " frame " << f;
        }
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Motion, ASegmentBeyondTheChainLengthFails) {
    LIST_NODE* order = Laser(4);
    order->wp2->loops = 2;
    order->wp2->per_shot = 0;
    for (LIST_NODE* b : Bullets()) Run(b);
    EXPECT_EQ(Bullets().size(), 2u);
    EXPECT_EQ(Slots(order, 4), (std::vector<int>{Bullets()[0]->index, Bullets()[1]->index, -1, -1}));
}

TEST_F(Motion, ACutBeamFreesTheSlotsBehindTheHitAndRegrows) {
    Param2(support::kLaser, 0, 15, 1);  // hit reaction 1
    LIST_NODE* order = Laser(10, 10);
    ASSERT_EQ(Bullets().size(), 10u);
    const std::vector<LIST_NODE*> beam = Bullets();
    LIST_SetCurrent(beam[3]);
    ASSERT_EQ(TAMA_LaserUpdate(1), 1);
    const std::vector<int> slots = Slots(order, 10);
    EXPECT_EQ(std::vector<int>(slots.begin() + 4, slots.end()), std::vector<int>(6, -1));
    for (int k = 0; k < 10; ++k) EXPECT_EQ(order->wp2->slots[k] == WPN_FREE_SLOT, k >= 4) << k;
    // The cut segments fail their next update and end without touching the slots.
    for (int k = 4; k < 10; ++k) Run(beam[size_t(k)]);
    EXPECT_EQ(Bullets().size(), 4u);
    // The order refills slot 4 first, from segment 3.
    Run(order);
    LIST_NODE* fresh = WPN_SlotBullet(order, 4);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(std::tuple(fresh->owner, fresh->tama->w[TAMA_W_RANGE]), std::tuple(beam[3]->index, 4));
}

TEST_F(Motion, AnEndingSegmentFreesOnlyItsOwnSlot) {
    LIST_NODE* order = Laser(4);
    const std::vector<LIST_NODE*> beam = Bullets();
    // Slot 2 given to segment 3: segment 2 no longer lives by it, ends and leaves it alone.
    order->wp2->slots[2] = uint16_t(beam[3]->index);
    Run(beam[2]);
    EXPECT_EQ(beam[2]->in_use, 0);
    EXPECT_EQ(order->wp2->slots[2], uint16_t(beam[3]->index));
    // Segment 3, its predecessor gone, ends too and frees its own slot, not the one that names it.
    Run(beam[3]);
    EXPECT_EQ(beam[3]->in_use, 0);
    EXPECT_EQ(order->wp2->slots[3], WPN_FREE_SLOT);
    EXPECT_EQ(order->wp2->slots[2], uint16_t(beam[3]->index));
    EXPECT_EQ(WPN_FindFreeSlot(order), 3);
}

TEST_F(Motion, TheWholeBeamChangesPhaseTogether) {
    // Phase 1 of the laser: the same beam, hit reaction 2 and a head that jitters by up to 2 sectors.
    uint8_t* p0 = PhaseBytes(support::kLaser, 0);
    uint8_t* p1 = PhaseBytes(support::kLaser, 1);
    std::copy(p0, p0 + TAMA_PHASE_SIZE, p1);
    p0[TAMA_PHASE_AFTER] = 1;
    Poke16(support::kLaser, 0, int(TAMA_PHASE_KEYS) + TAMA_KEY_LENGTH, 30);
    p0[int(TAMA_PHASE_KEYS) + TAMA_KEY_TIMING] = 2;  // a countdown of 30 frames
    Param(support::kLaser, 1, 1, 2);
    Param2(support::kLaser, 1, 15, 2);
    LIST_NODE* order = Laser(4);
    for (int f = 0; f < 40; ++f) BeamFrame(order);
    for (const LIST_NODE* b : Bullets())
        EXPECT_EQ(std::tuple(int(b->tama->phase), b->tama->u[TAMA_U_REACTION], b->tama->w[TAMA_W_FOLLOW]), std::tuple(1, 2, 0));
    ASSERT_EQ(Bullets().size(), 4u);
    EXPECT_EQ(WPN_SlotBullet(order, 0)->tama->w[1], 2);  // the head took phase 1's jitter
    // A new segment takes the beam's phase.
    order->wp2->loops = 5;
    Run(order);
    EXPECT_EQ(WPN_SlotBullet(order, 4)->tama->phase, 1);
}

TEST_F(Motion, AWallOfModeThreeReversesALaserSegmentInPlace) {
    Poke16(support::kLaser, 0, TAMA_PHASE_WALL_MODE, 3);  // the byte and the next, 0
    LIST_NODE* order = Laser(4);
    BeamFrame(order);
    LIST_NODE* seg = Bullets().at(2);
    const int8_t dir = seg->dir;
    const int32_t x = seg->x, y = seg->y;
    ASSERT_GT(dir, 0);
    Wall(x / 16, y / 16);
    const int16_t hits = order->wp2->beam_hits;
    LIST_SetCurrent(seg);
    EXPECT_EQ(TAMA_MoveStep(0, 1, 0), 1);
    // Turned about, left where it was; the beam counts the wall as a hit.
    EXPECT_EQ(std::tuple(seg->dir, seg->x, seg->y, int(seg->tama->wall_hit)), std::tuple(int8_t(-dir), x, y, 1));
    EXPECT_EQ(order->wp2->beam_hits, hits + 2);
    // Off the wall the flag clears and the direction stays.
    Cell(x / 16, y / 16).attr = 0;
    EXPECT_EQ(TAMA_MoveStep(0, 1, 0), 1);
    EXPECT_EQ(std::tuple(seg->dir, int(seg->tama->wall_hit), order->wp2->beam_hits), std::tuple(int8_t(-dir), 0, int16_t(hits + 2)));
}

TEST_F(Motion, AWallReversesASegmentAndTheChainTurnsItAway) {
    LIST_NODE* order = Laser(4);
    BeamFrame(order);
    const std::vector<LIST_NODE*> beam = Bullets();
    ASSERT_GT(beam[2]->dir, 0);
    ASSERT_GT(beam[3]->dir, 0);
    beam[2]->dir = int8_t(-beam[2]->dir);  // as a wall of mode 3 leaves them
    beam[3]->dir = int8_t(-beam[3]->dir);
    const int32_t wave2 = beam[0]->dir + beam[2]->tama->u[4], wave3 = beam[0]->dir + beam[3]->tama->u[4];
    LIST_SetCurrent(beam[0]);
    TAMA_LaserChain(order);
    // The first reversed segment turns 20 to 30 sectors off its wave; the next only waves.
    const int turn = ((beam[2]->dir - wave2) % 40 + 40) % 40;
    EXPECT_TRUE(turn >= 20 && turn <= 30) << turn;
    EXPECT_EQ(beam[3]->dir, ((wave3 % 40) + 40) % 40);
    for (const LIST_NODE* b : beam) EXPECT_TRUE(b->dir >= 0 && b->dir < 40);
}

}  // namespace
