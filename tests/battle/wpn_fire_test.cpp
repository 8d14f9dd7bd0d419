// Fire orders: shot timing, loops and their adjustments, the five fire modes' angles and the beam's
// chain length, muzzle boxes, freezes, the rules that end an order, muzzle effects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "battle/hit_resolve.h"
#include "platform/random.h"
#include "tests/battle/weapons_test_util.h"

namespace {

using support::WpnSpec;
using weapons_test::Weapons;

struct Fire : Weapons {
    // A weapon of kStraight bullets aimed at the dummy's position at every shot.
    static WpnSpec Gun(int8_t mode = 0, uint16_t per_shot = 1, uint16_t loops = 10) {
        WpnSpec w = support::FixtureWeapon(support::kStraight);
        w.mode = mode, w.per_shot = per_shot, w.loops = loops;
        return w;
    }
    // Bullets made by the order's updates: one count after each of n updates.
    std::vector<int> ShotsPerUpdate(LIST_NODE* order, int n) {
        std::vector<int> v;
        for (int i = 0; i < n; ++i) {
            const size_t before = Bullets().size();
            Run(order);
            v.push_back(int(Bullets().size() - before));
        }
        return v;
    }
    // The turns of the bullets' aim points about the muzzle's ground point (270, 300), from the line
    // at the dummy, in firing order: a turn by a clockwise on the screen is -a.
    std::vector<double> Angles() {
        std::vector<double> v;
        for (const LIST_NODE* b : Bullets())
            v.push_back(-std::atan2(b->tama->aim_point[1] - 300.0, b->tama->aim_point[0] - 270.0) * 180 / 3.14159265358979);
        return v;
    }
};

// Each angle within half a degree of the one expected (the aim point is turned in fixed point).
void ExpectAngles(const std::vector<double>& got, const std::vector<int>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 0.5) << "bullet " << i;
}

TEST_F(Fire, AShotComesEveryIntervalPlusOneUpdates) {
    struct Case {
        uint16_t interval, adjust;
        std::vector<int> shots;
    };
    const Case cases[] = {
        {0, 0, {1, 1, 1, 1, 1, 1, 1}},
        {2, 0, {1, 0, 0, 1, 0, 0, 1}},
        {1, 1, {1, 0, 0, 1, 0, 0, 1}},  // the adjustment adds to the interval
        {5, 0, {1, 0, 0, 0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        WpnSpec w = Gun();
        w.interval = c.interval, w.interval_adj = c.adjust;
        LIST_NODE* order = Shoot(w);
        ASSERT_NE(order, nullptr);
        EXPECT_EQ(ShotsPerUpdate(order, 7), c.shots) << "interval " << c.interval;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, LoopsBulletsAndTheirAdjustments) {
    struct Case {
        int8_t mode;
        uint16_t loops, loops_adj, per_shot, per_shot_adj;
        int loops_left, per_shot_left;
    };
    const Case cases[] = {
        {0, 3, 1, 2, 0, 2, 2},
        {0, 2, 5, 1, 0, 1, 1},    // more adjustment than loops: one shot, not none
        {0, 1, 0, 2, 7, 1, 1},
        {0, 4, 4, 1, 1, 0, 0},    // exactly 0 stays 0
        {4, 70, 0, 1, 0, 63, 1},  // a beam is at most 63 long
        {1, 70, 0, 1, 0, 70, 1},
    };
    for (const Case& c : cases) {
        WpnSpec w = Gun(c.mode, c.per_shot, c.loops);
        w.loops_adj = c.loops_adj, w.per_shot_adj = c.per_shot_adj;
        LIST_NODE* order = Shoot(w);
        ASSERT_NE(order, nullptr);
        EXPECT_EQ(std::tuple(int(order->wp2->loops), int(order->wp2->per_shot), int(order->priority)),
                  std::tuple(c.loops_left, c.per_shot_left, c.mode == 4 ? 5 : 4))
            << "loops " << c.loops << " - " << c.loops_adj;
        support::EndBattle();
        SetUp();
    }
    // Three loops of two: three shots, then the order ends with its last.
    LIST_NODE* order = Shoot(Gun(0, 2, 3));
    EXPECT_EQ(ShotsPerUpdate(order, 3), (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(order->in_use, 0);
    EXPECT_EQ(std::tuple(wp2Cnt, shooter->fire_order), std::tuple(0, LIST_NO_FIRE_ORDER));
}

TEST_F(Fire, EvenSpreadCentresOnTheAim) {
    for (uint16_t n : {4, 3}) {
        WpnSpec w = Gun(3, n, 1);
        w.p1 = 10, w.p2 = 0;
        Run(Shoot(w));
        ExpectAngles(Angles(), n == 4 ? std::vector<int>{-15, -5, 5, 15} : std::vector<int>{-10, 0, 10});
        support::EndBattle();
        SetUp();
    }
    // A jitter of p2 moves the whole spread once, at its first bullet, by random(p2 + 1) - p2 / 2:
    // the steps stay p1, and the shot takes that one draw. A p2 + 1 below 1 draws 0 (C's remainder
    // would not): -5 moves it by 0 - (-5 / 2).
    plat::Srand(77);
    int r[2];
    for (int& v : r) v = plat::Rand();
    ASSERT_NE(r[1] % 9, 4);  // a second jitter would move the rest
    ASSERT_NE(r[0] % 4, 0);  // C's remainder by -4 would move the -5 row
    for (const auto& [p2, j] : {std::pair{8, r[0] % 9 - 4}, {-5, 2}}) {
        WpnSpec w = Gun(3, 3, 1);
        w.p1 = 20, w.p2 = int16_t(p2);
        LIST_NODE* order = Shoot(w);
        plat::Srand(77);
        Run(order);
        ExpectAngles(Angles(), {-20 + j, j, 20 + j});
        EXPECT_EQ(plat::Rand(), r[1]) << p2;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, FanSweepAndRandomSpread) {
    WpnSpec fan = Gun(1, 4, 1);
    fan.p1 = 7, fan.p2 = -5, fan.p3 = 1;  // p2 + p1 x p3, p3 counting up
    Run(Shoot(fan));
    ExpectAngles(Angles(), {2, 9, 16, 23});
    support::EndBattle();
    SetUp();
    // The sweep turns back only once it has passed p2, so its extreme lies beyond p2 by at most p1;
    // reaching p2 is not passing it.
    struct Sweep {
        int16_t p1, p2;
        std::vector<int> angles;
    };
    for (const Sweep& c : {Sweep{10, 25, {10, 20, 30, 20, 10, 0, -10, -20}}, Sweep{10, 20, {10, 20, 30, 20, 10, 0, -10, -20, -30, -20}}}) {
        WpnSpec sweep = Gun(2, uint16_t(c.angles.size()), 1);
        sweep.p1 = c.p1, sweep.p2 = c.p2;
        Run(Shoot(sweep));
        ExpectAngles(Angles(), c.angles);
        support::EndBattle();
        SetUp();
    }
    // The random spread p2 + p1 - random(2 x p1) draws 0 for a 2 x p1 below 1: all at p2 + p1.
    for (const auto& [p1, lo, hi] : {std::tuple{6, 84, 96}, {-6, 84, 84}}) {
        WpnSpec spread = Gun(0, 12, 1);
        spread.p1 = int16_t(p1), spread.p2 = 90;
        Run(Shoot(spread));
        for (double a : Angles()) EXPECT_TRUE(a >= lo - 0.5 && a <= hi + 0.5) << p1 << ": " << a;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, AimSourceAndOriginModesPickThePointsOfTheShot) {
    // The order starts with the shooter at (300, 300) and the dummy at (700, 300); before the shot
    // the shooter has moved to (320, 310) with a mount offset of (40, -60) and the dummy to (600, 500).
    // The bullet flies from the aim source towards the aim point (both at the muzzle's height).
    struct Case {
        uint8_t source, origin;
        POINT from, to;
    };
    const Case cases[] = {
        {0, 0, {290, 310}, {300, 300}},  // the muzzle's x on the shooter's ground line; the mount at the start
        {1, 0, {320, 310}, {300, 300}},  // the shooter
        {2, 0, {600, 500}, {300, 300}},  // the target now
        {3, 0, {290, 310}, {300, 300}},  // no such source: as 0
        {0, 1, {290, 310}, {360, 250}},  // the shooter's mount now
        {0, 2, {290, 310}, {700, 300}},  // the target at the start
        {0, 3, {290, 310}, {600, 500}},  // the target now
        {0, 4, {290, 310}, {300, 300}},  // no such origin: as 0
        {0, 255, {290, 310}, {300, 300}},
    };
    for (const Case& c : cases) {
        WpnSpec w = Gun(0, 1, 1);
        w.source = c.source, w.origin = c.origin;
        LIST_NODE* order = Shoot(w);
        ASSERT_NE(order, nullptr);
        LIST_SetPos(shooter, 320, 310, 0);
        shooter->chr->aim[0] = 40, shooter->chr->aim[1] = -60;
        LIST_SetPos(dummy, 600, 500, 0);
        Run(order);
        ASSERT_EQ(Bullets().size(), 1u);
        const LIST_NODE* b = Bullets()[0];
        int32_t vx, vy;
        MTH_GetDirVec(c.from.x, c.from.y, c.to.x, c.to.y, &vx, &vy);
        EXPECT_EQ(std::tuple(b->tama->aim_point[0], b->tama->aim_point[1], b->vx, b->vy), std::tuple(c.to.x, c.to.y, vx, vy))
            << "source " << int(c.source) << " origin " << int(c.origin);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, ABeamGrowsToSixtyThreeAndShrinksToNothingWithoutEnding) {
    for (int step : {1, -1}) {
        Param2(support::kLaser, 0, 11, step);
        WpnSpec w = support::FixtureWeapon(support::kLaser);
        w.interval = 0, w.loops = 4;
        LIST_NODE* order = Shoot(w);
        ASSERT_NE(order, nullptr);
        std::vector<int> lengths;
        for (int i = 0; i < 70; ++i) {
            Run(order);
            lengths.push_back(order->wp2->loops);
        }
        if (step > 0) {
            EXPECT_EQ(std::vector<int>(lengths.begin(), lengths.begin() + 3), (std::vector<int>{5, 6, 7}));
            EXPECT_EQ(lengths[58], 63);
            EXPECT_EQ(lengths.back(), 63);
            EXPECT_EQ(Bullets().size(), 63u);  // one segment a shot until every slot is taken
        } else {
            EXPECT_EQ(std::vector<int>(lengths.begin(), lengths.begin() + 5), (std::vector<int>{3, 2, 1, 0, 0}));
            EXPECT_EQ(order->in_use, 1);
            EXPECT_EQ(Bullets().size(), 2u);  // slots 0 and 1 while the chain was long enough
        }
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, MuzzleCodesPickTheBoxes) {
    struct Case {
        uint8_t code;
        uint16_t per_shot;
        std::vector<int> boxes;
        bool lives;
    };
    const Case cases[] = {
        {6, 3, {6, 6, 6}, true},
        {17, 3, {5, 6, 5}, true},
        {18, 2, {5, 6}, true},
        {18, 3, {5, 6}, false},  // box 7 is empty in the mech's frames
        {7, 1, {}, false},
        {19, 1, {}, false},      // no such box
        {15, 2, {15, 15}, true},
    };
    for (const Case& c : cases) {
        WpnSpec w = Gun(0, c.per_shot, 5);
        w.muzzle = c.code;
        LIST_NODE* order = Shoot(w);
        Run(order);
        std::vector<int> boxes;
        for (const LIST_NODE* b : Bullets()) boxes.push_back(b->tama->muzzle_box);
        EXPECT_EQ(boxes, c.boxes) << "code " << int(c.code);
        EXPECT_EQ(order->in_use != 0, c.lives) << "code " << int(c.code);
        support::EndBattle();
        SetUp();
    }
    // Code 16: box 5 or 6 for each bullet.
    WpnSpec w = Gun(0, 20, 1);
    w.muzzle = 16;
    Run(Shoot(w));
    int fives = 0;
    for (const LIST_NODE* b : Bullets()) {
        EXPECT_TRUE(b->tama->muzzle_box == 5 || b->tama->muzzle_box == 6);
        fives += b->tama->muzzle_box == 5;
    }
    EXPECT_TRUE(fives > 0 && fives < 20) << fives;
}

TEST_F(Fire, AFrozenOwnerNeitherFiresNorCountsDown) {
    WpnSpec w = Gun();
    w.interval = 2;
    LIST_NODE* order = Shoot(w);
    shooter->chr->freeze = 2;
    EXPECT_EQ(ShotsPerUpdate(order, 2), (std::vector<int>{0, 0}));
    shooter->chr->freeze = 0;
    EXPECT_EQ(ShotsPerUpdate(order, 1), (std::vector<int>{1}));
    shooter->chr->freeze = 1;
    EXPECT_EQ(ShotsPerUpdate(order, 1), (std::vector<int>{0}));
    shooter->chr->freeze = 0;
    EXPECT_EQ(ShotsPerUpdate(order, 3), (std::vector<int>{0, 0, 1}));
}

TEST_F(Fire, AnOrderEndsWithItsOwnersTechniqueOrTarget) {
    enum End { kEndWaza, kOtherTechnique, kNoContinue, kTargetGone, kOwnerGone };
    for (End e : {kEndWaza, kOtherTechnique, kNoContinue, kTargetGone, kOwnerGone}) {
        WpnSpec w = Gun(0, 1, 50);
        if (e == kNoContinue) w.cont = 2;  // keyframe 1 only
        LIST_NODE* order = Shoot(w);
        ASSERT_NE(order, nullptr);
        if (e != kNoContinue) {
            Run(order);
            ASSERT_EQ(order->in_use, 1);
        }
        switch (e) {
            case kEndWaza: CHR_SetWazaPhase(shooter, 0); break;
            case kOtherTechnique: shooter->chr->waza = 1; break;
            case kNoContinue: break;
            case kTargetGone: CHR_Delete(1); break;
            case kOwnerGone: CHR_Delete(0); break;
        }
        Run(order);
        EXPECT_EQ(order->in_use, 0) << "case " << e;
        EXPECT_EQ(wp2Cnt, 0) << "case " << e;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Fire, AnOrderThatEndsClearsItsOwnersFieldThoughANewerOneFires) {
    LIST_NODE* first = Shoot(Gun(0, 1, 1));
    const int32_t second = WPN_Create(shooter, first->wp2->weapon);
    EXPECT_EQ(std::tuple(shooter->fire_order, wp2Cnt), std::tuple(int16_t(second), 2));
    Run(first);  // its only loop: it ends
    EXPECT_EQ(std::tuple(first->in_use, shooter->fire_order, wp2Cnt), std::tuple(0, LIST_NO_FIRE_ORDER, 1));
    EXPECT_EQ(LIST_Node(second)->in_use, 1);
}

TEST_F(Fire, MuzzleEffectsComeWithTheFirstBulletOnly) {
    WpnSpec w = Gun(0, 3, 1);
    w.effect = 14, w.effect_count = 62;  // two of kind 13
    Run(Shoot(w));
    EXPECT_EQ(Bullets().size(), 3u);
    EXPECT_EQ(CountEffects(13), 2);
    for (const LIST_NODE* e : Nodes(LIST_KIND_EFT)) {
        if (e->eft->kind != 13) continue;
        EXPECT_EQ(std::tuple(e->x, e->y, e->owner), std::tuple(270, 290, shooter->index));
    }
}

TEST_F(Fire, BulletsCarryTheOrdersTechniqueAndTheirOwner) {
    WpnSpec w = Gun();
    w.hit_kind = 0;
    LIST_NODE* order = Shoot(w);
    shooter->chr->repeats = 2;
    order->wp2->repeats = 2;
    Run(order);
    ASSERT_EQ(Bullets().size(), 1u);
    const LIST_NODE* b = Bullets()[0];
    EXPECT_EQ(std::tuple(b->owner, b->target, b->team, b->slot, b->priority), std::tuple(shooter->index, dummy->index, 0, 0, 4));
    EXPECT_EQ(std::tuple(b->tama->waza, b->tama->repeats, b->tama->hit_kind), std::tuple(0, 2, 0));
    // Fired from box 6's left and bottom, its rise on top of the owner's height.
    EXPECT_EQ(std::tuple(b->x, b->y, b->height), std::tuple(270, 290, 20));
    EXPECT_EQ(LIST_STATE_DATA.wpnCnt, 1);
    EXPECT_EQ(shooter->chr->cancel_ok, 1);
}

}  // namespace
