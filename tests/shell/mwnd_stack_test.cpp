// The menu-window stack: names and slots, the handler protocol, closing and focus, the fades and
// the result, the owner's objects, handlers that create and end things inside the manager's
// calls, and a two-level scene against its golden frame.
#include <gtest/gtest.h>

#include "display/ras_raster.h"
#include "platform/input.h"
#include "tests/shell/mwnd_fixture.h"
#include "tests/support/golden.h"

using namespace mwndtest;
using support::CountCalls;

namespace {
using Calls = std::vector<std::pair<int32_t, int32_t>>;

// The calls of window k from index `from` on.
Calls CallsFrom(int k, size_t from) {
    const Calls& c = support::TestWindowAt(k).calls;
    return Calls(c.begin() + int(std::min(from, c.size())), c.end());
}

TEST_F(MwndTest, NamesAreUniqueWithoutRegardToCaseAndSixteenWindowsFit) {
    ASSERT_EQ(MWND_Begin(), 1);
    EXPECT_EQ(MWND_Create("Config", nullptr), 1);
    EXPECT_STREQ(MWND_GetCurName(), "Config");
    for (const char* same : {"config", "CONFIG", "cOnFiG"}) EXPECT_EQ(MWND_Create(same, nullptr), 0) << same;
    EXPECT_EQ(MWND_GetDepth("CONFIG"), MWND_ROOT_DEPTH);
    EXPECT_EQ(MWND_GetDepth("config2"), -1);
    // A name is cut at 31 characters; a Shift-JIS trail byte is not folded ("\x83\x61" != "\x83\x41").
    EXPECT_EQ(MWND_Create("\x83\x61", nullptr), 1);
    EXPECT_EQ(MWND_Create("\x83\x41", nullptr), 1);
    EXPECT_EQ(MWND_Create("\x83\x61", nullptr), 0);
    for (int i = 3; i < MWND_SLOTS; ++i) EXPECT_EQ(MWND_Create(("win" + std::to_string(i)).c_str(), nullptr), 1);
    EXPECT_EQ(MWND_Create("seventeenth", nullptr), 0);
    EXPECT_EQ(MWND_GetDepth("seventeenth"), -1);
    EXPECT_STREQ(MWND_GetCurName(), "win15");
}

TEST_F(MwndTest, LongNamesAreComparedAsStored) {
    ASSERT_EQ(MWND_Begin(), 1);
    const std::string stored(31, 'n'), longer = stored + "xyz";
    EXPECT_EQ(MWND_Create(longer.c_str(), nullptr), 1);
    EXPECT_EQ(MWND_GetCurName(), stored);
    // The same long name, another that differs only past the 31st character, and the stored
    // name itself all name the one window.
    for (const std::string& same : {longer, stored + "abc", stored, std::string(31, 'N') + "Q"})
        EXPECT_EQ(MWND_Create(same.c_str(), nullptr), 0) << same;
    EXPECT_EQ(MWND_GetDepth(longer.c_str()), MWND_ROOT_DEPTH);
    EXPECT_EQ(MWND_GetDepth(stored.substr(0, 30).c_str()), -1);
    EXPECT_EQ(MWND_Create(stored.substr(0, 30).c_str(), nullptr), 1);
}

TEST_F(MwndTest, BeginOnlyWhenIdleAndBusyUntilTheResult) {
    EXPECT_EQ(MWND_IsBusy(), 0);
    ASSERT_EQ(MWND_Begin(), 1);
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_IN);
    EXPECT_EQ(MWND_Begin(), 0);
    EXPECT_EQ(MWND_IsBusy(), 1);
    MWND_Init();  // only from phase 0
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_IN);
    ASSERT_EQ(support::OpenTestWindow(0), 1);
    W(0).slide_frames = 1;
    W(0).result = 3;
    for (int i = 0; i < 10 && !State(0, 1); ++i) Frame();
    W(0).choose = true;
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(MWND_IsBusy(), 0);
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_IDLE);
    MWND_Term();
    EXPECT_EQ(MWND_Begin(), 0);
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_OFF);
}

TEST_F(MwndTest, DepthsStepDownTheChainAndCoversStandBehind) {
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    StackAndSettle(1, 2);
    EXPECT_EQ(W(0).depth, 18);
    EXPECT_EQ(W(1).depth, 16);
    EXPECT_EQ(W(2).depth, 14);
    EXPECT_EQ(MWND_GetDepth("W2"), 14);
    EXPECT_EQ(MWND_GetDepth("w3"), -1);
    // Only the top node's cover shows; the scene's capture is hidden behind the covers.
    EXPECT_EQ(SP_Get(Node(2)->cover_sprite)->priority, MWND_COVER_PRIORITY);
    EXPECT_EQ(SP_Get(MWND_DATA.cover_sprite)->priority, MWND_SCENE_PRIORITY);
    EXPECT_EQ(SP_Get(Node(2)->cover_sprite)->flags, SP_OPAQUE);
    EXPECT_EQ(SP_Get(Node(2)->cover_sprite)->visible, 1);
    for (int k : {0, 1}) EXPECT_EQ(SP_Get(Node(k)->cover_sprite)->visible, 0) << k;
    EXPECT_EQ(SP_Get(MWND_DATA.cover_sprite)->visible, 0);
    // Covered windows were told -13, -7 and -8 and stay hidden; the focus is on the top only.
    EXPECT_EQ(SP_Get(W(0).sprite)->visible, 0);
    EXPECT_EQ(SP_Get(W(1).sprite)->visible, 0);
    const size_t n0 = W(0).calls.size(), n2 = W(2).calls.size();
    Frame();
    EXPECT_EQ(CallsFrom(0, n0), (Calls{{1, 0}}));
    EXPECT_EQ(CallsFrom(2, n2), (Calls{{1, MWND_FLAG_FOCUS}}));
}

// Building a child's cover tells the parent chain -7 while the windows are drawn into it, -8
// afterwards, and the direct parent one more -8 before the build.
TEST_F(MwndTest, CoverBuildTellsTheParentChainActivatedThenDeactivated) {
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    const size_t n0 = W(0).calls.size(), n1 = W(1).calls.size();
    support::OpenTestChild(1, 2);
    EXPECT_EQ(CallsFrom(1, n1), (Calls{{MWND_COVERED, 0}, {MWND_ACTIVATED, 0}, {MWND_DEACTIVATED, 0},
                                       {MWND_DEACTIVATED, 0}}));
    EXPECT_EQ(CallsFrom(0, n0), (Calls{{MWND_ACTIVATED, 0}, {MWND_DEACTIVATED, 0}}));
    EXPECT_EQ(W(2).calls.front(), std::make_pair(int32_t(MWND_BUILD), 0));
    EXPECT_EQ(Node(1)->state, 1);
    EXPECT_EQ(Node(0)->state, 1);
}

TEST_F(MwndTest, ActivationInTheFadeWaitsForTheFirstRunningFrame) {
    ASSERT_EQ(MWND_Begin(), 1);
    ASSERT_EQ(support::OpenTestWindow(0), 1);
    // Build answered -4; MWND_Activate set 0 and, outside the running phase, sent -8.
    EXPECT_EQ(W(0).calls, (Calls{{MWND_BUILD, 0}, {MWND_DEACTIVATED, 0}}));
    EXPECT_EQ(Node(0)->active, 0);
    EXPECT_EQ(MWND_Activate("w0"), 0);  // no longer waiting
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Frame(), 0);  // 198 ms: still fading in
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_IN);
    EXPECT_EQ(W(0).calls.size(), 2u);
    Frame();  // 231 ms: the fade ends; the window runs from the next frame
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_RUN);
    EXPECT_EQ(W(0).calls.size(), 2u);
    Frame();
    EXPECT_EQ(CallsFrom(0, 2), (Calls{{MWND_ACTIVATED, 0}, {0, MWND_FLAG_FOCUS}}));
    // A window activated while the scene runs is not deactivated first and runs in that frame.
    W(0).wait = true;
    W(1).wait = true;
    for (int i = 0; i < 10 && !State(0, 1); ++i) Frame();
    W(0).open_child = 1;
    Frame();
    EXPECT_EQ(W(1).calls, (Calls{{MWND_BUILD, 0}, {0, MWND_FLAG_FOCUS}}));
}

TEST_F(MwndTest, ChildThatDestroysItselfGoesAtOnceAndGivesTheFocusBack) {
    OpenAndSettle(0);
    headless::SetMouse(100, 120, 0);
    StackAndSettle(0, 1);
    EXPECT_EQ(W(0).mouse_x, 100);
    EXPECT_EQ(W(0).mouse_y, 120);
    headless::SetMouse(400, 300, 0);
    W(1).choose = true;
    int frames = 0;
    size_t n0 = 0;
    while (Node(1) && frames < 20) {
        n0 = W(0).calls.size();
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 1 + W(1).slide_frames);  // the choice, then the slide-out
    EXPECT_EQ(MWND_GetDepth("w1"), -1);
    // In that frame: shown again (-7), then focus back (-12); the pointer returned.
    EXPECT_EQ(CallsFrom(0, n0), (Calls{{1, 0}, {MWND_ACTIVATED, 0}, {MWND_FOCUS_BACK, 0}}));
    EXPECT_EQ(SP_Get(W(0).sprite)->visible, 1);
    EXPECT_EQ(SP_Get(Node(0)->cover_sprite)->visible, 1);
    POINT p{};
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 120);
    EXPECT_EQ(MWND_SLOT_TABLE[0].top, Node(0));
    n0 = W(0).calls.size();
    Frame();
    EXPECT_EQ(CallsFrom(0, n0), (Calls{{1, MWND_FLAG_FOCUS}}));
}

TEST_F(MwndTest, ChildClosingTheChainStaysUntilItsParentHasClosed) {
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    W(1).close_chain = true;
    Frame();
    EXPECT_EQ(Node(0)->state, MWND_CLOSE_REQUEST);
    EXPECT_EQ(Node(1)->state, 1);  // keeps its own state
    int closing = 0;
    while (Node(1) && closing < 20) {
        EXPECT_EQ(SP_Get(W(1).sprite)->visible, 1);
        EXPECT_EQ(MWND_GetDepth("w1"), 16);
        const size_t n0 = W(0).calls.size();
        Frame();
        ++closing;
        EXPECT_EQ(CallsFrom(0, n0).front(), std::make_pair(int32_t(MWND_CLOSE_REQUEST), 0));
    }
    EXPECT_EQ(closing, W(0).slide_frames);
    // Both went in the frame the parent answered -11; the window is gone and the scene fades out.
    EXPECT_EQ(Node(0), nullptr);
    EXPECT_EQ(MWND_SLOT_TABLE[0].used, 0);
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_OUT);
}

TEST_F(MwndTest, CloseRequestRunsFromTheTopDown) {
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    MWND_Close("W0");  // the window's top node is asked to close
    EXPECT_EQ(Node(1)->state, MWND_CLOSE_REQUEST);
    for (int i = 0; i < 20 && Node(0); ++i) Frame();
    EXPECT_EQ(Node(0), nullptr);
    EXPECT_EQ(CountCalls(1, MWND_CLOSE_REQUEST), W(1).slide_frames);
    EXPECT_EQ(CountCalls(0, MWND_CLOSE_REQUEST), W(0).slide_frames);
    MWND_Close("w0");  // unknown now: nothing
}

// The last window's closing recaptures the live screen without windows and fades it back in
// 200 ms; the result comes out in the frame the fade ends and never before.
TEST_F(MwndTest, LastWindowFadesBackToTheLiveScreenAndHandsTheResultOnce) {
    OwnerScene();
    Frame();
    const std::vector<uint16_t> live = support::ReadSurface(DD_DISPLAY.back);
    OpenAndSettle(0);
    W(0).result = 77;
    W(0).choose = true;
    while (Node(0)) ASSERT_EQ(Frame(), 0);
    ASSERT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_OUT);
    const uint16_t under_panel = Back(100, 100);
    for (uint32_t t = 1; t < 200; ++t) {
        headless::AdvanceTime(1);
        ASSERT_EQ(MWND_Run(), 0) << t;
    }
    // Level 96 - 95: the blend no longer changes a pixel, so the frame is the live screen.
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    MWND_DrawFade();
    EXPECT_EQ(support::ReadSurface(DD_DISPLAY.back), live);
    EXPECT_NE(under_panel, live[100 * 640 + 100]);  // darker at the start of the fade
    headless::AdvanceTime(1);
    EXPECT_EQ(MWND_Run(), 77);
    EXPECT_EQ(MWND_DATA.cover_image, -1);
    EXPECT_EQ(MWND_DATA.cover_sprite, -1);
    headless::AdvanceTime(1);
    EXPECT_EQ(MWND_Run(), 0);
}

TEST_F(MwndTest, OwnerObjectsAreHiddenAndFrozenDuringTheScene) {
    OwnerScene();
    const int images = ImagesInUse(), objects = ObjectsInUse();
    OpenAndSettle(0);
    for (int id : owner) EXPECT_EQ(SP_Get(id)->visible, 0) << id;
    EXPECT_EQ(SP_Anim(owner[3])->running, 0);
    const uint16_t step = SP_Anim(owner[3])->step;
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(SP_Anim(owner[3])->step, step);
    MWND_SaveSprites();  // a copy is held: nothing changes
    W(0).choose = true;
    EXPECT_EQ(RunToEnd(), 1);
    const uint8_t visible[] = {1, 1, 0, 1, 1};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(SP_Get(owner[k])->visible, visible[k]) << k;
    EXPECT_EQ(SP_Anim(owner[3])->running, 1);
    EXPECT_EQ(SP_Anim(owner[4])->running, 0);
    Frame();
    EXPECT_NE(SP_Anim(owner[3])->step, step);
    EXPECT_EQ(ImagesInUse(), images);
    EXPECT_EQ(ObjectsInUse(), objects);
    // Restoring without a copy does nothing; an object made during a scene keeps its own bytes.
    SP_SetVisible(owner[2], 1);
    MWND_RestoreSprites();
    EXPECT_EQ(SP_Get(owner[2])->visible, 1);
    MWND_SaveSprites();
    const int made = SP_FindFree();
    ASSERT_EQ(SP_CreateStill(made, 0, 0, 0, 0, nullptr), 1);
    MWND_RestoreSprites();
    EXPECT_EQ(SP_Get(made)->visible, 1);
    EXPECT_EQ(SP_Get(owner[2])->visible, 1);
}

TEST_F(MwndTest, FadeInDimsTheCaptureToTheCoverLevel) {
    OwnerScene();
    Frame();
    const uint16_t lit = Back(320, 400);
    ASSERT_EQ(MWND_Begin(), 1);
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    MWND_DrawFade();
    EXPECT_EQ(Back(320, 400), lit);  // the capture, not yet dimmed
    std::vector<uint16_t> seen;
    for (int i = 0; i < 8; ++i) {
        Frame(25);
        seen.push_back(Back(320, 400));
    }
    for (size_t i = 1; i + 1 < seen.size(); ++i) EXPECT_LE(seen[i] & 0x1F, seen[i - 1] & 0x1F) << i;
    // No window: the capture itself stays after the fade, drawn without the fade.
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_RUN);
    EXPECT_EQ(seen.back(), lit);
}

// The fade dims the capture by black at 96 x elapsed / 200 of 255; the root's cover, the capture
// dimmed at 96, is dimmed at 96 once more when the fade-in ends.
TEST_F(MwndTest, FadeLevelsFollowTheTimer) {
    OwnerScene();
    Frame();
    const int scratch = IMG_Create(640, 480, 0);
    auto dimmed = [&](std::initializer_list<int> levels) {
        BLT_Blt(IMG_Surface(scratch), 0, 0, DD_DISPLAY.back, nullptr, 0);
        for (int level : levels) RAS_FillRectAlphaKey(IMG_Surface(scratch), 0, 0, 640, 480, 0, level, 0);
        return support::ReadSurface(IMG_Surface(scratch));
    };
    auto draw = [] {
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SP_Draw(-1);
        MWND_DrawFade();
        return support::ReadSurface(DD_DISPLAY.back);
    };
    SP_Draw(-1);
    const std::vector<uint16_t> at24 = dimmed({24}), at48 = dimmed({48}), at72 = dimmed({72}),
                                twice96 = dimmed({96, 96});
    ASSERT_NE(at24, at48);
    // Frames 50 ms apart, each drawn as the wanted dimming.
    auto fade = [&](std::initializer_list<const std::vector<uint16_t>*> wants) {
        int frame = 0;
        for (const std::vector<uint16_t>* want : wants) {
            headless::AdvanceTime(50);
            ASSERT_EQ(MWND_Run(), 0);
            EXPECT_EQ(draw(), *want) << ++frame;
        }
    };
    ASSERT_EQ(MWND_Begin(), 1);
    fade({&at24, &at48, &at72});
    // Without a window the scene ends at once and fades back from 96 down.
    headless::AdvanceTime(50);
    ASSERT_EQ(MWND_Run(), 0);
    ASSERT_EQ(MWND_Run(), 0);
    ASSERT_EQ(MWND_DATA.phase, MWND_PHASE_FADE_OUT);
    fade({&at72, &at48, &at24});
    headless::AdvanceTime(50);
    ASSERT_EQ(MWND_Run(), 1);

    ASSERT_EQ(MWND_Begin(), 1);
    ASSERT_EQ(support::OpenTestWindow(0), 1);
    headless::AdvanceTime(200);
    ASSERT_EQ(MWND_Run(), 0);
    ASSERT_EQ(MWND_DATA.phase, MWND_PHASE_RUN);
    EXPECT_EQ(support::ReadSurface(IMG_Surface(Node(0)->cover_image)), twice96);
    IMG_Free(scratch);
}

TEST_F(MwndTest, NotificationsNeverChangeTheState) {
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    W(2).name = "other";
    ASSERT_EQ(MWND_Create("other", support::TestHandler(2)), 1);
    auto tally = [] {
        std::vector<int> n;
        for (int k : {0, 1, 2}) n.push_back(CountCalls(k, MWND_REFRESH));
        return n;
    };
    MWND_Refresh(nullptr, 0);
    EXPECT_EQ(tally(), (std::vector<int>{1, 1, 1}));
    MWND_Refresh("W0", 0);
    EXPECT_EQ(tally(), (std::vector<int>{2, 2, 1}));
    MWND_Refresh("w1", 1);
    EXPECT_EQ(tally(), (std::vector<int>{2, 3, 1}));
    MWND_Refresh("w1", 0);  // not a window's name
    MWND_Refresh("nothing", 1);
    EXPECT_EQ(tally(), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(Node(0)->state, 1);
    EXPECT_EQ(Node(1)->state, 1);
    EXPECT_EQ(Node(2)->state, -4);

    MWND_SetActive("w1", 0);
    EXPECT_EQ(Node(1)->active, 0);
    EXPECT_EQ(W(1).calls.back(), std::make_pair(int32_t(MWND_DEACTIVATED), 0));
    MWND_SetActive("w1", 1);
    EXPECT_EQ(W(1).calls.back(), std::make_pair(int32_t(MWND_ACTIVATED), 0));
    // A notification sent from inside another keeps the state as it was before both.
    W(1).hook = [](int32_t state, int32_t, int32_t* answer) {
        if (state == MWND_REFRESH) MWND_SetActive("w1", 1);
        *answer = MWND_KEEP;
        return state == MWND_REFRESH;
    };
    MWND_Refresh("w1", 1);
    EXPECT_EQ(Node(1)->state, 1);
}

TEST_F(MwndTest, HandlersMayCreateAndSetResultsInsideTheManagersCalls) {
    ASSERT_EQ(MWND_Begin(), 1);
    // Creating a child inside the build stacks it on the node being built.
    W(0).hook = [](int32_t state, int32_t, int32_t*) {
        if (state == MWND_BUILD) {
            MWND_SetResult(42);
            MWND_CreateChild("w0", "w1", support::TestHandler(1));
        }
        return false;
    };
    ASSERT_EQ(support::OpenTestWindow(0), 1);
    ASSERT_NE(Node(1), nullptr);
    EXPECT_EQ(Node(0)->child, Node(1));
    EXPECT_EQ(Node(1)->parent, Node(0));
    EXPECT_EQ(MWND_SLOT_TABLE[0].top, Node(1));
    EXPECT_EQ(Node(1)->depth, 16);
    EXPECT_EQ(Node(0)->state, MWND_WAIT);  // the Activate went to the top, w1
    EXPECT_EQ(Node(1)->state, 0);
    W(0).hook = nullptr;
    // When the focus comes back the parent stacks another child at once.
    W(0).hook = [](int32_t state, int32_t, int32_t*) {
        if (state == MWND_FOCUS_BACK) support::OpenTestChild(0, 2);
        return false;
    };
    for (int i = 0; i < 20 && !State(1, 1); ++i) Frame();
    W(1).choose = true;
    for (int i = 0; i < 20 && Node(1); ++i) Frame();
    ASSERT_EQ(Node(1), nullptr);
    ASSERT_NE(Node(2), nullptr);
    EXPECT_EQ(Node(0)->child, Node(2));
    EXPECT_EQ(MWND_SLOT_TABLE[0].top, Node(2));
    EXPECT_EQ(Node(2)->depth, 16);
    // Closing everything hands out the result set in the build.
    W(0).hook = nullptr;
    W(2).close_chain = true;
    EXPECT_EQ(RunToEnd(), 42);
}

TEST_F(MwndTest, TermFreesEverythingAlsoFromInsideAHandler) {
    OwnerScene();
    const int images = ImagesInUse(), objects = ObjectsInUse();
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    ASSERT_EQ(support::OpenTestWindow(2), 1);
    MWND_Term();
    support::FreeTestWindowObjects();
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_OFF);
    for (const MWND_SLOT& s : MWND_SLOT_TABLE) EXPECT_EQ(s.used, 0);
    EXPECT_EQ(ImagesInUse(), images - 17);  // the balloon's strip and cells went as well
    EXPECT_EQ(ObjectsInUse(), objects - 17);
    EXPECT_EQ(SP_Get(owner[0])->visible, 1);  // the owner's objects are back

    MWND_Init();
    ASSERT_EQ(MWND_DATA.phase, MWND_PHASE_IDLE);
    OpenAndSettle(0);
    W(0).hook = [](int32_t state, int32_t, int32_t*) {
        if (state == 1) MWND_Term();
        return false;
    };
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(MWND_DATA.phase, MWND_PHASE_OFF);
    support::FreeTestWindowObjects();
    EXPECT_EQ(ImagesInUse(), images - 17);
    EXPECT_EQ(ObjectsInUse(), objects - 17);
}

// A thousand scenes of a window with a child: images, display objects and (under the leak
// checker) node memory all return to where they were.
TEST_F(MwndTest, AThousandScenesLeaveNothingBehind) {
    OwnerScene();
    const int images = ImagesInUse(), objects = ObjectsInUse();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        ASSERT_EQ(MWND_Begin(), 1);
        W(0).slide_frames = W(1).slide_frames = 1;
        W(0).open_child = 1;
        ASSERT_EQ(support::OpenTestWindow(0), 1);
        int32_t r = 0;
        for (int i = 0; i < 60 && !r; ++i) {
            headless::AdvanceTime(kFrameMs);
            r = MWND_Run();
            if (State(1, 1)) W(1).close_chain = true;
        }
        ASSERT_EQ(r, 1) << cycle;
        W(1).close_chain = false;
        ASSERT_EQ(ImagesInUse(), images) << cycle;
        ASSERT_EQ(ObjectsInUse(), objects) << cycle;
    }
}

// Parent darkened behind its child, both over the twice-dimmed capture, a balloon typed out.
TEST_F(MwndTest, TwoLevelSceneMatchesItsGoldenFrame) {
    OwnerScene();
    W(0).panel = RECT{40, 40, 400, 300};
    W(0).rgb = 0x3050C0;
    W(1).panel = RECT{220, 170, 600, 420};
    W(1).rgb = 0xD08020;
    OpenAndSettle(0);
    StackAndSettle(0, 1);
    // "ボタン説明" / "選択"
    MWND_TipShow(300, 200, "\x83{\x83^\x83\x93\x90\xe0\x96\xbe", "", "\x91I\x91\xf0");
    for (int i = 0; i < 12; ++i) Frame();
    EXPECT_EQ(MWND_TIP.active, 0);
    EXPECT_EQ(support::CheckGolden("shell/golden/mwnd_two_levels", DD_DISPLAY.back), "");
}
}  // namespace
