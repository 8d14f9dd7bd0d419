// Hit resolution: damage by stats, heat, repeats and defence; armour; durability levels; one hit
// per check; reactions and slow motion; bullets as attackers and targets; heat of a technique;
// flash; count codes.
#include <gtest/gtest.h>

#include <algorithm>

#include "battle/bsc_command.h"
#include "battle/camp_data.h"
#include "battle/hit_resolve.h"
#include "battle/svv_flow.h"
#include "battle/tama_obj.h"
#include "sprite/sp_draw.h"
#include "tests/battle/melee_test_util.h"

namespace {

using melee_test::kShortSeq;
using support::HitSpec;
using support::KeyFrame;

struct Hit : melee_test::Melee {
    // The player attacks with technique 0 (base 300 unless told) against a CPU dummy beside it;
    // the dummy owns technique 1 (its keyframe armour is given) and technique 2 (armour 127).
    void Arm(const HitSpec& h, int8_t dummy_armour = 127) {
        support::WazaActSpec act;
        act.key[0] = KeyFrame(kShortSeq, 4, 200, 1 << 2 | 1 << 11);
        act.hit = support::HitRecord(h);
        act.hit_rate = 63;
        support::WazaSpec s = support::OneAction(act, 10);
        s.heat_kind = 2;
        Techniques("player", {s, s, s});
        support::WazaActSpec guard;
        guard.key[0] = KeyFrame(kShortSeq, 4, 200);
        guard.key[0].armour = dummy_armour;
        support::WazaActSpec plain = guard;
        plain.key[0].armour = 127;
        Techniques("zako01", {support::OneAction(guard), support::OneAction(guard), support::OneAction(plain)});
        player = Make(0, 0, CHR_PLAYER, 300, 300);
        dummy = Make(1, 1, CHR_CPU, 310, 300);
        Aim(player, dummy);
        Current(player);
        ASSERT_EQ(CHR_WazaStart(player, 0), 1);
        Refill();
    }
    void Refill() {
        CHR_DATA* d = dummy->chr;
        d->units = 2080, d->levels = 3, d->heat = 0, d->defence = 0, d->armour = 0;
    }
    // Damage of one hit on the dummy, read from its durability.
    int Damage() {
        const int before = dummy->chr->units;
        HIT_Apply(dummy, player);
        return before - dummy->chr->units;
    }
    LIST_NODE* player = nullptr;
    LIST_NODE* dummy = nullptr;
};

TEST_F(Hit, DamageFromAttackHeatRepeatsAndDefence) {
    HitSpec h;
    h.base = 300;
    h.minimum = 20;
    Arm(h);
    struct Case {
        int heat, repeats, defence, reduction, damage;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 450},      // attack 40: 150 %
        {65, 0, 0, 0, 675},     // half the heat adds half
        {65, 1, 0, 0, 337},     // started twice: halved
        {65, 1, 10, 0, 303},    // 10 % defence
        {130, 0, 0, 0, 900},    // full heat doubles
        {0, 0, 0, 300, 20},     // the reduction eats the base: the minimum
        {0, 0, 50, 300, 10},
        {0, 2, 99, 300, 1},     // never below 1
    };
    for (const Case& c : cases) {
        Refill();
        dummy->chr->heat = int16_t(c.heat);
        dummy->chr->defence = int16_t(c.defence);
        player->chr->repeats = uint8_t(c.repeats);
        player->chr->reduction = c.reduction;
        EXPECT_EQ(Damage(), c.damage) << c.heat << " " << c.repeats << " " << c.defence << " " << c.reduction;
    }
    // The reduction grows by each hit's step; the debug switch spares only the player's mech.
    HitSpec stepped = h;
    stepped.reduction_step = 7;
    player->chr->reduction = 0;
    CHR_Delete(0);
    CHR_Delete(1);
    Arm(stepped);
    Damage();
    Damage();
    EXPECT_EQ(player->chr->reduction, 14);
    BTL_DebugInvincible = 1;
    Refill();
    player->chr->reduction = 0;
    EXPECT_EQ(Damage(), 450);
}

TEST_F(Hit, ArmourAbsorbsOrReacts) {
    HitSpec h;
    h.base = 300;
    h.flinch = 1;
    h.stop = 2;
    for (const int8_t armour : {int8_t(127), int8_t(1), int8_t(-1)}) {
        Arm(h, armour);
        Current(dummy);
        ASSERT_EQ(CHR_WazaStart(dummy, 0), 1);
        Refill();
        dummy->chr->armour = 5000;
        const int damage = Damage();
        if (armour == 1) {
            EXPECT_EQ(damage, 450 >> 3);
            EXPECT_EQ(dummy->chr->armour, 5000 - 450);
            EXPECT_TRUE(dummy->chr->freeze == 1 || dummy->chr->freeze == 2) << dummy->chr->freeze;
            EXPECT_EQ(SP_Anim(dummy->sprite)->running, 0);
            EXPECT_EQ(std::tuple(dummy->chr->state, int(dummy->chr->flash_kind)), std::tuple(0, 4));
        } else {
            EXPECT_EQ(damage, 450);
            EXPECT_EQ(dummy->chr->armour, armour == 127 ? -1 : -2);
            EXPECT_EQ(std::tuple(dummy->chr->state, dummy->chr->phase), std::tuple(6, 0));
        }
        EXPECT_EQ(dummy->chr->stagger, 0);
        CHR_Delete(0);
        CHR_Delete(1);
    }
}

TEST_F(Hit, DurabilityLevelsWrapAndReportDestruction) {
    Arm(HitSpec{});
    BTL_RecordOn(true);
    CHR_DATA* d = dummy->chr;
    EXPECT_EQ(HIT_Damage(dummy, player, 2100), 0);
    EXPECT_EQ(std::tuple(d->levels, d->units), std::tuple(1, 2060));
    EXPECT_TRUE(Recorded("HUD_GaugeChipsCreate 1 130 -1"));
    EXPECT_TRUE(Recorded("HUD_PanelGaugeSet 1 130 -1 -20 3"));
    EXPECT_TRUE(Recorded("HUD_PanelSetDelay 1 20"));
    d->levels = 0, d->units = 100;
    EXPECT_EQ(HIT_Damage(dummy, player, 200), 1);
    EXPECT_EQ(std::tuple(d->levels, d->units), std::tuple(-1, 0));
    EXPECT_EQ(HIT_Damage(dummy, player, 50), 2);
    // The script's guard keeps an enemy at level 0 with 32 units, harder to hurt.
    d->levels = 0, d->units = 100, d->defence = 0;
    bscEnmGuard = 1;
    EXPECT_EQ(HIT_Damage(dummy, player, 200), 0);
    EXPECT_EQ(std::tuple(d->levels, d->units, d->defence), std::tuple(0, 32, 10));
    bscEnmGuard = 0;
    // Survival test 2 hurts enemies only in the air.
    SVV_TestCond = 2;
    EXPECT_EQ(HIT_Damage(dummy, player, 10), 0);
    EXPECT_EQ(d->units, 32);
    dummy->height = 5;
    HIT_Damage(dummy, player, 10);
    EXPECT_EQ(d->units, 22);
    BTL_RecordOn(false);
}

TEST_F(Hit, OneHitPerCheckWhateverTheBoxes) {
    HitSpec h;
    h.base = 300;
    Arm(h);
    LIST_NODE* second = Make(2, 1, CHR_CPU, 290, 300);
    second->chr->units = 2080, second->chr->levels = 3;
    LIST_SetCurrent(player);
    HIT_ClearMask();
    EXPECT_EQ(HIT_Check(1, 0), 1u);
    EXPECT_EQ(std::tuple(dummy->chr->units, second->chr->units), std::tuple(2080 - 450, 2080 - 450));
    EXPECT_EQ(player->chr->chr_hits_left, 254);  // one count for the call
    EXPECT_EQ(HIT_GetMask(), 0b110u);
    // Skipped slots, a standing-up target and the pre-battle state are not hit.
    EXPECT_EQ(HIT_Check(1, 0b110), 0u);
    dummy->chr->state_step = 99;
    EXPECT_EQ(HIT_Check(0, 0b100), 0u);
    BTL_SetState(BTL_STATE_PRE);
    EXPECT_EQ(HIT_Check(1, 0), 0u);
    BTL_SetState(BTL_STATE_FIGHT);
    // A down target is touched by the low boxes only, and not at all from count 10.
    dummy->chr->state_step = 0;
    CHR_SetState(dummy, 8);
    EXPECT_EQ(HIT_Check(0, 0b100), 0u);
}

TEST_F(Hit, ReactionsQuakeAndSlowMotion) {
    HitSpec h;
    h.base = 40;
    h.stop = 3;
    h.down = 60;
    h.launch = 9;
    h.flags = 1;
    h.knock_speed = 0x0123;
    h.stagger = 14;
    h.sound = 20;
    Arm(h);
    BTL_RecordOn(true);
    EXPECT_EQ(Damage(), 60);
    CHR_DATA* d = dummy->chr;
    EXPECT_EQ(std::tuple(int(dummy->down), d->state, d->knock_speed, int(d->carried_speed), d->stagger), std::tuple(60, 0, 0x123, 0x23, 14));
    EXPECT_EQ(std::tuple(SCR_QUAKE.slow, SCR_QUAKE.hold, SCR_QUAKE.level, BTL_GetState(0)), std::tuple(3, 3, 15, 5));
    EXPECT_TRUE(Recorded("SE_Play 19 -1"));
    // The second hit passes 100: knocked into the air with the hit's knock kind.
    Damage();
    EXPECT_EQ(std::tuple(d->state, int(dummy->knock_kind), int(dummy->down), int(dummy->vspeed)), std::tuple(7, 1, 100, 9));
    // A destroying hit doubles the stop frames and plays 27.
    BTL_Recorded().clear();
    SCR_QuakeStop();
    d->levels = 0, d->units = 10;
    Damage();
    EXPECT_EQ(std::tuple(SCR_QUAKE.slow, SCR_QUAKE.hold, HIT_LastDestroyed), std::tuple(6, 6, 1));
    EXPECT_TRUE(Recorded("SE_Play 27 -1"));
    EXPECT_TRUE(Recorded("mBSC_Event_Check 0 1"));
    BTL_RecordOn(false);
}

TEST_F(Hit, ScriptAndBackdropBattlesDoNoDamage) {
    HitSpec h;
    h.base = 300;
    h.stop = 4;
    h.flinch = 1;
    Arm(h);
    BTL_RecordOn(true);
    BTL_SetKind(9);
    EXPECT_EQ(Damage(), 0);
    EXPECT_TRUE(Recorded("mBSC_Chr_Mov_Jump 1 99"));
    EXPECT_EQ(BTL_GetState(0), BTL_STATE_FIGHT);  // no slow motion in a script battle
    EXPECT_EQ(SCR_QUAKE.level, 32);  // a quarter of 450, capped
    SCR_QuakeStop();
    BTL_SetKind(2);
    EXPECT_EQ(Damage(), 0);
    EXPECT_EQ(SCR_QUAKE.level, 0);
    BTL_RecordOn(false);
}

TEST_F(Hit, FlashByKindLastsOneFrame) {
    Arm(HitSpec{});
    CHR_DATA* d = dummy->chr;
    SP_ANIM* a = SP_Anim(dummy->sprite);
    struct Case {
        int kind, level_lo, level_hi, param_lo, param_hi, kind_after;
    };
    const Case cases[] = {{0, 15, 30, 0, 0, -1},        {1, 2575, 2590, 0, 0, 1}, {2, 0, 0, 30, 30, 2},
                          {3, 2570, 2570, 15, 30, 3},   {4, 2575, 2590, 15, 30, -1}};
    for (const Case& c : cases) {
        d->flash_req = 1;
        d->flash_kind = int8_t(c.kind);
        HIT_FlashUpdate();
        EXPECT_EQ(std::tuple(a->flags, int(d->flash_req), int(d->flash_kind)), std::tuple(0x10000u, 2, c.kind_after)) << c.kind;
        EXPECT_TRUE(a->blend >= c.level_lo && a->blend <= c.level_hi) << c.kind << ": " << a->blend;
        EXPECT_TRUE(a->blend_param >= c.param_lo && a->blend_param <= c.param_hi) << c.kind << ": " << a->blend_param;
        HIT_FlashUpdate();
        EXPECT_EQ(std::tuple(a->flags, int(d->flash_req)), std::tuple(0u, 0)) << c.kind;
    }
    // A hit starts a flash of its kind for 10 frames; the same kind again adds 3.
    HitSpec h;
    h.flash = 2;
    CHR_Delete(0);
    CHR_Delete(1);
    Arm(h);
    d = dummy->chr;
    Damage();
    EXPECT_EQ(std::tuple(int(d->flash_req), int(d->flash_kind), int(d->flash_timer)), std::tuple(1, 2, 10));
    Damage();
    EXPECT_EQ(int(d->flash_timer), 13);
}

TEST_F(Hit, HeatOfATechnique) {
    support::WazaActSpec act;
    act.key[0] = KeyFrame(kShortSeq, 4, 30);
    support::WazaSpec s = support::OneAction(act, 60);
    std::vector<support::WazaSpec> v{s, s, s, s};
    v[0].heat_kind = 2, v[1].heat_kind = 0, v[2].heat_kind = 3, v[3].heat_kind = 2, v[3].heat = 200;
    Techniques("player", v);
    Techniques("zako01", v);
    Make(0, 0, CHR_PLAYER, 300, 300)->chr->heat_pct0 = 50;
    Make(1, 1, CHR_CPU, 500, 300);
    CAMP_DATA.weapon[0].heat_reduction = 50;
    CAMP_DATA.weapon[1].heat_reduction = 0;
    EXPECT_EQ(CHR_GetWazaHeat(0, 0), 20);  // at most two thirds come off
    CAMP_DATA.weapon[0].heat_reduction = 10;
    EXPECT_EQ(CHR_GetWazaHeat(0, 0), 50);
    EXPECT_EQ(CHR_GetWazaHeat(0, 1), 20);  // kind 0 at 50 %, less 10
    EXPECT_EQ(CHR_GetWazaHeat(0, 2), 0);
    EXPECT_EQ(CHR_GetWazaHeat(0, 3), 130);
    EXPECT_EQ(CHR_GetWazaHeatBase(0, 3), 200);
    EXPECT_EQ(CHR_GetWazaHeat(1, 0), 60);  // no reduction for CPU mechs
    EXPECT_EQ(CHR_GetWazaHeat(1, 3), 130);
    EXPECT_EQ(CHR_GetWazaHeat(1, 9), 0);
    EXPECT_EQ(CHR_GetWazaHeat(5, 0), 0);
}

TEST_F(Hit, HalfTheHeatByTheCampaignPercentages) {
    support::WazaActSpec act;
    act.key[0] = KeyFrame(kShortSeq, 4, 30);
    support::WazaSpec s = support::OneAction(act, 60);
    std::vector<support::WazaSpec> v{s, s, s, s, s, s};
    v[0].heat_kind = 2;
    v[1].heat_kind = 0;
    v[2].heat_kind = 1, v[2].heat = 90;
    v[3].heat_kind = 2, v[3].heat = 200;
    v[4].heat_kind = 3;
    v[5].heat_kind = 0, v[5].heat = 0;
    Techniques("player", v);
    EXPECT_EQ(CHR_GetWazaHeatHalf(0), 0);  // the player's techniques are not loaded yet
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 300, 300);
    p->chr->heat_pct0 = p->chr->heat_pct1 = 100;  // the character's own percentages are not read
    CAMP_DATA.base[CAMP_HEAT0] = 50;
    CAMP_DATA.base[CAMP_HEAT1] = 150;
    CAMP_DATA.weapon[0].heat_reduction = 10;  // techniques 0 to 2
    CAMP_DATA.weapon[1].heat_reduction = 0;   // techniques 3 to 5
    struct Case {
        int t, half;
    };
    const Case cases[] = {
        {0, 25},   // 60 unscaled, less 10, halved
        {1, 10},   // 60 at 50 % is 30, less 10
        {2, 62},   // 90 at 150 % is 135, less 10, 125 halved
        {3, 65},   // 200 capped at 130
        {4, 0},    // an unknown heat kind adds nothing
        {5, 0},
        {99, 0},   // no such technique
        {-1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CHR_GetWazaHeatHalf(c.t), c.half) << c.t;
    EXPECT_EQ(CHR_GetWazaHeat(0, 1), 50);  // the character's own heat: 60 at 100 %, less 10
    CAMP_DATA.weapon[0].heat_reduction = 50;
    EXPECT_EQ(CHR_GetWazaHeatHalf(0), 10);  // at most two thirds come off: 60 - 40, halved
}

TEST(CountCodes, FixedCountsAndChances) {
    EXPECT_EQ(TAMA_DecodeCount(60), 4);
    EXPECT_EQ(TAMA_DecodeCount(0), 64);
    plat::Srand(3);
    auto fired = [](int code, int n) {
        int k = 0;
        for (int i = 0; i < n; ++i) k += TAMA_DecodeCount(code);
        return k;
    };
    const int f64 = fired(64, 33000), f95 = fired(95, 10000), f96 = fired(96, 9000), f255 = fired(255, 16200);
    EXPECT_NEAR(f64, 32000, 300);  // 32 in 33
    EXPECT_NEAR(f95, 5000, 300);   // 1 in 2
    EXPECT_NEAR(f96, 3000, 300);   // 1 in 3
    EXPECT_NEAR(f255, 100, 60);    // 1 in 162
}

// Bullets as attackers: the shooter's stat by the hit kind, the larger reduction, no shooter.
struct BulletHit : Hit {
    LIST_NODE* Bullet(int slot, int team, int32_t x, int32_t y) {
        LIST_NODE* b = LIST_Alloc(LIST_KIND_TAMA);
        b->slot = int8_t(slot), b->team = int8_t(team), b->owner = -1;
        b->tama->record = record.data();
        const int id = SP_FindFree();
        EXPECT_EQ(SP_CreateAnim(id, 128, x, y, EFT_SET, 0), 1);
        b->sprite = int16_t(id);
        LIST_SetPos(b, x, y, 0);
        b->height_offset = 20, b->height_range = 10;
        return b;
    }
    void Phase(const HitSpec& h, uint8_t chr_hits, uint8_t tama_hits, int8_t rate) {
        uint8_t* p = record.data() + TAMA_PHASE_OFFSET;
        const auto hit = support::HitRecord(h);
        std::copy(hit.begin(), hit.end(), p + TAMA_PHASE_HIT);
        p[TAMA_PHASE_CHR_HITS] = chr_hits, p[TAMA_PHASE_TAMA_HITS] = tama_hits, p[TAMA_PHASE_HIT_RATE] = uint8_t(rate);
    }
    std::vector<uint8_t> record = std::vector<uint8_t>(TAMA_RECORD_SIZE);
};

TEST_F(BulletHit, StatsAndReductionOfTheShooter) {
    HitSpec h;
    h.base = 300;
    h.reduction_step = 5;
    Arm(h);
    Phase(h, 3, 0, 70);
    player->chr->beam = 20;
    struct Case {
        int slot, hit_kind, shooter_reduction, bullet_reduction, damage;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 300},      // beam 20: 100 %
        {0, 0, 0, 0, 450},      // attack 40: 150 %
        {0, 0, 100, 200, 150},  // the bullet's 200 at 150 %
        {0, 0, 200, 100, 150},
        {5, 0, 0, 200, 1},      // no shooter: 50 % and the bullet's own reduction
    };
    for (const Case& c : cases) {
        LIST_NODE* b = Bullet(c.slot, 0, 310, 300);
        b->tama->hit_kind = uint8_t(c.hit_kind);
        b->tama->reduction = c.bullet_reduction;
        player->chr->reduction = c.shooter_reduction;
        Refill();
        const int before = dummy->chr->units;
        HIT_Apply(dummy, b);
        EXPECT_EQ(before - dummy->chr->units, c.damage) << c.slot << " " << c.hit_kind << " " << c.bullet_reduction;
        EXPECT_EQ(std::tuple(int(b->tama->hits_made), int(b->tama->hit_countdown)), std::tuple(1, 7));
        if (c.slot == 0) { EXPECT_EQ(player->chr->reduction, c.shooter_reduction + 5); }
        LIST_Free(b->index);
    }
}

TEST_F(BulletHit, TouchesOfCharactersAndBullets) {
    Arm(HitSpec{});
    Phase(HitSpec{}, 3, 255, 63);
    LIST_NODE* b = Bullet(0, 0, 310, 300);
    b->tama->hits1 = 3, b->tama->hits2 = 255;
    LIST_SetCurrent(b);
    EXPECT_EQ(HIT_Check(1, 0), 1u);
    EXPECT_EQ(b->tama->hits1, 2);
    b->tama->hits1 = 0;
    EXPECT_EQ(HIT_Check(1, 0), 0u);  // its character hits are used up
    // A down target is left alone from count 10.
    b->tama->hits1 = 3;
    CHR_SetState(dummy, 8);
    EXPECT_EQ(HIT_Check(0, 0), 1u);
    dummy->chr->state_counter = 10;
    EXPECT_EQ(HIT_Check(0, 0), 0u);
    // Bullet against bullet: the target needs room for a hit or this frame's hit.
    LIST_SetPos(dummy, 900, 300, 0);
    LIST_NODE* t = Bullet(1, 1, 312, 302);
    t->tama->hits2 = 0;
    t->tama->record = nullptr;
    EXPECT_EQ(HIT_Check(1, 0), 0u);
    t->tama->hit_frame = 1;
    EXPECT_EQ(HIT_Check(1, 0), 2u);
    EXPECT_EQ(std::tuple(int(b->tama->hits_made), int(b->tama->hit_frame), int(b->tama->hits2)), std::tuple(2, 1, 254));
}

}  // namespace
