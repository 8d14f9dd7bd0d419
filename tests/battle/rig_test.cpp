// The battle rig end to end: two mechs from fixture files walk scripted paths on a fixture stage
// with the camera following; the run is deterministic and matches its golden trace.
#include <gtest/gtest.h>

#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "tests/support/battle_rig.h"
#include "tests/support/fixture.h"

namespace {

support::RigSetup TwoMechs() {
    support::RigSetup s;
    s.seed = 17;
    s.files = support::MakeTestStage(100, 75, 21, 0);
    // Objects along both paths, so the walkers pass behind and in front of them.
    for (int k : {30 * 100 + 20, 34 * 100 + 40, 40 * 100 + 52, 28 * 100 + 60, 45 * 100 + 30})
        s.files.map.objs[size_t(k)] = uint16_t(1 + k % 4);
    s.chars.push_back({0, 0, 0, 0, 320, 480, 0, -1, {{900, 480}, {900, 760}, {320, 760}}, 4});
    s.chars.push_back({1, 1, 1, 1, 1000, 560, 1, -1, {{400, 560}, {700, 900}, {1000, 560}}, 3});
    s.keys = [](int f) -> uint16_t { return f % 50 < 20 ? 0x0008 : (f % 50 < 25 ? 0x0010 : 0); };
    s.before_frame = [](int f) {
        if (f == 90) SCR_Quake(-1, -1, 20);
        if (f == 180) {  // a finish in slow motion, as a destroying hit starts it
            SCR_Quake(8, 4, 16);
            BTL_SetState(BTL_STATE_SLOW);
        }
        if (f == 240) CHR_SetState(CHR_Get(0), 3);
        if (f == 250) CHR_SetState(CHR_Get(0), 0);
    };
    return s;
}

TEST(Rig, TwoMechsOnScriptedPathsMatchTheGoldenTrace) {
    std::vector<std::string> first;
    {
        support::BattleRig rig(TwoMechs());
        ASSERT_TRUE(rig.ok());
        first = rig.Run(300);
        // The camera followed: the ring shows what a redraw at its position shows.
        DDSurface* view = support::MakeSurface(MAP_VIEW_W, MAP_VIEW_H);
        MAP_BlitBuffer(view, 0, 0, 0);
        const std::vector<uint16_t> ring = support::ReadSurface(view);
        MAP_Redraw(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
        MAP_BlitBuffer(view, 0, 0, 0);
        EXPECT_TRUE(ring == support::ReadSurface(view));
        DD_ReleaseSurface(view);
    }
    support::BattleRig again(TwoMechs());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.Run(300), first);  // seeded: the same run twice
    const std::string diff = support::CheckTrace("battle/golden/two_mechs", first);
    EXPECT_EQ(diff, "");
}

}  // namespace
