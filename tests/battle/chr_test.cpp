// Battle characters: creation with every reference it takes and gives back, stats from the
// campaign block and from CPU data, heat, directions, targets, reset and the end of actions.
#include <gtest/gtest.h>

#include <set>

#include "battle/btl_common.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_update.h"
#include "battle/cpu_think.h"
#include "battle/map_data.h"
#include "platform/random.h"
#include "services/mth_math.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/map_writer.h"

namespace {

using battle_test::Hold;

struct Chr : battle_test::BattleTest {
    LIST_NODE* Make(int slot, int team, int control, int mech, int32_t x, int32_t y, int level = 0, int over = -1) {
        EXPECT_EQ(CHR_Create(slot, team, control, mech, x, y, level, over), 1) << slot;
        return CHR_TABLE[slot];
    }
};

TEST_F(Chr, CreationSetsTheNodeRecordAndDisplayObject) {
    CAMP_DATA.base[CAMP_LEVELS] = 3;
    const battle_test::Holdings before = Hold();
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(std::tuple(n->kind, n->team, n->slot, n->target, n->priority, n->fire_order, n->anim),
              std::tuple(LIST_KIND_CHR, 0, 0, -1, 5, -999, 6));
    EXPECT_EQ(std::tuple(n->sub_steps, n->sub_step_size, n->draw_parts[0], n->height), std::tuple(1, 4, 1u, 0));
    const CHR_DATA* c = n->chr;
    EXPECT_EQ(std::tuple(c->heat, c->heat_max, c->flash_kind, c->queued, c->use_count, c->state), std::tuple(0, 130, -1, -1, 0, 0));
    for (int16_t t : c->use_list) EXPECT_EQ(t, -999);
    EXPECT_EQ(std::tuple(c->units, c->levels, c->levels_start, c->armour), std::tuple(2080, 3, 3, 500));
    // Boxes from the pattern facing down: hit box 13 (-32, -40, 32, 0), box 4 (-20, -70, 20, 0).
    EXPECT_EQ(std::tuple(n->map_box.x, n->map_box.y, n->map_box.w, n->map_box.h), std::tuple(-32, -40, 64, 40));
    EXPECT_EQ(n->body_box.w, 64);
    EXPECT_EQ(std::tuple(n->frame_rect.left, n->frame_rect.top, n->frame_rect.right), std::tuple(-32, -80, 32));
    EXPECT_EQ(std::tuple(n->height_offset, n->height_range), std::tuple(70, 70));
    EXPECT_EQ(std::tuple(c->box_w, c->box_h, c->box_cw, c->box_ch, c->rem_x, c->rem_y), std::tuple(64, 80, 4, 5, 12, 8));
    EXPECT_EQ(std::tuple(n->x16, n->y16), std::tuple(300 << 16, 400 << 16));
    const SP_ANIM* a = SP_Anim(n->sprite);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::tuple(a->priority, a->x, a->y, a->set, a->seq, a->running, a->loop, a->owner),
              std::tuple(128, 300, 400, uint16_t(c->sprite_bank), 6, 1, 0, n->index));
    EXPECT_EQ(MECH_TABLE[0].waza_refs, 1);
    EXPECT_EQ(MECH_TABLE[0].waza_count, 2);
    // Deleting gives all of it back and returns the node that followed.
    LIST_NODE* other = LIST_Alloc(LIST_KIND_EFT);
    EXPECT_EQ(CHR_Delete(0), other->index);
    LIST_Free(other->index);
    EXPECT_EQ(CHR_TABLE[0], nullptr);
    EXPECT_EQ(Hold(), before);
    EXPECT_EQ(CHR_Delete(0), -999);
    EXPECT_EQ(CHR_Delete(10), -999);
}

TEST_F(Chr, StatsFromTheCampaignBlock) {
    for (int i = 0; i < CAMP_BASE_VALUES; ++i) CAMP_DATA.base[i] = int16_t(100 + i);
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400, 0, 5);
    const CHR_DATA* c = n->chr;
    EXPECT_EQ(std::tuple(c->levels_start, c->levels, c->armour_max, c->armour), std::tuple(5, 5, 101, 101));
    EXPECT_EQ(std::tuple(c->walk_speed, c->dash_speed, c->long_dash_speed, c->long_dash_len), std::tuple(103, 104, 105, 106));
    EXPECT_EQ(std::tuple(c->attack, c->stat2, c->heat_pct0, c->beam, c->stat5, c->heat_pct1, c->defence),
              std::tuple(40, 0, 109, 40, 0, 110, 0));
}

TEST_F(Chr, StatsFromCpuDataByLevel) {
    CPU_DATA block{};
    auto put = [&](int i, int v) {
        block.raw[2 * i] = uint8_t(v);
        block.raw[2 * i + 1] = uint8_t(unsigned(v) >> 8);
    };
    const int s[24] = {3, 12, 7, 19, 23, 9, 15, 2, 50, 5, 19, 80, 99, 5, 3, 5, 4, 1, 30, 0, 1, 10, 99, 3};
    for (int i = 0; i < 24; ++i) put(i, s[i]);
    LIST_NODE* n = LIST_Alloc(LIST_KIND_CHR);
    n->slot = 4;
    n->chr->control = CHR_CPU;
    n->chr->mech = 5;
    struct Case {
        const CPU_DATA* data;
        int level, over;
        std::array<int, 13> want;  // levels, armour, walk, dash, long, length, attack, 2nd, heat0, beam, 5th, heat1, defence
    } cases[] = {
        {&block, 2, -1, {7, 2000, 7, 19, 23, 9, 20, 4, 0, 5, 20, 60, 11}},  // the caps 7, 2000 and 20 and the floor 0
        {&block, 0, 4, {4, 1200, 7, 19, 23, 9, 15, 2, 50, 5, 19, 80, 5}},
        {nullptr, 3, -1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // no ".cpu": every stat 0
    };
    for (const Case& k : cases) {
        MECH_TABLE[5].cpu = const_cast<CPU_DATA*>(k.data);
        n->chr->cpu_level = uint8_t(k.level);
        CHR_InitStats(n, k.over);
        const CHR_DATA* c = n->chr;
        const std::array<int, 13> got = {c->levels_start, c->armour_max, c->walk_speed, c->dash_speed, c->long_dash_speed,
                                         c->long_dash_len, c->attack, c->stat2, c->heat_pct0, c->beam, c->stat5, c->heat_pct1,
                                         c->defence};
        EXPECT_EQ(got, k.want) << k.level;
        EXPECT_EQ(std::tuple(c->units, c->levels, c->armour), std::tuple(2080, c->levels_start, c->armour_max));
        const CPU_WORK& w = CPU_WORK_TABLE[4];
        EXPECT_EQ(std::tuple(w.data, w.level, w.phase, w.action, w.pattern, w.mode), std::tuple(5, k.level, 3, -1, -1, 0));
    }
    MECH_TABLE[5].cpu = nullptr;
}

TEST_F(Chr, TwoMechsOfOneTypeShareOneLoad) {
    const battle_test::Holdings before = Hold();
    Make(1, 1, CHR_CPU, 1, 500, 400);
    Make(2, 1, CHR_CPU, 1, 600, 400);
    EXPECT_EQ(std::tuple(MECH_TABLE[1].waza_refs, MECH_TABLE[1].cpu_refs), std::tuple(2, 2));
    const std::string tech = "\x83\x81\x83JNo. 1\x8bZ";  // "メカNo. 1技"
    EXPECT_EQ(battle_test::DebugCount(tech), 1);
    CHR_Delete(1);
    EXPECT_EQ(battle_test::DebugCount(tech), 1);
    CHR_Delete(2);
    EXPECT_EQ(battle_test::DebugCount(tech), 2);
    // "○" starts a release line: the techniques', and the behaviour data's (no file, released all the same).
    EXPECT_EQ(battle_test::DebugCount("\x81\x9b"), 2);
    EXPECT_EQ(Hold(), before);
    // A player mech takes no CPU reference; voices are never touched.
    MECH_TABLE[0].voice_refs = 1;
    Make(0, 0, CHR_PLAYER, 0, 300, 400);
    EXPECT_EQ(MECH_TABLE[0].cpu_refs, 0);
    CHR_Delete(0);
    EXPECT_EQ(MECH_TABLE[0].voice_refs, 1);
    MECH_TABLE[0].voice_refs = 0;
}

TEST_F(Chr, FailedCreationsLeaveEverythingAsItWas) {
    Make(9, 1, CHR_CPU, 1, 100, 100);  // something already there, to make the counts non-trivial
    struct Case {
        const char* what;
        int slot, control, mech;
    } cases[] = {{"slot past 9", 10, 0, 0},  {"negative slot", -1, 0, 0},       {"mech past 31", 0, 0, 32},
                 {"negative mech", 0, 1, -1}, {"no animation file", 0, 1, 2},   {"a named mech without a stem", 0, 0, 25},
                 {"player without a file", 3, 0, 19}};
    const battle_test::Holdings before = Hold();
    for (const Case& c : cases) {
        EXPECT_EQ(CHR_Create(c.slot, 1, c.control, c.mech, 0, 0, 1, -1), -1) << c.what;
        EXPECT_EQ(Hold(), before) << c.what;
    }
    // A full pool, no free display object, no free animation set.
    std::vector<int> nodes;
    while (LIST_NODE* n = LIST_Alloc(LIST_KIND_GAUGE)) nodes.push_back(n->index);
    const battle_test::Holdings full = Hold();
    EXPECT_EQ(CHR_Create(0, 0, 1, 1, 0, 0, 0, -1), -1);
    EXPECT_EQ(Hold(), full);
    for (int i : nodes) LIST_Free(i);
    std::vector<int> sprites;
    for (int id; (id = SP_FindFree()) >= 0;) SP_CreateCallback(id, 0, nullptr), sprites.push_back(id);
    const battle_test::Holdings no_sprite = Hold();
    EXPECT_EQ(CHR_Create(0, 0, 1, 1, 0, 0, 0, -1), -1);
    EXPECT_EQ(Hold(), no_sprite);
    for (int id : sprites) SP_Delete(id);
    std::vector<int> sets;
    for (int s; (s = SPR_FindFreeSet()) >= 0 && SPR_Load(s, "Bmp/Meka/zako01.spr", 0);) sets.push_back(s);
    const battle_test::Holdings no_set = Hold();
    EXPECT_EQ(CHR_Create(0, 0, 1, 1, 0, 0, 0, -1), -1);
    EXPECT_EQ(Hold(), no_set);
    for (int s : sets) SPR_FreeSet(s);
    EXPECT_EQ(Hold(), before);
    // The occupant of the slot goes first, even when the new mech then fails.
    EXPECT_EQ(CHR_Create(9, 1, 1, 2, 0, 0, 0, -1), -1);
    EXPECT_EQ(CHR_TABLE[9], nullptr);
    EXPECT_EQ(Hold().nodes, 0);
}

TEST_F(Chr, HeatFallsOnlyOutsideTechniques) {
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    CHR_DATA* c = n->chr;
    struct Case {
        int heat, active, delta, result, after;
        bool cleared;
    } cases[] = {
        {5, 0, -10, 1, 0, true},    {0, 0, -10, 1, 0, false},  {50, 1, -10, -1, 50, false}, {50, 1, 200, 2, 130, false},
        {100, 0, 10, 0, 110, false}, {120, 0, 10, 2, 130, false}, {1, 0, -1, 1, 0, true},     {0, 1, 0, 1, 0, false},
    };
    for (const Case& k : cases) {
        c->heat = int16_t(k.heat);
        c->waza_active = uint8_t(k.active);
        c->use_count = 2;
        c->use_list[0] = 3;
        c->use_list[1] = 9;
        c->reduction = 44;
        EXPECT_EQ(CHR_AddHeat(n, k.delta), k.result) << k.heat << " " << k.delta;
        EXPECT_EQ(c->heat, k.after) << k.heat << " " << k.delta;
        EXPECT_EQ(c->use_count, k.cleared ? 0 : 2) << k.heat;
        EXPECT_EQ(c->use_list[1], k.cleared ? -999 : 9) << k.heat;
        EXPECT_EQ(c->reduction, k.cleared ? 0 : 44) << k.heat;
    }
}

TEST_F(Chr, PadDirectionsFollowTheEightSectors) {
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    for (int mask = 0; mask < 16; ++mask) {
        const int up = mask & 1, down = (mask >> 1) & 1, left = (mask >> 2) & 1, right = (mask >> 3) & 1;
        const int dx = right - left, dy = down - up;
        const bool valid = !(up && down) && !(left && right) && (dx || dy);
        const int want = valid ? MTH_GetVecDirIndex(45, dx, dy) : -1;
        EXPECT_EQ(CHR_KeyToDir(mask), want) << mask;
        EXPECT_EQ(CHR_KeyToDir(mask | 0x30), want) << "action bits are ignored: " << mask;
    }
    for (int dir = 0; dir < 8; ++dir) {
        CHR_SetDirVelocity(n, dir, 65535);
        const int32_t vx = n->chr->pad_vec[0], vy = n->chr->pad_vec[1];
        EXPECT_EQ(MTH_GetVecDirIndex(45, vx, vy), dir);
        EXPECT_TRUE((vx == 0 || std::abs(vx) == 65535) && (vy == 0 || std::abs(vy) == 65535)) << dir;
    }
    CHR_SetDirVelocity(n, 8, 1);
    CHR_SetDirVelocity(n, -1, 1);
    EXPECT_EQ(n->chr->pad_vec[0], 65535);  // unchanged from direction 7
}

TEST_F(Chr, TargetChoiceByMode) {
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    LIST_NODE* ally = Make(1, 0, CHR_CPU, 1, 310, 400);
    LIST_NODE* e3 = Make(3, 1, CHR_CPU, 1, 500, 400);
    LIST_NODE* e5 = Make(5, 1, CHR_CPU, 1, 100, 400);
    EXPECT_EQ(CHR_SetTarget(p, 3, 0), -1);
    EXPECT_EQ(p->target, e3->index);  // equal distances: the lower slot
    e5->x = 101;
    CHR_SetTarget(p, 3, 0);
    EXPECT_EQ(p->target, e5->index);
    CHR_SetTarget(p, 1, 0);
    EXPECT_EQ(p->target, e3->index);
    CHR_SetTarget(p, 0, 1);
    EXPECT_EQ(p->target, ally->index);  // by slot, whatever the team
    CHR_SetTarget(p, 0, 7);
    EXPECT_EQ(p->target, -1);
    CHR_SetTarget(p, 9, 3);  // no such mode: unchanged
    EXPECT_EQ(p->target, -1);
    // Random order over the slots: both enemies come up; a beaten one never does.
    std::set<int> picked;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        plat::Srand(seed);
        CHR_SetTarget(p, 2, 0);
        picked.insert(p->target);
    }
    EXPECT_EQ(picked, (std::set<int>{e3->index, e5->index}));
    e3->chr->levels = -1;
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        plat::Srand(seed);
        CHR_SetTarget(p, 2, 0);
        EXPECT_EQ(p->target, e5->index);
    }
    CHR_SetTarget(ally, 3, 0);
    EXPECT_EQ(ally->target, e3->index);  // the nearest, beaten or not
    CHR_Delete(3);
    CHR_Delete(5);
    for (int mode : {1, 2, 3}) {
        CHR_SetTarget(p, mode, 0);
        EXPECT_EQ(p->target, -1) << mode;
    }
}

TEST_F(Chr, ResetKeepsOrRefillsDurability) {
    CAMP_DATA.base[CAMP_LEVELS] = 3;
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    for (int refill : {0, 1}) {
        CHR_DATA* c = n->chr;
        c->units = 1000;
        c->levels = 1;
        c->levels_start = 2;
        c->heat = 80;
        c->state = 3;
        c->phase = 1;
        c->queued = 5;
        c->combo_hits = 4;
        c->durations[7] = 9;
        c->use_count = 1;
        c->flash_kind = 2;
        n->height = 30;
        n->fire_order = 17;
        n->vspeed = 5;
        n->x = 500;
        EXPECT_EQ(CHR_Reset(0, -999, 450, refill), 1);
        EXPECT_EQ(std::tuple(n->x, n->y, n->height, n->fire_order, n->vspeed), std::tuple(500, 450, 0, -999, 0));
        EXPECT_EQ(std::tuple(c->heat, c->state, c->phase, c->queued, c->combo_hits, c->durations[7], c->use_count, c->flash_kind),
                  std::tuple(0, 0, 0, -1, 0, 0, 0, -1));
        if (refill) EXPECT_EQ(std::tuple(c->units, c->levels, c->levels_start), std::tuple(2080, 3, 3));
        else EXPECT_EQ(std::tuple(c->units, c->levels, c->levels_start), std::tuple(1000, 1, 2));
        EXPECT_EQ(std::tuple(c->mech, c->control, c->armour), std::tuple(0, 0, 500));
        const SP_ANIM* a = SP_Anim(n->sprite);
        EXPECT_EQ(std::tuple(a->seq, a->loop, a->step, a->running), std::tuple(6, 1, 0, 1));
    }
    EXPECT_EQ(CHR_Reset(4, 0, 0, 1), 0);
}

TEST_F(Chr, StateAndPhaseChangesAndTheEndsOfActionsAndTechniques) {
    BTL_RecordOn(true);
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    LIST_NODE* e = Make(1, 1, CHR_CPU, 1, 500, 400);
    CHR_DATA* c = p->chr;
    for (auto [from, stops] : {std::pair{1, false}, {2, true}, {5, true}, {6, false}}) {
        BTL_Recorded().clear();
        c->state = int16_t(from);
        c->state_step = c->state_counter = c->state_aux = c->air_time = 7;
        CHR_SetState(p, 4);
        EXPECT_EQ(std::tuple(c->state, c->state_step, c->state_counter, c->state_aux, c->air_time), std::tuple(4, 0, 0, 0, 0));
        EXPECT_EQ(BTL_Recorded(), stops ? std::vector<std::string>{"SE_Stop 14"} : std::vector<std::string>{}) << from;
    }
    c->phase_step = c->phase_spare[1] = c->air_time = 3;
    CHR_SetWazaPhase(p, 2);
    EXPECT_EQ(std::tuple(c->phase, c->phase_step, c->phase_spare[1], c->air_time), std::tuple(2, 0, 0, 0));

    BTL_Recorded().clear();
    c->combo_hits = 3;
    c->combo_damage = 90;
    c->combo_window = 4;
    c->waza_active = 1;
    c->combo_cells[11] = 1;
    CHR_EndWaza(p);
    EXPECT_EQ(std::tuple(c->combo_hits, c->combo_damage, c->combo_window, c->waza_active, c->combo_cells[11]),
              std::tuple(0, 0u, 0, 0, 0));
    EXPECT_EQ(BTL_Recorded(), (std::vector<std::string>{"HUD_PanelSetTechRow 0 1", "HUD_ComboChartReset"}));
    BTL_Recorded().clear();
    CPU_WORK_TABLE[1].phase = 6;
    CHR_EndWaza(e);
    EXPECT_EQ(CPU_WORK_TABLE[1].phase, 3);
    EXPECT_EQ(BTL_Recorded(), (std::vector<std::string>{"HUD_PanelSetTechRow 1 1"}));
    BTL_RecordOn(false);

    // The combo window opens unless the target is a character that is down (state 6 and up).
    CHR_SetTarget(p, 0, 1);
    for (auto [target_state, window] : {std::pair{5, 10}, {6, 0}, {8, 0}}) {
        e->chr->state = int16_t(target_state);
        c->combo_window = 0;
        c->cancel_ok = 0;
        c->phase = 2;
        p->vspeed = 9;
        CHR_EndAction(p);
        EXPECT_EQ(std::tuple(c->combo_window, c->cancel_ok, c->phase, p->vspeed), std::tuple(window, 1, 0, 0)) << target_state;
    }
    p->target = -1;
    CHR_EndAction(p);
    EXPECT_EQ(c->combo_window, 10);
}

TEST_F(Chr, AnimationFacesAndRestartsOnlyOnChange) {
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    LIST_NODE* e = Make(1, 1, CHR_CPU, 1, 300, 600);
    SP_ANIM* a = SP_Anim(p->sprite);
    p->chr->aim[0] = 100;
    EXPECT_EQ(CHR_SetAnim(p, 7, -1, 2, 1, 1), 1);
    EXPECT_EQ(std::tuple(p->anim, int(p->dir), int(a->pattern_offset), int(a->seq), int(a->loop)), std::tuple(7, 6, 6, 7, 1));
    a->step = 2;
    CHR_SetAnim(p, 7, -1, 2, 1, 1);  // same animation and facing while running: left to run
    EXPECT_EQ(a->step, 2);
    // Facing mode 4 only with a current target: towards it, or along the velocity when gone.
    CHR_SetTarget(p, 0, 1);
    LIST_CURRENT.target = nullptr;
    CHR_SetAnim(p, 7, -1, 4, 1, 1);
    EXPECT_EQ(p->dir, 6);
    LIST_CURRENT.target = e;
    CHR_SetAnim(p, 7, -1, 4, 1, 1);
    EXPECT_EQ(p->dir, 0);
    EXPECT_EQ(a->step, 0);  // the facing changed: restarted
    p->target = 1999;
    p->vx = -5 << 16;
    CHR_SetAnim(p, 7, -1, 4, 1, 1);
    EXPECT_EQ(p->dir, 2);
    p->chr->state = 2;  // dashing: the dash animation when there is one
    CHR_SetAnim(p, 7, 11, 0, 1, 0);
    EXPECT_EQ(std::tuple(p->anim, int(a->seq), int(a->loop)), std::tuple(11, 11, 0));
    CHR_SetAnim(p, 8, -1, 0, 1, 0);
    EXPECT_EQ(p->anim, 8);
    EXPECT_EQ(CHR_SetAnim(nullptr, 1, 1, 0, 0, 0), 0);
    LIST_CURRENT = LIST_CURRENT_DATA{};
    // Showing and hiding every character's object.
    CHR_ShowAll(0);
    EXPECT_EQ(std::tuple(a->visible, a->running, SP_Anim(e->sprite)->visible), std::tuple(0, 0, 0));
    CHR_ShowAll(1);
    EXPECT_EQ(std::tuple(a->visible, a->running), std::tuple(1, 1));
}

TEST_F(Chr, WallUnderTheBoxFromHitBoxTwo) {
    support::MapSpec s(60, 40);
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    // Box 2 is (-24, -64, 24, -8): from (276, 336), 48 + 16 wide (starting inside a chip) and
    // 56 tall, so chips 17..20 by 21..24.
    struct Case {
        int c, r, want;
    } cases[] = {{20, 24, 1}, {17, 21, 1}, {21, 24, 0}, {20, 25, 0}, {16, 22, 0}, {18, 20, 0}};
    for (const Case& k : cases) {
        s.attr.assign(60 * 40, 0);
        s.attr[k.r * 60 + k.c] = 1;
        const std::vector<uint8_t> m = support::MakeMap(s);
        MAP_LoadFileData(m.data(), m.size());
        EXPECT_EQ(MAP_CheckRect(p, 1), k.want) << k.c << "," << k.r;
    }
    // The start chip is clamped into the map.
    p->x = -200;
    s.attr.assign(60 * 40, 0);
    s.attr[24 * 60 + 0] = 1;
    const std::vector<uint8_t> m = support::MakeMap(s);
    MAP_LoadFileData(m.data(), m.size());
    EXPECT_EQ(MAP_CheckRect(p, 1), 1);
    EXPECT_EQ(MAP_CheckRect(nullptr, 1), 0);
}

// The end of every update and every placement copy the height into 16.16; past +-32,767 px the copy
// wraps as a 32-bit product does instead of overflowing.
TEST_F(Chr, UpdateEndAndPlacementCopyTheHeightIntoSixteenSixteen) {
    LIST_NODE* n = Make(0, 0, CHR_PLAYER, 0, 300, 400);
    const struct {
        int32_t height, copy;
    } cases[] = {
        {0, 0},           {1, 65536},      {-1, -65536}, {32767, 0x7FFF0000}, {-32768, INT32_MIN},
        {32768, INT32_MIN}, {33410, -2105409536}, {65536, 0},  {-32769, 0x7FFF0000},
    };
    for (const auto& k : cases) {
        n->height = k.height;
        n->height16 = 12345;
        LIST_SetCurrent(n);
        EXPECT_EQ(CHR_UpdatePreview(), 1);
        EXPECT_EQ(n->height16, k.copy) << k.height;
        n->height16 = 12345;
        LIST_SetPos(n, 300, 400, k.height);
        EXPECT_EQ(n->height16, k.copy) << "placed at " << k.height;
    }
}

}  // namespace
