// Map files: the run-length layers as the writer and the worked values code them, objects and their
// picture table, damaged offsets, and the stage names.
#include <gtest/gtest.h>

#include <random>

#include "battle/map_data.h"
#include "platform/bytes.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/map_writer.h"

namespace {

using battle_test::Words;

struct MapFile : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        battle_test::ClearMap();
    }
    void TearDown() override { battle_test::ClearMap(); }
    static int Load(const std::vector<uint8_t>& file) { return MAP_LoadFileData(file.data(), file.size()); }
    static const MapCell& At(int i) { return MAP_DATA.cells[i]; }
};

TEST_F(MapFile, WorkedRunsDecode) {
    // Chips 5, 5, 3, 7: three cells of 5, one of 7. Attributes 1, 1, 0x10, 0x00: sixteen walls.
    // Ground 9, 4: two lone cells. Objects: a run of 0 over 20 cells, then one of entry 1.
    const std::vector<uint8_t> csp = support::MakeCsp({{0, 0, 16, 16, 0, 0}});
    MAP_LoadCspData(csp.data(), csp.size());
    const std::vector<uint8_t> layers[4] = {Words({5, 5, 3, 7}), Words({0, 0, 20, 1}), {1, 1, 0x10, 0x00}, {9, 4}};
    ASSERT_EQ(Load(support::AssembleMap(8, 4, layers)), 1);
    ASSERT_NE(MAP_DATA.cells, nullptr);
    EXPECT_EQ(MAP_DATA.width, 8);
    EXPECT_EQ(MAP_DATA.height, 4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(At(i).column, 5) << i;
    EXPECT_EQ(At(3).column, 7);
    EXPECT_EQ(At(4).column, 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(At(i).attr, i < 16 ? 1 : 0) << i;
    EXPECT_EQ(At(0).extra, 9);
    EXPECT_EQ(At(1).extra, 4);
    EXPECT_EQ(At(2).extra, 0);
    ASSERT_EQ(MAP_OBJ.count, 1);
    EXPECT_EQ(MAP_OBJ.obj[0].x, (20 % 8) * 16);
    EXPECT_EQ(MAP_OBJ.obj[0].y, (20 / 8) * 16);
    // "MapObj = %6d Byte   (背景Obj数 : %6d)" with the list's stored size.
    // The layers code fewer cells than the map has: the rest stay empty, and one line says so.
    const std::vector<std::string> lines = battle_test::DebugLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "MapObj =  12000 Byte   (\x94w\x8ciObj\x90\x94 :      1)");
    EXPECT_EQ(lines[0], "   Map =    128 Byte   (   Chip\x90\x94 :      4)");
    EXPECT_EQ(lines[2], "map: the chip layer covers 4 of 32 cells; the object layer covers 21 of 32 cells; the attribute "
                        "layer covers 16 of 32 cells; the ground layer covers 2 of 32 cells");
}

TEST_F(MapFile, WriterLayersDecodeToTheirCells) {
    std::mt19937 rng(11);
    // Runs of every length, lone values, a run cut at 65535 with one cell over, and sheet values
    // past the first sheet row.
    support::MapSpec s;
    s.width = 300;
    s.height = 220;
    const size_t n = size_t(s.width) * s.height;
    s.chips.assign(n, 0);
    s.attr.assign(n, 1);
    s.extra.assign(n, 255);
    for (size_t i = 65536; i < n;) {
        const size_t len = 1 + rng() % 7;
        const uint16_t v = uint16_t(rng() % 3 ? rng() % 400 : 5);
        for (size_t k = 0; k < len && i < n; ++k, ++i) {
            s.chips[i] = v;
            s.attr[i] = uint8_t(v & 3);
            s.extra[i] = uint8_t(v % 5);
        }
    }
    ASSERT_EQ(Load(support::MakeMap(s)), 1);
    ASSERT_NE(MAP_DATA.cells, nullptr);
    for (size_t i = 0; i < n; ++i) {
        ASSERT_EQ(At(int(i)).column, s.chips[i] % 40) << i;
        ASSERT_EQ(At(int(i)).row, s.chips[i] / 40) << i;
        ASSERT_EQ(At(int(i)).attr, s.attr[i]) << i;
        ASSERT_EQ(At(int(i)).extra, s.extra[i]) << i;
    }
}

TEST_F(MapFile, ObjectsTakeTheirAnchorAndTheTableBounds) {
    std::vector<support::CspEntry> table(3, {0, 0, 32, 48, 0, 0});
    table[1] = {16, 8, 32, 64, 8, 40};
    const std::vector<uint8_t> csp = support::MakeCsp(table);
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size()), 1);
    EXPECT_EQ(MAP_CSP.count, 3);
    EXPECT_EQ(MAP_CSP.rec[1].ay, 40);
    support::MapSpec s(20, 10);
    s.objs.assign(200, 0);
    s.objs[5 * 20 + 10] = 2;  // column 10, row 5, entry 1 with anchor (8, 40)
    s.objs[3] = 4;            // no table entry: skipped
    s.objs[199] = 3;
    ASSERT_EQ(Load(support::MakeMap(s)), 1);
    ASSERT_EQ(MAP_OBJ.count, 2);
    EXPECT_EQ(MAP_OBJ.obj[0].index, 1);
    EXPECT_EQ(MAP_OBJ.obj[0].x, 152);
    EXPECT_EQ(MAP_OBJ.obj[0].y, 40);
    EXPECT_EQ(MAP_OBJ.obj[1].index, 2);
    EXPECT_EQ(MAP_OBJ.obj[1].x, 19 * 16);
    // A thousand objects fill the list; the rest are dropped.
    s.objs.assign(200, 1);
    s.objs.resize(1200, 1);
    s.width = 40;
    s.height = 30;
    MAP_ClearObjList();
    ASSERT_EQ(Load(support::MakeMap(s)), 1);
    EXPECT_EQ(MAP_OBJ.count, MAP_OBJ_MAX);
    EXPECT_EQ(MAP_AddObj(1, 0), 0);
}

TEST_F(MapFile, PictureTableIsCutToItsAreaAndToTheFile) {
    std::vector<support::CspEntry> table(320);
    for (int i = 0; i < 320; ++i) table[i] = {int16_t(i), 0, 1, 1, 0, 0};
    std::vector<uint8_t> csp = support::MakeCsp(table);
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size()), 1);
    EXPECT_EQ(MAP_CSP.count, MAP_CSP_MAX);
    EXPECT_EQ(MAP_CSP.rec[300].sx, 300);
    csp = support::MakeCsp({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
    csp.resize(csp.size() - 1);  // the second record is not whole
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size()), 1);
    EXPECT_EQ(MAP_CSP.count, 1);
    // Shorter than its header, or an offset past the end: a header-only file gives an empty table,
    // a missing one leaves the table alone.
    EXPECT_EQ(MAP_LoadCspData(csp.data(), 15), 0);
    EXPECT_EQ(MAP_CSP.count, 1);
    plat::Put32(csp, 0);
    csp[12] = 0xFF;
    EXPECT_EQ(MAP_LoadCspData(csp.data(), csp.size()), 1);
    EXPECT_EQ(MAP_CSP.count, 0);
    EXPECT_EQ(MAP_LoadCsp("/nonexistent/x_o.csp"), 0);
}

TEST_F(MapFile, DamagedLayersAndSizes) {
    support::MapSpec s(4, 4);
    s.chips.assign(16, 3);
    s.attr.assign(16, 1);
    s.extra.assign(16, 2);
    const std::vector<uint8_t> good = support::MakeMap(s);
    auto put32 = [](std::vector<uint8_t>& f, int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
    };
    // A layer ending past the end of the file cannot be read: 0, with the layers before it kept.
    // Offsets running backwards give an empty layer.
    struct Case {
        const char* what;
        int field;
        uint32_t value;
        int result;
        bool cells;
        uint8_t column, attr, extra;
    } cases[] = {
        {"attribute end past the file", support::kMapLayerEnd[2], 100000, 0, true, 3, 0, 0},  // also the ground's start
        {"ground end before its start", support::kMapLayerEnd[3], 0x41, 1, true, 3, 1, 0},
        {"chip layer past the file", support::kMapLayerEnd[0], 0xFFFFFFFF, 0, false, 0, 0, 0},
        {"chip layer inverted", support::kMapLayerStart[0], 0x7FFFFFFF, 1, true, 0, 1, 2},
        {"no width", 0x10, 0, 1, false, 0, 0, 0},
        {"width past 32767", 0x11, 0x80, 1, false, 0, 0, 0},
        {"more cells than a map holds", 0x11, 0x10, 1, false, 0, 0, 0},  // 4100 x 260
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = good;
        if (c.field == 0x10) f[0x10] = f[0x11] = 0;
        else if (c.field == 0x11) f[0x11] = uint8_t(c.value), f[0x15] = c.value == 0x10 ? 0x01 : 0;
        else put32(f, c.field, c.value);
        ASSERT_EQ(Load(f), c.result) << c.what;
        ASSERT_EQ(MAP_DATA.cells != nullptr, c.cells) << c.what;
        if (!c.cells) continue;
        EXPECT_EQ(At(15).column, c.column) << c.what;
        EXPECT_EQ(At(15).attr, c.attr) << c.what;
        EXPECT_EQ(At(15).extra, c.extra) << c.what;
    }
    // A header cut short is not read.
    std::vector<uint8_t> f = good;
    f.resize(63);
    EXPECT_EQ(Load(f), 0);
    // A layer coding more cells than the map holds stops at the last cell.
    const std::vector<uint8_t> layers[4] = {Words({9, 9, 60000}), Words({1, 1, 60000}), {1, 1, 0x60, 0xEA}, {}};
    const std::vector<uint8_t> csp = support::MakeCsp({{0, 0, 1, 1, 0, 0}});
    MAP_LoadCspData(csp.data(), csp.size());
    ASSERT_EQ(Load(support::AssembleMap(3, 2, layers)), 1);
    EXPECT_EQ(At(5).column, 9);
    EXPECT_EQ(MAP_OBJ.count, 6);
}

TEST(MapNames, StageVariantAndDarkFlag) {
    char name[16];
    MAP_StageName(name, sizeof name, 2, 3, 0);
    EXPECT_STREQ(name, "02_3_L");
    MAP_StageName(name, sizeof name, 10, 0, 1);
    EXPECT_STREQ(name, "10_0_D");
}

}  // namespace
