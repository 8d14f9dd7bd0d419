// A staged scene in battle-script mode, driven through the script interpreter's interface: three
// mechs created by command 19 walk, dash, long-dash, turn and use techniques from their queues
// (commands 23, 24, 25), started by command 0; the seeded run matches its golden trace and ends
// with every mech exactly on its last point.
#include <gtest/gtest.h>

#include "battle/bsc_command.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "shell/sysdat.h"
#include "tests/support/battle_rig.h"
#include "tests/support/cpu_writer.h"
#include "tests/support/script_double.h"

namespace {

struct Scene {
    int done_at = 0;
};

support::ScriptBuilder SceneScript() {
    support::ScriptBuilder s;
    s.Cmd(19, {0, 0, 0, 0, 400, 400, 0, -1})    // the player's mech
        .Cmd(19, {1, 1, 1, 1, 900, 400, -1, -1})  // two enemies, the first at the difficulty's level
        .Cmd(19, {2, 1, 1, 1, 900, 600, 2, -1})
        .Cmd(26, {0, 0, 1})
        .Cmd(26, {1, 0, 0})
        .Cmd(26, {2, 0, 0})
        .Cmd(15, {0, -1})  // the camera follows the player: the scene waits for it too
        // The player walks, watches its target, uses a technique, then dashes twice in one run.
        .Cmd(23, {0, 520, 430, 1, 1, -999})
        .Cmd(24, {0, -1, 10})
        .Cmd(25, {0, 0, 0, 20})
        .Cmd(23, {0, 600, 500, 2, 2, 10})
        .Cmd(23, {0, 640, 560, 2, 0, -999})
        // The first enemy long-dashes at the player, waits, and walks back.
        .Cmd(23, {1, -999, -999, 5, 0, -999})
        .Cmd(23, {1, 0, 0, 0, 0, 15})
        .Cmd(23, {1, 880, 420, 1, 2, 5})
        // The second turns left, fires its looping technique for a while, and walks.
        .Cmd(24, {2, 2, 5})
        .Cmd(25, {2, 1, 0, 10})
        .Cmd(23, {2, 800, 620, 1, 0, 6})
        .Cmd(0);
    return s;
}

support::RigSetup SceneRig(Scene* scene, support::ScriptHost* host) {
    support::RigSetup s;
    s.seed = 12345;
    s.files = support::MakeTestStage(100, 75, 7, 20);
    for (int r = 16; r < 46; ++r)
        for (int c = 16; c < 66; ++c) s.files.map.attr[size_t(r) * 100 + c] = 0;  // a clear stage for the scene
    s.follow = s.second = -1;
    s.more_files = [] { ASSERT_TRUE(support::WriteCpuFile("zako01", support::MobileCpu())); };  // the enemies' speeds
    s.before_frame = [scene, host](int f) {
        if (f == 1) {
            SYS_DATA.difficulty = 1;  // the rig gives the settings back at its end
            mBSC_Start();
            const std::vector<int> yields = host->Run(SceneScript());
            EXPECT_EQ(yields.back(), 1);
            EXPECT_EQ(host->suspends, 1);
            BTL_SetState(0);  // the scenario's frame: only the script-mode update runs the objects
        }
        if (!scene->done_at && BTL_ScriptModeUpdate()) scene->done_at = f;
    };
    return s;
}

TEST(ScriptScene, MechsFollowTheirQueuesAndEndOnTheirPoints) {
    std::vector<std::string> first;
    Scene scene;
    {
        support::ScriptHost host;
        support::BattleRig rig(SceneRig(&scene, &host));
        ASSERT_TRUE(rig.ok());
        first.push_back(support::BattleRig::TraceHeader());
        for (int f = 0; f < 400 && !scene.done_at; ++f) {
            rig.Step();
            first.push_back(rig.TraceLine());
        }
        ASSERT_GT(scene.done_at, 0) << "the scene never became idle";
        const POINT ends[3] = {{640, 560}, {880, 420}, {800, 620}};
        for (int s = 0; s < 3; ++s) {
            const LIST_NODE* n = CHR_Get(s);
            ASSERT_NE(n, nullptr);
            EXPECT_EQ(std::tuple(n->x, n->y, n->x16, n->y16), std::tuple(ends[s].x, ends[s].y, ends[s].x * 65536, ends[s].y * 65536))
                << s;
            EXPECT_EQ(n->chr->state, 0) << s;
        }
        EXPECT_EQ(CHR_Get(1)->chr->cpu_level, 1);  // the difficulty's level
        EXPECT_EQ(std::tuple(mBSC_GetBusy(), bscMovRun), std::tuple(-1, 0));
    }
    Scene again;
    support::ScriptHost host;
    support::BattleRig rig(SceneRig(&again, &host));
    ASSERT_TRUE(rig.ok());
    std::vector<std::string> second{support::BattleRig::TraceHeader()};
    for (int f = 0; f < 400 && !again.done_at; ++f) {
        rig.Step();
        second.push_back(rig.TraceLine());
    }
    EXPECT_EQ(second, first);  // seeded: the same run twice
    EXPECT_EQ(support::CheckTrace("battle/golden/script_scene", first), "");
}

}  // namespace
