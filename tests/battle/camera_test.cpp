// The battle camera: targets between two characters, stepping and snapping, the scroll
// rectangle's bounds, the queued node, the buffer movement it hands on, and sprite placing.
#include <gtest/gtest.h>

#include <vector>

#include "battle/btl_frame.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "sprite/sp_object.h"

namespace {

struct Camera : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        BTL_ResetGlobals();
        MAP_DATA = MapData{};
        MAP_DATA.width = 100;
        MAP_DATA.height = 75;
        MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
        SCR_SCROLL_RECT = RECT{0, 0, 1600, 1200};
        SCR_SetCameraSpeed(0, 1, 16);
        SCR_SetCameraRange(120, 80);
        a.x = 500, a.y = 400, a.in_use = 1;
        b.x = 800, b.y = 400, b.in_use = 1;
    }
    void TearDown() override { MAP_DATA = MapData{}; }
    // Puts camera and buffer at the same point, as a jump with a redraw does.
    static void Jump(int32_t x, int32_t y) {
        SCR_SetScrollPos(x, y);
        MAP_Redraw(x, y);
    }
    static std::pair<int32_t, int32_t> Target() {
        int32_t x, y;
        SCR_GetCameraTarget(&x, &y);
        return {x, y};
    }
    LIST_NODE a{}, b{};
};

TEST_F(Camera, TargetsBetweenTwoNodesWithinTheRange) {
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &a, &b);
    EXPECT_EQ(Target(), std::pair(620, 400));  // 150 towards the second, held to 120
    SCR_SetCameraRange(-1, 80);
    EXPECT_EQ(Target(), std::pair(500, 400));
    b.x = 540;
    b.y = 600;
    b.height = 40;  // aimed at its lifted point: (600 - 40 - 400) / 2 = 80
    SCR_SetCameraRange(120, 60);
    EXPECT_EQ(Target(), std::pair(520, 460));
    b.x = 499;  // the halving shifts: -1 / 2 rounds down
    EXPECT_EQ(Target().first, 499);
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &a, nullptr);
    a.height = 30;
    EXPECT_EQ(Target(), std::pair(500, 370));
    CAMERA_DATA.fixed_x = 1000, CAMERA_DATA.fixed_y = 1100;
    SCR_SetCameraMode(SCR_CAMERA_FIXED);
    EXPECT_EQ(Target(), std::pair(1000, 960));  // clamped: bottom 1200 - 240
    SCR_SetScrollPos(700, 700);
    SCR_SetCameraMode(SCR_CAMERA_NONE);
    EXPECT_EQ(Target(), std::pair(700, 700));
    EXPECT_EQ(SCR_IsCameraArrived(), 1);
    SCR_SetCamera(SCR_CAMERA_FOLLOW, nullptr, nullptr);
    EXPECT_EQ(SCR_IsCameraArrived(), 1);
}

TEST_F(Camera, StepsAlongTheDirectionThenSnaps) {
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &a, nullptr);
    Jump(400, 400);
    const std::vector<int32_t> xs = {415, 431, 447, 463, 479, 495, 500, 500};
    for (int32_t want : xs) {
        SCR_UpdateCamera(0);
        EXPECT_EQ(CAMERA_DATA.scroll_x, want);
        EXPECT_EQ(CAMERA_DATA.scroll_y, 400);
        EXPECT_EQ(MAP_DATA.scroll_x, CAMERA_DATA.scroll_x - 320);  // the buffer follows pixel for pixel
    }
    EXPECT_EQ(SCR_IsCameraArrived(), 1);
    // Ten pixels away with speed 16: one frame; a diagonal slides on the axis still far off.
    a.x = 510;
    a.y = 470;
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 510);
    EXPECT_LT(CAMERA_DATA.scroll_y, 470);
    while (!SCR_IsCameraArrived()) SCR_UpdateCamera(0);
    EXPECT_EQ(MAP_DATA.scroll_y, 470 - 240);
}

TEST_F(Camera, ScrollRectangleBoundsAndTheMovementHandedOn) {
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &a, nullptr);
    SCR_SCROLL_RECT = RECT{192, 0, 832, 1200};  // exactly one view wide: x is pinned at left + 320
    Jump(512, 300);
    a.x = 900;
    for (int i = 0; i < 5; ++i) SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 512);
    EXPECT_EQ(MAP_DATA.scroll_x, 192);
    // Narrower than the view: the right bound wins.
    SCR_SCROLL_RECT = RECT{192, 0, 700, 1200};
    EXPECT_EQ(Target().first, 380);
    // Walking into the left bound moves the buffer only up to it.
    SCR_SCROLL_RECT = RECT{0, 0, 1600, 1200};
    Jump(330, 600);
    a.x = 100;
    a.y = 600;
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 320);
    EXPECT_EQ(MAP_DATA.scroll_x, 0);
    // Starting outside (a jump past the bound): the part before the bound is not handed on.
    SCR_SetScrollPos(300, 600);
    a.x = 700;
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 320);
    EXPECT_EQ(MAP_DATA.scroll_x, 0);
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 335);
    EXPECT_EQ(MAP_DATA.scroll_x, 15);
    // Random walks: the buffer always moves by exactly what the camera kept.
    plat::Srand(5);
    for (int k = 0; k < 400; ++k) {
        a.x = plat::Rand() % 1800 - 100;
        a.y = plat::Rand() % 1400 - 100;
        for (int f = plat::Rand() % 6; f >= 0; --f) SCR_UpdateCamera(int16_t(f & 1 ? 8 : -8));
        ASSERT_EQ(MAP_DATA.scroll_x, CAMERA_DATA.scroll_x - 320) << k;
        ASSERT_EQ(MAP_DATA.scroll_y, CAMERA_DATA.scroll_y - 240) << k;
        ASSERT_TRUE(CAMERA_DATA.scroll_x >= 320 && CAMERA_DATA.scroll_x <= 1280 && CAMERA_DATA.scroll_y >= 240 && CAMERA_DATA.scroll_y <= 960);
    }
}

TEST_F(Camera, QueuedNodeTakesOverAndQuakeIsNotArrival) {
    SCR_SetCamera(SCR_CAMERA_FOLLOW, &a, &b);
    SCR_SetCameraNext(&b);
    Jump(620, 400);
    EXPECT_EQ(SCR_IsCameraArrived(), 1);
    SCR_UpdateCamera(8);  // the quake offset moves the view, not the target
    EXPECT_EQ(CAMERA_DATA.scroll_y, 408);
    EXPECT_EQ(SCR_IsCameraArrived(), 0);
    SCR_UpdateCamera(0);
    EXPECT_EQ(SCR_IsCameraArrived(), 1);
    a.in_use = 0;  // the followed node was freed
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.followed, &b);
    EXPECT_EQ(CAMERA_DATA.queued, nullptr);
    EXPECT_EQ(CAMERA_DATA.scroll_x, 635);  // heading for b's own point (800 is 180 away)
    b.in_use = 0;
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.followed, nullptr);
    const int32_t x = CAMERA_DATA.scroll_x;
    SCR_UpdateCamera(0);
    EXPECT_EQ(CAMERA_DATA.scroll_x, x);  // no one to follow: it stands
}

TEST_F(Camera, SpeedRampStepsTowardsTheSpeed) {
    SCR_SetCameraSpeed(0, 5, 12);
    const int want[] = {5, 10, 12, 12};
    for (int w : want) {
        SCR_StepCameraSpeed();
        EXPECT_EQ(CAMERA_DATA.ramp, w);
    }
    SCR_SetCameraSpeed(30, -999, -999);
    EXPECT_EQ(std::tuple(CAMERA_DATA.ramp, CAMERA_DATA.ramp_step, CAMERA_DATA.speed), std::tuple(30, 5, 12));
    SCR_StepCameraSpeed();
    EXPECT_EQ(CAMERA_DATA.ramp, 25);
    SCR_SetCameraSpeed(-999, 40, -999);
    SCR_StepCameraSpeed();
    EXPECT_EQ(CAMERA_DATA.ramp, 12);
}

TEST_F(Camera, SpritesArePlacedFromTheirNodes) {
    ASSERT_EQ(LIST_Init(), 1);
    SCR_SetScrollPos(700, 500);
    std::vector<LIST_NODE*> nodes;
    for (int kind : {LIST_KIND_CHR, LIST_KIND_EFT, LIST_KIND_GAUGE, LIST_KIND_BGOBJ}) {
        LIST_NODE* n = LIST_Alloc(kind);
        n->sprite = int16_t(SP_FindFree());
        ASSERT_EQ(SP_CreateCallback(n->sprite, 128, nullptr), 1);
        SP_Get(n->sprite)->x = 7;
        n->x = 650;
        n->y = 520;
        n->height = 0x10018;  // only its low 16 bits reach the lift
        nodes.push_back(n);
    }
    LIST_Alloc(LIST_KIND_EFT)->x = 9;  // no display object: left alone
    SCR_SetAllSpritePos();
    for (size_t i = 0; i < nodes.size(); ++i) {
        const SP_OBJ* o = SP_Get(nodes[i]->sprite);
        if (i < 2) EXPECT_EQ(std::tuple(o->x, o->y, o->lift), std::tuple(270, 260, 24)) << i;
        else EXPECT_EQ(o->x, 7) << i;  // gauge chips and overlays place themselves
    }
    LIST_Term();
    SP_Reset();
}

}  // namespace
