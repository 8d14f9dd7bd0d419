// Helpers of the melee tests: a flat stage, the effect set, mech sets with the sequences and boxes
// these tests need, techniques written per mech, and characters run as the current object.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/chr_update.h"
#include "battle/eft_effect.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_exec.h"
#include "platform/random.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/melee_fixture.h"
#include "tests/support/waza_writer.h"

namespace melee_test {

using support::kShortSeq;
using support::kTimedSeq;

struct Melee : battle_test::BattleTest {
    void SetUp() override {
        BattleTest::SetUp();
        ASSERT_TRUE(support::WriteSpr("Bmp/Meka/player.spr", support::MeleeSprFile("player", 0)));
        ASSERT_TRUE(support::WriteSpr("Bmp/Meka/zako01.spr", support::MeleeSprFile("zako01", 1)));
        ASSERT_TRUE(support::WriteEffect());
        ASSERT_EQ(EFT_Load(), 1);
        Stage(64, 48);
        BTL_SetState(BTL_STATE_FIGHT);
        plat::Srand(7);
    }
    // A stage without walls of w x h chips, every cell of ground kind `ground`.
    void Stage(uint16_t w, uint16_t h, uint8_t ground = 0) {
        support::MapSpec spec = support::FlatMapSpec(w, h);
        spec.extra.assign(size_t(w) * h, ground);
        ASSERT_EQ(support::LoadStage(spec), 1);
    }
    static MapCell& Cell(int c, int r) { return MAP_DATA.cells[size_t(r) * MAP_DATA.width + c]; }
    static void Wall(int c, int r) { Cell(c, r).attr |= MAP_WALL; }

    // The techniques of a mech stem, read by its first character.
    static void Techniques(const std::string& stem, const std::vector<support::WazaSpec>& v) {
        ASSERT_TRUE(support::WriteBytes("Dat/" + stem + ".waz", support::WriteWaz(v)));
    }
    static LIST_NODE* Make(int slot, int team, int control, int32_t x, int32_t y) {
        EXPECT_EQ(CHR_Create(slot, team, control, control == CHR_PLAYER ? 0 : 1, x, y, 0, -1), 1);
        return CHR_TABLE[slot];
    }
    // The node as the walk and the update's start leave it: current, with its technique.
    static void Current(LIST_NODE* n) {
        LIST_SetCurrent(n);
        CHR_DATA* c = n->chr;
        LIST_CURRENT.chr = c;
        LIST_CURRENT.waza = WAZA_Get(c->mech, c->waza);
        LIST_CURRENT.act = LIST_CURRENT.waza ? WAZA_Act(LIST_CURRENT.waza, c->act_index) : nullptr;
        LIST_CURRENT.key = LIST_CURRENT.act ? WAZA_Key(LIST_CURRENT.act, c->key_index) : nullptr;
    }
    // One full update of the character.
    static void Update(LIST_NODE* n) {
        LIST_SetCurrent(n);
        CHR_Update();
    }
    static void Aim(LIST_NODE* from, const LIST_NODE* to) { from->target = to ? to->index : -1; }
    static int CountEffects(int kind) {
        int n = 0;
        for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next))
            n += e->kind == LIST_KIND_EFT && e->eft->kind == kind;
        return n;
    }
    static bool Recorded(const std::string& call) {
        for (const std::string& l : BTL_Recorded())
            if (l == call) return true;
        return false;
    }
};

}  // namespace melee_test
