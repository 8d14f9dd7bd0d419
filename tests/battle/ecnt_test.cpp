// Enemy control: spawn caps, due entries, points outside the view, the clock and its skip, sprite
// banks and the stored block.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "battle/ecnt_enemy.h"
#include "platform/bytes.h"
#include "sprite/spr_set.h"
#include "tests/battle/ai_test_util.h"

namespace {

struct Ecnt : ai_test::Ai {
    void SetUp() override {
        Ai::SetUp();
        ECNT_Reset();
        player = Player(300, 300);
    }
    void TearDown() override {
        ECNT_Release();
        Ai::TearDown();
    }
    LIST_NODE* player = nullptr;
    static int Characters() {
        int n = 0;
        for (int s = 1; s < CHR_SLOTS; ++s) n += CHR_TABLE[s] != nullptr;
        return n;
    }
};

TEST_F(Ecnt, ACapOfThreeWaitsForThreeCharactersDeadOrAlive) {
    ASSERT_EQ(ECNT_SetPoint(900, 600), 1);
    for (int s = 1; s <= 3; ++s) MakeCpu(s, 500 + 40 * s, 300);
    CHR_TABLE[2]->chr->levels = -1;  // beaten, still in its slot
    ASSERT_EQ(ECNT_SetEnm(0, 3, 1, 2, -1), 1);
    for (int f = 0; f < 3; ++f) EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(Characters(), 3);
    EXPECT_EQ(ECNT_DATA.clock, 3);  // the clock runs while the entry waits
    CHR_Delete(3);
    EXPECT_EQ(ECNT_Update(), 1);
    ASSERT_NE(CHR_TABLE[3], nullptr);  // the first empty slot
    EXPECT_EQ(std::tuple(CHR_TABLE[3]->x, CHR_TABLE[3]->y, int(CHR_TABLE[3]->team)), std::tuple(900, 600, 1));
    EXPECT_EQ(ECNT_DATA.queued, 0);
}

TEST_F(Ecnt, TwoDueEntriesWithACapOfOneSpawnOnlyTheFirst) {
    ECNT_SetPoint(900, 600);
    ECNT_SetEnm(0, 1, 1, 2, -1);
    ECNT_SetEnm(0, 1, 1, 3, -1);
    EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(Characters(), 1);
    EXPECT_EQ(CHR_TABLE[1]->chr->cpu_level, 2);
    EXPECT_EQ(ECNT_DATA.queued, 1);
    EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(Characters(), 1);
}

TEST_F(Ecnt, ASpawnedEnemyFacesLeftAtThePlayerWithItsPanel) {
    ECNT_SetPoint(900, 600);
    ECNT_SetEnm(5, 9, 1, 1, 4);
    for (int f = 0; f < 5; ++f) ECNT_Update();
    EXPECT_EQ(Characters(), 0);  // due at frame 5
    ECNT_Update();
    const LIST_NODE* n = CHR_TABLE[1];
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(std::tuple(int(n->dir), int(n->target), int(n->chr->control), int(n->chr->levels)),
              std::tuple(2, int(player->index), int(CHR_CPU), 4));
    EXPECT_EQ(SP_Anim(n->sprite)->pattern_offset, 2);
    EXPECT_TRUE(Recorded("HUD_PanelCreate 1 1"));
    // A mech without a sprite file frees its entry all the same.
    ECNT_SetEnm(0, 9, 5, 1, -1);  // "zako05": no files
    ECNT_Update();
    EXPECT_EQ(Characters(), 1);
    EXPECT_EQ(ECNT_DATA.queued, 0);
}

TEST_F(Ecnt, NothingRunsWithoutALivePlayerOrAQueue) {
    ECNT_SetPoint(900, 600);
    EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(ECNT_DATA.clock, 0);  // nothing queued
    ECNT_SetEnm(50, 9, 1, 1, -1);
    player->chr->levels = -1;
    EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(ECNT_DATA.clock, 0);
    CHR_Delete(0);
    EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(ECNT_DATA.clock, 0);
}

TEST_F(Ecnt, AFailedSpawnHoldsTheClockAndIsRetried) {
    ECNT_SetPoint(-5, 900);  // x below 0: never used
    ECNT_SetEnm(0, 9, 1, 1, -1);
    EXPECT_EQ(ECNT_Update(), 0);  // no point set
    EXPECT_EQ(ECNT_DATA.clock, 0);
    EXPECT_EQ(ECNT_DATA.queued, 1);
    // A stage no larger than the view has no point outside it: the one in view serves.
    Stage(40, 30);
    ECNT_SetPoint(300, 200);
    EXPECT_EQ(ECNT_Update(), 1);
    ASSERT_NE(CHR_TABLE[1], nullptr);
    EXPECT_EQ(CHR_TABLE[1]->x, 300);
    EXPECT_EQ(ECNT_DATA.clock, 1);
    // Every slot taken: the spawn waits, the clock too.
    for (int s = 2; s < CHR_SLOTS; ++s) MakeCpu(s, 500, 40 * s);
    ECNT_SetEnm(0, 20, 1, 1, -1);
    EXPECT_EQ(ECNT_Update(), 0);
    EXPECT_EQ(ECNT_DATA.clock, 1);
}

TEST_F(Ecnt, AClockAtTheTopStaysThere) {
    // A loaded block may hold any clock: the spawner counts on without passing the top.
    ECNT_SetPoint(900, 600);
    ECNT_SetEnm(INT32_MAX, 0, 1, 1, -1);  // never due: a cap of 0
    ECNT_DATA.clock = INT32_MAX - 1;
    for (int f = 0; f < 3; ++f) EXPECT_EQ(ECNT_Update(), 1);
    EXPECT_EQ(ECNT_DATA.clock, INT32_MAX);
}

TEST_F(Ecnt, PointsOnTheGrownViewsEdgeCountAsInside) {
    // The view (scroll x, 0)-(scroll x + 640, 480) grown by a pixel. Beside a point far outside, a
    // usable point comes up in some draws; one on the edge or inside never does.
    struct Row {
        int32_t scroll_x, x, y;
        bool usable;
    };
    const Row rows[] = {{0, 641, 100, false},   {0, 642, 100, true},   {0, 100, 481, false},   {0, 100, 482, true},
                        {0, 0, -1, false},      {0, 0, -2, true},      {0, -1, 100, false},    {0, 700, 700, true},
                        {400, 399, 100, false}, {400, 398, 100, true}, {400, 1041, 100, false}, {400, 1042, 100, true}};
    for (const Row& r : rows) {
        ECNT_Reset();
        MAP_DATA.scroll_x = r.scroll_x;
        ECNT_SetPoint(r.x, r.y);
        ECNT_SetPoint(3000, 3000);
        std::set<int> picked;
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            plat::Srand(seed);
            picked.insert(ECNT_PickPoint());
        }
        EXPECT_EQ(picked.count(0), r.usable ? 1u : 0u) << r.scroll_x << ": " << r.x << "," << r.y;
    }
    MAP_DATA.scroll_x = 0;
    // Among several usable points every one comes up, in a random order; with every set point in
    // view, the first of that same order serves.
    std::set<int> picked;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        int got[2];
        for (const bool in_view : {false, true}) {
            ECNT_Reset();
            for (int i = 0; i < 16; ++i) ECNT_SetPoint(i % 2 ? -5 : (in_view ? 100 : 700) + i, 200);
            plat::Srand(seed);
            got[in_view] = ECNT_PickPoint();
        }
        ASSERT_EQ(got[0] % 2, 0);
        ASSERT_EQ(got[1], got[0]) << seed;
        picked.insert(got[0]);
    }
    EXPECT_EQ(picked.size(), 8u);
    // A lone point with x below 0 is no point set, in view (-1 on the grown edge) or outside it.
    for (const int32_t x : {-5, -1, -998}) {
        ECNT_Reset();
        ECNT_SetPoint(x, 200);
        EXPECT_EQ(ECNT_PickPoint(), -1) << x;
    }
}

TEST_F(Ecnt, TheClockSkipsToTheNextSpawnOnAnEmptyField) {
    ECNT_SetPoint(900, 600);
    ECNT_SetEnm(900, 9, 1, 1, -1);
    ECNT_SetEnm(600, 9, 1, 1, -1);
    ECNT_DATA.clock = 200;
    LIST_NODE* e = MakeCpu(1, 500, 300);
    EXPECT_EQ(ECNT_SkipToNext(), 0);  // a living enemy
    e->chr->levels = -1;
    MakeCpu(2, 600, 300)->team = 0;  // an ally counts for nothing
    EXPECT_EQ(ECNT_SkipToNext(), 1);
    EXPECT_EQ(ECNT_DATA.clock, 600);
    player->chr->levels = -1;
    ECNT_DATA.clock = 200;
    EXPECT_EQ(ECNT_SkipToNext(), 0);
}

TEST_F(Ecnt, QueuedLevelsTakeTheDifficultyWhenNegative) {
    SYS_DATA.difficulty = 2;
    ECNT_SetEnm(0, 9, 1, -1, -1);
    ECNT_SetEnm(0, 9, 1, 3, -1);
    ECNT_SetEnm(0, 9, 1, 0, -1);
    EXPECT_EQ(std::tuple(ECNT_DATA.spawn[0].level, ECNT_DATA.spawn[1].level, ECNT_DATA.spawn[2].level), std::tuple(2, 3, 0));
    EXPECT_EQ(ECNT_SetEnm(0, 9, 32, 1, -1), 0);  // a mech type outside 0..31
    for (int i = 3; i < ECNT_QUEUE; ++i) ASSERT_EQ(ECNT_SetEnm(i, 9, 1, 1, -1), 1);
    EXPECT_EQ(ECNT_SetEnm(0, 9, 1, 1, -1), 0);
    EXPECT_EQ(ECNT_DATA.queued, ECNT_QUEUE);
    for (int i = 0; i < ECNT_POINTS; ++i) ASSERT_EQ(ECNT_SetPoint(i, i), 1);
    EXPECT_EQ(ECNT_SetPoint(1, 1), 0);
}

TEST_F(Ecnt, BanksHoldSetsUntilDeletedOrReleased) {
    const battle_test::Holdings before = battle_test::Hold();
    EXPECT_EQ(ECNT_SetObj(1), 1);
    EXPECT_EQ(ECNT_SetObj(0), 1);
    EXPECT_EQ(ECNT_SetObj(5), 0);  // no sprite file: the slot stays free
    EXPECT_EQ(ECNT_SetObj(40), 0);
    EXPECT_EQ(std::tuple(ECNT_DATA.bank_mech[0], ECNT_DATA.bank_mech[1], ECNT_DATA.bank[2]), std::tuple(1, 0, -1));
    EXPECT_EQ(battle_test::Hold().sets, before.sets + 2);
    EXPECT_EQ(ECNT_DelObj(1), 1);
    EXPECT_EQ(ECNT_DATA.bank[0], -1);
    EXPECT_EQ(ECNT_DelObj(40), 1);  // nothing to free is no failure
    EXPECT_EQ(battle_test::Hold().sets, before.sets + 1);
    ECNT_Release();
    EXPECT_EQ(battle_test::Hold(), before);
    EXPECT_EQ(ECNT_DATA.point[0][0], ECNT_FREE_POINT);
}

TEST_F(Ecnt, TheStoredBlockRoundTripsAndReloadsItsBanks) {
    ECNT_SetObj(1);
    ECNT_SetPoint(900, 600);
    ECNT_SetEnm(120, 4, 1, 2, 3);
    ECNT_SetEnm(60, 2, 1, 0, -1);  // level 0 is a used entry
    ECNT_DATA.clock = 77;
    uint8_t block[ECNT_SIZE];
    ECNT_Save(block);
    EXPECT_EQ(plat::Get32(block + ECNT_OFF_BANK_MECH), 1u);
    EXPECT_EQ(plat::Get32(block + ECNT_OFF_POINTS), 900u);
    EXPECT_EQ(plat::Get32(block + ECNT_OFF_QUEUE + 12), 2u);  // the level of entry 0
    EXPECT_EQ(plat::Get32(block + ECNT_OFF_COUNT), 2u);
    EXPECT_EQ(plat::Get32(block + ECNT_OFF_CLOCK), 77u);
    const int sets = battle_test::Hold().sets;
    for (int i = 0; i < 5; ++i) ECNT_Load(block);  // the live banks go first: no set is stranded
    EXPECT_EQ(battle_test::Hold().sets, sets);
    ASSERT_GE(ECNT_DATA.bank[0], 0);
    EXPECT_NE(SPR_PATTERN_TABLE[ECNT_DATA.bank[0]], nullptr);
    uint8_t again[ECNT_SIZE];
    ECNT_Save(again);
    EXPECT_EQ(std::memcmp(block + 4, again + 4, ECNT_SIZE - 4), 0);  // all but the bank handle
    // Entries of mech types outside 0..31 are skipped one by one; the count follows what loaded.
    block[ECNT_OFF_QUEUE + 8] = 40;
    block[ECNT_OFF_BANK_MECH] = 99;
    ECNT_Load(block);
    EXPECT_EQ(std::tuple(ECNT_DATA.spawn[0].level, ECNT_DATA.queued, ECNT_DATA.bank[0]), std::tuple(-1, 1, -1));
    // An all-zero block (saved between battles) is the reset block.
    std::memset(block, 0, sizeof block);
    ECNT_Load(block);
    EXPECT_EQ(std::tuple(ECNT_DATA.bank[0], ECNT_DATA.point[0][0], ECNT_DATA.spawn[0].level), std::tuple(-1, -999, -1));
}

}  // namespace
