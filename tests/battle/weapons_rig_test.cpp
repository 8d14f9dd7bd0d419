// A pad-driven player shooting grenades, homing missiles and a growing laser at a dummy: the seeded
// run, with the bullets' count and positions added to each trace line, matches its golden trace.
#include <gtest/gtest.h>

#include <set>

#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/tama_obj.h"
#include "battle/wpn_fire.h"
#include "tests/support/battle_rig.h"
#include "tests/support/fixture.h"
#include "tests/support/melee_fixture.h"
#include "tests/support/tama_fixture.h"

namespace {

constexpr int kLaserTech = 0, kGrenadeTech = 3, kHomingTech = 6;

std::vector<support::WazaSpec> Arsenal() {
    support::WpnSpec laser = support::FixtureWeapon(support::kLaser);
    laser.loops = 20;  // one segment every other frame up to 20
    std::vector<support::WazaSpec> v(7, support::FiringTechnique(support::FixtureWeapon(support::kStraight), 16));
    v[kLaserTech] = support::FiringTechnique(laser, 70);
    v[kGrenadeTech] = support::FiringTechnique(support::FixtureWeapon(support::kGrenade), 16);
    v[kHomingTech] = support::FiringTechnique(support::FixtureWeapon(support::kHoming), 16);
    return v;
}

std::vector<support::TamaSpec> Bullets() {
    std::vector<support::TamaSpec> v = support::FixtureBullets();
    v[support::kGrenade].phase[0].speed = 14;  // a lob that lands by the dummy
    v[support::kGrenade].phase[0].rise_step = 9;
    return v;
}

support::RigSetup Range() {
    support::RigSetup s;
    s.seed = 31;
    s.files = support::MakeTestStage(100, 75, 5, 0);
    for (int r = 20; r < 40; ++r)
        for (int c = 5; c < 70; ++c) s.files.map.attr[size_t(r) * 100 + c] = 0;
    s.chars.push_back({0, 0, CHR_PLAYER, 0, 420, 480, 0, -1, {}, 4});
    s.chars.push_back({1, 1, CHR_CPU, 1, 600, 480, 0, -1, {}, 4});
    s.more_files = [] {
        ASSERT_TRUE(support::WriteSpr("Bmp/Meka/player.spr", support::MeleeSprFile("player", 0)));
        ASSERT_TRUE(support::WriteBytes("Dat/player.waz", support::WriteWaz(Arsenal())));
        ASSERT_TRUE(support::WriteTamaFile(Bullets()));
        ASSERT_EQ(TAMA_Load(), 1);
    };
    // Buttons 0x20 grenade, 0x40 homing missile, 0x10 laser, each a tap.
    s.keys = [](int f) -> uint16_t {
        switch (f) {
            case 10: case 120: case 200: return 0x20;
            case 40: case 150: case 230: return 0x40;
            case 70: case 260: return 0x10;
            default: return 0;
        }
    };
    s.before_frame = [](int f) {
        if (f != 1) return;
        for (int row = 0; row < 4; ++row) {
            CAMP_DATA.equip[size_t(row * 3)] = kLaserTech;
            CAMP_DATA.equip[size_t(row * 3 + 1)] = kGrenadeTech;
            CAMP_DATA.equip[size_t(row * 3 + 2)] = kHomingTech;
        }
    };
    return s;
}

// The bullets and fire orders after a frame: their counts and the sums of the bullets' positions.
std::string Shots() {
    int n = 0;
    int64_t x = 0, y = 0, h = 0;
    for (const LIST_NODE* b = LIST_Node(LIST_STATE_DATA.head); b; b = LIST_Node(b->next)) {
        if (b->kind != LIST_KIND_TAMA) continue;
        ++n, x += b->x, y += b->y, h += b->height;
    }
    return " |> " + std::to_string(wp2Cnt) + " " + std::to_string(n) + " " + std::to_string(x) + "," + std::to_string(y) + "," +
           std::to_string(h);
}

// The dummy's durability in units, levels included.
int Durability() {
    const LIST_NODE* d = CHR_Get(1);
    return d ? d->chr->units + d->chr->levels * CHR_UNITS : 0;
}

std::vector<std::string> RunRange(std::set<int>* bullet_kinds = nullptr, std::vector<int>* durability = nullptr) {
    support::BattleRig rig(Range());
    EXPECT_TRUE(rig.ok());
    std::vector<std::string> lines{support::BattleRig::TraceHeader() + " |> orders bullets x,y,height"};
    for (int f = 1; f <= 300 && rig.ok(); ++f) {
        rig.Step();
        lines.push_back(rig.TraceLine() + Shots());
        for (const LIST_NODE* b = LIST_Node(LIST_STATE_DATA.head); b && bullet_kinds; b = LIST_Node(b->next)) {
            if (b->kind != LIST_KIND_TAMA) continue;
            for (int k = 0; k < support::kFixtureBullets; ++k)
                if (b->tama->record == TAMA_Record(k)) bullet_kinds->insert(k);
        }
        if (durability) durability->push_back(Durability());
    }
    return lines;
}

TEST(WeaponsRig, APlayerShootsGrenadesMissilesAndALaserAtADummy) {
    std::set<int> kinds;
    std::vector<int> durability;
    const std::vector<std::string> first = RunRange(&kinds, &durability);
    // Every weapon fired, and the dummy took damage.
    EXPECT_EQ(kinds, (std::set<int>{support::kGrenade, support::kHoming, support::kLaser}));
    ASSERT_EQ(durability.size(), 300u);
    EXPECT_LT(durability.back(), durability.front());
    EXPECT_EQ(RunRange(), first);  // seeded: the same run twice
    EXPECT_EQ(support::CheckTrace("battle/golden/weapons_range", first), "");
}

}  // namespace
