// Helpers of the CPU, enemy-control and battle-script tests: the melee stage with the call record
// on and battle voices off, CPU mechs with written behaviour, and characters run as the current one.
#pragma once
#include <gtest/gtest.h>

#include "battle/bsc_command.h"
#include "battle/cpu_think.h"
#include "battle/ecnt_enemy.h"
#include "shell/sysdat.h"
#include "tests/battle/melee_test_util.h"
#include "tests/support/cpu_writer.h"

namespace ai_test {

struct Ai : melee_test::Melee {
    void SetUp() override {
        Melee::SetUp();
        saved_sys_ = SYS_DATA;
        SYS_DATA.battle_voice_off = 1;  // barks would draw from the generator
        SYS_DATA.difficulty = 1;
        BTL_RecordOn(true);
        BTL_Recorded().clear();
    }
    void TearDown() override {
        BTL_RecordOn(false);
        BTL_Recorded().clear();
        SYS_DATA = saved_sys_;
        Melee::TearDown();
    }
    // Writes the behaviour of "zako01" (read by its first CPU character).
    static void Behaviour(const support::CpuSpec& spec) { ASSERT_TRUE(support::WriteCpuFile("zako01", spec)); }
    // A CPU "zako01" of the level in the slot, aimed at `target` when given.
    static LIST_NODE* MakeCpu(int slot, int32_t x, int32_t y, int level = 2, LIST_NODE* target = nullptr) {
        EXPECT_EQ(CHR_Create(slot, 1, CHR_CPU, 1, x, y, level, -1), 1);
        LIST_NODE* n = CHR_TABLE[slot];
        if (n && target) n->target = target->index;
        return n;
    }
    static LIST_NODE* Player(int32_t x, int32_t y) { return Make(0, 0, CHR_PLAYER, x, y); }
    static CPU_WORK& Work(const LIST_NODE* n) { return CPU_WORK_TABLE[n->slot]; }
    static int Think(LIST_NODE* n) {
        Current(n);
        return CPU_Think();
    }
    // The generator's next value after the calls, against the same seed untouched: equal when the
    // calls drew nothing.
    template <class F>
    static bool DrawsNothing(uint32_t seed, F calls) {
        plat::Srand(seed);
        calls();
        const int after = plat::Rand();
        plat::Srand(seed);
        return after == plat::Rand();
    }

private:
    SysData saved_sys_{};
};

}  // namespace ai_test
