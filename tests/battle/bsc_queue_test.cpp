// Script move queues: walks and dashes that end exactly on their points, chained dashes, turns,
// technique entries, interruption by a hit, the busy count and the queue's limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "battle/bsc_command.h"
#include "battle/scr_camera.h"
#include "platform/headless/headless.h"
#include "services/mth_math.h"
#include "tests/battle/ai_test_util.h"

namespace {

struct Queue : ai_test::Ai {
    void SetUp() override {
        Ai::SetUp();
        Behaviour(support::MobileCpu());  // walk 4, dash 12, long dash 16 x 8
        BTL_SetKind(9);
        mBSC_Reset();
        SCR_SetCamera(SCR_CAMERA_NONE, nullptr, nullptr);
        player = Player(300, 300);
        mech = MakeCpu(1, 700, 300, 2, player);
    }
    // Frames of the script-mode update until the moves are over (at most `limit`); the count.
    static int RunScene(int limit = 400, const std::function<void(int)>& each = nullptr) {
        for (int f = 1; f <= limit; ++f) {
            const int done = BTL_ScriptModeUpdate();
            if (each) each(f);
            if (done) return f;
        }
        return -1;
    }
    LIST_NODE* player = nullptr;
    LIST_NODE* mech = nullptr;
};

TEST_F(Queue, AWalkEndsExactlyOnItsPointWithoutOvershooting) {
    for (const int32_t speed : {6, 7, 50}) {
        const POINT from{mech->x, mech->y}, to{520, 371};
        ASSERT_EQ(mBSC_Chr_Mov_Set(1, to.x, to.y, 1, 0, speed), 0);
        EXPECT_EQ(mech->chr->state, 1);  // at once
        mBSC_Chr_Mov_Start();
        EXPECT_EQ(bscMovCnt, 1);
        int64_t last = INT64_MAX;
        const int frames = RunScene(400, [&](int) {
            // Along the line from the start the point is never passed, and the gap never grows.
            const int64_t dx = to.x - mech->x, dy = to.y - mech->y;
            EXPECT_GE(dx * (to.x - from.x) + dy * (to.y - from.y), 0);
            EXPECT_LE(dx * dx + dy * dy, last);
            last = dx * dx + dy * dy;
        });
        ASSERT_GT(frames, 0) << speed;
        EXPECT_EQ(std::tuple(mech->x, mech->y, mech->x16, int(mech->chr->state)), std::tuple(to.x, to.y, to.x * 65536, 0));
        EXPECT_EQ(bscMovCnt, 0);
        EXPECT_EQ(bscMovRun, 0);  // the update reset the run once idle
        LIST_SetPos(mech, 700, 300, 0);
    }
}

TEST_F(Queue, AWalkArrivesOnlyOnAFrameItMoves) {
    // Three pixels short of the point with speed 6: a planted foot (counters 1 and 3, speed 0)
    // stays, a moving one (counters 0 and 2) is placed on the point.
    struct Row {
        int16_t counter, speed;
        bool arrives;
    };
    for (const Row r : {Row{1, 0, false}, Row{3, 0, false}, Row{0, 6, true}, Row{2, 6, true}}) {
        LIST_SetPos(mech, 700, 300, 0);
        mBSC_Reset();
        mBSC_Chr_Mov_Set(1, 697, 300, 1, 0, 6);
        mBSC_Chr_Mov_Start();
        CHR_DATA* c = mech->chr;
        c->state_step = 1, c->state_counter = r.counter, c->move_speed = r.speed;  // the stand still plays
        Current(mech);
        int gravity = 0;
        mBSC_StateWalk(&gravity);
        EXPECT_EQ(std::tuple(mech->x, int(c->state), bscMovCnt), r.arrives ? std::tuple(697, 0, 0) : std::tuple(700, 1, 1))
            << r.counter;
    }
}

TEST_F(Queue, TwoDashesRunAsOneWithOneStartSound) {
    mBSC_Chr_Mov_Set(1, 560, 300, 2, 0, 10);
    mBSC_Chr_Mov_Set(1, 480, 380, 2, 0, 10);
    mBSC_Chr_Mov_Start();
    int middle_state = -1;
    ASSERT_GT(RunScene(200, [&](int) {
                  if (MBSC_QUEUE[1].current == 1 && middle_state < 0) middle_state = mech->chr->state_step;
              }),
              0);
    EXPECT_EQ(middle_state, 1);  // the second runs on in its moving step
    EXPECT_EQ(std::count(BTL_Recorded().begin(), BTL_Recorded().end(), "SE_Play 13 -1"), 1);
    EXPECT_EQ(std::tuple(mech->x, mech->y), std::tuple(480, 380));
}

TEST_F(Queue, ATurnWithoutDirectionFacesTheTargetEveryFrame) {
    mBSC_Chr_Dir_Set(1, -1, 5);
    mBSC_Chr_Mov_Start();
    const POINT spots[] = {{700, 500}, {500, 300}, {900, 100}, {700, 100}, {900, 300}};
    for (const POINT p : spots) {
        LIST_SetPos(player, p.x, p.y, 0);
        BTL_ScriptModeUpdate();
        EXPECT_EQ(mech->dir, MTH_GetDirIndex(45, 700, 300, p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_EQ(MBSC_QUEUE[1].current, 0);
    BTL_ScriptModeUpdate();  // frames 5 ran out: the queue has ended
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, MBSC_QUEUE[1].entry[1].kind), std::tuple(-1, 0));
}

TEST_F(Queue, AZeroFrameTurnLastsOneFrame) {
    mBSC_Chr_Dir_Set(1, 3, 0);
    mBSC_Chr_Dir_Set(1, 9, 0);  // above 7: 7
    mBSC_Chr_Dir_Set(1, -6, 0);  // below 0: -1
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].entry[1].facing, MBSC_QUEUE[1].entry[2].facing), std::tuple(7, -1));
    mBSC_Chr_Mov_Start();
    EXPECT_EQ(mech->dir, 3);
    BTL_ScriptModeUpdate();
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, int(mech->dir)), std::tuple(1, 7));
    BTL_ScriptModeUpdate();
    EXPECT_EQ(MBSC_QUEUE[1].current, 2);
    EXPECT_EQ(bscMovCnt, 1);
    EXPECT_EQ(BTL_ScriptModeUpdate(), 1);  // the last turn's frame: the scene is over and reset
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, bscMovCnt, bscMovRun), std::tuple(-1, 0, 0));
}

TEST_F(Queue, ALongDashToAComputedPointEndsWhereAFullLongDashWould) {
    // Straight at the player on the left: 16 x 8 pixels of a unit vector of -65535 in 16.16.
    mBSC_Chr_Mov_Set(1, -999, -999, 5, 0, -999);
    mBSC_Chr_Mov_Start();
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].entry[0].x, MBSC_QUEUE[1].entry[0].y), std::tuple(700 - 128, 300));
    ASSERT_GT(RunScene(), 0);
    EXPECT_EQ(std::tuple(mech->x, mech->y, int(mech->chr->state)), std::tuple(572, 300, 0));
    EXPECT_TRUE(Recorded("SE_Play 53 -1"));
    // Without a target: along the facing (direction 6, right).
    mech->target = -1;
    mech->dir = 6;
    mBSC_Chr_Mov_Set(1, -999, 40, 5, 0, -999);
    mBSC_Chr_Mov_Start();
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].entry[0].x, MBSC_QUEUE[1].entry[0].y), std::tuple(572 + 127, 300));
}

TEST_F(Queue, AHitMidWalkFinishesItsStatesThenResumesTheWalk) {
    mBSC_Chr_Mov_Set(1, 460, 300, 1, 0, 4);
    mBSC_Chr_Mov_Set(1, 460, 360, 1, 0, 4);
    mBSC_Chr_Mov_Start();
    for (int f = 0; f < 10; ++f) BTL_ScriptModeUpdate();
    const int32_t x_at_hit = mech->x;
    ASSERT_GT(x_at_hit, 460);
    mech->chr->stagger = 6;
    CHR_SetState(mech, 6);
    mBSC_Chr_Mov_Jump(1, BSC_QUEUE_HIT);
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, MBSC_QUEUE[1].saved, bscMovCnt), std::tuple(99, 0, 2));
    mBSC_Chr_Mov_Jump(1, BSC_QUEUE_HIT);  // a second hit while interrupted changes nothing
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].saved, bscMovCnt), std::tuple(0, 2));
    int stagger_frames = 0;
    while (mech->chr->state == 6 && stagger_frames < 50) {
        BTL_ScriptModeUpdate();
        ++stagger_frames;
    }
    EXPECT_EQ(stagger_frames, 7);  // the stagger length, then the recovery frame
    BTL_ScriptModeUpdate();  // the first frame in another state goes back to the walk
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, bscMovCnt, int(mech->chr->state)), std::tuple(0, 1, 1));
    ASSERT_GT(RunScene(), 0);
    EXPECT_EQ(std::tuple(mech->x, mech->y), std::tuple(460, 360));
}

TEST_F(Queue, TechniqueEntriesStartAndCutTheirTechniques) {
    player->dir = 6;
    ASSERT_EQ(mBSC_Chr_Waza_Set(0, 3, 5, 2), 0);  // the player: weapon 3, variant 5 -> 2
    const MBSC_MOVE_QUEUE& q = MBSC_QUEUE[0];
    EXPECT_EQ(std::tuple(q.entry[0].kind, q.entry[0].facing, q.entry[0].speed), std::tuple(1, 6, 0));
    EXPECT_EQ(std::tuple(q.entry[1].kind, q.entry[1].state, q.entry[1].speed), std::tuple(2, 11, 2));
    mBSC_Reset();
    mBSC_Chr_Waza_Set(0, 0, -3, 2);  // variant -3 -> 0: technique 0
    mBSC_Chr_Waza_Set(1, 1, 2, -1);  // another mech: the weapon operand is the technique
    EXPECT_EQ(MBSC_QUEUE[1].entry[1].state, 1);
    mBSC_Chr_Waza_Set(1, 0, 0, 6);
    EXPECT_EQ(MBSC_QUEUE[1].entry[2].kind, 2);  // no second turn entry
    mBSC_Chr_Mov_Start();
    BTL_ScriptModeUpdate();  // the turns take a frame
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, MBSC_QUEUE[1].entry[1].speed, mech->chr->waza), std::tuple(1, -999, int16_t(1)));
    EXPECT_EQ(mech->chr->phase, 1);
    BTL_ScriptModeUpdate();  // -999: the looping technique runs on and the next entry starts
    EXPECT_EQ(std::tuple(MBSC_QUEUE[1].current, mech->chr->waza), std::tuple(2, int16_t(0)));
    EXPECT_EQ(std::tuple(MBSC_QUEUE[0].current, player->chr->waza, player->chr->phase), std::tuple(1, int16_t(0), int16_t(1)));
    for (int f = 0; f < 3; ++f) BTL_ScriptModeUpdate();  // 2 frames, then cut
    EXPECT_EQ(player->chr->phase, 0);
    EXPECT_EQ(MBSC_QUEUE[0].entry[2].kind, -1);
}

TEST_F(Queue, APlayersWeaponFarPastTheTableStartsNothing) {
    // The technique number stays within 32 bits: no mech has it.
    mBSC_Chr_Waza_Set(0, 1000000000, 1, 0);
    mBSC_Chr_Waza_Set(0, -1000000000, 1, 0);
    const MBSC_MOVE_QUEUE& q = MBSC_QUEUE[0];
    EXPECT_EQ(std::tuple(q.entry[1].state, q.entry[2].state), std::tuple(INT32_MAX, INT32_MIN));
    mBSC_Chr_Mov_Start();
    for (int f = 0; f < 3; ++f) BTL_ScriptModeUpdate();
    EXPECT_EQ(std::tuple(player->chr->phase, player->chr->waza_active), std::tuple(int16_t(0), uint8_t(0)));
}

TEST_F(Queue, EmptySlotsAndFullQueuesAreRefusedWithTheirMessages) {
    headless::ClearDebugOutput();
    EXPECT_EQ(mBSC_Chr_Mov_Set(5, 0, 0, 1, 0, 4), -1);
    EXPECT_EQ(mBSC_Chr_Dir_Set(5, 0, 0), -1);
    EXPECT_EQ(mBSC_Chr_Waza_Set(5, 0, 0, 0), -1);
    EXPECT_EQ(battle_test::DebugCount("Error:mBSC_Chr_Mov_Set"), 1);
    EXPECT_EQ(battle_test::DebugCount("Error:mBSC_Chr_Dir_Set"), 1);
    EXPECT_EQ(battle_test::DebugCount("Error:mBSC_Chr_Waza_Set"), 1);
    // A first technique takes two entries of the 24.
    ASSERT_EQ(mBSC_Chr_Waza_Set(1, 0, 0, 0), 0);
    for (int i = 2; i < BSC_QUEUE_ENTRIES; ++i) ASSERT_EQ(mBSC_Chr_Dir_Set(1, 0, 0), 0) << i;
    EXPECT_EQ(mBSC_Chr_Dir_Set(1, 0, 0), -1);
    EXPECT_EQ(mBSC_Chr_Mov_Set(1, 0, 0, 1, 0, 4), -1);
    EXPECT_EQ(battle_test::DebugCount("mBSC_Chr_Mov_Set\x8a\xd6\x90\x94"), 1);  // the full-queue line
    EXPECT_EQ(mech->chr->state, 0);  // nothing appended, no state set
}

TEST_F(Queue, RunningPastTheLastOfTwentyFourEntriesEndsTheQueue) {
    for (int i = 0; i < BSC_QUEUE_ENTRIES - 1; ++i) mBSC_Chr_Dir_Set(1, i % 8, 0);
    mBSC_Chr_Mov_Set(1, 690, 300, 1, 0, 4);
    mBSC_Chr_Mov_Start();
    ASSERT_GT(RunScene(), 0);
    EXPECT_EQ(std::tuple(mech->x, int(mech->chr->state), bscMovCnt), std::tuple(690, 0, 0));
    for (int i = 0; i < BSC_QUEUE_ENTRIES - 1; ++i) mBSC_Chr_Dir_Set(1, i % 8, 0);
    mBSC_Chr_Dir_Set(1, 2, 0);
    mBSC_Chr_Mov_Start();
    ASSERT_GT(RunScene(), 0);
    EXPECT_EQ(std::tuple(int(mech->dir), bscMovCnt), std::tuple(2, 0));
}

TEST_F(Queue, ScriptModeRunsTheObjectsOnlyWhileItsFlagIsSet) {
    mBSC_Chr_Mov_Set(1, 600, 300, 1, 0, 4);
    EXPECT_EQ(BTL_ScriptModeUpdate(), 0);  // no run yet: busy -1, and the flag is off
    EXPECT_EQ(mech->x, 700);
    mBSC_Chr_Mov_Start();  // sets the flag
    for (int f = 0; f < 12; ++f) BTL_ScriptModeUpdate();  // past a planted foot
    EXPECT_LT(mech->x, 700);
    const int32_t x = mech->x;
    BTL_SetScriptMode(0);  // the flag off: the run waits, nothing moves
    for (int f = 0; f < 5; ++f) EXPECT_EQ(BTL_ScriptModeUpdate(), 0);
    EXPECT_EQ(mech->x, x);
    BTL_SetScriptMode(1);
    EXPECT_GT(RunScene(), 0);
    EXPECT_EQ(mech->x, 600);
}

TEST_F(Queue, BusyCountsQueuesBulletsAndTheCamera) {
    EXPECT_EQ(mBSC_GetBusy(), -1);
    mBSC_Chr_Mov_Set(1, 600, 300, 1, 0, 4);
    mBSC_Chr_Mov_Set(0, 350, 300, 1, 0, 4);
    mBSC_Chr_Mov_Start();
    EXPECT_EQ(mBSC_GetBusy(), 2);
    ++LIST_STATE_DATA.wpnCnt;  // a bullet alive
    EXPECT_EQ(mBSC_GetBusy(), 999);
    --LIST_STATE_DATA.wpnCnt;
    mBSC_Cam_Pos_Set(700, 500);  // the camera has somewhere to go
    EXPECT_EQ(mBSC_GetBusy(), 999);
    mBSC_Cam_Off();
    EXPECT_EQ(mBSC_GetBusy(), 2);
    mBSC_Reset();
    EXPECT_EQ(mBSC_GetBusy(), -1);
}

}  // namespace
