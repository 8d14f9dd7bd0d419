// Shared set-up of the menu-window tests: a headless display with the sprite layer, a 10 x 10
// font in slot 0, the test window set, an owner scene of display objects, and frames driven on
// the manual clock the way an owning screen drives them.
#pragma once
#include "platform/headless/headless.h"
#include "shell/mwnd_balloon.h"
#include "shell/mwnd_stack.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/sprite/sprite_fixture.h"
#include "tests/support/fnt_writer.h"
#include "tests/support/mwnd_windows.h"

namespace mwndtest {

constexpr uint32_t kFrameMs = 33;

// Images and display objects in use, to see that nothing is left behind.
inline int ImagesInUse() {
    int n = 0;
    for (const IMG_SLOT& s : IMG_TABLE) n += s.count != 0;
    return n;
}
inline int ObjectsInUse() {
    int n = 0;
    for (SP_OBJ* o : SP_TABLE) n += o != nullptr;
    return n;
}

class MwndTest : public spritetest::SpriteTest {
protected:
    int set = -1;      // the owner's animation set
    int owner[5] = {};  // the owner's display objects

    void SetUp() override {
        SpriteTest::SetUp();
        headless::SetTime(5000);
        FNT_Init();
        static const std::vector<uint8_t> font = support::FntBytes(support::PatternFont(10, 10));
        ASSERT_EQ(FNT_LoadBytes(0, font.data(), font.size()), 1);
        support::ResetTestWindows(display.window);
        MWND_Init();
    }
    void TearDown() override {
        MWND_Term();
        support::FreeTestWindowObjects();
        FNT_Reset();
        SpriteTest::TearDown();
    }

    // The owner's screen: a gradient backdrop (priority 200), a block in front of it, a hidden
    // block and two animated objects, the first running; in owner[0..4].
    void OwnerScene() {
        const int back = IMG_Load(Picture("backdrop", 640, 480, [](int x, int y) {
                                      return spritetest::Rgb(x / 21, y / 16, (x + y) / 38 & 31);
                                  }).c_str(), 0);
        const int block = IMG_Load(Solid("block", 64, 48, spritetest::Rgb(31, 24, 0)).c_str(), 0);
        auto still = [&](int k, int priority, int x, int y, int image) {
            owner[k] = SP_FindFree();
            ASSERT_EQ(SP_CreateStill(owner[k], priority, x, y, image, nullptr), 1);
        };
        still(0, 200, 0, 0, back);
        still(1, 50, 500, 380, block);
        still(2, 50, 10, 10, block);
        SP_SetVisible(owner[2], 0);
        Solid("sheet", 32, 32, spritetest::Rgb(0, 31, 31));
        support::SprFile f;
        f.images = {"sheet"};
        f.patterns.assign(4, support::OnePart(0, 0, 8, 8));
        f.seqs[0] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
        set = LoadSet("owner", f);
        ASSERT_GE(set, 0);
        owner[3] = SP_FindFree();
        ASSERT_EQ(SP_CreateAnim(owner[3], 40, 560, 40, set, 0), 1);
        ASSERT_EQ(SP_PlaySeq(owner[3], 0, 1, 1), 1);
        owner[4] = SP_FindFree();
        ASSERT_EQ(SP_CreateAnim(owner[4], 40, 580, 40, set, 0), 1);
    }

    // One pass of the owner: the clock moves on, the update step runs the windows and steps the
    // animations, the draw step draws every object and the fade. MWND_Run's answer.
    int32_t Frame(uint32_t ms = kFrameMs) {
        headless::AdvanceTime(ms);
        const int32_t r = MWND_Run();
        SP_Update();
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SP_Draw(-1);
        MWND_DrawFade();
        return r;
    }
    // Frames until the window scene hands its result out; -999 when it never does.
    int32_t RunToEnd(int limit = 300) {
        for (int i = 0; i < limit; ++i)
            if (const int32_t r = Frame()) return r;
        return -999;
    }
    // Begins a scene, opens window k and runs it through the fade-in and its slide-in.
    void OpenAndSettle(int k) {
        ASSERT_EQ(MWND_Begin(), 1);
        ASSERT_EQ(support::OpenTestWindow(k), 1);
        for (int i = 0; i < 30 && !State(k, 1); ++i) Frame();
        ASSERT_TRUE(State(k, 1));
    }
    // Stacks window k on window parent and runs it through its slide-in.
    void StackAndSettle(int parent, int k) {
        support::OpenTestChild(parent, k);
        for (int i = 0; i < 30 && !State(k, 1); ++i) Frame();
        ASSERT_TRUE(State(k, 1));
    }
    // Whether the node of window k exists and holds that state.
    static bool State(int k, int32_t state) {
        for (const MWND_SLOT& s : MWND_SLOT_TABLE)
            for (const MWND_NODE* n = s.used ? s.root : nullptr; n; n = n->child)
                if (support::TestWindowAt(k).name == n->name) return n->state == state;
        return false;
    }
    static const MWND_NODE* Node(int k) {
        for (const MWND_SLOT& s : MWND_SLOT_TABLE)
            for (const MWND_NODE* n = s.used ? s.root : nullptr; n; n = n->child)
                if (support::TestWindowAt(k).name == n->name) return n;
        return nullptr;
    }
    static support::TestWindow& W(int k) { return support::TestWindowAt(k); }
};

}  // namespace mwndtest
