// Bullet objects: creation refusals, sub-steps, gravity, speed and scale steps, keyframe timing and
// the animation stepper, phase entry and the order of the phase rules, walls, piercing, fire orders
// of bullets, and hits made with real bullets.
#include <gtest/gtest.h>

#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "platform/random.h"
#include "sprite/spr_set.h"
#include "tests/battle/weapons_test_util.h"

namespace {

using support::TamaKey;
using support::TamaPhaseSpec;
using support::TamaSpec;
using weapons_test::Weapons;

// A bullet of one phase: keyframe 0 counts down 60 frames on the bullet sequence.
TamaSpec One(int16_t speed = 0, uint8_t flags = 0) {
    TamaSpec s;
    TamaPhaseSpec& p = s.phase[0];
    p.key[0] = TamaKey(support::kBulletSeq, 2, 60);
    p.speed = speed, p.flags = flags;
    return s;
}

using Bullet = Weapons;

TEST_F(Bullet, NumbersWithoutARecordAndPhasesWithoutAKeyframeFireNothing) {
    TamaSpec keyless = One();
    keyless.phase[0].key[0].length = -1;
    Table({One(), keyless});
    LIST_NODE* order = Shoot(support::FixtureWeapon(0));
    ASSERT_NE(order, nullptr);
    LIST_SetCurrent(order);
    const int before = LIST_STATE_DATA.listCnt;
    for (int n : {-999, -1, 1, 2, 171, 172, 32767})
        EXPECT_EQ(TAMA_Create(n, shooter, 300, 300, 0, 300, 300, 0, 400, 300, 0, 6), -1) << n;
    EXPECT_EQ(std::tuple(LIST_STATE_DATA.listCnt, LIST_STATE_DATA.wpnCnt), std::tuple(before, 0));
    EXPECT_GE(TAMA_Create(0, shooter, 300, 300, 0, 300, 300, 0, 400, 300, 0, 6), 0);
    EXPECT_EQ(LIST_STATE_DATA.wpnCnt, 1);
}

TEST_F(Bullet, ASpeedOfZeroStillRunsOneSubStepWithGravity) {
    TamaSpec s = One(0, TAMA_GRAVITY);
    s.phase[0].rise_step = 4;
    LIST_NODE* b = FireOne({s});
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->height, 20);
    std::vector<int> rises;
    for (int f = 0; f < 8; ++f) {
        const int32_t h = b->height;
        Frames(b, 1);
        rises.push_back(b->height - h);
        EXPECT_EQ(b->sub_steps, 1);
    }
    EXPECT_EQ(rises, (std::vector<int>{4, 3, 3, 2, 2, 0, -1, -3}));
    EXPECT_EQ(Tama(b).fall_time, 8);
    EXPECT_EQ(std::tuple(b->x, b->y), std::tuple(270, 290));
}

TEST_F(Bullet, FallingBelowTheGroundEndsItOrEntersTheEndPhase) {
    for (int8_t end : {int8_t(-1), int8_t(1)}) {
        TamaSpec s = One();
        s.phase[0].rise_step = -30;
        s.phase[0].end = end;
        s.phase[1] = One().phase[0];
        s.phase[1].height_min = 0;
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        Frames(b, 1);
        if (end < 0) {
            EXPECT_EQ(std::tuple(b->in_use, LIST_STATE_DATA.wpnCnt), std::tuple(0, 0));
        } else {
            EXPECT_EQ(std::tuple(b->in_use, Tama(b).phase, b->height), std::tuple(1, 1, 0));
        }
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, WallModesStopEndOrBounce) {
    // The map's edges hold every bullet: one flying up or down the screen at 40 slides along the
    // top or bottom edge (y 0 or 768), its x going on.
    struct Case {
        uint8_t mode;
        const char* what;
        int32_t aim_y = 300;
        int16_t speed = 8;
    };
    const Case cases[] = {
        {0, "passes"}, {1, "stops"}, {2, "ends"}, {3, "bounces"},
        {0, "slides along the top", -1000, 40}, {0, "slides along the bottom", 2000, 40},
    };
    for (const Case& c : cases) {
        for (int r = 14; r < 22; ++r) Wall(22, r);  // x 352 to 367
        TamaSpec s = One(c.speed);
        s.phase[0].wall_mode = c.mode;
        s.phase[0].end = 1;
        s.phase[1] = One().phase[0];
        LIST_NODE* b = FireOne({s}, 0, 700, c.aim_y);
        ASSERT_NE(b, nullptr);
        int32_t rightmost = b->x;
        for (int f = 0; f < 20 && b->in_use; ++f) {
            Frames(b, 1);
            rightmost = std::max(rightmost, b->x);
        }
        if (c.aim_y != 300) {
            const int32_t edge = c.aim_y < 0 ? 0 : MAP_DATA.pixel_h;
            EXPECT_EQ(std::tuple(b->y, b->y16, Tama(b).phase), std::tuple(edge, edge * 65536, 0)) << c.what;
            EXPECT_TRUE(b->x > 400 && b->x < MAP_DATA.pixel_w) << c.what << ": " << b->x;
            support::EndBattle();
            SetUp();
            continue;
        }
        switch (c.mode) {
            case 0: EXPECT_GT(b->x, 400) << c.what; break;
            case 1:
                EXPECT_LT(rightmost, 352 + 4) << c.what;
                EXPECT_EQ(std::tuple(Tama(b).phase, Tama(b).wall_hit, b->vx > 0), std::tuple(0, 1, true)) << c.what;
                break;
            case 2:
                EXPECT_LT(rightmost, 352 + 4) << c.what;
                EXPECT_EQ(Tama(b).phase, 1) << c.what;
                break;
            case 3:
                EXPECT_LT(rightmost, 352 + 4) << c.what;
                EXPECT_LT(b->x, 270) << c.what;
                EXPECT_LT(b->vx, 0) << c.what;
                break;
        }
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, AWallPhaseIsEnteredAfterTheSubStepThatMetTheWall) {
    for (int r = 14; r < 22; ++r) Wall(22, r);
    TamaSpec s = One(8);
    s.phase[0].wall_mode = 1;
    s.phase[0].wall_phase = 2;
    s.phase[2] = One().phase[0];
    LIST_NODE* b = FireOne({s});
    int frames = 0;
    while (Tama(b).phase == 0 && frames < 20) {
        Frames(b, 1);
        ++frames;
        if (Tama(b).wall_hit) break;
    }
    EXPECT_EQ(Tama(b).phase, 0);
    Frames(b, 1);
    EXPECT_EQ(Tama(b).phase, 2);
}

TEST_F(Bullet, ARandomFirstSpeedHoldsForOneFrame) {
    // random(speed), 0 for a speed below 1; the phase's speed from the second frame on.
    for (const auto& [speed, top] : {std::pair{10, 9}, {-10, 0}}) {
        TamaSpec s = One(int16_t(speed), TAMA_RANDOM_SPEED);
        s.phase[0].speed_step = 3;
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        const int r = b->speed;
        EXPECT_TRUE(r >= 0 && r <= top) << speed << ": " << r;
        std::vector<int> speeds{r};
        for (int f = 0; f < 3; ++f) {
            Frames(b, 1);
            speeds.push_back(b->speed);
        }
        EXPECT_EQ(speeds, (std::vector<int>{r, r + 3, speed + 3, speed + 6})) << speed;
        support::EndBattle();
        SetUp();
    }
    // Speed and scale steps stop at their limits.
    TamaSpec capped = One(10);
    capped.phase[0].speed_step = 30, capped.phase[0].speed_max = 50;
    capped.phase[0].scale[0] = {0, 0, 256, -100, 60, 9999};
    LIST_NODE* b = FireOne({capped});
    Frames(b, 3);
    const SP_ANIM* a = SP_Anim(b->sprite);
    EXPECT_EQ(std::tuple(int(b->speed), int(a->scale_x), int(a->scale_y)), std::tuple(50, 60, 60));
}

TEST_F(Bullet, KeyframeTimingModesSpreadTheSequence) {
    struct Case {
        uint8_t seq, mode;
        int16_t length;
        std::vector<int> durations;
        int next_key_frame;  // the frame that enters keyframe 1
    };
    using support::kBulletStillSeq;
    using support::kBulletTimedSeq;
    const Case cases[] = {
        {kBulletTimedSeq, 0, 12, {1, 3, 5}, 13},  // waits 1, 3, 5: 12 frames in all
        {kBulletTimedSeq, 0, 24, {3, 7, 11}, 25},
        {kBulletTimedSeq, 1, 100, {1, 3, 5}, 13},
        {kBulletTimedSeq, 1, 50, {0, 1, 2}, 7},
        {kBulletStillSeq, 0, 7, {6}, 8},
        {kBulletTimedSeq, 2, 9, {1, 3, 5}, 10},  // a countdown, the animation looping
        {kBulletTimedSeq, 3, 9, {1, 3, 5}, 5},   // until it lands: 20, 15, 10, 5, 0
    };
    for (const Case& c : cases) {
        TamaSpec s = One();
        s.phase[0].key[0] = TamaKey(c.seq, c.mode, c.length);
        s.phase[0].key[1] = TamaKey(support::kBulletSeq, 2, 100);
        s.phase[0].rise_step = -5, s.phase[0].height_min = 0;
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(std::vector<int>(b->tama->durations, b->tama->durations + c.durations.size()), c.durations)
            << "mode " << int(c.mode) << " length " << c.length;
        int frame = 0;
        while (Tama(b).key == 0 && frame < 60) {
            Frames(b, 1);
            ++frame;
        }
        EXPECT_EQ(frame, c.next_key_frame) << "mode " << int(c.mode) << " length " << c.length;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, AKeyframeOf255LoopsItsAnimation) {
    TamaSpec s = One();
    s.phase[0].key[0] = TamaKey(support::kBulletTimedSeq, 0, 255);
    s.phase[0].key[1] = TamaKey(support::kBulletTimedSeq, 0, 254);
    LIST_NODE* b = FireOne({s});
    const SP_ANIM* a = SP_Anim(b->sprite);
    for (int i = 0; i < 600; ++i) BTL_AnimStep();
    EXPECT_EQ(std::tuple(b->tama->anim_done, int(a->running)), std::tuple(0, 1));
    LIST_SetCurrent(b);
    ASSERT_EQ(TAMA_SetKey(b, 1), 1);
    int ticks = 0;
    while (!b->tama->anim_done && ticks < 600) {
        BTL_AnimStep();
        ++ticks;
    }
    EXPECT_EQ(ticks, 42 + 84 + 127);  // durations 41, 83 and 126, each a tick longer
}

TEST_F(Bullet, ABulletIsScaledByKeyframeZeroAgainAfterItsKeyframeIsEntered) {
    // Keyframe 0's scale record applies when the keyframe is entered and once more at the end of
    // the display object's set-up: a random scale takes two draws, the second one standing.
    struct Case {
        uint8_t mode;
        int16_t value;
        int draws;
    };
    const Case cases[] = {{0, 300, 0}, {1, 300, 0}, {2, 1000, 2}, {3, 1000, 2}, {3, 1, 2}, {2, 0, 2}, {2, -1000, 2}};
    for (const Case& c : cases) {
        TamaSpec s = One();
        s.phase[0].scale[0] = {c.mode, 0, c.value, 0, 0, 9999};
        Table({s});
        LIST_NODE* order = Shoot(support::FixtureWeapon(0));
        ASSERT_NE(order, nullptr);
        LIST_SetCurrent(order);
        plat::Srand(4321);
        int r[3];
        for (int& v : r) v = plat::Rand();
        ASSERT_NE(r[0] % 1000, r[1] % 1000);
        int want = 256;  // a new display object's, kept by mode 1
        switch (c.mode) {
            case 0: want = c.value; break;
            case 2: want = 1 + (c.value == 0 ? 0 : r[1] % c.value); break;  // C's remainder for a negative value
            case 3: want = std::max(c.value / 2 + r[1] % (c.value / 2 + 1), 1); break;
        }
        plat::Srand(4321);
        LIST_NODE* b = LIST_Node(TAMA_Create(0, shooter, 300, 300, 0, 300, 300, 0, 400, 300, 0, 6));
        ASSERT_NE(b, nullptr);
        const SP_ANIM* a = SP_Anim(b->sprite);
        EXPECT_EQ(std::tuple(int(a->scale_x), int(a->scale_y)), std::tuple(want, want)) << int(c.mode) << " " << c.value;
        EXPECT_EQ(plat::Rand(), r[c.draws]) << int(c.mode) << " " << c.value;  // the draws creation took
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, ALengthInFramesIsSharedByEveryStepOfALongSequence) {
    // A sequence of 130 steps: 128 of wait 0, then two of wait 63, 256 frames in all. The steps past
    // the 128 durations kept still count in the sum the length is shared by.
    constexpr int kSeq = 126;
    struct Case {
        int16_t length;
        int first, last;  // durations 0 and 127
    };
    for (const Case& c : {Case{256, 0, 0}, Case{512, 1, 1}, Case{1024, 3, 3}}) {
        SPR_SEQ& seq = SPR_SEQ_TABLE[EFT_SET][kSeq];  // freed with the set
        ASSERT_EQ(seq.step_count, 0);
        seq.steps = new SPR_STEP[130]{};
        seq.step_count = 130;
        const uint16_t pattern = SPR_SEQ_TABLE[EFT_SET][support::kBulletSeq].steps[0].pattern;
        for (int i = 0; i < 130; ++i) seq.steps[i] = {pattern, uint16_t(i < 128 ? 0 : 63), {}};
        TamaSpec s = One();
        s.phase[0].key[0] = TamaKey(kSeq, 0, c.length);
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(std::tuple(int(b->tama->durations[0]), int(b->tama->durations[127])), std::tuple(c.first, c.last)) << c.length;
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, KeyframesSetDrawFlagsBlendScaleAndAim) {
    const uint32_t flags[] = {0, 1, 2, 4, 8, 1024, 2048, 16, 4096, 8192, 32, 64, 128, 256, 512, 0, 0};
    for (int code = 0; code < 17; ++code) EXPECT_EQ(TAMA_DrawFlags(code), flags[code]) << code;
    TamaSpec s = One();
    TamaPhaseSpec& p = s.phase[0];
    p.key[0] = TamaKey(support::kBulletSeq, 2, 0);
    p.key[1] = TamaKey(support::kBulletSeq, 2, 0);
    p.key[1].draw = 5, p.key[1].blend = 77, p.key[1].sound = 13;
    p.key[1].face = 1;
    p.scale[1] = {3, 0, 300, 0, 0, 9999};
    p.draw_parts = {1, 0, 1, 1};
    p.wpn.aim = 2;
    LIST_NODE* b = FireOne({s});
    dummy->y = 340;
    BTL_RecordOn(true);
    Frames(b, 1);
    ASSERT_EQ(Tama(b).key, 1);
    const SP_ANIM* a = SP_Anim(b->sprite);
    EXPECT_EQ(std::tuple(a->flags, int(a->blend), b->draw_parts[0]), std::tuple(1024u, 77, 0u));
    EXPECT_TRUE(a->scale_x >= 150 && a->scale_x <= 300 && a->scale_x == a->scale_y) << a->scale_x;
    EXPECT_EQ(std::tuple(Tama(b).aim[0], Tama(b).aim[1]), std::tuple(dummy->x - b->x, 340 - b->y));
    EXPECT_EQ(a->pattern_offset, MTH_GetVecDirIndex(15, b->vx, b->vy));
    EXPECT_TRUE(Recorded("SE_Play 12 -1"));
}

TEST_F(Bullet, StartMasksStartOneOrderARunAndOnAtBirth) {
    TamaSpec s = One();
    TamaPhaseSpec& p = s.phase[0];
    for (int k = 0; k < 4; ++k) p.key[size_t(k)] = TamaKey(support::kBulletSeq, 2, 0);
    p.key[3].length = 50;
    p.wpn.bullet = 1, p.wpn.start = 0b0110, p.wpn.cont = 0b1111;
    auto orders_of = [](const LIST_NODE* b) {
        int n = 0;
        for (const LIST_NODE* o : Nodes(LIST_KIND_WP2)) n += o->owner == b->index;
        return n;
    };
    LIST_NODE* b = FireOne({s, One()});
    std::vector<int> counts{orders_of(b)};
    for (int f = 0; f < 3; ++f) {
        Run(b);
        counts.push_back(orders_of(b));
    }
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 1, 1}));  // keyframes 1, 2 and 3
    support::EndBattle();
    SetUp();
    s.phase[0].wpn.start = 0b0001;  // bit 0: at birth in phase 0, and at keyframe 0
    b = FireOne({s, One()});
    EXPECT_EQ(orders_of(b), 2);
    EXPECT_EQ(b->fire_order, Nodes(LIST_KIND_WP2).back()->index);
}

TEST_F(Bullet, PhaseRulesGoInTheirOrder) {
    TamaSpec s = One();
    TamaPhaseSpec& p = s.phase[0];
    p.wall_phase = 1, p.hit1 = 2, p.hit1_phase = 2, p.hit2 = 999, p.hit2_phase = 3, p.land = 3;
    p.chr_hits = 5, p.tama_hits = 4;
    for (int n = 1; n < 4; ++n) s.phase[size_t(n)] = One().phase[0];
    struct Case {
        int wall, hits1, hits2, height, phase;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 1},  // the wall first
        {0, 3, 0, 0, 2},  // two hits on characters made of five
        {0, 4, 0, 0, 3},  // one made: the weapons' rule, its counter used up
        {0, 4, 1, 0, 3},  // none of the hit rules: landed
        {0, 4, 1, 1, 0},  // nothing
    };
    for (const Case& c : cases) {
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        b->tama->wall_hit = uint8_t(c.wall), b->tama->hits1 = uint16_t(c.hits1), b->tama->hits2 = uint16_t(c.hits2);
        b->height = c.height;
        LIST_SetCurrent(b);
        EXPECT_EQ(TAMA_CheckPhase(), c.phase ? 1 : -1);
        EXPECT_EQ(Tama(b).phase, c.phase);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, PiercingPassesThroughWhereAHitHoldsTheBullet) {
    for (uint8_t flags : {uint8_t(0), uint8_t(TAMA_PIERCE_CHR)}) {
        TamaSpec s = One(8, flags);
        s.phase[0].chr_hits = 255, s.phase[0].hit.code = 70;
        LIST_NODE* b = FireOne({s}, 0, 400, 300);
        ASSERT_NE(b, nullptr);
        dummy->chr->units = 2080, dummy->chr->levels = 50;
        Frames(b, 30);
        if (flags) {
            EXPECT_GT(b->x, 450);
        } else {
            EXPECT_TRUE(b->x > 360 && b->x < 400) << b->x;
        }
        EXPECT_GT(Tama(b).hits_made, 0);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, AHitHoldsTheBulletUnlessItsPhasePiercesThatKindOfTarget) {
    // One frame (one sub-step) of a bullet touching the dummy or a bullet of the dummy's side. The
    // multi-hit keyframe checks 64 - the hit code times (at least once), each check a hit.
    struct Case {
        bool on_bullet;
        uint8_t flags, hit_flags;
        bool moves, rises;
        int8_t code = 63;
        int hits = 1;
    };
    const Case cases[] = {
        {false, 0, 1, false, false},
        {false, TAMA_PIERCE_CHR, 1, true, true},
        {false, TAMA_PIERCE_TAMA, 1, false, false},
        {false, 0, 2, false, true},  // the height stays variable, without the class handler
        {true, 0, 1, false, false},
        {true, TAMA_PIERCE_TAMA, 1, true, true},
        {true, TAMA_PIERCE_CHR, 1, false, false},
        {true, TAMA_PIERCE_CHR, 3, false, true},
        {false, 0, 1, false, false, 60, 4},
        {false, 0, 1, false, false, 62, 2},
        {false, 0, 1, false, false, 66, 1},
    };
    for (const Case& c : cases) {
        TamaSpec s = One(8, c.flags);
        s.phase[0].rise_step = 2;
        s.phase[0].hit.hit[0] = c.hit_flags;
        s.phase[0].hit.code = c.code;
        (c.on_bullet ? s.phase[0].tama_hits : s.phase[0].chr_hits) = 255;
        Table({s});
        LIST_NODE* order = Shoot(support::FixtureWeapon(0), 300, 300, c.on_bullet ? 700 : 290, 300);
        ASSERT_NE(order, nullptr);
        Run(order);
        LIST_NODE* b = Bullets().at(0);
        if (c.on_bullet) {
            ASSERT_GE(TAMA_Create(0, dummy, b->x, b->y, b->height, 0, 0, 0, 1, 0, 0, 6), 0);
        }
        const int32_t x = b->x, h = b->height;
        Frames(b, 1);
        const char* what = c.on_bullet ? "on a bullet" : "on the dummy";
        EXPECT_EQ(Tama(b).hits_made, c.hits) << what << " flags " << int(c.flags) << " hit flags " << int(c.hit_flags) << " code " << int(c.code);
        EXPECT_EQ(std::tuple(b->x != x, b->height - h), std::tuple(c.moves, c.rises ? 2 : 0))
            << what << " flags " << int(c.flags) << " hit flags " << int(c.hit_flags);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, HitsScaleWithTheShootersBeamOrAttackStat) {
    struct Case {
        uint8_t hit_kind;
        int damage;
    };
    for (const Case& c : {Case{1, 180 - 12}, Case{0, 30 - 2}}) {  // P 300 % or 50 %, less the reduction
        TamaSpec s = One(8);
        s.phase[0].chr_hits = 1;
        support::SetHit(s.phase[0], [] {
            support::HitSpec h;
            h.base = 60, h.minimum = 1, h.reduction_step = 3;
            return h;
        }());
        Table({s});
        support::WpnSpec w = support::FixtureWeapon(0);
        w.hit_kind = c.hit_kind;
        LIST_NODE* order = Shoot(w, 300, 300, 290, 300);  // touching the bullet from the start
        shooter->chr->beam = 100, shooter->chr->attack = 0, shooter->chr->reduction = 4;
        dummy->chr->defence = 0, dummy->chr->heat = 0;
        Run(order);
        LIST_NODE* b = Bullets().at(0);
        const int before = dummy->chr->units;
        Frames(b, 1);
        // The bullet took the shooter's running reduction before it hit; the shooter's grew by the step.
        EXPECT_EQ(std::tuple(Tama(b).reduction, shooter->chr->reduction), std::tuple(4, 7)) << int(c.hit_kind);
        EXPECT_EQ(before - dummy->chr->units, c.damage) << int(c.hit_kind);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, BulletsCancelEachOtherByTheirCancelChance) {
    for (uint8_t chance : {uint8_t(0), uint8_t(255)}) {
        TamaSpec s = One(0);
        s.phase[0].tama_hits = 255;
        support::HitSpec h;
        h.cancel_chance = chance;
        support::SetHit(s.phase[0], h);
        LIST_NODE* b = FireOne({s});
        // A bullet of the other side on top of it.
        LIST_NODE* other = LIST_Node(TAMA_Create(0, dummy, b->x, b->y, b->height - 0, 0, 0, 0, 1, 0, 0, 6));
        ASSERT_NE(other, nullptr);
        int cancels = 0;
        for (int f = 0; f < 20; ++f) {
            const int marks = CountEffects(7);
            Run(b);
            cancels += CountEffects(7) > marks;
            EXPECT_EQ(Tama(other).hit_frame, 0);  // hit_frame is the attacker's, cleared by its own update
        }
        if (chance == 0) {
            EXPECT_EQ(cancels, 20);
        } else {
            EXPECT_LT(cancels, 3);
        }
        EXPECT_EQ(Tama(b).hits_made, 20);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, ATrailIsMadeOnlyForAKindByteAboveZero) {
    // The trail byte is the effect kind + 1 as a signed byte: 128..255 lie below 0 and make nothing,
    // drawing no random number. Count code 63 makes one effect, its spread two draws (kind 126 is
    // refused after them).
    struct Case {
        uint8_t trail;
        int effects, draws;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{14, 1, 2}, Case{127, 0, 2}, Case{128, 0, 0}, Case{255, 0, 0}}) {
        TamaSpec s = One();
        s.phase[0].trail = c.trail, s.phase[0].trail_box = 2;
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        const size_t before = Nodes(LIST_KIND_EFT).size();
        plat::Srand(99);
        int r[3];
        for (int& v : r) v = plat::Rand();
        plat::Srand(99);
        Frames(b, 1);
        EXPECT_EQ(Nodes(LIST_KIND_EFT).size() - before, size_t(c.effects)) << int(c.trail);
        EXPECT_EQ(CountEffects(13), c.trail == 14 ? 1 : 0) << int(c.trail);
        EXPECT_EQ(plat::Rand(), r[c.draws]) << int(c.trail);
        support::EndBattle();
        SetUp();
    }
}

TEST_F(Bullet, AVariantOutsideItsClassTableEndsTheMovement) {
    struct Case {
        uint8_t cls, variant;
        bool lives;
    };
    const Case cases[] = {{0, 4, true}, {0, 5, false}, {1, 2, true}, {1, 3, false}, {3, 0, false}, {0, 255, false}};
    for (const Case& c : cases) {
        TamaSpec s = One(4);
        s.phase[0].cls = c.cls, s.phase[0].variant = c.variant;
        s.phase[0].end = 1;
        s.phase[1] = One().phase[0];
        LIST_NODE* b = FireOne({s});
        ASSERT_NE(b, nullptr);
        Frames(b, 1);
        // A field's anchor is the shooter, firing; variant 2 sits by box 0 of its frame.
        EXPECT_EQ(Tama(b).phase == 0, c.lives) << int(c.cls) << "/" << int(c.variant);
        support::EndBattle();
        SetUp();
    }
}

}  // namespace
