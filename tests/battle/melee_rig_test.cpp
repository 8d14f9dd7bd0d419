// A pad-driven player against a dummy mech without CPU data: it walks, dashes, long-dashes and
// chains three techniques that stagger the dummy, knock it down and destroy it; the seeded run
// matches its golden trace.
#include <gtest/gtest.h>

#include <set>

#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/hit_resolve.h"
#include "tests/battle/melee_test_util.h"
#include "tests/support/battle_rig.h"

namespace {

using support::HitSpec;

std::vector<support::WazaSpec> PlayerTechniques() {
    HitSpec stagger;  // a flinching blow with two hit marks
    stagger.base = 200, stagger.flinch = 1, stagger.stagger = 10, stagger.stop = 2, stagger.knock_speed = 6;
    stagger.down = 20, stagger.flash = 1, stagger.spark = 3, stagger.spark_count = 62, stagger.spark_spread = 12;
    HitSpec launch;  // into the air, to fall down on landing
    launch.base = 200, launch.down = 100, launch.launch = 10, launch.flags = 1, launch.stop = 3, launch.knock_speed = 8;
    launch.flash = 2, launch.spark = 4, launch.spark_count = 63, launch.sound = 28;
    HitSpec finish;  // more than the dummy has left
    finish.base = 1500, finish.launch = 14, finish.flags = 1, finish.stop = 4, finish.knock_speed = 10;
    finish.down = 50, finish.flash = 3, finish.spark = 5, finish.spark_count = 61, finish.spark_spread = 20;
    std::vector<support::WazaSpec> v(7, support::Blow(20, 16, 1 << 11, stagger, 20));
    v[3] = support::Blow(21, 16, 1 << 11, launch, 20);
    v[6] = support::Blow(22, 20, 1 << 11 | 1 << 12, finish, 20);
    return v;
}

support::RigSetup Duel() {
    support::RigSetup s;
    s.seed = 29;
    s.files = support::MakeTestStage(100, 75, 5, 0);
    // A clear field between them.
    for (int r = 20; r < 40; ++r)
        for (int c = 5; c < 70; ++c) s.files.map.attr[size_t(r) * 100 + c] = 0;
    s.chars.push_back({0, 0, CHR_PLAYER, 0, 200, 480, 0, -1, {}, 4});
    s.chars.push_back({1, 1, CHR_CPU, 1, 760, 480, 0, -1, {}, 4});
    s.more_files = [] {
        ASSERT_TRUE(support::WriteSpr("Bmp/Meka/player.spr", support::MeleeSprFile("player", 0)));
        ASSERT_TRUE(support::WriteSpr("Bmp/Meka/zako01.spr", support::MeleeSprFile("zako01", 1)));
        ASSERT_TRUE(support::WriteBytes("Dat/player.waz", support::WriteWaz(PlayerTechniques())));
    };
    s.keys = [](int f) -> uint16_t {
        if (f <= 12) return 0x08;                  // walk right
        if (f == 17 || (f >= 19 && f <= 26)) return 0x08;  // double tap: dash, then brake
        if (f >= 34 && f <= 42) return 0x80;      // long dash at the dummy
        if (f >= 43 && f <= 52) return 0x08;
        if (f == 60 || f == 64 || f == 68) return 0x10;  // three blows of the combo grid
        return 0;
    };
    s.before_frame = [](int f) {
        if (f != 1) return;
        for (int i = 0; i < CAMP_GRID; ++i) CAMP_DATA.equip[i] = 0;
        CAMP_DATA.equip[3] = 3;
        CAMP_DATA.equip[6] = 6;
    };
    return s;
}

TEST(MeleeRig, APlayerDashesAndDestroysADummyWithACombo) {
    std::vector<std::string> first;
    std::set<int> dummy_states, player_states;
    {
        support::BattleRig rig(Duel());
        ASSERT_TRUE(rig.ok());
        first.push_back(support::BattleRig::TraceHeader());
        int destroyed_at = 0, end_at = 0;
        for (int f = 1; f <= 300; ++f) {
            rig.Step();
            first.push_back(rig.TraceLine());
            if (const LIST_NODE* p = CHR_Get(0)) player_states.insert(p->chr->state);
            if (const LIST_NODE* d = CHR_Get(1)) dummy_states.insert(d->chr->state);
            else if (!destroyed_at) destroyed_at = f;
            if (BTL_EndCount && !end_at) end_at = f;
        }
        EXPECT_TRUE(player_states.count(1) && player_states.count(2) && player_states.count(5));
        EXPECT_TRUE(dummy_states.count(6) && dummy_states.count(7) && dummy_states.count(8));
        EXPECT_GT(destroyed_at, 68);
        EXPECT_EQ(end_at, destroyed_at);
        EXPECT_EQ(CHR_DESTROYED[1], 1);
    }
    support::BattleRig again(Duel());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.Run(300), first);  // seeded: the same run twice
    EXPECT_EQ(support::CheckTrace("battle/golden/melee_duel", first), "");
}

}  // namespace
