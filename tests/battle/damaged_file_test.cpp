// Damaged battle files: a map cut inside a layer is refused, and every reader (map, picture
// table, techniques, campaign slots) says in one debug line naming the file what it dropped.
#include <gtest/gtest.h>

#include "battle/camp_data.h"
#include "battle/map_data.h"
#include "battle/waza_file.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/waza_writer.h"

namespace {

using battle_test::Words;

struct Damaged : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        battle_test::ClearMap();
    }
    void TearDown() override {
        battle_test::ClearMap();
        WAZA_Parse(1, nullptr, 0);
    }
    // The debug lines that name the file, after a clear.
    static std::vector<std::string> Told(const std::string& file) {
        std::vector<std::string> out;
        for (const std::string& l : battle_test::DebugLines())
            if (l.rfind(file + ": ", 0) == 0) out.push_back(l.substr(file.size() + 2));
        return out;
    }
};

constexpr const char* kMap = "Bmp\\Map\\01_0_L.map";

TEST_F(Damaged, MapsSayWhatTheyLost) {
    const std::vector<uint8_t> csp = support::MakeCsp({{0, 0, 16, 16, 0, 0}});
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size()), 1);
    support::MapSpec whole(4, 3);
    whole.chips.assign(12, 2);
    whole.objs.assign(12, 0);
    whole.attr.assign(12, 1);
    whole.extra.assign(12, 0);
    const std::vector<uint8_t> good = support::MakeMap(whole);
    const uint32_t attr_start = plat::Get32(good.data() + support::kMapLayerStart[2]);
    const uint32_t attr_end = plat::Get32(good.data() + support::kMapLayerEnd[2]);
    const std::vector<uint8_t> runs_past[4] = {Words({9, 9, 600}), Words({2, 0, 0, 11}),
                                               {1, 1, 12, 0}, {0, 0, 12, 0}};
    std::vector<uint8_t> inverted = good;
    for (int i = 0; i < 4; ++i) inverted[support::kMapLayerEnd[3] + i] = uint8_t((attr_end - 1) >> (8 * i));
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"whole", good, 1, {}},
        {"cut inside the attribute layer", std::vector<uint8_t>(good.begin(), good.begin() + attr_start + 1), 0,
         {"the attribute layer ends at byte " + std::to_string(attr_end) + " of a " + std::to_string(attr_start + 1) +
          "-byte file: it and the layers after it dropped"}},
        {"cut inside the header", std::vector<uint8_t>(good.begin(), good.begin() + 40), 0,
         {"40 bytes, shorter than the 64-byte header: not read"}},
        {"runs past the map, an object without a picture", support::AssembleMap(4, 3, runs_past), 1,
         {"the chip layer codes 588 cells past the map's 12: dropped; objects without a picture: 1 skipped"}},
        {"ground offsets backwards", inverted, 1,
         {"the ground layer's offsets run backwards (" + std::to_string(attr_end) + " to " + std::to_string(attr_end - 1) +
          "): empty; the ground layer covers 0 of 12 cells"}},
    };
    for (const Case& c : cases) {
        headless::ClearDebugOutput();
        EXPECT_EQ(MAP_LoadFileData(c.file.data(), c.file.size(), kMap), c.result) << c.what;
        EXPECT_EQ(Told(kMap), c.told) << c.what;
    }
    // The cut file kept what it read before the cut: chips, objects, no attributes.
    headless::ClearDebugOutput();
    MAP_ClearObjList();
    EXPECT_EQ(MAP_LoadFileData(good.data(), attr_start + 1, kMap), 0);
    ASSERT_NE(MAP_DATA.cells, nullptr);
    EXPECT_EQ(std::tuple(MAP_DATA.cells[11].column, MAP_DATA.cells[11].attr), std::tuple(2, 0));
}

TEST_F(Damaged, AThousandObjectsAndThePictureTable) {
    std::vector<support::CspEntry> table(310, {0, 0, 8, 8, 0, 0});
    std::vector<uint8_t> csp = support::MakeCsp(table);
    headless::ClearDebugOutput();
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size(), "t_o.csp"), 1);
    EXPECT_EQ(Told("t_o.csp"), std::vector<std::string>{"records past 301: 9 dropped"});
    csp.resize(csp.size() - 12 * 300 - 5);  // 9 whole records left
    headless::ClearDebugOutput();
    ASSERT_EQ(MAP_LoadCspData(csp.data(), csp.size(), "t_o.csp"), 1);
    EXPECT_EQ(MAP_CSP.count, 9);
    EXPECT_EQ(Told("t_o.csp"), std::vector<std::string>{"a table of 310 records at byte 16, 9 of them in the file"});
    headless::ClearDebugOutput();
    EXPECT_EQ(MAP_LoadCspData(csp.data(), 12, "t_o.csp"), 0);
    EXPECT_EQ(Told("t_o.csp"), std::vector<std::string>{"12 bytes, shorter than the 16-byte header: the table left as it was"});

    support::MapSpec s(40, 30);
    s.objs.assign(1200, 1);
    headless::ClearDebugOutput();
    const std::vector<uint8_t> map = support::MakeMap(s);
    ASSERT_EQ(MAP_LoadFileData(map.data(), map.size(), kMap), 1);
    EXPECT_EQ(Told(kMap), std::vector<std::string>{"objects past 1000: 200 dropped"});
}

TEST_F(Damaged, TechniqueFilesSayHowManyTheyKept) {
    const std::vector<support::WazaSpec> three(3);
    const std::vector<uint8_t> whole = support::WriteWaz(three);
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int count;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"whole", whole, 3, {}},
        {"cut inside the third", std::vector<uint8_t>(whole.begin(), whole.end() - 1), 2,
         {"2 of 3 techniques whole in the file: the rest dropped"}},
        {"a negative count", support::WriteWaz(three, -2), 0, {"a count of -2: no techniques"}},
        {"one byte", {7}, 0, {"1 bytes, no technique count: no techniques"}},
    };
    for (const Case& c : cases) {
        headless::ClearDebugOutput();
        WAZA_Parse(1, c.file.data(), c.file.size());
        EXPECT_EQ(MECH_TABLE[1].waza_count, c.count) << c.what;
        EXPECT_EQ(Told("Dat\\zako01.waz"), c.told) << c.what;
    }
}

TEST_F(Damaged, CampaignSlotsSayWhatIsMissing) {
    support::TempDir dir;
    FIL_InitBaseDir();
    ASSERT_TRUE(plat::CreateDirectory("Save"));
    ASSERT_TRUE(support::WriteBytes("Save/Save03.dat", std::vector<uint8_t>(5, 7)));
    ASSERT_TRUE(support::WriteBytes("Save/Save04.dat", std::vector<uint8_t>(8 + 100, 7)));
    ASSERT_TRUE(support::WriteBytes("Save/Save06.dat", std::vector<uint8_t>(8 + CAMP_SIZE, 7)));
    ASSERT_TRUE(support::WriteBytes("Save/save05.dat", std::vector<uint8_t>(1000, 7)));
    headless::ClearDebugOutput();
    CAMP_ScanSaves();
    EXPECT_EQ(CAMP_SLOT_COUNT, 4);
    EXPECT_EQ(Told("Save\\Save03.dat"), std::vector<std::string>{"5 bytes: the header's last 3 read as zero"});
    EXPECT_EQ(Told("Save\\Save04.dat"), std::vector<std::string>{"108 bytes: the campaign block after the header is cut short"});
    EXPECT_TRUE(Told("Save\\Save06.dat").empty());
    CAMP_DATA.base[1] = 9;
    headless::ClearDebugOutput();
    EXPECT_EQ(CAMP_LoadSlot(5), 0);
    EXPECT_EQ(CAMP_DATA.base[1], 500);
    EXPECT_EQ(Told("Save\\save05.dat"), std::vector<std::string>{"1000 of 1504 bytes: the block dropped, new-game values instead"});
    headless::ClearDebugOutput();
    EXPECT_EQ(CAMP_LoadSlot(7), 0);  // no file: nothing to tell
    EXPECT_TRUE(battle_test::DebugLines().empty());
}

}  // namespace
