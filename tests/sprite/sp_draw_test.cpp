// Drawing: priority order, mirrored and scaled placement, the blitter every flag combination picks
// for each drawer (against the blitter called directly), hit boxes, and golden frames of a scene.
#include "display/blt_arith.h"
#include "display/blt_color.h"
#include "display/blt_level.h"
#include "platform/headless/headless.h"
#include "tests/sprite/sprite_fixture.h"
#include "tests/support/golden.h"

using namespace spritetest;

namespace {
constexpr uint16_t kRed = Rgb(31, 0, 0), kGreen = Rgb(0, 31, 0);

class Drawing : public SpriteTest {
protected:
    int set = -1;
    // Image "tile": 16 x 12 of varied colours with transparent (0) holes; image "red": solid.
    void SetUp() override {
        SpriteTest::SetUp();
        Picture("tile", 16, 12, [](int x, int y) { return (x + y) % 5 == 0 ? uint16_t(0) : Rgb(x * 2, y * 2 + 3, 31 - x); });
        Solid("red", 20, 20, kRed);
        Solid("green", 20, 20, kGreen);
        support::SprFile f;
        f.images = {"tile", "red", "green"};
        f.patterns.push_back(support::OnePart(0, 0, 16, 12, 0));
        f.patterns.push_back(support::OnePart(0, 0, 20, 20, 1));
        f.patterns[1].parts[0].dest = RECT{10, -20, 30, 0};
        f.patterns[1].hit[3] = RECT{10, -20, 30, 0};
        f.patterns.push_back(support::OnePart(0, 0, 20, 20, 2));
        f.patterns[2].parts[0].dest = RECT{10, -20, 30, 0};
        set = LoadSet("set", f);
        ASSERT_GE(set, 0);
    }
    int ImageId(int k) { return SPR_SET_TABLE[set].image_ids[k]; }
};

TEST_F(Drawing, LargerPrioritiesGoBehindAndTheLowestIdOfEqualOnesInFront) {
    SP_CreateAnim(9, 4, 100, 100, set, 1);
    SP_CreateAnim(5, 4, 100, 100, set, 2);  // same place, same priority
    SP_CreateAnim(2, 5, 105, 100, set, 1);  // behind both
    SP_CreateAnim(7, 3, 300, 300, set, 1);
    SP_SetVisible(7, 0);                    // hidden: not listed
    SP_Draw(-1);
    EXPECT_EQ(Back(115, 90), kGreen);  // id 5 in front of id 9
    EXPECT_EQ(Back(134, 90), kRed);    // id 2 shows only where the others leave it
    uint16_t list[SP_OBJECTS + 1];
    ASSERT_EQ(SP_SortByPriority(list), 3);
    EXPECT_EQ(std::vector<uint16_t>(list, list + 4), (std::vector<uint16_t>{2, 9, 5, 0xFFFF}));
    // A priority of 0 or more draws only that priority, from the highest id down.
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(5);
    EXPECT_EQ(Back(112, 90), 0);
    EXPECT_EQ(Back(134, 90), kRed);
    SP_Draw(4);
    EXPECT_EQ(Back(112, 90), kGreen);
}

// Part destination (10, -20, 30, 0) at anchor (100, 100).
TEST_F(Drawing, PartsAreMirroredAboutTheAnchorAndScaledWithArithmeticShifts) {
    const struct {
        uint32_t flags;
        int sx, sy, lift;
        RECT box;
    } cases[] = {
        {0, 256, 256, 0, {110, 80, 130, 100}},
        {SP_FLIP_LR, 256, 256, 0, {70, 80, 90, 100}},
        {SP_FLIP_LR, 512, 256, 0, {40, 80, 80, 100}},
        {SP_FLIP_UD, 256, 256, 0, {110, 100, 130, 120}},
        {0, 256, 384, 5, {110, 65, 130, 95}},            // -20 x 1.5 = -30; lifted 5
        {SP_FLIP_LR, 200, 256, 0, {76, 80, 91, 100}},    // (-30 x 200) >> 8 = -24 (floor of -23.4)
        {SP_FLIP_LR | SP_OPAQUE, 256, 256, 0, {70, 80, 90, 100}},  // blend bits do not stop the move
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " scale " << c.sx << "/" << c.sy);
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SP_CreateAnim(0, 0, 100, 100, set, 1);
        SP_ANIM* o = SP_Anim(0);
        o->flags = c.flags;
        o->scale_x = uint16_t(c.sx);
        o->scale_y = uint16_t(c.sy);
        o->lift = int16_t(c.lift);
        SP_Draw(-1);
        EXPECT_EQ(BoxOf(kRed), c.box);
    }
    // The draw offset moves everything; the pattern's own flip bits mirror like the object's.
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_SetDrawOffset(-50, 7);
    SPR_PATTERN_TABLE[set][1].flip = SP_FLIP_LR;
    SP_CreateAnim(0, 0, 100, 100, set, 1);
    SP_Draw(-1);
    EXPECT_EQ(BoxOf(kRed), (RECT{20, 87, 40, 107}));
}

// A damaged file's part rectangles at the ends of the 32-bit range, mirrored and scaled, with
// the draw offset there too: every sum and product wraps as 32-bit arithmetic does.
TEST_F(Drawing, ExtremePartRectanglesWrapAsThirtyTwoBitSums) {
    constexpr int32_t lo = INT32_MIN, hi = INT32_MAX;
    const struct {
        RECT dest;
        uint32_t flags;
        int scale;
        RECT box;
    } cases[] = {
        {{lo, lo, hi, hi}, 0, 256, {640, 480, -1, -1}},             // width wraps to -1: nothing
        {{lo, lo, lo + 20, lo + 20}, 0, 512, {100, 100, 140, 140}},  // 2 x min wraps to 0
        {{lo, lo, lo + 20, lo + 20}, SP_FLIP_LR, 512, {60, 100, 100, 140}},
        {{hi - 50, hi - 50, hi, hi}, 0, 512, {0, 0, 98, 98}},        // 2 x (max - 50) wraps to -102
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dest.left << " flags " << c.flags << " scale " << c.scale);
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SPR_PATTERN_TABLE[set][1].parts[0].dest = c.dest;
        SP_CreateAnim(0, 0, 100, 100, set, 1);
        SP_Anim(0)->flags = c.flags;
        SP_Anim(0)->scale_x = SP_Anim(0)->scale_y = uint16_t(c.scale);
        SP_Draw(-1);
        EXPECT_EQ(BoxOf(kRed), c.box);
    }
    const RECT dests[] = {{lo, lo, hi, hi}, {hi, 0, lo, 20}, {lo, hi, hi, lo}};
    for (const RECT& d : dests) {
        SPR_PATTERN_TABLE[set][1].parts[0].dest = d;
        for (uint32_t flags : {0u, uint32_t(SP_FLIP_LR | SP_FLIP_UD)})
            for (int scale : {256, 65535}) {
                SP_CreateAnim(0, 0, -32768, 32767, set, 1);
                SP_Anim(0)->flags = flags;
                SP_Anim(0)->scale_x = SP_Anim(0)->scale_y = uint16_t(scale);
                SP_Anim(0)->lift = -32768;
                SP_Draw(-1);
            }
    }
    SP_Free(0);
    // A still object under an offset at the ends of the range; a pattern at (max, min) with its
    // part at (min, min) lands at (-1, 0).
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_SetDrawOffset(hi, lo);
    ASSERT_EQ(SP_CreateStill(1, 0, 100, 100, ImageId(1), nullptr), 1);
    SP_Draw(-1);
    SP_SetDrawOffset(0, 0);
    EXPECT_EQ(BoxOf(kRed), (RECT{640, 480, -1, -1}));
    SPR_PATTERN_TABLE[set][1].parts[0].dest = dests[0];
    SPR_DrawPattern(DD_DISPLAY.back, hi, lo, set, 1, 0, 0, 0);
    EXPECT_EQ(BoxOf(kRed), (RECT{0, 0, 19, 20}));
}

TEST_F(Drawing, HitBoxesMirrorByTheObjectScaleAndIgnoreTheLift) {
    SP_CreateAnim(0, 0, 100, 100, set, 1);
    SP_ANIM* o = SP_Anim(0);
    o->flags = SP_FLIP_LR;
    o->lift = 40;
    RECT r;
    ASSERT_EQ(SP_GetHitBox(0, 3, &r), 1);
    EXPECT_EQ(r, (RECT{-30, -20, -10, 0}));
    SP_SetDrawOffset(3, 4);
    ASSERT_EQ(SP_GetHitBoxScreen(0, 3, &r), 1);
    EXPECT_EQ(r, (RECT{73, 84, 93, 104}));
    o->scale_x = 512;
    o->scale_y = 128;
    o->flags = SP_FLIP_UD;
    SP_GetHitBox(0, 3, &r);
    EXPECT_EQ(r, (RECT{20, 0, 60, 10}));  // up-down: (-0, 20) halved
    // Part rectangles mirror by the pattern's flip only; still rectangles by the object's flags.
    SPR_PATTERN_TABLE[set][1].flip = SP_FLIP_LR;
    ASSERT_EQ(SP_GetPartRect(0, 0, &r), 1);
    EXPECT_EQ(r, (RECT{-60, -10, -20, 0}));
    EXPECT_EQ(SP_GetPartRect(0, 1, &r), 0);
    EXPECT_EQ(SP_GetHitBox(0, 16, &r), 0);
    EXPECT_EQ(SP_GetHitBox(1, 0, &r), 0);
    const RECT src{4, 2, 14, 12};
    SP_CreateStill(1, 0, 0, 0, ImageId(0), &src);
    SP_SetFlags(1, SP_FLIP_LR);
    ASSERT_EQ(SP_GetStillRect(1, &r), 1);
    EXPECT_EQ(r, (RECT{-14, 2, -4, 12}));
}

// Boxes at the ends of the 32-bit range, as a damaged file may hold them, wrap as 32-bit sums do:
// a mirrored (l, r) is still (-r, -l), and the screen box is the box plus the position.
TEST_F(Drawing, ExtremeHitBoxesWrapLikeThirtyTwoBitSums) {
    constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
    const struct {
        RECT box;
        uint32_t flags;
        int32_t x, offset_x;
        RECT hit, screen;
    } cases[] = {
        {{kMin, 0, 2048, 10}, SP_FLIP_LR, 100, 0, {-2048, 0, kMin, 10}, {-1948, 100, kMin + 100, 110}},
        {{0, kMin, 10, 2048}, SP_FLIP_UD, 100, 0, {0, -2048, 10, kMin}, {100, -1948, 110, kMin + 100}},
        {{kMax - 3, -5, kMax, 5}, 0, 20, 0, {kMax - 3, -5, kMax, 5}, {kMin + 16, 95, kMin + 19, 105}},
        {{kMin, -5, kMax, 5}, 0, 0, 0, {kMin, -5, kMax, 5}, {kMin, 95, kMax, 105}},
        {{10, -20, 30, 0}, 0, 100, kMax, {10, -20, 30, 0}, {kMin + 109, 80, kMin + 129, 100}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.box.left << " " << k.box.top << " " << k.box.right << " " << k.box.bottom);
        SPR_PATTERN_TABLE[set][1].hit[3] = k.box;
        SP_CreateAnim(0, 0, k.x, 100, set, 1);
        SP_SetFlags(0, k.flags);
        SP_SetDrawOffset(k.offset_x, 0);
        RECT r;
        ASSERT_EQ(SP_GetHitBox(0, 3, &r), 1);
        EXPECT_EQ(r, k.hit);
        ASSERT_EQ(SP_GetHitBoxScreen(0, 3, &r), 1);
        EXPECT_EQ(r, k.screen);
    }
}

// Masks of the boxes holding a point (right and bottom exclusive) or overlapping a rectangle
// (strictly), for the mirrored box (-30, -20, -10, 0) and box 0 at (-40, -30, -25, -15).
TEST_F(Drawing, HitMasksNameEveryBoxAPointOrRectangleTouches) {
    SP_CreateAnim(0, 0, 100, 100, set, 1);
    SP_SetFlags(0, SP_FLIP_LR);
    SPR_PATTERN_TABLE[set][1].hit[0] = RECT{25, -30, 40, -15};
    const struct {
        int32_t x, y;
        int mask;
    } points[] = {
        {-30, -20, 0x9}, {-11, -1, 0x8}, {-10, -5, 0}, {-20, 0, 0}, {-31, -20, 0x1},
        {-40, -30, 0x1}, {-26, -16, 0x9}, {-25, -16, 0x8}, {0, 0, 0},
    };
    for (const auto& p : points) EXPECT_EQ(SP_HitPoint(0, p.x, p.y), p.mask) << p.x << ", " << p.y;
    const struct {
        RECT r;
        int mask;
    } rects[] = {
        {{-10, -20, 0, 0}, 0},       // touching the right edge is no overlap
        {{-11, -1, -10, 0}, 0x8},    // one pixel inside
        {{-60, -60, -5, -5}, 0x9},   // around both
        {{-50, -50, -40, -30}, 0},   // touching a corner
        {{-26, -16, -24, -14}, 0x9},
        {{-1, -1, 1, 1}, 0xFFF6},    // the unused boxes, empty at the anchor, lie strictly inside
    };
    for (const auto& c : rects) EXPECT_EQ(SP_HitRect(0, &c.r), c.mask) << c.r;
    EXPECT_EQ(SP_HitRect(0, nullptr), 0);
    SP_CreateStill(1, 0, 0, 0, ImageId(0), nullptr);
    EXPECT_EQ(SP_HitPoint(1, 0, 0) + SP_HitPoint(2, 0, 0) + SP_HitPoint(-1, 0, 0), 0);
}

// One object drawn alone, into the render target or into an image, which is then left as it was.
TEST_F(Drawing, OneObjectDrawsIntoTheTargetOrAnImage) {
    SP_CreateAnim(0, 0, 100, 100, set, 1);
    SP_CreateAnim(1, 0, 300, 300, set, 1);
    const int image = IMG_Create(160, 120, 0);
    ASSERT_EQ(SP_DrawOne(0, image), 1);
    EXPECT_EQ(SP_RENDER_TARGET, &DD_DISPLAY.back);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 110, 80), kRed);
    EXPECT_EQ(BoxOf(kRed).right, -1);  // nothing on the screen, object 1 not drawn
    ASSERT_EQ(SP_DrawOne(0, -1), 1);
    EXPECT_EQ(BoxOf(kRed), (RECT{110, 80, 130, 100}));
    SP_SetVisible(1, 0);
    EXPECT_EQ(SP_DrawOne(1, -1) + SP_DrawOne(2, -1) + SP_DrawOne(0, 250), 0);
}

// A layer: a screen-sized image under a still object of its own, which objects naming the layer
// draw into, faded by the clock.
TEST_F(Drawing, LayersCollectTheirObjectsAndFadeByTheClock) {
    headless::SetTime(1000);
    SP_CreateAnim(0, 5, 100, 100, set, 1);
    ASSERT_EQ(SP_SetLayer(0, 2), 1);
    ASSERT_EQ(SP_LayerCreate(2, 20, 1, 100), 1);
    EXPECT_EQ(SP_LayerCreate(2, 20, 1, 100) + SP_LayerCreate(16, 20, 1, 100) + SP_LayerCreate(-1, 20, 1, 100), 0);
    const SP_LAYER& l = SP_LAYER_TABLE[2];
    ASSERT_EQ(l.sprite, 1u);  // the lowest free id
    const SP_STILL* cover = SP_Still(1);
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(cover->flags, SP_ALPHA);
    EXPECT_EQ(cover->priority, 20);
    EXPECT_EQ(cover->width * 1000 + cover->height, 640480);
    EXPECT_EQ(cover->blend, 0);  // fading in from nothing
    EXPECT_EQ(l.level, 128);
    SP_Draw(-1);  // the cover, still clear, then the object into the layer's image
    EXPECT_EQ(BoxOf(kRed).right, -1);
    EXPECT_EQ(support::PixelAt(IMG_Surface(int(l.image)), 110, 80), kRed);
    SP_SetLayer(0, 3);  // a layer not in use: the screen
    SP_Draw(-1);
    EXPECT_EQ(BoxOf(kRed), (RECT{110, 80, 130, 100}));

    // Levels after 50 and 200 ms for each fade mode over 100 ms.
    const struct {
        int mode, at50, at200;
    } fades[] = {{0, 16, 0}, {1, 15, 62}, {2, 46, 93}, {3, 31, 124}};
    for (const auto& f : fades) {
        SP_LayerDelete(2);
        headless::SetTime(5000);
        ASSERT_EQ(SP_LayerCreate(2, 20, f.mode, 100), 1);
        headless::AdvanceTime(50);
        SP_Update();
        EXPECT_EQ(SP_Still(int(l.sprite))->blend, f.at50) << f.mode;
        headless::AdvanceTime(150);
        SP_LayerFadeUpdate();
        EXPECT_EQ(SP_Still(int(l.sprite))->blend, f.at200) << f.mode;
    }
    // Layer 0 takes every object that names no other, but never its own cover.
    SP_LayerDelete(2);
    SP_SetLayer(0, 0);
    ASSERT_EQ(SP_LayerCreate(0, 20, 2, 0), 1);
    BLT_FillRect(IMG_Surface(int(SP_LAYER_TABLE[0].image)), nullptr, kGreen);
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    EXPECT_EQ(Back(5, 5), kGreen);     // the cover, opaque, on the screen
    EXPECT_EQ(Back(110, 80), kGreen);  // object 0 went into the image after the cover was drawn
    EXPECT_EQ(support::PixelAt(IMG_Surface(int(SP_LAYER_TABLE[0].image)), 110, 80), kRed);
    // Deleting a layer frees its object and image; a reset of the layers or the objects deletes all.
    const int cover_id = int(SP_LAYER_TABLE[0].sprite), cover_image = int(SP_LAYER_TABLE[0].image);
    ASSERT_EQ(SP_LayerDelete(0), 1);
    EXPECT_EQ(SP_LayerDelete(0), 0);
    EXPECT_EQ(SP_IsUsed(cover_id) + IMG_TABLE[cover_image].count, 0);
    ASSERT_EQ(SP_LayerCreate(4, 1, 0, 10), 1);
    SP_LayerResetAll();
    EXPECT_EQ(SP_LAYER_TABLE[4].used, 0);
    ASSERT_EQ(SP_LayerCreate(7, 1, 0, 10), 1);
    const int image = int(SP_LAYER_TABLE[7].image);
    SP_Reset();
    EXPECT_EQ(SP_LAYER_TABLE[7].used + IMG_TABLE[image].count, 0);
}

// The blitter each flag combination selects, checked against the same blitter called directly.
TEST_F(Drawing, FlagsPickTheirBlitterForEachDrawer) {
    enum : unsigned { A = 1, S = 2, P = 4 };  // animated, still, pattern drawer
    struct Call {
        DDSurface *d, *s;
        int32_t x, y;
        RECT dr, sr;
        int32_t level, param;
    };
    using Fn = void (*)(Call&);
    const struct {
        const char* name;
        unsigned who;
        uint32_t flags;
        uint16_t part_flags;
        bool scaled;
        uint16_t level, param;
        Fn expect;
    } cases[] = {
        {"colour mix", A | P, 0x104, 0, false, 0x5A5, 0, [](Call& c) { BLT_MixColor(c.d, c.x, c.y, c.s, &c.sr, 0x5A5, 0); }},
        {"colour mix scaled", A, 0x104, 0, true, 0x5A5, 0, [](Call& c) { BLT_MixColorStretch(c.d, &c.dr, c.s, &c.sr, 0x5A5, 0); }},
        {"still: mix", S, 0x104, 0, false, 0x5A5, 0, [](Call& c) { BLT_Mix(c.d, c.x, c.y, c.s, &c.sr, 0, 1); }},
        {"mix scaled", A | S, 0x4, 0, true, 9, 0, [](Call& c) { BLT_MixStretch(c.d, &c.dr, c.s, &c.sr, 0, 1); }},
        {"mix before add", A | S, 0xC, 0, false, 9, 0, [](Call& c) { BLT_Mix(c.d, c.x, c.y, c.s, &c.sr, 0, 1); }},
        {"add", A | S | P, 0x8, 0, false, 9, 0, [](Call& c) { BLT_Add(c.d, c.x, c.y, c.s, &c.sr, 0, 1); }},
        {"sub quarter", A | S | P, 0x2000, 0, false, 9, 0, [](Call& c) { BLT_SubQuarter(c.d, c.x, c.y, c.s, &c.sr, 0, 1); }},
        {"alpha at twice the level", A | S | P, 0x20, 0, false, 9, 0, [](Call& c) { BLT_Alpha(c.d, c.x, c.y, c.s, &c.sr, 18, 0, 1); }},
        {"stipple when scaled", A | S, 0x20, 0, true, 9, 0, [](Call& c) { BLT_StippleStretch(c.d, &c.dr, c.s, &c.sr, 9, 0, 1); }},
        {"alpha mirrored", S, 0x41, 0, false, 9, 0, [](Call& c) { BLT_Alpha(c.d, c.x, c.y, c.s, &c.sr, 9, 1, 1); }},
        {"alpha scaled", A | S, 0x40, 0, true, 9, 0, [](Call& c) { BLT_AlphaStretch(c.d, &c.dr, c.s, &c.sr, 9, 0, 1); }},
        {"add level", A | S, 0x80, 0, false, 20, 0, [](Call& c) { BLT_AddLevel(c.d, c.x, c.y, c.s, &c.sr, 20, 0, 1); }},
        {"silhouette", A | S | P, 0x100, 0, false, 0x3E0, 0, [](Call& c) { BLT_Silhouette(c.d, c.x, c.y, c.s, &c.sr, 0x3E0, 0); }},
        {"whiten", A | S, 0x200, 0, false, 12, 0, [](Call& c) { BLT_Whiten(c.d, c.x, c.y, c.s, &c.sr, 12, 0, 1); }},
        {"brightness when scaled", A | S, 0x200, 0, true, 40, 0, [](Call& c) { BLT_BrightnessStretch(c.d, &c.dr, c.s, &c.sr, 40, 0, 1); }},
        {"still: mirrored copy", S, 0x3, 0, false, 0, 0, [](Call& c) { BLT_BltFx(c.d, c.x, c.y, c.s, &c.sr, 3, 1); }},
        {"mirrored and scaled: keyed stretch", S, 0x1, 0, true, 0, 0, [](Call& c) { BLT_StretchBlt(c.d, &c.dr, c.s, &c.sr, 1, 1); }},
        {"pattern: mirror bits alone copy unmirrored", P, 0x1, 0, false, 0, 0, [](Call& c) { BLT_Blt(c.d, c.x, c.y, c.s, &c.sr, 1); }},
        {"opaque", A | S | P, 0x4000, 0, false, 0, 0, [](Call& c) { BLT_Blt(c.d, c.x, c.y, c.s, &c.sr, 0); }},
        {"dim keyed", A | S, 0x8000, 0, false, 10, 0, [](Call& c) { BLT_Dim(c.d, c.x, c.y, c.s, &c.sr, 10, 0, 1); }},
        {"dim with a parameter: unkeyed", A | S, 0x8000, 0, false, 10, 3, [](Call& c) { BLT_Dim(c.d, c.x, c.y, c.s, &c.sr, 10, 0, 0); }},
        {"dim scaled", A | S, 0x8000, 0, true, 10, 0, [](Call& c) { BLT_DimStretch(c.d, &c.dr, c.s, &c.sr, 10, 0); }},
        {"tint", A | S | P, 0x10000, 0, false, 0x140D, 40, [](Call& c) { BLT_TintRGB(c.d, c.x, c.y, c.s, &c.sr, 13, 20, 40, 0, 1); }},
        {"see-through per channel", A | S, 0x20000, 0, true, 0x140D, 25, [](Call& c) { BLT_AlphaRGBStretch(c.d, &c.dr, c.s, &c.sr, 13, 20, 25, 0, 1); }},
        {"keyed copy", A | S | P, 0, 0, false, 0, 0, [](Call& c) { BLT_Blt(c.d, c.x, c.y, c.s, &c.sr, 1); }},
        {"keyed stretch", A | S, 0, 0, true, 0, 0, [](Call& c) { BLT_StretchBlt(c.d, &c.dr, c.s, &c.sr, 0, 1); }},
        // Parts: their blend bits count only while the object has none; mirror bits always combine.
        {"part's alpha with the object's level", A, 0, 0x40, false, 9, 0, [](Call& c) { BLT_Alpha(c.d, c.x, c.y, c.s, &c.sr, 9, 0, 1); }},
        {"object's add over the part's alpha", A, 0x8, 0x40, false, 9, 0, [](Call& c) { BLT_Add(c.d, c.x, c.y, c.s, &c.sr, 0, 1); }},
        {"part mirrored in place", A, 0, 0x41, false, 9, 0, [](Call& c) { BLT_Alpha(c.d, c.x, c.y, c.s, &c.sr, 9, 1, 1); }},
        {"part and object mirrors cancel", A, 0x8001, 0x1, false, 10, 0, [](Call& c) {
             c.x -= 16;  // the object's mirror moves the part; the pixels flip twice
             BLT_Dim(c.d, c.x, c.y, c.s, &c.sr, 10, 0, 1);
         }},
    };
    const RECT sr{0, 0, 16, 12};
    DDSurface* ref = support::MakeSurface(64, 40);
    DDSurface* out = support::MakeSurface(64, 40);
    auto background = [](DDSurface* s) {
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 64; ++x) support::SetPixel(s, x, y, Rgb(x / 2, (y * 3) % 32, 16));
    };
    SP_SetRenderTarget(&out);
    for (const auto& c : cases) {
        for (unsigned who : {unsigned(A), unsigned(S), unsigned(P)}) {
            if (!(c.who & who)) continue;
            SCOPED_TRACE(testing::Message() << c.name << (who == A ? " (animated)" : who == S ? " (still)" : " (pattern)"));
            background(ref);
            background(out);
            const auto before = support::ReadSurface(out);
            Call call{ref, IMG_Surface(ImageId(0)), 20, 10, RECT{20, 10, 44, 22}, sr, c.level, c.param};
            c.expect(call);
            SPR_PATTERN_TABLE[set][0].parts[0].flags = c.part_flags;
            if (who == P) {
                SPR_DrawPattern(out, 20, 10, set, 0, c.flags, c.level, c.param);
            } else {
                if (who == A) SP_CreateAnim(0, 0, 20, 10, set, 0);
                if (who == S) SP_CreateStill(0, 0, 20, 10, ImageId(0), &sr);
                SP_SetFlags(0, c.flags);
                SP_SetBlend(0, c.level);
                SP_SetBlendParam(0, c.param);
                if (c.scaled) SP_SetScale(0, 384, 256);  // 16 x 12 into 24 x 12
                SP_Draw(-1);
                SP_Delete(0);
            }
            EXPECT_EQ(support::ReadSurface(out), support::ReadSurface(ref));
            EXPECT_NE(support::ReadSurface(out), before);
        }
    }
    SPR_PATTERN_TABLE[set][0].parts[0].flags = 0;
    // A still drawn at another size than its source is stretched even at scale 256.
    background(ref);
    background(out);
    SP_CreateStill(0, 0, 20, 10, ImageId(0), &sr);
    SP_Still(0)->width = 24;
    SP_Draw(-1);
    RECT dr{20, 10, 44, 22};
    BLT_StretchBlt(ref, &dr, IMG_Surface(ImageId(0)), &sr, 0, 1);
    EXPECT_EQ(support::ReadSurface(out), support::ReadSurface(ref));
    SP_SetRenderTarget(&DD_DISPLAY.back);
    DD_ReleaseSurface(ref);
    DD_ReleaseSurface(out);
}

TEST_F(Drawing, NothingIsDrawnForHiddenObjectsMissingImagesOrAMissingTarget) {
    SP_CreateAnim(0, 0, 100, 100, set, 1);
    SP_SetVisible(0, 0);
    EXPECT_EQ(SP_DrawAnim(0), 0);
    SP_SetVisible(0, 1);
    SPR_PATTERN_TABLE[set][1].parts[0].image = SPR_NO_IMAGE;  // as when the picture failed to load
    EXPECT_EQ(SP_DrawAnim(0) * 10 + SP_DrawStill(0), 10);
    EXPECT_EQ(BoxOf(kRed).right, -1);
    SP_RENDER_TARGET = nullptr;
    EXPECT_EQ(SP_DrawAnim(0), 0);
}

// A scene of animated, mirrored, scaled and blended objects over a background, at its first frame
// and after some ticks, compared with the checked-in frames (ORV_UPDATE_GOLDEN=1 rewrites them).
using SpriteScene = SpriteTest;

TEST_F(SpriteScene, MatchesItsGoldenFrames) {
    // A mech-like figure (body disc, barrel, dark outline), three flame frames and a background.
    Picture("mech", 48, 48, [](int x, int y) -> uint16_t {
        const int dx = x - 24, dy = y - 28, d = dx * dx + dy * dy;
        if (y >= 20 && y < 26 && x >= 30) return Rgb(20, 20, 22);
        return d < 200 ? Rgb(8 + y / 3, 12 + x / 4, 28 - y / 2) : d < 260 ? Rgb(4, 4, 10) : 0;
    });
    Picture("flame", 96, 16, [](int x, int y) -> uint16_t {
        const int f = x / 32, dx = x % 32 - 16, dy = y - 8, r = 6 + 2 * f;
        return dx * dx + dy * dy * 4 < r * r ? Rgb(31, 12 + 6 * f, 3) : 0;
    });
    const std::string back = Picture("back", 640, 480, [](int x, int y) { return Rgb(x / 40, (y / 16) % 32, 8 + ((x / 32 + y / 32) % 2) * 6); });
    support::SprFile f;
    f.images = {"mech", "flame"};
    for (int k = 0; k < 3; ++k) {
        support::SprPattern p;
        p.parts.push_back({0, RECT{-24, -48, 24, 0}, RECT{0, 0, 48, 48}, 0});
        p.parts.push_back({1, RECT{20, -30, 52, -14}, RECT{32 * k, 0, 32 * k + 32, 16}, uint16_t(k == 2 ? 0x400 : 0)});
        f.patterns.push_back(p);
    }
    f.seqs[0] = {{0, 1}, {1, 1}, {2, 2}};
    ASSERT_EQ(LoadSet("mech", f), 0);
    SP_CreateStill(0, 100, 0, 0, IMG_Load(back.c_str(), 0), nullptr);
    const struct {
        int x, y;
        uint32_t flags;
        int sx, sy, blend, param;
    } objects[] = {
        {80, 120, 0, 256, 256, 0, 0},                  {200, 120, SP_FLIP_LR, 256, 256, 0, 0},
        {320, 120, SP_FLIP_UD, 256, 256, 0, 0},        {440, 120, 0, 512, 512, 0, 0},
        {560, 120, SP_FLIP_LR, 192, 384, 0, 0},        {80, 260, SP_MIX, 256, 256, 0, 0},
        {200, 260, SP_ADD, 256, 256, 0, 0},            {320, 260, SP_SUB | SP_FLIP_LR, 256, 256, 0, 0},
        {440, 260, SP_ALPHA, 256, 256, 12, 0},         {560, 260, SP_ALPHA2, 384, 384, 16, 0},
        {80, 400, SP_SILHOUETTE, 256, 256, Rgb(31, 31, 0), 0}, {200, 400, SP_TINT_RGB, 320, 256, 0x0A1F, 8},
        {320, 400, SP_WHITEN, 256, 256, 20, 0},        {440, 400, SP_DIM, 256, 256, 12, 0},
        {560, 400, SP_ADD_LEVEL | SP_FLIP_UD, 256, 200, 24, 0},
    };
    int id = 1;
    for (const auto& o : objects) {
        ASSERT_EQ(SP_CreateAnim(id, 10, o.x, o.y, 0, 0), 1);
        SP_ANIM* a = SP_Anim(id);
        a->flags = o.flags;
        a->scale_x = uint16_t(o.sx);
        a->scale_y = uint16_t(o.sy);
        a->blend = uint16_t(o.blend);
        a->blend_param = uint16_t(o.param);
        SP_PlaySeq(id, 0, 1, 1);
        for (int k = 0; k < id % 3; ++k) SP_Update();  // each object at its own phase
        ++id;
    }
    // A still picture stretched and blended over the others, in front.
    const RECT strip{0, 0, 96, 16};
    SP_CreateStill(id, 0, 250, 440, SPR_SET_TABLE[0].image_ids[1], &strip);
    SP_SetScale(id, 512, 256);
    SP_SetFlags(id, SP_ADD_HALF);
    SP_Draw(-1);
    EXPECT_EQ(support::CheckGolden("sprite/golden/scene_0", DD_DISPLAY.back), "");
    for (int k = 0; k < 5; ++k) SP_Update();
    SP_Draw(-1);
    EXPECT_EQ(support::CheckGolden("sprite/golden/scene_5", DD_DISPLAY.back), "");
}
}  // namespace
