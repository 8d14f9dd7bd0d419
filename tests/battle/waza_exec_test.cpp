// Technique execution: the record views at their stored offsets, the flow of actions through
// repeats and links, keyframes that aim and fire, animation timing, heat, the use list and the
// weapon experience of a start.
#include <gtest/gtest.h>

#include "battle/camp_data.h"
#include "battle/hit_resolve.h"
#include "battle/wpn_fire.h"
#include "tests/battle/melee_test_util.h"

namespace {

using melee_test::kShortSeq;
using melee_test::kTimedSeq;
using support::KeyFrame;
using support::WazaActSpec;
using support::WazaSpec;

TEST(WazaViews, EveryFieldReadsFromItsStoredOffset) {
    WazaSpec s;
    s.heat_kind = 2;
    s.heat = -300;
    s.air = 1;
    s.max_hits = 777;
    s.speed_shift = -3;
    s.exp_base = 1234;
    s.slot_act[5] = 7;
    s.repeat[2] = {4, 9, 3};
    s.link[6] = {1, 2, 2, 0, -7};
    WazaActSpec& a = s.act[9];
    a.key[7] = {33, 0, 44, -3, 4, 255, 0x0814, 17, 600, 9, -5};
    a.cancel = 1, a.preview = 1, a.facing = 4, a.move = 2, a.angle = -90, a.flags = 0x36;
    a.speed = 11, a.accel = -2, a.speed_min = 3, a.speed_max = 40;
    a.vspeed = 5, a.vaccel = -6, a.vspeed_min = -24, a.vspeed_max = 24;
    a.chr_hits = 7, a.tama_hits = 254, a.hit_rate = -3, a.effect = 12;
    support::HitSpec h;
    h.flags = 1, h.flash = 3, h.base = 300, h.minimum = 12, h.reduction_step = 9, h.stop = 6, h.knock_mode = 2;
    h.knock_speed = 517, h.stagger = 21, h.down = 45, h.launch = 14, h.spark = 3, h.spark_count = 61;
    h.spark_spread = 19, h.sound = 28, h.flinch = 1, h.cancel_chance = 40;
    a.hit = support::HitRecord(h);
    support::SetWeapon(a, 31, 0x201, 0x104);
    const std::vector<uint8_t> bytes = support::WriteWazaRecord(s);
    WAZA_DATA rec{};
    std::copy(bytes.begin(), bytes.end(), rec.raw);

    const WAZA_VIEW w = WAZA_View(&rec);
    EXPECT_EQ(std::tuple(w.heat_kind(), w.heat(), w.air(), w.max_hits(), w.speed_shift(), w.exp_base()),
              std::tuple(2, -300, 1, 777, -3, 1234));
    EXPECT_EQ(w.slot_act(5), 7);
    EXPECT_EQ(w.slot_act(6), WAZA_NO_ACTION);
    const WAZA_REPEAT_ENTRY r = w.repeat(2);
    EXPECT_EQ(std::tuple(r.from, r.to, r.count), std::tuple(4, 9, 3));
    const WAZA_LINK_ENTRY l = w.link(6);
    EXPECT_EQ(std::tuple(l.from, l.to, l.kind, l.hits), std::tuple(1, 2, 2, -7));
    const WAZA_ACT act = w.act(9);
    EXPECT_EQ(act.p, rec.raw + 146 + 9 * 256);
    EXPECT_EQ(std::tuple(act.cancel(), act.preview(), act.facing(), act.move(), act.angle(), act.flags()),
              std::tuple(1, 1, 4, 2, -90, 0x36));
    EXPECT_EQ(std::tuple(act.speed(), act.accel(), act.speed_min(), act.speed_max()), std::tuple(11, -2, 3, 40));
    EXPECT_EQ(std::tuple(act.vspeed(), act.vaccel(), act.vspeed_min(), act.vspeed_max()), std::tuple(5, -6, -24, 24));
    EXPECT_EQ(std::tuple(act.chr_hits(), act.tama_hits(), act.hit_rate(), act.effect()), std::tuple(7, 254, -3, 12));
    EXPECT_EQ(std::tuple(act.weapon().bullet(), act.weapon().aim_mask(), act.weapon().fire_mask()),
              std::tuple(31, 0x201, 0x104));
    const WAZA_KEY k = act.key(7);
    EXPECT_EQ(k.p, act.p + 7 * 16);
    EXPECT_EQ(std::tuple(k.anim(), k.dash_anim(), k.dir(), k.end_mode(), k.length()), std::tuple(33, 44, -3, 4, 255));
    EXPECT_EQ(std::tuple(k.hit(), k.draw(), k.blend(), k.sound(), k.armour()), std::tuple(0x0814, 17, 600, 9, -5));
    const HIT_REC hr = act.hit();
    EXPECT_EQ(hr.p, act.p + 192);
    EXPECT_EQ(std::tuple(hr.flags(), hr.flash(), hr.base(), hr.minimum(), hr.reduction_step(), hr.stop()),
              std::tuple(1, 3, 300, 12, 9, 6));
    EXPECT_EQ(std::tuple(hr.knock_mode(), hr.knock_speed(), hr.stagger(), hr.down(), hr.launch()),
              std::tuple(2, 517, 21, 45, 14));
    EXPECT_EQ(std::tuple(hr.spark(), hr.spark_count(), hr.spark_spread(), hr.sound(), hr.flinch(), hr.cancel_chance()),
              std::tuple(3, 61, 19, 28, 1, 40));
}

TEST(WazaViews, DrawModesAndTheirFlags) {
    const uint32_t expected[] = {0, 1, 2, 4, 8, 1024, 2048, 16, 4096, 8192, 32, 64, 128, 256, 512, 0x10000, 0x20000, 0x40000};
    for (int m = 0; m < 18; ++m) EXPECT_EQ(WAZA_DrawFlags(m), expected[m]) << m;
    EXPECT_EQ(WAZA_DrawFlags(18), 0u);
    EXPECT_EQ(WAZA_DrawFlags(65535), 0u);
}

struct Technique : melee_test::Melee {
    // Each action of these lasts one frame: a countdown of 0, then the empty keyframe 1.
    static WazaActSpec OneFrame() {
        WazaActSpec a;
        a.key[0] = KeyFrame(kShortSeq, 2, 0);
        return a;
    }
    // A CPU character of the enemy side with the techniques.
    LIST_NODE* Fighter(const std::vector<WazaSpec>& v, int32_t x = 300, int32_t y = 300) {
        Techniques("zako01", v);
        return Make(1, 1, CHR_CPU, x, y);
    }
    // The action slot after each update until the action ends.
    static std::vector<int> Slots(LIST_NODE* n, int frames) {
        std::vector<int> out;
        for (int f = 0; f < frames && n->chr->phase; ++f) {
            Update(n);
            out.push_back(n->chr->phase ? n->chr->act_slot : -1);
        }
        return out;
    }
};

TEST_F(Technique, ActionsRunThroughRepeatsToTheEnd) {
    WazaSpec s;
    for (int i = 0; i < 5; ++i) s.slot_act[i] = uint8_t(i), s.act[i] = OneFrame();
    s.repeat[0] = {3, 1, 2};
    WazaSpec stop;  // action 99 ends at once
    LIST_NODE* n = Fighter({s, stop});
    Current(n);
    ASSERT_EQ(CHR_WazaStart(n, 0), 1);
    EXPECT_EQ(n->chr->act_slot, 0);
    EXPECT_EQ(Slots(n, 20), (std::vector<int>{1, 2, 3, 1, 2, 3, 1, 2, 3, 4, -1}));
    EXPECT_EQ(std::tuple(n->chr->phase, n->chr->cancel_ok, n->chr->combo_window), std::tuple(0, 1, 9));

    Current(n);
    EXPECT_EQ(CHR_WazaStart(n, 1), 0);
    EXPECT_EQ(std::tuple(n->chr->waza, n->chr->phase, n->chr->combo_window), std::tuple(1, 0, 10));
    // A number the mech has no record for starts nothing and touches nothing.
    EXPECT_EQ(CHR_WazaStart(n, 2), 0);
    EXPECT_EQ(CHR_WazaStart(n, -1), 0);
    EXPECT_EQ(n->chr->waza, 1);
}

TEST_F(Technique, SkippedActionsChainedToThemselvesStopAfterSixtyFourStarts) {
    WazaSpec s;
    s.slot_act[0] = 0;
    s.act[0] = OneFrame();
    s.act[0].flags = 4;  // skipped in the air
    s.link[0] = {0, 0, 2, 0, 1};
    LIST_NODE* n = Fighter({s});
    n->height = 30;
    Current(n);
    EXPECT_EQ(CHR_WazaStart(n, 0), 0);
    EXPECT_EQ(n->chr->phase, 0);
    n->height = 0;  // on the ground the action runs
    EXPECT_EQ(CHR_WazaStart(n, 0), 1);
}

// Links count the hits an action landed on the target standing in its attack box.
struct Links : Technique {
    LIST_NODE* Pair(const WazaSpec& s, int32_t target_x) {
        LIST_NODE* a = Fighter({s});
        LIST_NODE* t = Make(2, 0, CHR_CPU, target_x, 300);
        Aim(a, t);
        Current(a);
        EXPECT_EQ(CHR_WazaStart(a, 0), 1);
        return a;
    }
    static WazaActSpec Hitting(uint8_t end_mode, int16_t length) {
        WazaActSpec a;
        a.key[0] = KeyFrame(kShortSeq, end_mode, length, 1 << 2);
        a.hit_rate = 63;
        support::HitSpec h;
        h.base = 10;
        a.hit = support::HitRecord(h);
        return a;
    }
};

TEST_F(Links, KindOneJumpsTheFrameAfterTheFirstHit) {
    WazaSpec s;
    s.slot_act[0] = 0, s.slot_act[1] = 1;
    s.act[0] = Hitting(4, 30);
    s.act[1] = Hitting(4, 30);
    s.link[0] = {0, 1, 1, 0, 1};
    LIST_NODE* a = Pair(s, 310);
    Update(a);
    EXPECT_EQ(std::tuple(int(a->chr->act_slot), a->chr->hits_landed, a->chr->chr_hits_left), std::tuple(0, 1, 254));
    Update(a);
    EXPECT_EQ(a->chr->act_slot, 1);
}

TEST_F(Links, KindTwoJumpsOnlyWhenTheActionLandedFewerHits) {
    for (const int32_t target_x : {310, 600}) {
        WazaSpec s;
        for (int i = 0; i < 3; ++i) s.slot_act[i] = uint8_t(i), s.act[i] = Hitting(2, 1);
        s.link[0] = {0, 2, 2, 0, 1};
        LIST_NODE* a = Pair(s, target_x);
        Update(a);
        Update(a);
        EXPECT_EQ(a->chr->act_slot, target_x == 310 ? 1 : 2) << "target at " << target_x;
        CHR_Delete(1);
        CHR_Delete(2);
    }
}

TEST_F(Technique, KeyframesAimAndFireOnlyAtATarget) {
    WazaActSpec act;
    act.key[0] = KeyFrame(kShortSeq, 4, 30);
    support::SetWeapon(act, 3, 1, 1);
    LIST_NODE* n = Fighter({support::OneAction(act)});
    Current(n);
    ASSERT_EQ(CHR_WazaStart(n, 0), 1);
    EXPECT_EQ(n->chr->phase, 1);
    EXPECT_EQ(std::tuple(n->chr->aim[0], n->chr->aim[1]), std::tuple(0, 0));
    LIST_NODE* t = Make(2, 0, CHR_CPU, 420, 350);
    Aim(n, t);
    Current(n);
    ASSERT_EQ(CHR_WazaStart(n, 0), 1);
    EXPECT_EQ(n->chr->phase, 2);
    EXPECT_EQ(std::tuple(n->chr->aim[0], n->chr->aim[1]), std::tuple(120, 50));
    // The fire order it started holds the keyframe until it ends: the weapon keeps no keyframe in its
    // continue mask, so its first update ends it and the keyframe advances.
    LIST_NODE* order = LIST_Node(n->fire_order);
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(std::tuple(order->kind, order->owner), std::tuple(LIST_KIND_WP2, n->index));
    Update(n);
    EXPECT_EQ(n->chr->phase, 2);
    LIST_SetCurrent(order);
    WPN_Update();
    EXPECT_EQ(std::tuple(order->in_use, n->fire_order), std::tuple(0, LIST_NO_FIRE_ORDER));
    Update(n);
    EXPECT_EQ(n->chr->phase, 0);
}

TEST_F(Technique, AnimationTimingByEndMode) {
    struct Case {
        uint8_t mode;
        int16_t length;
        std::array<int, 3> durations;
        int loop;
    };
    const Case cases[] = {
        {0, 24, {3, 7, 11}, 0},  // totals 12: each step its share of 24 frames
        {1, 100, {1, 3, 5}, 0},  // 100 % keeps the waits
        {1, 50, {0, 1, 2}, 0},
        {2, 9, {1, 3, 5}, 1},
        {3, 9, {77, 77, 77}, 0},  // kept from before
        {4, 9, {1, 3, 5}, 1},
    };
    for (const Case& c : cases) {
        WazaActSpec act;
        act.key[0] = KeyFrame(kTimedSeq, c.mode, c.length);
        LIST_NODE* n = Fighter({support::OneAction(act)});
        for (uint16_t& d : n->chr->durations) d = 77;
        Current(n);
        ASSERT_EQ(CHR_WazaStart(n, 0), 1);
        const CHR_DATA* ch = n->chr;
        EXPECT_EQ((std::array<int, 3>{ch->durations[0], ch->durations[1], ch->durations[2]}), c.durations) << int(c.mode);
        EXPECT_EQ(SP_Anim(n->sprite)->loop, c.loop) << int(c.mode);
        EXPECT_EQ(SP_Anim(n->sprite)->wait, std::max(c.durations[0], 1)) << int(c.mode);
        if (c.mode == 2) { EXPECT_EQ(ch->key_countdown, 9); }
        CHR_Delete(1);
    }
    // One step lasts the whole length; the three steps of 24 frames end on the 24th tick.
    WazaActSpec one;
    one.key[0] = KeyFrame(kShortSeq, 0, 24);
    WazaActSpec three;
    three.key[0] = KeyFrame(kTimedSeq, 0, 24);
    LIST_NODE* n = Fighter({support::OneAction(one), support::OneAction(three)});
    Current(n);
    CHR_WazaStart(n, 0);
    EXPECT_EQ(n->chr->durations[0], 24);
    CHR_WazaStart(n, 1);
    int tick = 0;
    while (!n->chr->anim_done && tick < 100) {
        BTL_AnimStep();
        ++tick;
    }
    EXPECT_EQ(tick, 24);
}

TEST_F(Technique, HeatUseListAndExperienceOfAStart) {
    WazaActSpec act;
    act.key[0] = KeyFrame(kShortSeq, 4, 30);
    WazaSpec hot = support::OneAction(act, 20);
    hot.exp_base = 100;
    hot.heat_kind = 2;
    const WazaSpec cold = support::OneAction(act, 0);
    Techniques("player", {hot, cold});
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 300, 300);
    CHR_DATA* c = n->chr;
    CampWeapon& w = CAMP_DATA.weapon[0];
    w = CampWeapon{};
    Current(n);
    BTL_RecordOn(true);
    CHR_WazaStart(n, 0);
    EXPECT_TRUE(Recorded("HUD_PanelSetTechRow 0 0"));
    EXPECT_EQ(std::tuple(c->heat, c->waza_active, c->use_count, c->use_list[0], c->repeats), std::tuple(20, 1, 1, 0, 0));
    EXPECT_EQ(std::tuple(w.exp, w.penalty, w.level_points, w.uses), std::tuple(38, 10, 10, 1u));
    CHR_WazaStart(n, 0);
    EXPECT_EQ(std::tuple(c->heat, c->use_count, c->repeats), std::tuple(40, 2, 1));
    EXPECT_EQ(std::tuple(w.exp, w.penalty, w.level_points, w.uses), std::tuple(38 + 33, 20, 19, 2u));
    // A decay above the base still gains 1, and so do the level points past ten uses.
    w.penalty = 500;
    w.uses = 12;
    CHR_WazaStart(n, 0);
    EXPECT_EQ(std::tuple(w.exp, w.level_points), std::tuple(38 + 33 + 1, 19 + 1));
    // Without a heat value nothing of the heat, the list or the flag changes.
    c->waza_active = 0;
    CHR_WazaStart(n, 1);
    EXPECT_EQ(std::tuple(c->heat, c->waza_active, c->use_count), std::tuple(60, 0, 3));
    // A full list drops the newest start.
    c->use_count = 25;
    CHR_WazaStart(n, 0);
    EXPECT_EQ(c->use_count, 25);
    // No experience where the HUD is off.
    BTL_SetKind(9);
    const int32_t exp = w.exp;
    CHR_WazaStart(n, 0);
    EXPECT_EQ(w.exp, exp);
    BTL_RecordOn(false);
}

TEST_F(Technique, SpeedsFollowTheActionAndHoldTheirRange) {
    WazaActSpec act;
    act.key[0] = KeyFrame(kShortSeq, 4, 30);
    act.speed = 2, act.accel = 3, act.speed_min = 0, act.speed_max = 10;
    act.vspeed = 6, act.vaccel = -4, act.vspeed_min = -5, act.vspeed_max = 24;
    act.move = 1;
    LIST_NODE* n = Fighter({support::OneAction(act)});
    LIST_NODE* t = Make(2, 0, CHR_CPU, 300, 500);
    Aim(n, t);
    Current(n);
    CHR_WazaStart(n, 0);
    EXPECT_EQ(std::tuple(n->chr->waza_vec[0], n->chr->waza_vec[1]), std::tuple(0, 65535));  // towards the target
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < 4; ++i) {
        WAZA_ApplySpeed();
        seen.emplace_back(n->chr->waza_speed, n->vspeed);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{5, 2}, {8, -2}, {10, -5}, {10, -5}}));
}

}  // namespace
