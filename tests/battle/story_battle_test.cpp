// The rig's story battle: 900 seeded frames of the player's mech on scripted pad input against a
// thinking CPU mech, with two more spawned by enemy control and a script event; the run repeats
// exactly and matches its golden trace, and the frames where mechs cross in depth its golden pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "battle/bsc_command.h"
#include "battle/chr_char.h"
#include "battle/cpu_think.h"
#include "battle/ecnt_enemy.h"
#include "battle/list_pool.h"
#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "tests/support/fixture.h"
#include "tests/support/golden.h"
#include "tests/support/story_battle.h"

namespace {
// The quarter of the screen round the mechs, as the golden pictures keep it.
std::string CheckScreen(int frame) {
    DDSurface* s = support::MakeSurface(320, 240);
    const RECT around{160, 60, 480, 300};
    BLT_Blt(s, 0, 0, DD_DISPLAY.back, &around, 0);
    char name[40];
    std::snprintf(name, sizeof name, "battle/golden/story_%04d", frame);
    const std::string result = support::CheckGolden(name, s);
    DD_ReleaseSurface(s);
    return result;
}

TEST(StoryBattle, APlayerFightsThinkingMechsWithTimedSpawns) {
    std::vector<std::string> first;
    std::set<int> cpu_states, cpu_modes, cpu_phases, spawned_slots;
    int techniques = 0, first_spawn = 0, most_bullets = 0;
    {
        support::BattleRig rig(support::StoryBattle());
        ASSERT_TRUE(rig.ok());
        first.push_back(support::BattleRig::TraceHeader());
        for (int f = 1; f <= support::kStoryFrames; ++f) {
            rig.Step();
            first.push_back(rig.TraceLine());
            // The player passes the first enemy in depth; an enemy knocked into the air comes down
            // behind another, its shadow under it, and lands behind it.
            if (f == 297 || f == 862 || f == 869) {
                EXPECT_EQ(CheckScreen(f), "") << f;
            }
            most_bullets = std::max<int>(most_bullets, LIST_STATE_DATA.wpnCnt);
            for (int s = 1; s < CHR_SLOTS; ++s) {
                const LIST_NODE* n = CHR_Get(s);
                if (!n) continue;
                cpu_states.insert(n->chr->state);
                cpu_modes.insert(CPU_WORK_TABLE[s].mode);
                cpu_phases.insert(CPU_WORK_TABLE[s].phase);
                techniques += n->chr->waza_started;
                if (s >= 2 && !spawned_slots.count(s)) spawned_slots.insert(s), first_spawn = first_spawn ? first_spawn : f;
            }
        }
    }
    // The enemies chose actions into every moving state, ran patterns and started techniques.
    for (int s : {1, 2, 3, 4, 5}) EXPECT_TRUE(cpu_states.count(s)) << s;
    EXPECT_EQ(cpu_modes, (std::set<int>{0, 1, 2}));
    EXPECT_TRUE(cpu_phases.count(4) && cpu_phases.count(6));
    EXPECT_GT(techniques, 5);
    EXPECT_GT(most_bullets, 0);  // shots were fired
    // The first queued spawn came at frame 240 (or later, once the field allowed it).
    EXPECT_FALSE(spawned_slots.empty());
    EXPECT_GE(first_spawn, 240);
    support::BattleRig again(support::StoryBattle());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.Run(support::kStoryFrames), first);  // seeded: the same run twice
    EXPECT_EQ(support::CheckTrace("battle/golden/story_battle", first), "");
}

}  // namespace
