// CPU behaviour: the ".cpu" files with their references, the condition masks, the chance rule and
// the elimination draw, the action and pattern machines, reactions and the wall-avoiding dash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "battle/cpu_think.h"
#include "platform/headless/headless.h"
#include "services/mth_math.h"
#include "tests/battle/ai_test_util.h"

namespace {

using ai_test::Ai;
using support::CpuSpec;

struct Cpu : Ai {
    LIST_NODE* player = nullptr;
    LIST_NODE* cpu = nullptr;
    // The player at (300, 300) and a CPU mech of level 2 at (400, 300) aiming at it.
    void Pair(const CpuSpec& spec, int level = 2) {
        Behaviour(spec);
        player = Player(300, 300);
        cpu = MakeCpu(1, 400, 300, level, player);
        player->target = cpu->index;
        Current(cpu);
    }
    static CpuSpec WalkAction(int slot, int16_t chance, uint16_t own_mask = 0) {
        CpuSpec s = support::MobileCpu();
        s.action[size_t(slot)].state = 1;
        s.action[size_t(slot)].duration = 30;
        s.action[size_t(slot)].chance = chance;
        s.action[size_t(slot)].own_mask = own_mask;
        return s;
    }
};

TEST_F(Cpu, DataLoadsPerMechWithReferencesAndAZeroTail) {
    // Only the stats and the first action are in the file: the rest reads as zero.
    CpuSpec spec = support::MobileCpu();
    spec.action[0].state = 2;
    std::vector<uint8_t> file = support::WriteCpu(spec);
    file.resize(CPU_ACTION_OFFSET + CPU_ACTION_SIZE);
    ASSERT_TRUE(support::WriteBytes("Dat/zako01.cpu", file));
    headless::ClearDebugOutput();
    LIST_NODE* a = MakeCpu(1, 400, 300);
    LIST_NODE* b = MakeCpu(2, 500, 300);
    Player(300, 300);  // the player's mech reads no behaviour
    EXPECT_EQ(MECH_TABLE[1].cpu_refs, 2);
    EXPECT_EQ(MECH_TABLE[0].cpu_refs, 0);
    EXPECT_EQ(battle_test::DebugCount("No. 1\x82" "b\x82o\x82t"), 1);  // one allocation line
    const CPU_DATA* d = CPU_GetData(1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(CPU_Action(d, 0).state(), 2);
    EXPECT_EQ(std::tuple(CPU_Action(d, 1).state(), CPU_Action(d, 1).chance()), std::tuple(int8_t(0), int16_t(0)));
    EXPECT_EQ(CPU_Stat(d, 3), 12);
    EXPECT_EQ(a->chr->dash_speed, 12);
    EXPECT_EQ(a->chr->levels_start, 2);  // s0 2 + s14 0 x level
    CHR_Delete(a->slot);
    EXPECT_NE(CPU_GetData(1), nullptr);
    CHR_Delete(b->slot);
    EXPECT_EQ(CPU_GetData(1), nullptr);
    EXPECT_EQ(MECH_TABLE[1].cpu_refs, 0);
}

TEST_F(Cpu, AMissingFileGivesZeroStatsAndAThinkThatDoesNothing) {
    headless::ClearDebugOutput();
    LIST_NODE* p = Player(300, 300);
    LIST_NODE* c = MakeCpu(1, 400, 300, 3, p);
    EXPECT_EQ(CPU_GetData(1), nullptr);
    EXPECT_EQ(MECH_TABLE[1].cpu_refs, 1);  // the count stays raised
    EXPECT_EQ(c->chr->walk_speed, 0);
    EXPECT_EQ(c->chr->armour_max, 0);
    EXPECT_TRUE(DrawsNothing(11, [&] { EXPECT_EQ(Think(c), 0); }));
    EXPECT_EQ(Work(c).mode, 0);
    EXPECT_EQ(Work(c).action, -1);
    // No allocation line; the last reference's release line all the same.
    EXPECT_EQ(battle_test::DebugCount("No. 1\x82" "b\x82o\x82t"), 0);
    CHR_Delete(c->slot);
    EXPECT_EQ(MECH_TABLE[1].cpu_refs, 0);
    EXPECT_EQ(battle_test::DebugCount("\x81\x9b\x83\x81\x83\x82\x83\x8a\x89\xf0\x95\xfa \x81" "F \x83\x81\x83JNo. 1\x82" "b\x82o\x82t"),
              1);  // the release line of the behaviour data
}

TEST_F(Cpu, SaveReplacesTheFileWithTheLoadedBlock) {
    Behaviour(support::MobileCpu());
    MakeCpu(1, 400, 300);
    CPU_GetData(1)->raw[CPU_DATA_SIZE - 1] = 0x5A;
    ASSERT_EQ(CPU_Save(1), 1);
    std::vector<uint8_t> back;
    ASSERT_TRUE(BTL_ReadFile("Dat/zako01.cpu", back, 1 << 20));
    ASSERT_EQ(back.size(), size_t(CPU_DATA_SIZE));
    EXPECT_EQ(back.back(), 0x5A);
    EXPECT_EQ(CPU_Save(2), 0);  // no data loaded for that mech
    std::filesystem::remove("Dat/zako01.cpu");
    std::filesystem::create_directory("Dat/zako01.cpu");  // a directory is never replaced
    EXPECT_EQ(CPU_Save(1), 0);
}

TEST_F(Cpu, OwnMaskBitsExcludeWhileTheirConditionHolds) {
    Pair(support::MobileCpu());
    CHR_DATA* c = cpu->chr;
    auto excluded = [&](int bit) { return CPU_OwnExcluded(cpu, uint16_t(1 << bit)); };
    struct Row {
        int bit;
        std::function<void()> holds, fails;
    };
    const Row rows[] = {
        {0, [&] { cpu->height = 0; }, [&] { cpu->height = 12; }},
        {1, [&] { cpu->height = 12; }, [&] { cpu->height = 0; }},
        {7, [&] { c->phase = 2; }, [&] { c->phase = 0; }},
        {8, [&] { c->heat = 5, c->waza_active = 0; }, [&] { c->heat = 5, c->waza_active = 1; }},
        {8, [&] { c->heat = 1, c->waza_active = 0; }, [&] { c->heat = 0, c->waza_active = 0; }},
        {9, [&] { Work(cpu).phase = 4; }, [&] { Work(cpu).phase = 6; }},
        {10, [&] { c->heat = 0; }, [&] { c->heat = 1; }},
        {11, [&] { c->line_flag = 0; }, [&] { c->line_flag = 1; }},
        {12, [&] { c->line_flag = 1; }, [&] { c->line_flag = 0; }},
    };
    for (const Row& r : rows) {
        r.holds();
        EXPECT_EQ(excluded(r.bit), 1) << r.bit;
        r.fails();
        EXPECT_EQ(excluded(r.bit), 0) << r.bit;
    }
    // States by bits 2..5: 0, 1, 2-4, 5; states 6-8 hold none of them.
    const int bit_of_state[9] = {2, 3, 4, 4, 4, 5, -1, -1, -1};
    for (int s = 0; s < 9; ++s) {
        c->state = int16_t(s);
        for (int bit = 2; bit <= 5; ++bit) EXPECT_EQ(excluded(bit), int(bit == bit_of_state[s])) << s << " " << bit;
    }
    // Bits 6 and 13-15 test nothing, whatever holds.
    c->heat = 3, c->phase = 1, cpu->height = 4, c->line_flag = 1;
    for (int bit : {6, 13, 14, 15}) EXPECT_EQ(excluded(bit), 0) << bit;
}

TEST_F(Cpu, TargetMaskBitsExcludeWhileTheTargetsConditionHolds) {
    Pair(support::MobileCpu());
    auto excluded = [&](int bit) { return CPU_TargetExcluded(player, uint16_t(1 << bit)); };
    player->height = 0;
    EXPECT_EQ(std::tuple(excluded(0), excluded(1)), std::tuple(1, 0));
    player->height = 30;
    EXPECT_EQ(std::tuple(excluded(0), excluded(1)), std::tuple(0, 1));
    // bit -> states it holds in
    const std::set<int> states[10] = {{}, {}, {0}, {1}, {2}, {2, 3, 4}, {}, {6}, {7}, {8}};
    for (int s = 0; s < 9; ++s) {
        player->chr->state = int16_t(s);
        for (int bit = 2; bit <= 9; ++bit) EXPECT_EQ(excluded(bit), int(states[bit].count(s))) << s << " " << bit;
        for (int bit = 10; bit <= 15; ++bit) EXPECT_EQ(excluded(bit), 0) << bit;
    }
}

TEST_F(Cpu, ChanceRuleByLevel) {
    CpuSpec spec = WalkAction(3, 1000);
    spec.action[5].state = 2;  // never chosen below its level, whatever its chance
    spec.action[5].chance = 1000;
    spec.action[5].min_level = 3;
    spec.action[6].state = 6;  // a state outside 0..5: an empty slot
    spec.action[6].chance = 1000;
    Pair(spec, 2);
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        plat::Srand(seed);
        Work(cpu).action = -1;
        ASSERT_EQ(CPU_ChooseAction(), 1);
        EXPECT_EQ(Work(cpu).action, 3) << seed;
    }
    // Per level: base 0 + 500 x (level 3 - minimum 1) = 1000.
    spec = WalkAction(3, 0);
    spec.action[3].chance_per_level = 500;
    spec.action[3].min_level = 1;
    CHR_Delete(1);
    Behaviour(spec);
    cpu = MakeCpu(1, 400, 300, 3, player);
    Current(cpu);
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        plat::Srand(seed);
        Work(cpu).action = -1;
        EXPECT_EQ(CPU_ChooseAction(), 1) << seed;
    }
    // Below the minimum level: no draw at all.
    spec.action[3].min_level = 4;
    CHR_Delete(1);
    Behaviour(spec);
    cpu = MakeCpu(1, 400, 300, 3, player);
    Current(cpu);
    EXPECT_TRUE(DrawsNothing(5, [] { EXPECT_EQ(CPU_ChooseAction(), 0); }));
}

// An action's full test at its edges: both ends of the distance band hold, durability levels may
// equal the maximum, and a CPU level equal to the minimum counts (level 0 included).
TEST_F(Cpu, AnActionsTestHoldsOnItsEdges) {
    Pair(WalkAction(3, 1000));  // the target 100 away; 2 durability levels left
    struct Row {
        int8_t level, min_level;
        int32_t min_dist, max_dist, max_levels;
        bool chosen;
    };
    const Row rows[] = {
        {2, 0, 100, 200, 100, true}, {2, 0, 101, 200, 100, false},  // the near edge
        {2, 0, 0, 100, 100, true},   {2, 0, 0, 99, 100, false},     // the far edge
        {2, 0, 0, 200, 2, true},     {2, 0, 0, 200, 1, false},      // levels left at the maximum
        {0, 0, 0, 200, 100, true},   {0, 1, 0, 200, 100, false},    // CPU level 0
    };
    for (const Row& r : rows) {
        CpuSpec spec = WalkAction(3, 1000);
        support::CpuActionSpec& a = spec.action[3];
        a.min_level = r.min_level, a.min_dist = r.min_dist, a.max_dist = r.max_dist, a.max_levels = r.max_levels;
        std::memcpy(CPU_GetData(1)->raw, support::WriteCpu(spec).data(), CPU_DATA_SIZE);
        Work(cpu).level = r.level;
        Work(cpu).action = -1;
        EXPECT_EQ(CPU_ChooseAction(), r.chosen ? 1 : 0) << &r - rows;
    }
}

// The elimination draw of two candidates at 500, as the rule states it: a first pass of full tests,
// then passes of draws over the survivors; a pass that would drop the last survivor keeps them all.
struct Outcome {
    int winner = -1;
    bool both_failed_a_pass = false;
};
Outcome Reference(uint32_t seed, const int (&slots)[2]) {
    plat::Srand(seed);
    auto draw = [] { return plat::Rand() % 1000 < 500; };
    bool alive[2];
    int remembered = -1, count = 0;
    for (int i = 0; i < 2; ++i)
        if ((alive[i] = draw())) remembered = slots[i], ++count;
    Outcome o;
    while (count > 1) {
        const bool a = draw(), b = draw();
        if (a) remembered = slots[0];
        if (b) remembered = slots[1];
        if (a != b) count = 1, remembered = a ? slots[0] : slots[1];
        else if (!a) o.both_failed_a_pass = true;
    }
    o.winner = count ? remembered : -1;
    return o;
}

TEST_F(Cpu, TwoCandidatesAtHalfChanceDrawUntilOneSurvives) {
    CpuSpec spec = WalkAction(2, 500);
    spec.action[9] = spec.action[2];
    spec.action[9].state = 2;
    Pair(spec);
    int both_failed = 0, neither = 0;
    std::set<int> winners;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        const Outcome want = Reference(seed, {2, 9});
        plat::Srand(seed);
        Work(cpu).action = -1, Work(cpu).mode = 0;
        EXPECT_EQ(CPU_ChooseAction(), want.winner >= 0 ? 1 : 0) << seed;
        EXPECT_EQ(Work(cpu).action, want.winner) << seed;
        both_failed += want.both_failed_a_pass;
        neither += want.winner < 0;
        winners.insert(want.winner);
        CPU_EndAction(cpu);
    }
    EXPECT_GT(both_failed, 10);  // the restoring pass happened, and both stayed in
    EXPECT_GT(neither, 30);      // no survivor of the first pass: nothing starts
    EXPECT_EQ(winners, (std::set<int>{-1, 2, 9}));
}

TEST_F(Cpu, CandidatesThatCannotFailEndTheDrawWithTheLastOfThem) {
    // Draws of 1000 never fail, so passes could never tell two such survivors apart: once only they
    // are left, the last in slot order wins.
    CpuSpec spec = WalkAction(1, 1000);
    spec.action[6] = spec.action[1];
    spec.action[11] = spec.action[1];
    spec.action[11].chance = 400;
    Pair(spec);
    std::set<int> winners;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        plat::Srand(seed);
        Work(cpu).action = -1;
        ASSERT_EQ(CPU_ChooseAction(), 1);
        winners.insert(Work(cpu).action);
    }
    EXPECT_EQ(winners, (std::set<int>{6}));
    // Only sure candidates survive the first pass: no pass is drawn at all.
    spec.action[11].chance = 0;
    CHR_Delete(1);
    Behaviour(spec);
    cpu = MakeCpu(1, 400, 300, 2, player);
    Current(cpu);
    plat::Srand(8);
    ASSERT_EQ(CPU_ChooseAction(), 1);
    const int after = plat::Rand();
    plat::Srand(8);
    for (int i = 0; i < 3; ++i) plat::Rand();  // the three first-pass draws
    EXPECT_EQ(after, plat::Rand());
    EXPECT_EQ(Work(cpu).action, 6);
}

TEST_F(Cpu, StartingAnActionWaitsItsDelayThenEntersItsState) {
    CpuSpec spec = WalkAction(4, 1000);
    spec.action[4].delay = 3;
    spec.action[4].priority = 7;
    spec.action[7] = spec.action[4];
    spec.action[7].delay = 0;
    spec.action[7].state = 2;
    spec.action[7].duration = 12;
    Pair(spec);
    CPU_StartAction(cpu, 4);
    const CPU_WORK& w = Work(cpu);
    EXPECT_EQ(std::tuple(w.mode, w.left, w.action, w.priority), std::tuple(1, 3, int8_t(4), uint8_t(7)));
    EXPECT_EQ(cpu->chr->state, 0);
    for (int f = 0; f < 2; ++f) Think(cpu);
    EXPECT_EQ(std::tuple(w.mode, w.left), std::tuple(1, 1));
    Think(cpu);
    EXPECT_EQ(std::tuple(w.mode, w.left, int(cpu->chr->state)), std::tuple(2, 30, 1));
    CPU_EndAction(cpu);
    CPU_StartAction(cpu, 7);  // no delay: at once
    EXPECT_EQ(std::tuple(w.mode, w.left, int(cpu->chr->state)), std::tuple(2, 12, 2));
}

TEST_F(Cpu, LineFlagsGiveActionsUp) {
    for (const uint16_t mask : {CPU_DROP_BLOCKED, CPU_DROP_CLEAR}) {
        Pair(WalkAction(0, 1000, mask));
        const bool drop_when_blocked = mask == CPU_DROP_BLOCKED;
        CPU_StartAction(cpu, 0);
        // Frames on the other side of the rule keep the action.
        if (!drop_when_blocked) Wall(21, 18);  // between x 300 and 400 on row y 300
        for (int f = 0; f < 3; ++f) {
            Think(cpu);
            EXPECT_EQ(Work(cpu).action, 0) << mask << " " << f;
        }
        EXPECT_EQ(cpu->chr->line_flag, drop_when_blocked ? 1u : 0u);
        Cell(21, 18).attr = drop_when_blocked ? MAP_WALL : 0;
        Think(cpu);  // the first frame on the rule's side drops it
        EXPECT_EQ(Work(cpu).action, -1) << mask;
        EXPECT_EQ(cpu->chr->line_flag, drop_when_blocked ? 0u : 1u);
        Cell(21, 18).attr = 0;
        CHR_Delete(0);
        CHR_Delete(1);
    }
}

TEST_F(Cpu, AStepsRandomWaitIsPerLevelTimesLevel) {
    CpuSpec spec = support::MobileCpu();
    spec.pattern[2].step[0].technique = 1;  // no heat: the step can start again at once
    spec.pattern[2].step[0].wait = 4;
    spec.pattern[2].step[0].wait_per_level = 3;
    spec.pattern[2].step[0].priority = 9;
    Pair(spec, 2);
    std::set<int> waits;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        plat::Srand(seed);
        ASSERT_EQ(CPU_TryStep(cpu, 2, 0), 1);
        waits.insert(Work(cpu).step_wait);
    }
    EXPECT_EQ(waits, (std::set<int>{4, 5, 6, 7, 8, 9}));  // 4 + 0..5
    const CPU_WORK& w = Work(cpu);
    EXPECT_EQ(std::tuple(w.phase, int(w.pattern), int(w.next_step), int(w.priority), cpu->chr->waza),
              std::tuple(4, 2, 1, 9, int16_t(1)));
    // A running technique with heat may be followed only when cancellable and below the top.
    cpu->chr->waza_active = 1, cpu->chr->cancel_ok = 0;
    EXPECT_EQ(CPU_TryStep(cpu, 2, 0), 0);
    cpu->chr->cancel_ok = 1, cpu->chr->heat = 130;
    EXPECT_EQ(CPU_TryStep(cpu, 2, 0), 0);
    cpu->chr->heat = 129;
    EXPECT_EQ(CPU_TryStep(cpu, 2, 0), 1);
    cpu->chr->waza_active = 0, cpu->chr->heat = 1;  // none running: only a cool gauge
    EXPECT_EQ(CPU_TryStep(cpu, 2, 0), 0);
}

TEST_F(Cpu, EndRuleOneCountsOnlyGroundFrames) {
    for (const int rule : {0, 1}) {
        CpuSpec spec = support::MobileCpu();
        spec.pattern[0].step[0].technique = 1;
        spec.pattern[0].step[0].end_rule = int16_t(rule);
        spec.pattern[0].step[0].wait = 3;
        Pair(spec);
        ASSERT_EQ(CPU_TryStep(cpu, 0, 0), 1);
        std::vector<int> counts;
        for (int f = 0; f < 8; ++f) {
            cpu->height = f < 3 ? 20 : 0;  // three frames in the air first
            Think(cpu);
            counts.push_back(Work(cpu).frames);
        }
        // Finished at wait + 1 frames: no next step, so phase 6, whose end resets the counter.
        if (rule == 0) EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 0}));
        else EXPECT_EQ(counts, (std::vector<int>{0, 0, 0, 1, 2, 3, 4, 5}));
        CHR_Delete(0);
        CHR_Delete(1);
    }
}

TEST_F(Cpu, ReactionsAnswerTheTargetsStartFrameByPriority) {
    CpuSpec spec = support::MobileCpu();
    support::CpuReactionSpec& r = spec.reaction[1];  // techniques 3..5: weapon 1
    r.kind = 0, r.value = 1, r.chance = 1000, r.delay = 5;
    Pair(spec);
    auto start = [&](int technique) {
        player->chr->waza_started = 1;
        player->chr->waza = int16_t(technique);
    };
    struct Row {
        uint8_t running, reaction;
        bool fires;
    };
    const Row rows[] = {{255, 0, true}, {255, 255, true}, {0, 255, false}, {5, 5, true}, {6, 5, false}, {200, 0, true}};
    for (const Row& row : rows) {
        CpuSpec s = spec;
        s.reaction[1].priority = row.reaction;
        ASSERT_TRUE(support::WriteCpuFile("zako01", s));
        std::memcpy(CPU_GetData(1)->raw, support::WriteCpu(s).data(), CPU_DATA_SIZE);
        Work(cpu).phase = 3;
        Work(cpu).priority = row.running;
        start(4);
        EXPECT_EQ(CPU_React(), row.fires ? 1 : 0) << int(row.running) << " " << int(row.reaction);
        if (row.fires) {
            EXPECT_EQ(std::tuple(Work(cpu).phase, Work(cpu).left, Work(cpu).reaction), std::tuple(5, 5, uint16_t(1)));
        }
    }
    Work(cpu).priority = 255;
    start(4);
    player->chr->waza_started = 0;  // not the start frame
    EXPECT_EQ(CPU_React(), 0);
    start(4);
    cpu->height = 10;  // in the air
    EXPECT_EQ(CPU_React(), 0);
    cpu->height = 0;
    player->target = -1;  // the target aims elsewhere
    EXPECT_EQ(CPU_React(), 0);
    player->target = cpu->index;
    start(-1);
    EXPECT_EQ(CPU_React(), 0);
    start(480);  // weapon 160: past the table
    EXPECT_EQ(CPU_React(), 0);
    start(4);
    EXPECT_EQ(CPU_React(), 1);
}

TEST_F(Cpu, ReactionDelaysAndActionReactions) {
    CpuSpec spec = support::MobileCpu();
    spec.action[2].state = 2, spec.action[2].duration = 9;
    spec.reaction[0] = {0, 1, 0, 1000, 0, 0, 0, 0, 100000, 0, 0};  // technique 1 at once
    spec.reaction[1] = {1, 2, 0, 1000, 0, 4, 0, 0, 100000, 0, 0};  // action 2 after 4 frames
    spec.reaction[2] = {1, 2, 0, 1000, 0, 0, 0, 0, 100000, 0, 0};  // action 2 at once
    spec.reaction[3] = {1, 3, 0, 1000, 0, 0, 0, 0, 100000, 0, 0};  // an empty action: no reaction
    spec.reaction[4] = {1, 16, 0, 1000, 0, 0, 0, 0, 100000, 0, 0};
    spec.reaction[5] = {0, 1, 0, 1000, 0, 0, 0, 150, 100000, 0, 0};  // out of its distance band
    spec.reaction[6] = {0, 1, 0, 1000, 0, 0, 0, 0, 100000, 1 << 0, 0};  // not on the ground
    Pair(spec);
    auto react = [&](int weapon, int8_t level = 2) {
        Work(cpu) = CPU_WORK{1, 0, 3, level, 0, 0, 0, 255, -1, -1, 0, 0, nullptr, {}};
        CHR_SetState(cpu, 0);
        player->chr->waza_started = 1;
        player->chr->waza = int16_t(weapon * 3);
        return CPU_React();
    };
    EXPECT_EQ(react(0), 1);
    EXPECT_EQ(std::tuple(Work(cpu).phase, cpu->chr->waza), std::tuple(6, int16_t(1)));
    EXPECT_EQ(react(1), 1);
    EXPECT_EQ(std::tuple(Work(cpu).mode, Work(cpu).left, int(Work(cpu).action)), std::tuple(1, 4, 2));
    EXPECT_EQ(react(2), 1);
    EXPECT_EQ(std::tuple(Work(cpu).mode, Work(cpu).left, int(cpu->chr->state)), std::tuple(2, 9, 2));
    EXPECT_EQ(react(3), 0);
    EXPECT_EQ(react(4), 0);
    EXPECT_EQ(react(5), 0);
    EXPECT_EQ(react(6), 0);
    EXPECT_EQ(react(0, 0), 1);  // CPU level 0 meets a minimum of 0
}

TEST_F(Cpu, AChosenPatternStartsItsFirstStepAndChainsTheNext) {
    CpuSpec spec = WalkAction(0, 1000);
    spec.action[0].pattern_chance = 1000;
    spec.action[0].duration = 200;
    spec.pattern[5].step[0].technique = 1;
    spec.pattern[5].step[0].wait = 2;
    spec.pattern[5].step[1].technique = 1;
    spec.pattern[5].step[1].wait = 1;
    Pair(spec);
    std::vector<std::tuple<int, int, int>> seen;  // mode, phase, next step
    for (int f = 0; f < 8; ++f) {
        cpu->chr->cancel_ok = 1;
        Think(cpu);
        seen.emplace_back(Work(cpu).mode, Work(cpu).phase, Work(cpu).next_step);
    }
    // Frame 1: the walk starts and the pattern draw starts step 0, which is finished after its
    // counter reaches wait + 1 = 3; step 1 (wait 1) after 2 more; then the steps have run out
    // (phase 6) and the technique's end frees the pattern.
    using T = std::tuple<int, int, int>;
    EXPECT_EQ(seen, (std::vector<T>{{2, 4, 1}, {2, 4, 1}, {2, 4, 1}, {2, 4, 1}, {2, 4, 2}, {2, 4, 2}, {2, 6, 2}, {2, 3, 0}}));
    EXPECT_EQ(Work(cpu).pattern, -1);
}

// A wall block right of the mech leaves one side open at 20 degrees off the heading.
TEST_F(Cpu, TheWallAvoidingDashTurnsToTheFirstClearSide) {
    for (const int open_side : {1, -1}) {
        CpuSpec spec = WalkAction(0, 1000);
        spec.action[0].state = 3;
        spec.action[0].duration = 50;
        Pair(spec);
        LIST_SetPos(cpu, 400, 420, 0);
        for (int c = 30; c <= 40; ++c)
            for (int r = 0; r < 48; ++r)
                if (open_side == 1 ? r <= 27 : r >= 25) Wall(c, r);
        CPU_StartAction(cpu, 0);
        Current(cpu);
        int gravity = 0;
        CPU_StateDash3(&gravity);  // entry: heading at the target, a random side
        CPU_WORK& w = Work(cpu);
        w.work[CPU_ANGLE] = 0;     // heading right, into the block
        w.work[CPU_RATE] = 100;    // probe length
        cpu->chr->state_counter = int16_t(-open_side);
        cpu->chr->moved = 1;       // the last step met the wall
        CPU_StateDash3(&gravity);
        EXPECT_EQ(cpu->chr->state_counter, open_side);
        EXPECT_EQ(w.work[CPU_SEARCH], 1);
        EXPECT_EQ(w.work[CPU_ANGLE], (360 + (300 - 100) / 8 * open_side) % 360);
        EXPECT_EQ(w.work[CPU_RATE], 80);
        EXPECT_EQ(cpu->chr->move_speed, 12 - (300 - 80) / 32);
        // Searched once: the next blocked frame keeps turning the same way without looking.
        cpu->chr->state_counter = int16_t(-open_side);
        CPU_StateDash3(&gravity);
        EXPECT_EQ(cpu->chr->state_counter, -open_side);
        CHR_Delete(0);
        CHR_Delete(1);
        for (int c = 30; c <= 40; ++c)
            for (int r = 0; r < 48; ++r) Cell(c, r).attr = 0;
    }
}

TEST_F(Cpu, HandlersWithoutAnActionOrATargetEndIt) {
    Pair(support::MobileCpu());
    for (int state = 1; state <= 5; ++state) {
        CHR_SetState(cpu, state);
        Work(cpu).mode = 2;
        Current(cpu);
        int gravity = 0;
        CPU_STATE_TABLE[state](&gravity);
        EXPECT_EQ(std::tuple(int(cpu->chr->state), Work(cpu).mode, int(Work(cpu).action)), std::tuple(0, 0, -1)) << state;
    }
}

TEST_F(Cpu, AWalkRunsItsDurationThenEnds) {
    CpuSpec spec = WalkAction(0, 1000);
    spec.action[0].duration = 6;
    Pair(spec);
    LIST_SetPos(cpu, 600, 300, 0);
    CPU_StartAction(cpu, 0);
    int frames = 0;
    for (; cpu->chr->state == 1 && frames < 50; ++frames) Update(cpu);
    EXPECT_EQ(frames, 8);  // 6 + the frame at 0 + the frame that finds it negative
    EXPECT_LT(cpu->x, 600);  // towards the player
    EXPECT_EQ(Work(cpu).mode, 0);
}

TEST_F(Cpu, AWanderingWalkAimsOnlyOnMovingSteps) {
    CpuSpec spec = WalkAction(0, 1000);
    spec.action[0].move_mode = 2;
    spec.action[0].duration = 100;
    Pair(spec);
    CPU_StartAction(cpu, 0);
    int gravity = 0;
    CPU_StateWalk(&gravity);  // entry: the random point, offset and rate
    CPU_WORK& w = Work(cpu);
    for (const int16_t counter : {1, 3, 0, 2}) {
        cpu->chr->state_counter = counter;
        SP_Anim(cpu->sprite)->running = 1;  // the step's animation still plays
        const int32_t angle = w.work[CPU_ANGLE], rate = w.work[CPU_RATE];
        const bool planted = counter & 1;
        EXPECT_EQ(DrawsNothing(21, [&] { CPU_StateWalk(&gravity); }), planted) << counter;
        // A moving step turns the offset by the rate (then the rate takes its draw).
        EXPECT_EQ(w.work[CPU_ANGLE], planted ? angle : std::clamp(angle + rate, -64, 64)) << counter;
        EXPECT_EQ(cpu->chr->move_speed, planted ? 0 : cpu->chr->walk_speed) << counter;
    }
}

TEST_F(Cpu, TheHomingDashTurnsSixDegreesEveryFrame) {
    CpuSpec spec = WalkAction(0, 1000);
    spec.action[0].state = 4;
    spec.action[0].duration = 50;
    Pair(spec);  // the mech at (400, 300), dash speed 12
    CPU_StartAction(cpu, 0);
    int gravity = 0;
    CPU_StateDash4(&gravity);  // entry
    // Heading 0 (right); the target's direction; the heading after one frame, and the speed from 10.
    struct Row {
        int32_t tx, ty;
        int turned, speed;
    };
    const Row rows[] = {
        {900, 300, 6, 11},    // straight ahead: a whole step off and back, never still
        {900, 326, 6, 11},    // 2 degrees off: the step passes it
        {800, 700, 6, 9},     // 45: 39 left to turn
        {0, 300, 6, 9},       // 180 turns the positive way
        {400, -200, 354, 9},  // 270: the shorter way round
        {800, -100, 354, 9},  // 315: the other way, 39 left
    };
    for (const Row& r : rows) {
        LIST_SetPos(player, r.tx, r.ty, 0);
        cpu->chr->pad_vec[0] = 65535, cpu->chr->pad_vec[1] = 0;
        cpu->chr->move_speed = 10;
        CPU_StateDash4(&gravity);
        EXPECT_EQ(std::tuple(cpu->chr->pad_vec[0], cpu->chr->pad_vec[1]),
                  std::tuple(MTH_CosDeg(uint32_t(r.turned)), MTH_SinDeg(uint32_t(r.turned))))
            << r.tx << "," << r.ty;
        EXPECT_EQ(cpu->chr->move_speed, r.speed) << r.tx << "," << r.ty;
    }
}

TEST_F(Cpu, ALongDashOfTheLongDashLengthBrakes) {
    CpuSpec spec = WalkAction(0, 1000);
    spec.action[0].state = 5;
    spec.action[0].duration = 8;  // the long-dash length: the braking end
    Pair(spec);
    LIST_SetPos(cpu, 800, 300, 0);
    CPU_StartAction(cpu, 0);
    std::vector<int> steps;
    for (int f = 0; f < 30 && cpu->chr->state == 5; ++f) {
        Update(cpu);
        steps.push_back(cpu->chr->state_step);
    }
    EXPECT_EQ(steps[8], 2);  // counter 8 runs out on the ninth frame
    EXPECT_EQ(cpu->chr->state, 0);
    EXPECT_TRUE(Recorded("SE_Play 53 -1"));
    EXPECT_TRUE(Recorded("SE_Play 15 -1"));
}

}  // namespace
