// Software cursor: the three looks at the pointer, animation once per draw tick, click frames and
// particles, visibility across the object's re-creation on every pass, the hidden system pointer.
#include <filesystem>

#include "platform/random.h"
#include "services/fil_util.h"
#include "services/mou_cursor.h"
#include "shell/app_frame.h"
#include "shell/sysdat.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "tests/services/input_fixture.h"
#include "tests/support/grp_writer.h"

namespace {
const char kSomeLook = 0;  // any pointer look other than none

class Cursor : public inputtest::InputTest {
protected:
    support::TempDir dir;
    void SetUp() override {
        InputTest::SetUp();
        std::filesystem::create_directories(dir.File("bmp/quon"));
        support::GrpPicture sheet = support::MakeGrp(16, 256, 256);
        for (uint32_t i = 0; i < 256 * 256; ++i) support::Set555(sheet, i % 256, i / 256, 0x1234);
        ASSERT_TRUE(support::WriteGrp(dir.File("bmp/quon/common.grp"), sheet, true));
        FIL_InitBaseDir();
        SP_Init();
        SYS_DATA.mouse_type = 0;
        BAR_CommonInit();
        ASSERT_GE(BAR_COMMON_IMAGE, 0);
        MOUSE_InitCursor(nullptr, 0);
        MOUSE_SetCursorMode(0);
    }
    void TearDown() override {
        MOUSE_SetCursorMode(-1);
        BAR_CommonFree();
        SP_Reset();
        SYS_DATA.mouse_type = 0;
        InputTest::TearDown();
    }
    // One pass of the frame driver with the pointer at (x, y) and those buttons held.
    void Pass(int x, int y, uint8_t buttons = 0) {
        headless::SetMouse(x, y, buttons);
        MOUSE_Poll();
        MOUSE_UpdateCursor(display.window);
    }
    void Tick(int x, int y, uint8_t buttons = 0) {
        ++APP_DrawTickCount;
        Pass(x, y, buttons);
    }
    const SP_STILL& Obj() { return *SP_Still(BAR_CURSOR.sprite); }
    int Alive() {
        int n = 0;
        for (const BAR_PARTS& p : MOUSE_PARTICLE) n += p.y < 480;
        return n;
    }
};

TEST_F(Cursor, EachLookSitsWhereItsTypeSays) {
    const struct {
        int type, mode;
        RECT src;
        int x, y;
    } cases[] = {
        {0, 0, {0, 112, 32, 138}, 100, 50},   {0, 1, {32, 112, 64, 138}, 100, 50},
        {1, 0, {0, 138, 32, 170}, 84, 34},    {1, 1, {32, 138, 64, 170}, 84, 34},  // centred on the pointer
        {2, 1, {0, 170, 32, 202}, 100, 50},   {7, 2, {0, 112, 32, 138}, 100, 50},  // others look like 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " mode " << c.mode);
        SYS_DATA.mouse_type = uint8_t(c.type);
        MOUSE_SetCursorMode(c.mode);
        Pass(100, 50);
        const RECT& r = Obj().src;
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom, Obj().x, Obj().y, Obj().priority}),
                  std::vector<int>({c.src.left, c.src.top, c.src.right, c.src.bottom, c.x, c.y, -10}));
    }
}

TEST_F(Cursor, TheAnimationAdvancesOncePerDrawTick) {
    MOUSE_SetCursorMode(1);
    std::vector<int> frames;
    for (int t = 0; t < 26; ++t) {
        Tick(10, 10);
        Pass(10, 10);  // more passes in the same tick change nothing
        frames.push_back(Obj().src.left / 32 - 1);
    }
    // Four ticks a frame, six frames, then round again.
    EXPECT_EQ(frames, std::vector<int>({0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 0, 0}));
}

TEST_F(Cursor, AHeldClickThrowsOneParticleUntilReleased) {
    SYS_DATA.mouse_type = 2;
    Tick(200, 100, 1);
    EXPECT_EQ(Alive(), 1);
    EXPECT_EQ(MOUSE_PARTICLE[0].x, 216 + 4);  // placed at the pointer + (16, 8), then one tick's move
    EXPECT_EQ(Obj().src.left, 0);             // drawn before the click was seen
    Pass(200, 100, 1);
    EXPECT_EQ(Obj().src.left * 1000 + Obj().x * 10 + Obj().y, 64 * 1000 + 172 * 10 + 68);  // click frame
    std::vector<int> ys{MOUSE_PARTICLE[0].y};
    for (int t = 0; t < 6; ++t) {
        Tick(200, 100, 1);  // still held: no new particle, even after the click frame ends
        ys.push_back(MOUSE_PARTICLE[0].y);
    }
    EXPECT_EQ(Alive(), 1);
    EXPECT_EQ(Obj().src.left, 0);  // the click frame lasted four ticks
    // It rises by its start speed (-4 or -5) plus one, slowing by one a tick, drifting 4 right a tick.
    const int v = ys[0] - 108;
    EXPECT_TRUE(v == -3 || v == -4) << v;
    for (size_t k = 1; k < ys.size(); ++k) EXPECT_EQ(ys[k] - ys[k - 1], v + int(k));
    EXPECT_EQ(SP_TABLE[MOUSE_PARTICLE[0].sprite]->x, 216 + 4 * 7);
    Tick(200, 100, 0);
    Tick(200, 100, 1);
    EXPECT_EQ(Alive(), 2);
    // The right button alone throws nothing, nor does a hidden cursor; particles die at the bottom.
    Tick(200, 100, 0);
    for (int t = 0; t < 5; ++t) Tick(200, 100, 2);
    Tick(200, 100, 0);
    MOUSE_ShowCursor(0);
    Tick(200, 100, 1);
    EXPECT_EQ(Alive(), 2);
    for (int t = 0; t < 40; ++t) Tick(200, 100, 0);
    EXPECT_EQ(Alive(), 0);
    // With all sixteen alive a click starts none.
    MOUSE_ShowCursor(1);
    for (BAR_PARTS& p : MOUSE_PARTICLE) p.y = 470;
    Pass(300, 200, 1);
    for (const BAR_PARTS& p : MOUSE_PARTICLE) EXPECT_EQ(p.y, 470);
}

// Every pass hides the system pointer again, whatever showed it in between; the game's own cursor
// is the only one over the window.
TEST_F(Cursor, EveryPassKeepsTheSystemPointerHidden) {
    ASSERT_TRUE(headless::PointerShown());
    Pass(5, 5);
    EXPECT_FALSE(headless::PointerShown());
    plat::SetCursor(&kSomeLook);  // as a box or another window would
    ASSERT_TRUE(headless::PointerShown());
    Pass(6, 6);
    EXPECT_FALSE(headless::PointerShown());
    MOUSE_ShowCursor(0);  // hiding the game's cursor leaves the system pointer hidden too
    Pass(7, 7);
    EXPECT_FALSE(headless::PointerShown());
}

TEST_F(Cursor, VisibilitySurvivesTheObjectsRecreation) {
    Pass(5, 5);
    EXPECT_EQ(MOUSE_IsCursorShown(), 1);
    MOUSE_ShowCursor(0);
    Pass(50, 60);
    EXPECT_EQ(Obj().x, 50);  // re-created at the pointer
    EXPECT_EQ(MOUSE_IsCursorShown(), 0);
    MOUSE_SetCursorMode(0);  // the current mode again: visibility untouched
    EXPECT_EQ(MOUSE_IsCursorShown(), 0);
    MOUSE_SetCursorMode(-1);
    MOUSE_SetCursorMode(2);
    EXPECT_EQ(MOUSE_IsCursorShown() + SP_TABLE[MOUSE_PARTICLE[15].sprite]->visible, 2);
    MOUSE_SetCursorMode(-1);
    Pass(7, 7);
    EXPECT_EQ(MOUSE_IsCursorShown() + SP_TABLE[MOUSE_PARTICLE[3].sprite]->visible, 0);
    // Without the common picture nothing is made and the mode does not change; no other object is touched.
    BAR_CommonFree();
    SP_CreateCallback(0, 0, nullptr);
    MOUSE_ShowCursor(0);
    EXPECT_EQ(SP_TABLE[0]->visible, 1);
    SP_Delete(0);
    std::filesystem::remove(dir.File("bmp/quon/common.grp"));
    BAR_CommonInit();
    EXPECT_EQ(BAR_COMMON_IMAGE, -1);
    MOUSE_SetCursorMode(3);
    EXPECT_EQ(MOUSE_GetCursorMode(), -1);
    Pass(1, 1, 1);
    // Neither the cursor nor a particle has an object (the slot panel's text part is its own).
    EXPECT_EQ(BAR_CURSOR.sprite, -1);
    for (const BAR_PARTS& p : MOUSE_PARTICLE) EXPECT_EQ(p.sprite, -1);
}
}  // namespace
