// The map buffer: loading a stage's files, the ring after camera walks against a fresh redraw,
// the pieces of the ring's blit, and depth overlays that last one drawn frame.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "battle/btl_frame.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "display/dd_display.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "shell/app_wnd.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"

namespace {

struct MapDraw : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        FIL_InitBaseDir();
        SP_Init();
        BTL_ResetGlobals();
        ASSERT_EQ(LIST_Init(), 1);
    }
    void TearDown() override {
        MAP_Release();
        LIST_Term();
        SP_Reset();
        if (view) DD_ReleaseSurface(view);
    }
    // The 640 x 480 view as the ring holds it.
    std::vector<uint16_t> RingView() {
        if (!view) view = support::MakeSurface(MAP_VIEW_W, MAP_VIEW_H);
        MAP_BlitBuffer(view, 0, 0, 0);
        return support::ReadSurface(view);
    }
    support::HeadlessDisplay display;
    support::TempDir dir;
    DDSurface* view = nullptr;
};

// A rectangle or a view point from a save or a script can hold any value: the rectangle's edges
// stay within 2^30 past the map's own clamps, and a redraw at the extremes stays in range.
TEST_F(MapDraw, ExtremeRectanglesAndPointsStayInRange) {
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 1, 20)));
    MAP_Load(1, 0, 0);
    struct Case {
        RECT given, kept;
    };
    const Case cases[] = {
        {{-5, -5, 5000, 5000}, {0, 0, 1600, 1200}},
        {{300, 200, -7, -9}, {300, 200, -7, -9}},
        {{INT32_MAX, INT32_MAX, INT32_MIN + 1, INT32_MIN + 1}, {1 << 30, 1 << 30, -(1 << 30), -(1 << 30)}},
    };
    for (const Case& c : cases) {
        SCR_SetScrRect(&c.given);
        const RECT& r = SCR_SCROLL_RECT;
        EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(c.kept.left, c.kept.top, c.kept.right, c.kept.bottom));
    }
    // The right edge wins: the view ends at it, 640 x 480 before.
    MAP_Redraw(INT32_MIN, INT32_MAX);
    EXPECT_EQ(std::tuple(MAP_DATA.scroll_x, MAP_DATA.scroll_y), std::tuple(-(1 << 30) - 640, -(1 << 30) - 480));
    SCR_SetScrRect(nullptr);
    MAP_Redraw(INT32_MIN, INT32_MIN);
    EXPECT_EQ(std::tuple(MAP_DATA.scroll_x, MAP_DATA.scroll_y), std::tuple(0, 0));
    MAP_Redraw(INT32_MAX, INT32_MAX);
    EXPECT_EQ(std::tuple(MAP_DATA.scroll_x, MAP_DATA.scroll_y), std::tuple(1600 - 640, 1200 - 480));
}

TEST_F(MapDraw, StageTakesItsMapFromTheVariantAndItsSheetsFromVariantZero) {
    support::StageFiles zero = support::MakeTestStage(120, 80, 1, 20), three = support::MakeTestStage(90, 70, 2, 5);
    three.csp.resize(2);
    ASSERT_TRUE(support::WriteStage("02_0_L", "02_0_L", zero));
    ASSERT_TRUE(support::WriteStage("02_3_L", "02_3_L", three));  // its own sheets are never read
    headless::ClearDebugOutput();
    MAP_Load(2, 3, 0);
    EXPECT_EQ(std::tuple(MAP_DATA.stage, MAP_DATA.variant, MAP_DATA.dark), std::tuple(2, 3, 0));
    EXPECT_EQ(std::tuple(MAP_DATA.width, MAP_DATA.height, MAP_DATA.pixel_w, MAP_DATA.pixel_h), std::tuple(90, 70, 1440, 1120));
    ASSERT_GE(MAP_IMAGES.chips, 0);
    EXPECT_STREQ(IMG_TABLE[MAP_IMAGES.chips].stem, "02_0_L_f");
    EXPECT_STREQ(IMG_TABLE[MAP_IMAGES.objects].stem, "02_0_L_o");
    EXPECT_EQ(MAP_CSP.count, 4);
    EXPECT_EQ(SP_Get(MAP_IMAGES.sprite)->priority, MAP_PRIORITY);
    // Stage 2's rectangle, cut to the map.
    EXPECT_EQ(std::tuple(SCR_SCROLL_RECT.right, SCR_SCROLL_RECT.bottom), std::tuple(1440, 1120));
    EXPECT_EQ(battle_test::DebugLines().back(), "MapRect (1440 : 1120)");
    // Release gives everything back; a dark stage that is missing leaves an absent map.
    const int chips = MAP_IMAGES.chips, sprite = MAP_IMAGES.sprite;
    MAP_Release();
    EXPECT_EQ(IMG_TABLE[chips].count, 0);
    EXPECT_EQ(SP_Get(sprite), nullptr);
    EXPECT_EQ(MAP_DATA.stage, MAP_NO_STAGE);
    EXPECT_EQ(MAP_OBJ.count, 0);
    MAP_Load(2, 3, 1);
    EXPECT_EQ(MAP_DATA.cells, nullptr);
    EXPECT_EQ(MAP_IMAGES.chips, -1);
    EXPECT_GE(MAP_IMAGES.buffer, 0);
    MAP_Redraw(500, 500);  // nothing to draw, nothing read
    EXPECT_EQ(MAP_CheckLine(10, 10, 20, 20, 1), 0);
}

// A stage whose map file is missing says so, with the path and the failed handle, only in the
// hidden mode; the sheets' own lines are the picture loaders' business.
TEST_F(MapDraw, AMissingMapFileIsToldOnlyInTheHiddenMode) {
    const std::string path = FIL_MakePath("Bmp\\Map\\%s.map", "07_2_D");
    for (int hidden : {0, 1}) {
        APP_HiddenMode = hidden;
        headless::ClearDebugOutput();
        MAP_Load(7, 2, 1);
        std::vector<std::string> told;
        for (const std::string& l : headless::DebugOutput())
            if (l.find(".map") != std::string::npos) told.push_back(l);
        EXPECT_EQ(told, hidden ? std::vector<std::string>{path + ":Open error -1\n"} : std::vector<std::string>{}) << hidden;
        EXPECT_EQ(MAP_DATA.cells, nullptr);
        EXPECT_EQ(MAP_LoadFile(path.c_str()), 0);
    }
    APP_HiddenMode = 0;
}

TEST_F(MapDraw, RingAfterCameraWalksShowsWhatARedrawShows) {
    ASSERT_TRUE(support::WriteStage("05_4_L", "05_0_L", support::MakeTestStage(140, 100, 7, 60)));
    MAP_Load(5, 4, 0);  // scroll rectangle (192, 192, 2048, 1408)
    LIST_NODE target{};
    target.in_use = 1;
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &target, nullptr);
    SCR_SetCameraSpeed(0, 1, 16);
    SCR_SetScrollPos(1000, 800);
    MAP_Redraw(1000, 800);
    plat::Srand(99);
    for (int walk = 0; walk < 40; ++walk) {
        target.x = 100 + plat::Rand() % 2100;
        target.y = 100 + plat::Rand() % 1400;
        const int frames = 1 + plat::Rand() % 60;
        for (int f = 0; f < frames; ++f) SCR_UpdateCamera(f % 3 == 0 ? (f & 1 ? 5 : -5) : 0);
        const std::vector<uint16_t> ring = RingView();
        const RECT at{MAP_DATA.scroll_x, MAP_DATA.scroll_y, MAP_DATA.ring_x, MAP_DATA.ring_y};
        MAP_Redraw(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
        ASSERT_EQ(std::tuple(MAP_DATA.scroll_x, MAP_DATA.scroll_y), std::tuple(at.left, at.top)) << walk;
        const std::vector<uint16_t> fresh = RingView();
        size_t diff = 0;
        while (diff < ring.size() && ring[diff] == fresh[diff]) ++diff;
        ASSERT_EQ(diff, ring.size()) << "walk " << walk << ": first difference at (" << diff % 640 << ", " << diff / 640
                                     << ") with the ring at " << at.right << ", " << at.bottom;
    }
}

TEST_F(MapDraw, RingBlitsInOneToFourPieces) {
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 3, 0)));
    MAP_Load(1, 0, 0);
    MAP_Redraw(320, 240);
    DDSurface* target = support::MakeSurface(MAP_VIEW_W, MAP_VIEW_H);
    const int cases[][3] = {{0, 0, 1}, {16, 0, 1}, {17, 0, 2}, {0, 16, 1}, {0, 17, 2}, {17, 17, 4}, {655, 495, 4}};
    for (const auto& c : cases) {
        MAP_DATA.ring_x = c[0];
        MAP_DATA.ring_y = c[1];
        EXPECT_EQ(MAP_BlitBuffer(target, 0, 0, 0), c[2]) << c[0] << "," << c[1];
    }
    EXPECT_EQ(MAP_BlitBuffer(nullptr, 0, 0, 0), 0);
    DD_ReleaseSurface(target);
}

// The debugging outlines touch the map buffer only, on its chip lines and at its seams.
TEST_F(MapDraw, DebugOutlinesDrawInsideTheBufferOnly) {
    MAP_DrawDebugGrid();  // no map: nothing to draw into
    MAP_DrawDebugFrame();
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 3, 0)));
    MAP_Load(1, 0, 0);
    MAP_Redraw(320, 240);
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    ASSERT_NE(buffer, nullptr);
    const std::vector<uint16_t> back = support::ReadSurface(DD_DISPLAY.back);
    const std::vector<uint16_t> before = support::ReadSurface(buffer);
    ASSERT_EQ(before.size(), size_t(MAP_BUFFER_W) * MAP_BUFFER_H);
    MAP_DrawDebugGrid();
    const std::vector<uint16_t> grid = support::ReadSurface(buffer);
    const uint16_t line = DD_RGB(72, 72, 72);
    for (int y = 0; y < MAP_BUFFER_H; ++y)
        for (int x = 0; x < MAP_BUFFER_W; ++x) {
            const size_t i = size_t(y) * MAP_BUFFER_W + x;
            ASSERT_EQ(grid[i], x % 16 == 0 || y % 16 == 0 ? line : before[i]) << x << "," << y;
        }
    // The seams follow the ring, also where they wrap at its edges.
    struct Case {
        int32_t ring_x, ring_y, spare_x, spare_y;
    };
    const Case cases[] = {{5, 7, 645, 487}, {0, 0, 640, 480}, {655, 495, 639, 479}, {16, 16, 0, 0}};
    for (const Case& c : cases) {
        MAP_DATA.ring_x = c.ring_x;
        MAP_DATA.ring_y = c.ring_y;
        MAP_DrawDebugFrame();
        const std::vector<uint16_t> frame = support::ReadSurface(buffer);
        for (int y = 0; y < MAP_BUFFER_H; y += 37) {
            EXPECT_EQ(frame[size_t(y) * MAP_BUFFER_W + c.ring_x], DD_RGB(248, 0, 0)) << c.ring_x << "," << y;
            if (y != c.ring_y) {
                EXPECT_EQ(frame[size_t(y) * MAP_BUFFER_W + c.spare_x], DD_RGB(248, 248, 0)) << c.spare_x;
            }
        }
        for (int x = 0; x < MAP_BUFFER_W; x += 41) {
            EXPECT_EQ(frame[size_t(c.ring_y) * MAP_BUFFER_W + x], DD_RGB(248, 0, 0)) << x << "," << c.ring_y;
            if (x != c.ring_x) {
                EXPECT_EQ(frame[size_t(c.spare_y) * MAP_BUFFER_W + x], DD_RGB(248, 248, 0)) << c.spare_y;
            }
        }
    }
    EXPECT_EQ(support::ReadSurface(DD_DISPLAY.back), back);  // the screen is left alone
}

struct Overlays : MapDraw {
    void SetUp() override {
        MapDraw::SetUp();
        support::StageFiles s = support::MakeTestStage(100, 75, 4, 0);
        s.map.objs.assign(size_t(100) * 75, 0);
        s.map.objs[size_t(20) * 100 + 30] = 2;  // entry 1: 48 x 64 at (480 - 8, 320 - 48), base line 320
        ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", s));
        MAP_Load(1, 0, 0);
        SCR_SetScrollPos(640, 480);
        MAP_Redraw(640, 480);
        image = IMG_Create(64, 80, 0);
        node = LIST_Alloc(LIST_KIND_EFT);
        node->priority = 5;
        node->sprite = int16_t(SP_FindFree());
        SP_CreateStill(node->sprite, MAP_WORLD_PRIORITY, 0, 0, image, nullptr);
        SP_SetOwner(node->sprite, node->index);
    }
    void TearDown() override {
        IMG_Release(image);
        MapDraw::TearDown();
    }
    int image = -1;
    LIST_NODE* node = nullptr;
};

TEST_F(Overlays, ObjectsCoverOnlyWhatStandsBehindThemForOneFrame) {
    struct Case {
        const char* what;
        int32_t x, y;
        int overlays;
    } cases[] = {
        {"behind: above the base line", 470, 320 - 30, 1},
        {"on the base line", 470, 320, 1},
        {"in front: below the base line", 470, 321, 0},
        {"beside the object", 600, 300, 0},
    };
    for (const Case& c : cases) {
        node->x = c.x;
        node->y = c.y;
        SP_Still(node->sprite)->src = RECT{0, -80, 64, 0};  // the rectangle stands on the feet
        const int before = LIST_STATE_DATA.listCnt;
        MAP_UpdateBgOverlay();
        EXPECT_EQ(MAP_OverlayCount(), c.overlays) << c.what;
        EXPECT_EQ(LIST_STATE_DATA.bgObjCnt, c.overlays) << c.what;
        EXPECT_EQ(node->off_view, 0) << c.what;
        BTL_DrawScene();
        EXPECT_EQ(LIST_STATE_DATA.bgObjCnt, 0) << c.what;
        EXPECT_EQ(LIST_STATE_DATA.listCnt, before) << c.what;
    }
    // A node with a ground flag also cuts overlays for its lower half, once per frame.
    node->ground_flag = 1;
    node->x = 470;
    node->y = 300;
    MAP_UpdateBgOverlay();
    EXPECT_EQ(MAP_OverlayCount(), 2);
    EXPECT_EQ(node->ground_done, 1u);
    BTL_DrawScene();
    EXPECT_EQ(LIST_STATE_DATA.bgObjCnt, 0);
    // Out of view: marked for the renderer, no overlay.
    node->x = 5000;
    MAP_UpdateBgOverlay();
    EXPECT_EQ(node->off_view, -1);
    EXPECT_EQ(MAP_OverlayCount(), 0);
}

TEST_F(Overlays, OverlayPlacesTheCutPictureAtItsBaseLine) {
    node->x = 470;
    node->y = 300;
    SP_Still(node->sprite)->src = RECT{0, -80, 64, 0};
    MAP_UpdateBgOverlay();
    ASSERT_EQ(MAP_OverlayCount(), 1);
    const LIST_NODE* o = LIST_Node(LIST_STATE_DATA.tail);
    ASSERT_EQ(o->kind, LIST_KIND_BGOBJ);
    // Object 472..520 x 272..336 (base 320) against the picture 470..534 x 220..300: cut
    // 472..520 x 272..300, from the sheet at (64, 0).
    EXPECT_EQ(std::tuple(o->x, o->y, o->height), std::tuple(320 + 472 - 640, 240 + 320 - 480, 320 - 272));
    EXPECT_EQ(std::tuple(o->bgobj->src.left, o->bgobj->src.top, o->bgobj->src.right, o->bgobj->src.bottom),
              std::tuple(64, 0, 112, 28));
    const SP_OBJ* s = SP_Get(o->sprite);
    EXPECT_EQ(std::tuple(int(s->priority), int(s->x), int(s->y), int(s->lift)), std::tuple(128, 152, 80, 48));
    // No display object left: the overlay is refused and its node given back.
    std::vector<int> filled;
    for (int id; (id = SP_FindFree()) >= 0;) SP_CreateCallback(id, 0, nullptr), filled.push_back(id);
    headless::ClearDebugOutput();
    const int nodes = LIST_STATE_DATA.listCnt;
    const RECT src{0, 0, 8, 8};
    EXPECT_EQ(MAP_CreateOverlay(100, 100, 90, &src), -1);
    EXPECT_EQ(LIST_STATE_DATA.listCnt, nodes);
    EXPECT_EQ(battle_test::DebugLines().back(), "\x83X\x83v\x83\x89\x83" "C\x83g\x90\x94\x83I\x81[\x83o\x81[\x81I");
    for (int id : filled) SP_Delete(id);
}

}  // namespace
