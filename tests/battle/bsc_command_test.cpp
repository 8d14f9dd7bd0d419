// Battle-script commands: the table of 51 (operands, skips, results, yields), the commands' worked
// values, script events and the end of a battle by an event, the camera helpers and screen changes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

#include "battle/bsc_command.h"
#include "battle/camp_data.h"
#include "battle/scr_camera.h"
#include "platform/headless/headless.h"
#include "services/sound/snd_game.h"
#include "services/sound/voice_bark.h"
#include "tests/battle/ai_test_util.h"
#include "tests/support/script_double.h"

namespace {

struct Bsc : ai_test::Ai {
    void SetUp() override {
        Ai::SetUp();
        player = Player(300, 300);
        enemy = MakeCpu(1, 500, 300, 2, player);
    }
    LIST_NODE* player = nullptr;
    LIST_NODE* enemy = nullptr;
    support::ScriptHost script;
};

struct Row {
    uint32_t command;
    std::vector<int32_t> operands;
    int yield;
};

// Every command with operands it can run on: each reads exactly its operands in order, or steps over
// one byte when it has none.
const Row kTable[] = {
    {0, {}, 1},           {1, {}, 1},
    {2, {}, 1},           {3, {0}, 0},
    {4, {}, 0},           {5, {}, 0},
    {6, {1}, 0},          {7, {0}, 0},
    {8, {1, 0, 0, 500, 400}, 0},
    {9, {}, 0},           {10, {400, 300}, 0},
    {11, {400, 300}, 0},  {12, {4, 8}, 0},
    {13, {100, 50}, 0},   {14, {}, 0},
    {15, {0, 1}, 0},      {16, {}, 0},
    {17, {0, 0, 1024, 768}, 0},
    {18, {}, 0},          {19, {5, 1, 1, 1, 600, 300, 2, -1}, 0},
    {20, {6, 200, 200}, 0},
    {21, {7, 700, 300, 1, 1, -1}, 0},
    {22, {7}, 0},         {23, {5, 650, 300, 1, 0, 8}, 0},
    {24, {5, -1, 3}, 0},  {25, {5, 0, 0, 4}, 0},
    {26, {5, 0, 0}, 0},   {27, {6, 210, 210, 2}, 0},
    {28, {1}, 0},         {29, {5}, 0},
    {30, {2}, 0},         {31, {1, 3}, 0},
    {32, {1, 0, 0, 0}, 0},
    {33, {0}, 0},         {34, {}, 0},
    {35, {0, 2, 1}, 0},   {36, {}, 0},
    {37, {}, 1},          {38, {}, 1},
    {39, {10}, 0},        {40, {1}, 0},
    {41, {1}, 0},         {42, {1}, 0},
    {43, {1}, 0},         {44, {}, 0},
    {45, {}, 0},          {46, {}, 0},
    {47, {1}, 0},         {48, {1}, 0},
    {49, {900, 600}, 0},  {50, {0, 3, 1, 1, -1}, 0},
};
static_assert(std::size(kTable) == BSC_COMMANDS);

TEST_F(Bsc, EveryCommandReadsItsOperandsAndYieldsAsTheTableSays) {
    support::StageFiles stage = support::MakeTestStage(64, 48, 3, 0);
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", stage));
    for (const Row& r : kTable) {
        ASSERT_EQ(r.command, uint32_t(&r - kTable));
        script.reads = script.misread = script.skipped_bytes = 0;
        EXPECT_EQ(script.Run(r.command, r.operands), r.yield) << r.command;
        EXPECT_EQ(script.reads, int(r.operands.size())) << r.command;
        EXPECT_EQ(script.misread, 0) << r.command;
        EXPECT_EQ(script.skipped_bytes, r.operands.empty() ? 1 : 0) << r.command;
    }
    // Results: the difficulty (5) and the triggered event (36, none after 34's reset).
    EXPECT_EQ(script.results, (std::vector<int32_t>{1, -1}));
    EXPECT_EQ(script.flags, (std::vector<int32_t>{0}));  // the map load's flag
    EXPECT_EQ(script.suspends, 3);  // 0, then 37 and 38 (2 found nothing moving)
    // Opcodes past 178 do nothing, not even a step over a byte.
    for (const uint32_t n : {51u, 52u, 771u}) {
        script.reads = script.skipped_bytes = 0;
        EXPECT_EQ(script.Run(n), 0);
        EXPECT_EQ(script.reads + script.skipped_bytes, 0);
    }
}

// Distinct operands, each of which shows where it went: the table's operand order, command by command.
TEST_F(Bsc, OperandsReachTheirPlacesInTableOrder) {
    ASSERT_TRUE(support::WriteStage("02_1_D", "02_1_D", support::MakeTestStage(64, 48, 3, 0)));
    ECNT_Reset();
    struct Row {
        uint32_t command;
        std::vector<int32_t> operands;
        std::function<void()> check;
    };
    const Row rows[] = {
        {8, {2, 1, 1, 500, 400}, [] {
             EXPECT_EQ(std::tuple(int(MAP_DATA.stage), int(MAP_DATA.variant), int(MAP_DATA.dark)), std::tuple(2, 1, 1));
             EXPECT_EQ(std::tuple(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y), std::tuple(500, 400));
         }},
        {17, {16, 32, 1000, 700}, [] {
             const RECT& r = SCR_SCROLL_RECT;
             EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(16, 32, 1000, 700));
         }},
        {10, {450, 330}, [] { EXPECT_EQ(std::tuple(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y), std::tuple(450, 330)); }},
        {11, {501, 302}, [] { EXPECT_EQ(std::tuple(CAMERA_DATA.fixed_x, CAMERA_DATA.fixed_y), std::tuple(501, 302)); }},
        {13, {100, 50}, [] { EXPECT_EQ(std::tuple(CAMERA_DATA.range_x, CAMERA_DATA.range_y), std::tuple(100, 50)); }},
        {19, {3, 0, 1, 1, 610, 320, 2, 4}, [] {
             const LIST_NODE* n = CHR_TABLE[3];
             ASSERT_NE(n, nullptr);
             EXPECT_EQ(std::tuple(int(n->team), int(n->chr->control), int(n->chr->mech), n->x, n->y, int(n->chr->cpu_level),
                                  int(n->chr->levels)),
                       std::tuple(0, 1, 1, 610, 320, 2, 4));
         }},
        {20, {6, 210, 230}, [] {
             ASSERT_NE(CHR_TABLE[6], nullptr);
             EXPECT_EQ(std::tuple(CHR_TABLE[6]->x, CHR_TABLE[6]->y), std::tuple(210, 230));
         }},
        {21, {7, 700, 320, 1, 3, 2}, [] {
             const LIST_NODE* n = CHR_TABLE[7];
             ASSERT_NE(n, nullptr);
             EXPECT_EQ(std::tuple(n->x, n->y, int(n->chr->mech), int(n->chr->cpu_level), int(n->chr->levels)),
                       std::tuple(700, 320, 1, 3, 2));
         }},
        {23, {1, 650, 310, 1, 1, 8}, [] {
             const MBSC_MOVE_ENTRY& e = MBSC_QUEUE[1].entry[0];
             EXPECT_EQ(std::tuple(e.kind, e.x, e.y, e.state, e.facing, e.speed), std::tuple(0, 650, 310, 1, 2, 8));
         }},
        {24, {1, 3, 9}, [] {
             const MBSC_MOVE_ENTRY& e = MBSC_QUEUE[1].entry[1];
             EXPECT_EQ(std::tuple(e.kind, e.facing, e.speed), std::tuple(1, 3, 9));
         }},
        {25, {0, 3, 1, 6}, [] {
             const MBSC_MOVE_ENTRY& e = MBSC_QUEUE[0].entry[1];  // after the turn a first technique brings
             EXPECT_EQ(std::tuple(e.kind, e.state, e.speed), std::tuple(2, 10, 6));
         }},
        {26, {3, 0, 1}, [this] { EXPECT_EQ(CHR_TABLE[3]->target, enemy->index); }},
        {31, {2, 7}, [this] { EXPECT_TRUE(Recorded("HUD_PanelSetPicture 2 7")); }},
        {32, {0, 520, 410, 10}, [] {
             int found = 0;
             for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next))
                 if (e->kind == LIST_KIND_EFT && e->eft->kind == 0)
                     found += std::tuple(e->x, e->y, e->height) == std::tuple(520, 410, 10);
             EXPECT_EQ(found, 1);
         }},
        {35, {4, 2, 7}, [] {
             const MBSC_EVENT_REC& r = MBSC_EVENT.rec[4];
             EXPECT_EQ(std::tuple(int(r.used), r.kind, r.slot), std::tuple(1, 2, 7));
         }},
        {49, {910, 620}, [] { EXPECT_EQ(std::tuple(ECNT_DATA.point[0][0], ECNT_DATA.point[0][1]), std::tuple(910, 620)); }},
        {50, {30, 2, 1, 3, 4}, [] {
             const EcntSpawn& e = ECNT_DATA.spawn[0];
             EXPECT_EQ(std::tuple(e.frame, e.max_others, e.mech, e.level, e.override_levels), std::tuple(30, 2, 1, 3, 4));
         }},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(script.Run(r.command, r.operands), 0) << r.command;
        SCOPED_TRACE(r.command);
        r.check();
    }
}

TEST_F(Bsc, SkippedTextReplacesTheLastOperands) {
    for (const bool skipping : {false, true}) {
        script.skipping = skipping;
        script.Run(12, {5, 7});
        EXPECT_EQ(std::tuple(CAMERA_DATA.ramp, CAMERA_DATA.ramp_step, CAMERA_DATA.speed),
                  skipping ? std::tuple(0, 64, 64) : std::tuple(0, 5, 7));
        mBSC_Reset();
        script.Run(23, {1, 600, 300, 1, 0, 9});
        script.Run(24, {1, 3, 9});
        script.Run(25, {1, 0, 1, 9});
        const MBSC_MOVE_QUEUE& q = MBSC_QUEUE[1];
        const int32_t want = skipping ? 1 : 9;
        EXPECT_EQ(q.entry[0].speed, skipping ? 50 : 9);
        EXPECT_EQ(q.entry[1].speed, want);
        EXPECT_EQ(std::tuple(q.entry[2].kind, q.entry[2].speed), std::tuple(2, want));
    }
}

TEST_F(Bsc, WaitingForMovesYieldsEvenWhenIdle) {
    EXPECT_EQ(mBSC_GetBusy(), -1);
    EXPECT_EQ(script.Run(2), 1);
    EXPECT_EQ(script.suspends, 0);
    mBSC_Chr_Mov_Set(1, 600, 300, 1, 0, 4);
    script.Run(1);  // starts the queues; the script goes on next frame
    EXPECT_EQ(script.suspends, 0);
    EXPECT_EQ(std::tuple(bscMovRun, bscMovCnt, mBSC_GetBusy()), std::tuple(1, 1, 1));
    EXPECT_EQ(script.Run(2), 1);
    EXPECT_EQ(script.suspends, 1);
}

TEST_F(Bsc, RemovingEveryCharacterRetargetsNobody) {
    for (int s = 2; s < CHR_SLOTS; ++s) MakeCpu(s, 300 + 40 * s, 500, 2, enemy);
    script.Run(22, {4});
    EXPECT_EQ(CHR_TABLE[4], nullptr);
    EXPECT_TRUE(Recorded("HUD_PanelDelete 4"));
    // Those aiming at the removed character take the nearest enemy, beaten or not: slot 5 (an ally
    // of the player's, 80 away), not the player in the lower slot 0 (233 away).
    MakeCpu(4, 340, 300, 2, nullptr);
    LIST_NODE* aimer = CHR_TABLE[3];
    aimer->target = CHR_TABLE[4]->index;
    CHR_TABLE[5]->team = 0;
    CHR_TABLE[5]->chr->levels = -1;
    script.Run(22, {4});
    EXPECT_EQ(aimer->target, CHR_TABLE[5]->index);
    BTL_Recorded().clear();
    script.Run(22, {4});  // an empty slot: nothing
    script.Run(22, {10});
    EXPECT_TRUE(BTL_Recorded().empty());
    script.Run(22, {-1});
    for (const LIST_NODE* n : CHR_TABLE) EXPECT_EQ(n, nullptr);
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 0);
}

TEST_F(Bsc, CreatingTakesTheDifficultyAndTheBarkCharacter) {
    SYS_DATA.difficulty = 2;
    script.Run(19, {3, 1, 1, 1, 600, 300, -1, -1});
    ASSERT_NE(CHR_TABLE[3], nullptr);
    EXPECT_EQ(CHR_TABLE[3]->chr->cpu_level, 2);
    bscBarkChr = 25;
    script.Run(19, {4, 1, 1, 19, 600, 300, 1, -1});  // type 19: the bark character stays
    EXPECT_EQ(bscBarkChr, 25);
    script.Run(21, {4, 600, 300, 24, 1, -1});
    EXPECT_EQ(bscBarkChr, 24);
    script.Run(21, {4, 600, 300, 32, 1, -1});  // no such mech type: ignored
    script.Run(19, {10, 1, 1, 1, 600, 300, 1, -1});  // no such slot
    EXPECT_EQ(bscBarkChr, 24);
    script.Run(20, {11, 100, 120});  // no such slot: the bark character stays too
    EXPECT_EQ(bscBarkChr, 24);
    script.Run(20, {6, 100, 120});
    ASSERT_NE(CHR_TABLE[6], nullptr);
    EXPECT_EQ(std::tuple(int(CHR_TABLE[6]->chr->control), int(CHR_TABLE[6]->team), bscBarkChr), std::tuple(0, 0, -1));
    script.Run(21, {7, 700, 320, 1, -1, 2});
    EXPECT_EQ(std::tuple(int(CHR_TABLE[7]->chr->cpu_level), int(CHR_TABLE[7]->chr->levels), int(CHR_TABLE[7]->team)),
              std::tuple(2, 2, 1));
    // Level 0 is a level, not a request for the difficulty's.
    script.Run(19, {8, 1, 1, 1, 600, 300, 0, -1});
    script.Run(21, {9, 700, 320, 1, 0, 2});
    EXPECT_EQ(std::tuple(int(CHR_TABLE[8]->chr->cpu_level), int(CHR_TABLE[9]->chr->cpu_level)), std::tuple(0, 0));
}

TEST_F(Bsc, CampaignCommandsWorkedValues) {
    for (const int difficulty : {0, 1}) {
        SYS_DATA.difficulty = uint8_t(difficulty);
        script.Run(30, {3});
        EXPECT_EQ(CAMP_DATA.base[CAMP_LEVELS], difficulty == 0 ? 4 : 3);
    }
    for (int i = 0; i < CAMP_GRID; ++i) CAMP_DATA.equip[i] = int16_t(3 * i + i % 3);
    script.Run(28, {5});
    for (int i = 0; i < CAMP_GRID; ++i) EXPECT_EQ(CAMP_DATA.equip[i], 3 * i + 2) << i;
    script.Run(28, {-4});
    EXPECT_EQ(CAMP_DATA.equip[5], 15);
    // The 16-bit store of any level, the extra one included.
    SYS_DATA.difficulty = 0;
    for (const auto& [level, stored] : {std::pair{INT32_MAX, 0}, std::pair{65535, 0}, std::pair{-2, -1}, std::pair{32767, -32768}}) {
        script.Run(30, {level});
        EXPECT_EQ(CAMP_DATA.base[CAMP_LEVELS], stored) << level;
    }
    script.Run(39, {44});
    EXPECT_EQ(CAMP_DATA.weapon[44].status, CAMP_AVAILABLE);
    const CampData before = CAMP_DATA;
    script.Run(39, {45});
    script.Run(39, {-1});
    EXPECT_EQ(std::memcmp(&before, &CAMP_DATA, sizeof before), 0);
}

TEST_F(Bsc, PlacingAndTargetingNeedACharacter) {
    script.Run(27, {1, 640, 360, 5});
    EXPECT_EQ(std::tuple(enemy->x, enemy->y, enemy->x16, int(enemy->dir), int(SP_Anim(enemy->sprite)->pattern_offset)),
              std::tuple(640, 360, 640 * 65536, 5, 5));
    script.Run(27, {8, 640, 360, 5});  // empty: nothing
    script.Run(26, {1, 0, 1});         // itself, by mode 0
    EXPECT_EQ(enemy->target, enemy->index);
    script.Run(26, {8, 0, 1});
    script.Run(29, {8});
    enemy->chr->units = 100;
    script.Run(29, {1});  // a reset in place keeps durability
    EXPECT_EQ(std::tuple(enemy->chr->units, enemy->x), std::tuple(int16_t(100), 640));
}

TEST_F(Bsc, TheLowerEventIndexWinsAndThePlayersDownRefusesOthers) {
    EXPECT_EQ(mBSC_Event_Set(7, 0, 1), 7);
    EXPECT_EQ(mBSC_Event_Set(3, 0, 1), 3);
    EXPECT_EQ(mBSC_Event_Set(12, 0, 1), -1);
    EXPECT_EQ(mBSC_Event_Check(0, 1), 1);
    EXPECT_EQ(mBSC_Event_Get(), 3);
    // Kind 1 on slot 2 waits for a living player; a missing player refuses nothing.
    mBSC_Event_Set(5, 1, 2);
    player->chr->levels = -1;
    EXPECT_EQ(mBSC_Event_Check(1, 2), 0);
    EXPECT_EQ(mBSC_Event_Get(), 3);
    mBSC_Event_Set(6, 1, 0);
    EXPECT_EQ(mBSC_Event_Check(1, 0), 1);  // the player's own slot is never refused
    CHR_Delete(0);
    EXPECT_EQ(mBSC_Event_Check(1, 2), 1);
    EXPECT_EQ(mBSC_Event_Get(), 5);
    // Only battle kind 0 checks.
    BTL_SetKind(9);
    EXPECT_EQ(mBSC_Event_Check(0, 1), 0);
    script.Run(34);
    EXPECT_EQ(mBSC_Event_Get(), -1);
}

TEST_F(Bsc, ATriggeredEventEndsTheStoryBattle) {
    script.Run(35, {2, 2, 1});
    EXPECT_EQ(mBSC_Event_Update(), 0);  // nothing triggered
    ASSERT_EQ(mBSC_Event_Check(2, 1), 1);
    player->chr->levels = -1;
    EXPECT_EQ(mBSC_Event_Update(), 0);  // waits while the player is beaten
    player->chr->levels = 0;
    SCR_Quake(-1, -1, 12);
    BTL_Recorded().clear();
    EXPECT_EQ(mBSC_Event_Update(), 1);
    const std::vector<std::string> first(BTL_Recorded().begin(), BTL_Recorded().begin() + 3);
    EXPECT_EQ(first, (std::vector<std::string>{"BTL_AddGaugePool 1 100", "HUD_PanelDelete 0", "HUD_PanelDelete 1"}));
    EXPECT_TRUE(Recorded("HUD_PanelShow 0 0"));  // the HUD hidden
    EXPECT_EQ(script.modes, (std::vector<int>{5}));
    EXPECT_EQ(std::tuple(int(BTL_KIND), int(SCR_QUAKE.level)), std::tuple(9, 0));
    EXPECT_EQ(SP_Anim(player->sprite)->running, 0);
    EXPECT_NE(CHR_TABLE[1], nullptr);  // the characters stay
    EXPECT_EQ(mBSC_Event_Update(), 0);  // no longer a story battle
    script.Run(36);
    EXPECT_EQ(script.results, (std::vector<int32_t>{2}));
    // An event on the player's own slot ends the battle with the player beaten, and rewards nothing.
    BTL_SetKind(0);
    script.Run(35, {3, 1, 0});
    player->chr->levels = -1;
    ASSERT_EQ(mBSC_Event_Check(1, 0), 1);
    BTL_Recorded().clear();
    EXPECT_EQ(mBSC_Event_Update(), 1);
    EXPECT_EQ(script.modes, (std::vector<int>{5, 5}));
    for (const std::string& l : BTL_Recorded()) EXPECT_EQ(l.find("BTL_AddGaugePool"), std::string::npos) << l;
}

TEST_F(Bsc, ResettingEventsBarksForTheBarkCharacter) {
    VOICE_BarkWait = 40;
    bscBarkChr = 22;
    mBSC_Event_Set(0, 0, 1);
    mBSC_Event_Check(0, 1);
    EXPECT_TRUE(DrawsNothing(17, [&] { script.Run(34); }));  // battle voices are off: no draw
    EXPECT_EQ(std::tuple(VOICE_BarkWait, bscBarkChr, mBSC_Event_Get()), std::tuple(0, -1, -1));
    EXPECT_EQ(MBSC_EVENT.rec[0].slot, -1);
    // With them on, the bark draws its line from the generator.
    SYS_DATA.battle_voice_off = 0;
    bscBarkChr = 22;
    EXPECT_FALSE(DrawsNothing(17, [&] { script.Run(34); }));
    VOICE_Stop();
    VOICE_BarkWait = 0;
}

TEST_F(Bsc, StartingScriptModeSetsKindHandlerAndCamera) {
    CAMERA_DATA.mode = SCR_CAMERA_FIXED;
    mBSC_Chr_Mov_Set(1, 600, 300, 1, 0, 4);
    EXPECT_EQ(mBSC_Start(), 0);
    EXPECT_EQ(BTL_KIND, 9);
    EXPECT_EQ(script.handler, &mBSC_Command);
    EXPECT_EQ(std::tuple(CAMERA_DATA.mode, CAMERA_DATA.followed, CAMERA_DATA.second), std::tuple(2, player, (LIST_NODE*)nullptr));
    EXPECT_EQ(std::tuple(CAMERA_DATA.ramp, CAMERA_DATA.ramp_step, CAMERA_DATA.speed, CAMERA_DATA.range_x, CAMERA_DATA.range_y),
              std::tuple(0, 16, 16, 320, 240));
    EXPECT_EQ(MBSC_QUEUE[1].current, -1);
    EXPECT_EQ(MBSC_QUEUE[1].entry[0].used, 0);
    // The installed handler runs the commands: 15 follows slot 1 between it and slot 0.
    EXPECT_EQ(script.Run(15, {1, 0}), 0);
    EXPECT_EQ(std::tuple(CAMERA_DATA.followed, CAMERA_DATA.second), std::tuple(enemy, player));
}

TEST_F(Bsc, AFixedCameraPointStaysWhereTheViewFits) {
    // The stage is 1024 x 768: centres run 320..704 and 240..528.
    struct Case {
        int32_t x, y, cx, cy;
    };
    for (const Case c : {Case{100, 100, 320, 240}, Case{2000, 900, 704, 528}, Case{500, 300, 500, 300}}) {
        script.Run(11, {c.x, c.y});
        EXPECT_EQ(std::tuple(CAMERA_DATA.mode, CAMERA_DATA.fixed_x, CAMERA_DATA.fixed_y), std::tuple(1, c.cx, c.cy)) << c.x;
    }
    const RECT narrow{0, 0, 600, 400};  // narrower than the view: the upper bound wins
    SCR_SetScrRect(&narrow);
    script.Run(11, {100, 100});
    EXPECT_EQ(std::tuple(CAMERA_DATA.fixed_x, CAMERA_DATA.fixed_y), std::tuple(600 - 320, 400 - 240));
    script.Run(10, {450, 330});  // the view jumps there, camera off
    EXPECT_EQ(std::tuple(CAMERA_DATA.mode, CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y), std::tuple(0, 450, 330));
}

TEST_F(Bsc, ValuesNoDataHoldsAreKeptWithinReach) {
    // The stage is 1024 x 768: a rectangle's edges stay on it.
    script.Run(17, {-50, 5000, 900, 100});
    EXPECT_EQ(std::tuple(SCR_SCROLL_RECT.left, SCR_SCROLL_RECT.top, SCR_SCROLL_RECT.right, SCR_SCROLL_RECT.bottom),
              std::tuple(0, 768, 900, 100));
    script.Run(12, {3, -5});  // a negative speed would move the camera away for ever
    EXPECT_EQ(CAMERA_DATA.speed, 0);
    script.Run(12, {3, 99999});
    EXPECT_EQ(CAMERA_DATA.speed, BSC_COORD_LIMIT);
    // -999 is the setter's own "keep": neither the step nor the speed changes, the ramp starts at 0.
    script.Run(12, {5, 24});
    CAMERA_DATA.ramp = 9;
    script.Run(12, {-999, -999});
    EXPECT_EQ(std::tuple(CAMERA_DATA.ramp, CAMERA_DATA.ramp_step, CAMERA_DATA.speed), std::tuple(0, 5, 24));
    script.Run(27, {1, 40000, -40000, 0});
    EXPECT_EQ(std::tuple(enemy->x, enemy->y), std::tuple(BSC_COORD_LIMIT, -BSC_COORD_LIMIT));
    script.Run(33, {1 << 30});
    int32_t ambient = 0;
    EFT_GetAmbientCount(&ambient);
    EXPECT_EQ(ambient, LIST_MAX);
}

TEST_F(Bsc, ScreenChangesSuspendAndSkipOneDraw) {
    SCR_Quake(-1, -1, 16);
    const int32_t counter = SCR_QUAKE.counter;
    EXPECT_EQ(script.Run(37), 1);
    EXPECT_EQ(std::tuple(script.suspends, BTL_GetState(0)), std::tuple(1, int(BTL_STATE_MENU)));
    EXPECT_EQ(script.menu_returns, (std::vector<int>{1}));
    EXPECT_EQ(script.modes, (std::vector<int>{4}));
    BTL_FrameDraw();
    EXPECT_EQ(SCR_QUAKE.counter, counter);  // skipped
    BTL_FrameDraw();
    EXPECT_EQ(SCR_QUAKE.counter, counter + 1);
    EXPECT_EQ(script.Run(38), 1);
    EXPECT_EQ(std::tuple(script.suspends, BTL_GetState(0)), std::tuple(2, int(BTL_STATE_LEVELUP)));
    EXPECT_EQ(script.menu_returns.size(), 1u);
    BTL_FrameDraw();
    EXPECT_EQ(SCR_QUAKE.counter, counter + 1);
}

TEST_F(Bsc, TheScriptedExplosionScattersFragmentsAroundItsPoint) {
    script.Run(32, {1, 500, 400, 0});
    EXPECT_EQ(CountEffects(0) + CountEffects(14), 0);
    script.Run(32, {0, 500, 400, 10});
    EXPECT_EQ(std::tuple(CountEffects(0), CountEffects(14)), std::tuple(1, 20));
    for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next)) {
        if (e->kind != LIST_KIND_EFT || e->eft->kind != 14) continue;
        EXPECT_LE(std::abs(e->x - 500), 64);
        EXPECT_LE(std::abs(e->y - 400), 64);
    }
    EXPECT_TRUE(Recorded("SE_Play 9 -1"));
    EXPECT_EQ(SCR_QUAKE.level, 16);
}

TEST_F(Bsc, EnemyControlCommandsReportTheirFailures) {
    headless::ClearDebugOutput();
    script.Run(47, {40});
    script.Run(50, {0, 3, 40, 1, -1});
    for (int i = 0; i < ECNT_POINTS; ++i) script.Run(49, {i, i});
    script.Run(49, {1, 1});
    script.Run(48, {40});  // nothing to free: no failure
    EXPECT_EQ(battle_test::DebugCount("(Error!!)  func_ECNT_DelObj"), 0);
    EXPECT_EQ(battle_test::DebugCount("(Error!!)  func_ECNT_SetObj"), 1);
    EXPECT_EQ(battle_test::DebugCount("(Error!!)  func_ECNT_SetEnm"), 1);
    EXPECT_EQ(battle_test::DebugCount("(Error!!)  func_ECNT_SetPoint"), 1);
    script.Run(50, {30, 2, 1, -1, -1});
    EXPECT_EQ(std::tuple(ECNT_DATA.queued, ECNT_DATA.spawn[0].level), std::tuple(1, 1));
    ECNT_DATA.clock = 20;
    script.Run(46);
    EXPECT_EQ(ECNT_DATA.clock, 0);
    script.Run(44);
    EXPECT_EQ(ECNT_DATA.queued, 0);
}

}  // namespace
