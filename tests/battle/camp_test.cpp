// The campaign block: new-game values, the weapon-development rule, its stored layout and the
// slot files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "battle/camp_data.h"
#include "platform/headless/headless.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/waza_writer.h"

namespace {

TEST(Campaign, NewGameValuesAndUnlocks) {
    std::memset(&CAMP_DATA, 0x5A, sizeof CAMP_DATA);
    EXPECT_EQ(CAMP_InitNewGame(), 1);
    const int16_t base[11] = {0, 500, 1, 6, 18, 24, 8, 2, 2, 100, 100};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(CAMP_DATA.base[i], base[i]) << i;
    EXPECT_EQ(CAMP_DATA.gauge_pool, 0u);
    EXPECT_EQ(CAMP_DATA.best_hits + CAMP_DATA.best_damage, 0u);
    // The equipped grid makes 12 weapons available; 37 (no prerequisite) and 41 (19 at 0 points,
    // and 19 is available) can be requested; nothing else opens.
    int available = 0;
    for (int w = 0; w < CAMP_WEAPONS; ++w) {
        const int st = CAMP_DATA.weapon[w].status;
        available += st == CAMP_AVAILABLE;
        const bool grid = w == 0 || w == 1 || w == 2 || w == 3 || w == 7 || w == 8 || w == 9 || w == 18 || w == 19 ||
                          w == 24 || w == 26 || w == 38;
        EXPECT_EQ(st, grid ? 3 : (w == 37 || w == 41) ? 1 : 0) << w;
        EXPECT_EQ(CAMP_DATA.weapon[w].level_points, 0) << w;
    }
    EXPECT_EQ(available, 12);
    EXPECT_EQ(CAMP_FindNewWeapon(), -1);
    // The block as stored is what the fixture builder writes field by field.
    support::CampSpec spec;
    for (int w = 0; w < CAMP_WEAPONS; ++w) spec.weapon[w].status = CAMP_DATA.weapon[w].status;
    uint8_t packed[CAMP_SIZE];
    CAMP_Pack(CAMP_DATA, packed);
    EXPECT_EQ(std::vector<uint8_t>(packed, packed + CAMP_SIZE), support::BuildCampBlock(spec));
}

TEST(Campaign, DevelopmentPrerequisites) {
    struct Case {
        const char* what;
        int weapon;
        std::vector<std::pair<int, int>> set;  // weapon, level points (status 3)
        std::vector<std::pair<int, int>> status;
        int want;
    };
    const Case cases[] = {
        {"29 waits while 21 lacks a point", 29, {{27, 50}, {28, 50}, {21, 49}}, {}, 0},
        {"29 opens with all three at 50", 29, {{27, 50}, {28, 50}, {21, 50}}, {}, 1},
        {"a requested prerequisite counts", 29, {{27, 50}, {28, 50}, {21, 60}}, {{27, 2}}, 1},
        {"a prerequisite that can only be requested does not", 29, {{27, 50}, {28, 50}, {21, 60}}, {{27, 1}}, 0},
        {"status 0xFF reads as below 2", 41, {}, {{19, 0xFF}}, 0},
        {"41 opens as soon as 19 is requested", 41, {}, {{19, 2}}, 1},
        {"16 needs all three pairs", 16, {{0, 50}, {1, 50}, {3, 24}}, {}, 0},
        {"a weapon opened in the pass opens nothing behind it", 15, {{7, 50}, {36, 100}}, {}, 0},
    };
    for (const Case& c : cases) {
        CAMP_InitNewGame();
        for (auto& w : CAMP_DATA.weapon)
            if (w.status == 1) w.status = 0;
        for (auto [w, pts] : c.set) CAMP_DATA.weapon[w].status = 3, CAMP_DATA.weapon[w].level_points = pts;
        for (auto [w, st] : c.status) CAMP_DATA.weapon[w].status = uint8_t(st);
        CAMP_DATA.weapon[c.weapon].status = 0;
        CAMP_UpdateDevelop();
        EXPECT_EQ(CAMP_DATA.weapon[c.weapon].status, c.want) << c.what;
    }
    // The last case's 14 (7 at 50 points) did open; a second pass lets it count once requested.
    EXPECT_EQ(CAMP_DATA.weapon[14].status, 1);
    CAMP_DATA.weapon[14].status = 2;
    CAMP_DATA.weapon[14].level_points = 150;
    CAMP_UpdateDevelop();
    EXPECT_EQ(CAMP_DATA.weapon[15].status, 1);
    EXPECT_EQ(CAMP_FindNewWeapon(), 14);
    EXPECT_EQ(CAMP_Weapon(14), &CAMP_DATA.weapon[14]);
    for (int w : {-1, 45, 0x7FFF}) EXPECT_EQ(CAMP_Weapon(w), nullptr) << w;
}

TEST(Campaign, PackAndUnpackKeepEveryByte) {
    std::mt19937 rng(7);
    uint8_t in[CAMP_SIZE], out[CAMP_SIZE];
    for (uint8_t& b : in) b = uint8_t(rng());
    CampData c{};
    CAMP_Unpack(c, in);
    CAMP_Pack(c, out);
    EXPECT_EQ(std::memcmp(in, out, CAMP_SIZE), 0);
    EXPECT_EQ(c.weapon[44].heat_reduction, int16_t(in[64 + 44 * 32 + 28] | in[64 + 44 * 32 + 29] << 8));
}

struct CampFiles : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
    }
    support::TempDir dir;
};

TEST_F(CampFiles, ScanFindsSlotsAndTheirHeaders) {
    ASSERT_TRUE(plat::CreateDirectory("Save"));
    std::vector<uint8_t> full(8 + CAMP_SIZE, 0);
    for (int i = 0; i < 8; ++i) full[i] = uint8_t(i + 1);
    ASSERT_TRUE(support::WriteBytes("Save/SAVE00.dat", full));
    ASSERT_TRUE(support::WriteBytes("Save/save07.dat", {9, 9, 9}));
    CAMP_ScanSaves();
    EXPECT_EQ(CAMP_SLOT_COUNT, 2);
    EXPECT_EQ(CAMP_SLOTS[0].exists, 1u);
    EXPECT_EQ(CAMP_SLOTS[0].header[7], 8);
    EXPECT_EQ(CAMP_SLOTS[7].exists, 1u);
    const uint8_t short_header[8] = {9, 9, 9, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(CAMP_SLOTS[7].header, short_header, 8), 0);
    for (int n : {1, 6, 8, 99}) EXPECT_EQ(CAMP_SLOTS[n].exists, 0u) << n;
}

TEST_F(CampFiles, SlotBlocksRoundTripAndFallBackToNewGame) {
    ASSERT_TRUE(plat::CreateDirectory("Save"));
    CAMP_InitNewGame();
    CAMP_DATA.gauge_pool = 1234;
    CAMP_DATA.weapon[5].exp = -7;
    EXPECT_EQ(CAMP_SaveSlot(3), 1);
    EXPECT_EQ(support::ReadBytes("Save/save03.dat").size(), size_t(CAMP_SIZE));
    CAMP_InitNewGame();
    EXPECT_EQ(CAMP_LoadSlot(3), 1);
    EXPECT_EQ(CAMP_DATA.gauge_pool, 1234u);
    EXPECT_EQ(CAMP_DATA.weapon[5].exp, -7);
    // Missing and short files give the new-game block.
    ASSERT_TRUE(support::WriteBytes("Save/save04.dat", std::vector<uint8_t>(CAMP_SIZE - 1, 0xEE)));
    for (int n : {4, 5}) {
        CAMP_DATA.gauge_pool = 99;
        EXPECT_EQ(CAMP_LoadSlot(n), 0) << n;
        EXPECT_EQ(CAMP_DATA.gauge_pool, 0u) << n;
        EXPECT_EQ(CAMP_DATA.base[1], 500) << n;
    }
    CAMP_ScanSaves();
    EXPECT_EQ(CAMP_SLOT_COUNT, 2);
    EXPECT_EQ(CAMP_DeleteSlot(3), 1);
    EXPECT_EQ(CAMP_SLOT_COUNT, 1);
    EXPECT_EQ(CAMP_SLOTS[3].exists, 0u);
    EXPECT_EQ(plat::FileSize("Save/save03.dat"), -1);
    EXPECT_EQ(CAMP_SaveSlot(100) + CAMP_LoadSlot(-1) + CAMP_DeleteSlot(100), 0);
}

}  // namespace
