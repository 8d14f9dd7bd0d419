// Chip queries, the scroll rectangle and the screen quake on maps built with the map writer.
#include <gtest/gtest.h>

#include <random>

#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/map_writer.h"

namespace {

// A 60 x 40 chip map (960 x 640 pixels) with the walls the test places.
struct MapQuery : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        spec = support::MapSpec(60, 40);
        spec.attr.assign(60 * 40, 0);
        spec.extra.assign(60 * 40, 0);
        for (int i = 0; i < 60 * 40; ++i) spec.extra[i] = uint8_t(i % 3);
        Build();
    }
    void TearDown() override {
        plat::Free(MAP_DATA.cells);
        MAP_DATA = MapData{};
    }
    void Wall(int c, int r, uint8_t a = 1) { spec.attr[r * spec.width + c] = a; }
    void Build() {
        ASSERT_EQ(support::LoadStage(spec), 1);
    }
    static int Line(int c0, int r0, int c1, int r1) { return MAP_CheckLine(c0 * 16 + 3, r0 * 16 + 5, c1 * 16 + 9, r1 * 16 + 15, 1); }
    support::MapSpec spec;
};

TEST_F(MapQuery, LineWalkTestsItsLastCellButNotItsFirst) {
    EXPECT_EQ(Line(2, 2, 30, 10), 1);
    Wall(2, 2);
    Wall(30, 30);
    Build();
    // The walk starts at the end with the smaller row (steep) or column (shallow), whichever end
    // the caller named first.
    EXPECT_EQ(Line(2, 2, 30, 10), 1);
    EXPECT_EQ(Line(30, 10, 2, 2), 1);
    EXPECT_EQ(Line(2, 2, 5, 30), 1);
    EXPECT_EQ(Line(29, 2, 30, 30), 0);
    EXPECT_EQ(Line(30, 30, 29, 2), 0);
    EXPECT_EQ(Line(10, 30, 30, 30), 0);
    EXPECT_EQ(Line(30, 30, 40, 30), 1);
    EXPECT_EQ(Line(30, 30, 30, 30), 1);  // one cell: nothing is tested
    // A wall on the way, a wall only beside it, and another attribute bit.
    Wall(10, 10);
    Wall(12, 20, 2);
    Build();
    EXPECT_EQ(Line(0, 0, 20, 20), 0);
    EXPECT_EQ(Line(0, 1, 20, 21), 1);
    EXPECT_EQ(Line(12, 10, 12, 30), 1);
    EXPECT_EQ(MAP_CheckLine(12 * 16, 10 * 16, 12 * 16, 30 * 16, 2), 0);
}

TEST_F(MapQuery, LineIsRefusedOutsideTheScrollRectangleAndTheMap) {
    EXPECT_EQ(MAP_CheckLine(100, 100, 959, 639, 1), 1);
    EXPECT_EQ(MAP_CheckLine(100, 100, 960, 100, 1), 0);
    const RECT r{200, 100, 700, 500};
    SCR_SetScrRect(&r);
    EXPECT_EQ(MAP_CheckLine(300, 300, 400, 400, 1), 1);
    EXPECT_EQ(MAP_CheckLine(300, 300, 199, 400, 1), 0);  // over open ground, but its end is outside
    EXPECT_EQ(MAP_CheckLine(300, 300, 700, 400, 1), 0);
    EXPECT_EQ(MAP_CheckLine(300, 300, 400, 500, 1), 0);
    EXPECT_EQ(MAP_CheckLine(1000, 300, 400, 400, 1), 0);  // the start may leave the rectangle, not the map
    EXPECT_EQ(MAP_CheckLine(-16, 300, 400, 400, 1), 0);
    EXPECT_EQ(MAP_CheckLine(100, 300, 400, 400, 1), 1);
}

TEST_F(MapQuery, LineAgreesBothWaysOverRandomWalls) {
    std::mt19937 rng(3);
    for (int i = 0; i < 60 * 40; ++i) spec.attr[i] = rng() % 9 == 0;
    Build();
    for (int k = 0; k < 2000; ++k) {
        const int32_t x0 = rng() % 960, y0 = rng() % 640, x1 = rng() % 960, y1 = rng() % 640;
        ASSERT_EQ(MAP_CheckLine(x0, y0, x1, y1, 1), MAP_CheckLine(x1, y1, x0, y0, 1)) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}

TEST_F(MapQuery, SweepMovesTheBoxAndTreatsTheOutsideAsWall) {
    LIST_NODE node{};
    node.x = 200;
    node.y = 200;
    node.map_box = {-32, -40, 64, 80};  // 4 x 5 chips from (-2, -3) chips
    EXPECT_EQ(MAP_CheckSweep(&node, 600, 300, 1), 1);
    EXPECT_EQ(MAP_CheckSweep(&node, 200, 200, 1), 1);
    Wall(30, 16);
    Build();
    EXPECT_EQ(MAP_CheckSweep(&node, 600, 300, 1), 0);
    EXPECT_EQ(MAP_CheckSweep(&node, 600, 500, 1), 1);
    // The walk stops before it passes its target, so only boxes on the way reach past the edge.
    EXPECT_EQ(MAP_CheckSweep(&node, 200, 630, 1), 1);
    node.map_box.y = -8;  // rows from -1: the box at row 37 reaches row 40, outside the map
    EXPECT_EQ(MAP_CheckSweep(&node, 200, 630, 1), 0);
    EXPECT_EQ(MAP_CheckSweep(&node, 200, 560, 1), 1);
    EXPECT_EQ(MAP_CheckSweep(&node, 960, 300, 1), 0);  // target outside the scroll rectangle
    node.x = -20;
    EXPECT_EQ(MAP_CheckSweep(&node, 300, 300, 1), 0);
    // A box under one chip still steps (and ends).
    node.x = 200;
    node.map_box = {0, 0, 8, 8};
    EXPECT_EQ(MAP_CheckSweep(&node, 900, 620, 1), 1);
    EXPECT_EQ(MAP_CheckSweep(nullptr, 0, 0, 1), 0);
}

TEST_F(MapQuery, GroundKindInsideAndOutside) {
    for (auto [x, y, want] : {std::tuple{0, 0, 0}, {17, 0, 1}, {959, 639, int((39 * 60 + 59) % 3)}, {960, 0, 255},
                              {0, 640, 255}, {-1, 0, 255}, {0, -16, 255}})
        EXPECT_EQ(MAP_GetExtra(x, y), want) << x << "," << y;
}

TEST_F(MapQuery, AbsentMapAnswersBlockedOrEmpty) {
    plat::Free(MAP_DATA.cells);
    MAP_DATA.cells = nullptr;
    LIST_NODE node{};
    node.x = node.y = 100;
    node.map_box = {0, 0, 64, 80};
    EXPECT_EQ(MAP_CheckLine(10, 10, 20, 20, 1), 0);
    EXPECT_EQ(MAP_CheckSweep(&node, 120, 120, 1), 0);
    EXPECT_EQ(MAP_GetExtra(10, 10), 255);
    EXPECT_EQ(MAP_Cell(0, 0), nullptr);
}

TEST_F(MapQuery, ScrollRectangleIsClampedAndStagesPickTheirRows) {
    const RECT wide{-50, -8, 5000, 700};
    SCR_SetScrRect(&wide);
    EXPECT_EQ(SCR_SCROLL_RECT.left, 0);
    EXPECT_EQ(SCR_SCROLL_RECT.top, 0);
    EXPECT_EQ(SCR_SCROLL_RECT.right, 960);
    EXPECT_EQ(SCR_SCROLL_RECT.bottom, 640);
    // Stage rows clamp to this map too, so give it room: 2880 x 2880 pixels.
    spec = support::MapSpec(180, 180);
    Build();
    struct Case {
        int stage, variant;
        RECT want;
    } cases[] = {{0, 2, {0, 0, 1600, 1200}},      {0, 3, {192, 192, 1792, 1344}}, {0, 5, {0, 0, 2880, 2880}},
                 {1, 9, {0, 0, 1600, 1200}},      {2, 3, {0, 0, 1728, 1248}},     {5, 3, {0, 0, 1280, 960}},
                 {5, 5, {192, 192, 2048, 1408}},  {5, 8, {192, 192, 2048, 1408}}, {5, 6, {192, 192, 1792, 1408}},
                 {5, 9, {192, 192, 1792, 1408}},  {5, 7, {192, 192, 1792, 1344}}, {5, 10, {0, 0, 2880, 2880}},
                 {6, 0, {0, 0, 2880, 2880}},      {9, 1, {0, 0, 1088, 2880}},     {10, 4, {192, 192, 1920, 1472}},
                 {11, 0, {0, 0, 2880, 2880}}};
    for (const Case& c : cases) {
        SCR_SetStageScrRect(c.stage, c.variant);
        const RECT& r = SCR_SCROLL_RECT;
        EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(c.want.left, c.want.top, c.want.right, c.want.bottom))
            << c.stage << "/" << c.variant;
    }
    // The whole of a map smaller than the view is kept, with a complaint.
    headless::ClearDebugOutput();
    spec = support::MapSpec(30, 50);
    Build();
    EXPECT_EQ(SCR_SCROLL_RECT.right, 480);
    ASSERT_EQ(battle_test::DebugCount("SCR_SetScrRect"), 1);
    EXPECT_EQ(battle_test::DebugLines().back(),
              "Error : SCR_SetScrRect > \x83X\x83N\x83\x8d\x81[\x83\x8b\x94\xcd\x88\xcd\x82\xaa\x8f\xac\x82\xb3\x82\xa2"
              "\x81I(0,0)-(480,800)");
}

// Every stage and variant from 0 to 11: the stage table's row, or the whole map where it has none.
TEST_F(MapQuery, EveryStageAndVariantTakesItsRow) {
    spec = support::MapSpec(180, 180);  // 2880 x 2880: no row is cut
    Build();
    const RECT whole{0, 0, 2880, 2880}, plain{0, 0, 1600, 1200}, inner{192, 192, 1792, 1344};
    auto row = [&](int stage, int variant) -> RECT {
        switch (stage) {
            case 0: return variant <= 2 ? plain : variant <= 4 ? inner : whole;
            case 1: case 3: case 4: return plain;
            case 2: return RECT{0, 0, 1728, 1248};
            case 5:
                if (variant <= 3) return RECT{0, 0, 1280, 960};
                if (variant == 4 || variant == 5 || variant == 8) return RECT{192, 192, 2048, 1408};
                if (variant == 6 || variant == 9) return RECT{192, 192, 1792, 1408};
                return variant == 7 ? inner : whole;
            case 9: return RECT{0, 0, 1088, 2880};
            case 10: return RECT{192, 192, 1920, 1472};
            default: return whole;
        }
    };
    for (int stage = 0; stage <= 11; ++stage)
        for (int variant = 0; variant <= 11; ++variant) {
            SCR_SetStageScrRect(stage, variant);
            const RECT& r = SCR_SCROLL_RECT;
            const RECT w = row(stage, variant);
            EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(w.left, w.top, w.right, w.bottom))
                << stage << "/" << variant;
        }
}

TEST(Quake, LevelFallsByAQuarterWhileTheOffsetAlternates) {
    SCR_QUAKE = {};
    SCR_Quake(-1, -1, 40);
    EXPECT_EQ(SCR_QUAKE.level, 32);
    const int levels[] = {32, 24, 18, 14, 11, 9, 7, 6, 5, 4, 3, 2, 1, 0, 0};
    for (int i = 0; i + 1 < int(std::size(levels)); ++i) {
        SCR_QuakeUpdate();
        EXPECT_EQ(SCR_QUAKE.offset, i % 2 ? levels[i] : -levels[i]) << i;
        EXPECT_EQ(SCR_QUAKE.level, levels[i + 1]) << i;
    }
    // Frame counts only grow; a level replaces, -1 keeps.
    SCR_Quake(5, 9, 16);
    SCR_Quake(3, 12, -1);
    EXPECT_EQ(std::tuple(SCR_QUAKE.slow, SCR_QUAKE.hold, SCR_QUAKE.level), std::tuple(5, 12, 16));
    SCR_Quake(-1, -1, 2);
    EXPECT_EQ(SCR_QUAKE.level, 2);
    SCR_QuakeStop();
    EXPECT_EQ(std::tuple(SCR_QUAKE.slow, SCR_QUAKE.hold, SCR_QUAKE.level, SCR_QUAKE.offset), std::tuple(0, 0, 0, 0));
}

}  // namespace
