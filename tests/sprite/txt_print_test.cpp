// Text rendering: pixel placement of every style in both sizes, outlines, gradients, colours,
// font selection with the ruby rule, clipping and the refusals of TXT_Print.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "sprite/img_table.h"
#include "tests/support/golden.h"
#include "tests/sprite/font_fixture.h"

namespace {
using fonttest::Lines;
using fonttest::Load;

constexpr uint16_t T = 0x1111, S = 0x2222;  // text and shadow colours
using Ink = std::map<std::pair<int, int>, uint16_t>;

// The non-zero pixels of a surface.
Ink InkOf(DDSurface* s) {
    Ink ink;
    const std::vector<uint16_t> px = support::ReadSurface(s);
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x)
            if (uint16_t v = px[size_t(y) * s->Width() + x]) ink[{x, y}] = v;
    return ink;
}

// Pixels relative to a pen at (ox, oy).
Ink At(int ox, int oy, std::initializer_list<std::pair<std::pair<int, int>, uint16_t>> pixels) {
    Ink ink;
    for (const auto& [p, c] : pixels) ink[{ox + p.first, oy + p.second}] = c;
    return ink;
}

// A 10 x 10 font whose full-width glyph 0 (code 0x8140) holds the given ink pixels, loaded into
// slot 0 and current, with one text colour and a shadow colour.
class TextTest : public fonttest::FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        surface_ = support::MakeSurface(64, 48);
        ASSERT_NE(surface_, nullptr);
        TXT_SetColor(T, T, S);
    }
    void TearDown() override {
        DD_ReleaseSurface(surface_);
        DD_CLIP_RECT = saved_clip_;
        FontTest::TearDown();
    }
    void UseGlyph(std::initializer_list<std::pair<int, int>> ink, uint16_t w = 10, uint16_t h = 10) {
        support::Font f = support::MakeFont(w, h);
        for (auto [x, y] : ink) support::SetInk(f, true, 0, x, y);
        ASSERT_EQ(Load(0, f), 1);
        FNT_Select(0);
    }
    void Clear() { BLT_FillRect(surface_, nullptr, 0); }
    Ink Print(int32_t x, int32_t y, const char* text, int style, int dbl = 0) {
        Clear();
        TXT_SetFont(-1, style, dbl);
        EXPECT_EQ(TXT_Print(surface_, x, y, "%s", text), 1);
        return InkOf(surface_);
    }
    DDSurface* surface_ = nullptr;
    RECT saved_clip_ = DD_CLIP_RECT;
};

const char kSquare[] = "\x81\x40";  // full-width glyph 0

TEST_F(TextTest, EachStylePlacesInkAndShadowAroundOnePixel) {
    UseGlyph({{3, 0}});
    struct Case {
        int style;
        Ink want;
    };
    const Case cases[] = {
        {0, At(10, 10, {{{3, 0}, T}})},
        {1, At(10, 10, {{{3, 0}, T}, {{4, 0}, T}})},
        {2, At(10, 10, {{{4, 1}, S}, {{3, 0}, T}})},
        {3, At(10, 10, {{{4, 1}, S}, {{2, 0}, T}, {{3, 0}, T}})},
        {7, At(10, 10, {{{3, 0}, T}})},
        {-5 + 10, At(10, 10, {{{3, 0}, T}})},
    };
    for (const Case& c : cases) EXPECT_EQ(Print(10, 10, kSquare, c.style), c.want) << "style " << c.style;
    // The pen advance is the glyph's cell in every style: a second glyph lands 10 pixels on.
    for (int style = 0; style <= 4; ++style) {
        Ink one = Print(10, 10, kSquare, style), two = Print(10, 10, "\x81\x40\x81\x40", style);
        for (const auto& [p, c] : one) EXPECT_EQ(two[std::make_pair(p.first + 10, p.second)], c) << "style " << style;
        EXPECT_EQ(two.size(), 2 * one.size()) << "style " << style;
    }
}

TEST_F(TextTest, ShadowPassesLieUnderTheWholeText) {
    // The shadow of (3,0) falls on the ink at (4,1): the text pass, drawn second, keeps it.
    UseGlyph({{3, 0}, {4, 1}});
    EXPECT_EQ(Print(0, 0, kSquare, 2), At(0, 0, {{{3, 0}, T}, {{4, 1}, T}, {{5, 2}, S}}));
    EXPECT_EQ(Print(0, 0, kSquare, 3),
              At(0, 0, {{{2, 0}, T}, {{3, 0}, T}, {{3, 1}, T}, {{4, 1}, T}, {{5, 2}, S}}));
    // Over two glyphs the first glyph's text is never covered by the second glyph's shadow.
    UseGlyph({{9, 9}, {0, 0}});
    Ink two = Print(0, 0, "\x81\x40\x81\x40", 2);
    EXPECT_EQ(two[std::make_pair(10, 10)], S);
    EXPECT_EQ(two[std::make_pair(10, 0)], T);
}

TEST_F(TextTest, OutlineMasksSingleSize) {
    // Inside the glyph: the four neighbours; on the top row no right neighbour.
    UseGlyph({{1, 1}});
    EXPECT_EQ(Print(10, 10, kSquare, 4), At(10, 10, {{{0, 1}, S}, {{2, 1}, S}, {{1, 0}, S}, {{1, 2}, S}, {{1, 1}, T}}));
    UseGlyph({{1, 0}});
    EXPECT_EQ(Print(10, 10, kSquare, 4), At(10, 10, {{{0, 0}, S}, {{1, -1}, S}, {{1, 1}, S}, {{1, 0}, T}}));
    // At the surface's corner the outline loses its left column and top row.
    UseGlyph({{0, 0}, {0, 1}});
    EXPECT_EQ(Print(0, 0, kSquare, 4), At(0, 0, {{{0, 0}, T}, {{0, 1}, T}, {{1, 1}, S}, {{0, 2}, S}}));
    // The last column of a 30-pixel glyph reaches work column 31 and still shows.
    UseGlyph({{29, 5}}, 30, 30);
    Ink wide = Print(0, 0, kSquare, 4);
    EXPECT_EQ(wide[std::make_pair(30, 5)], S);
    EXPECT_EQ(wide[std::make_pair(29, 5)], T);
}

TEST_F(TextTest, DoubleSizeDrawsTwoByTwoBlocks) {
    // Outline: the ring x-1..x+2 around the block x..x+1.
    UseGlyph({{0, 0}});
    Ink want;
    for (int y = -1; y <= 2; ++y)
        for (int x = -1; x <= 2; ++x) want[{10 + x, 10 + y}] = (x >= 0 && x <= 1 && y >= 0 && y <= 1) ? T : S;
    EXPECT_EQ(Print(10, 10, kSquare, 4, 1), want);
    // Bold and shadow doubled; style 3's shadow moves two pixels right, one down.
    UseGlyph({{3, 0}});
    EXPECT_EQ(Print(10, 10, kSquare, 1, 1), At(10, 10, {{{6, 0}, T}, {{7, 0}, T}, {{8, 0}, T}, {{9, 0}, T},
                                                         {{6, 1}, T}, {{7, 1}, T}, {{8, 1}, T}, {{9, 1}, T}}));
    Ink shadowed = Print(10, 10, kSquare, 3, 1);
    EXPECT_EQ(shadowed, At(10, 10, {{{5, 0}, T}, {{6, 0}, T}, {{7, 0}, T}, {{8, 0}, T},  // bold, one left
                                    {{5, 1}, T}, {{6, 1}, T}, {{7, 1}, T}, {{8, 1}, T},
                                    {{9, 1}, S}, {{8, 2}, S}, {{9, 2}, S}}));  // shadow two right, one down

    // A half-width glyph of a 10-pixel font covers 10 x 20 and advances 10.
    support::Font f = support::MakeFont(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 5; ++x) support::SetInk(f, false, 33, x, y);
    ASSERT_EQ(Load(0, f), 1);
    Ink a = Print(0, 0, "AA", 0, 1);
    EXPECT_EQ(a.size(), 2u * 10 * 20);
    EXPECT_EQ(a.count({19, 19}), 1u);
    EXPECT_EQ(a.count({20, 0}), 0u);
}

TEST_F(TextTest, DoubleSizePairsFromTheRightAndBottomOfTheClippedArea) {
    UseGlyph({{1, 1}});
    // Unclipped: source pixel 1 covers x+2..x+3, y+2..y+3.
    EXPECT_EQ(Print(10, 10, kSquare, 0, 1), At(10, 10, {{{2, 2}, T}, {{3, 2}, T}, {{2, 3}, T}, {{3, 3}, T}}));
    // One column and row cut on the right and bottom: 19 x 19 left, odd, so the first column
    // and row are single and the block moves up and left by one.
    DD_CLIP_RECT = RECT{0, 0, 29, 29};
    EXPECT_EQ(Print(10, 10, kSquare, 0, 1), At(10, 10, {{{1, 1}, T}, {{2, 1}, T}, {{1, 2}, T}, {{2, 2}, T}}));
    // Cut on the left and top instead: the block stays where it belongs.
    DD_CLIP_RECT = RECT{11, 11, 64, 48};
    EXPECT_EQ(Print(10, 10, kSquare, 0, 1), At(10, 10, {{{2, 2}, T}, {{3, 2}, T}, {{2, 3}, T}, {{3, 3}, T}}));
}

TEST_F(TextTest, GradientColoursEachGlyphRow) {
    UseGlyph({{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}, {0, 9}});
    // Red to blue over 10 rows: row i = 248 + (0 - 248) i / 9 red, 248 i / 9 blue.
    TXT_SetColor(0xF800, 0x001F, S);
    EXPECT_EQ(TXT_STATE.row_colors[1], (27 << 11) | 3);  // red 221, blue 27
    EXPECT_EQ(TXT_STATE.row_colors[8], (3 << 11) | 27);  // red 28, blue 220
    EXPECT_EQ(TXT_STATE.row_colors[9], 0x001F);
    Ink ink = Print(5, 5, kSquare, 0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(ink[std::make_pair(5, 5 + i)], TXT_STATE.row_colors[i]) << i;
    // Clipped from the top, each row keeps its own colour.
    DD_CLIP_RECT = RECT{0, 8, 64, 48};
    ink = Print(5, 5, kSquare, 1);
    EXPECT_EQ(ink.count({5, 7}), 0u);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(ink[std::make_pair(6, 5 + i)], TXT_STATE.row_colors[i]) << i;
    // Double size: each glyph row's colour covers both its rows.
    DD_CLIP_RECT = saved_clip_;
    ink = Print(0, 0, kSquare, 0, 1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ink[std::make_pair(1, i)], TXT_STATE.row_colors[i / 2]) << i;
    // The shadow and outline passes stay one colour.
    ink = Print(5, 5, kSquare, 4);
    EXPECT_EQ(ink[std::make_pair(4, 9)], S);
    EXPECT_EQ(ink[std::make_pair(5, 14)], 0x001F);
}

TEST_F(TextTest, SetColorStoresNoZeroAndTruncatesTowardZero) {
    UseGlyph({{0, 0}});
    // Red 8 down to blue 8: row 1's red 8 - 8 / 9 truncates to 8 (a floor would give 7); rows
    // that come out black are stored as 1, the images' key never being a text colour.
    TXT_SetColor(1 << 11, 1, -1);
    EXPECT_EQ(TXT_STATE.row_colors[1], 1 << 11);
    for (int i = 2; i <= 8; ++i) EXPECT_EQ(TXT_STATE.row_colors[i], 1) << i;

    TXT_SetColor(0xF800, 0x001F, 0x0700);
    const std::vector<uint16_t> gradient(TXT_STATE.row_colors, TXT_STATE.row_colors + 32);
    // (-1, -1, s): only the shadow changes.
    TXT_SetColor(-1, -1, 0x0123);
    EXPECT_EQ(TXT_STATE.shadow_color, 0x0123);
    EXPECT_EQ(TXT_STATE.top_color, 0xF800);
    EXPECT_EQ(std::vector<uint16_t>(TXT_STATE.row_colors, TXT_STATE.row_colors + 32), gradient);
    // (0, 0, 0): 1, 1, 1 and the ends of the table; the rows between are not rebuilt.
    TXT_SetColor(0, 0, 0);
    EXPECT_EQ(TXT_STATE.top_color, 1);
    EXPECT_EQ(TXT_STATE.bottom_color, 1);
    EXPECT_EQ(TXT_STATE.shadow_color, 1);
    EXPECT_EQ(TXT_STATE.row_colors[0], 1);
    EXPECT_EQ(TXT_STATE.row_colors[9], 1);
    EXPECT_EQ(TXT_STATE.row_colors[5], gradient[5]);
    EXPECT_EQ(Print(0, 0, kSquare, 0), At(0, 0, {{{0, 0}, 1}}));
}

TEST_F(TextTest, SelectionKeepsTheFontOnEmptySlotsAndFollowsTheRubyRule) {
    ASSERT_EQ(Load(0, support::MakeFont(10, 10)), 1);
    ASSERT_EQ(Load(1, support::MakeFont(14, 14)), 1);
    FNT_Select(0);
    TXT_SetColor(0xF800, 0x001F, S);
    // A change of font fits the gradient to the new height.
    EXPECT_EQ(FNT_Select(1), 1);
    EXPECT_EQ(TXT_STATE.row_colors[13], 0x001F);
    EXPECT_NE(TXT_STATE.row_colors[9], 0x001F);
    // An empty slot is refused and leaves the font; the style and size still change.
    EXPECT_EQ(FNT_Select(3), 0);
    EXPECT_EQ(FNT_Select(16), 0);
    EXPECT_EQ(TXT_SetFont(3, 4, 0), 1);
    EXPECT_EQ(TXT_STATE.font, 1);
    EXPECT_EQ(TXT_STATE.style, 4);
    // Negative arguments are ignored.
    TXT_SetFont(-1, -1, 1);
    EXPECT_EQ(TXT_STATE.style, 4);
    EXPECT_EQ(TXT_STATE.double_size, 1);

    // Ruby: with slot 0 current, asking for slot 1 keeps slot 0 once and clears the flag.
    FNT_Select(0);
    TXT_STATE.ruby_flag = 1;
    EXPECT_EQ(TXT_SetFont(1, 4, 0), 1);
    EXPECT_EQ(TXT_STATE.font, 0);
    EXPECT_EQ(TXT_STATE.ruby_flag, 0);
    TXT_SetFont(1, 4, 0);
    EXPECT_EQ(TXT_STATE.font, 1);
    // With slot 1 already current the call changes nothing and the flag stays.
    TXT_STATE.ruby_flag = 1;
    TXT_SetFont(1, 4, 0);
    EXPECT_EQ(TXT_STATE.font, 1);
    EXPECT_EQ(TXT_STATE.ruby_flag, 1);
}

TEST_F(TextTest, CharactersOutsideTheFontAndTrailingLeadBytes) {
    support::Font f = support::MakeFont(10, 10);
    support::SetInk(f, false, FNT_FALLBACK_HALF, 0, 0);
    support::SetInk(f, true, FNT_FALLBACK_FULL, 0, 0);
    support::SetInk(f, false, 33, 1, 0);  // 'A'
    ASSERT_EQ(Load(0, f), 1);
    // A line feed is a half-width fallback; Greek a full-width one; each lookup prints a line.
    EXPECT_EQ(Print(0, 0, "A\n\x83\x9f" "A", 0), At(0, 0, {{{1, 0}, T}, {{5, 0}, T}, {{10, 0}, T}, {{21, 0}, T}}));
    EXPECT_EQ(Lines().size(), 2u);
    headless::ClearDebugOutput();
    Print(0, 0, "\n", 4);
    EXPECT_EQ(Lines().size(), 2u);  // outline pass and text pass
    // A lead byte just before the end is read alone, as a half-width fallback.
    headless::ClearDebugOutput();
    EXPECT_EQ(Print(0, 0, "A\x82", 0), At(0, 0, {{{1, 0}, T}, {{5, 0}, T}}));
    EXPECT_EQ(Lines(), std::vector<std::string>{"\x96\xa2\x93o\x98^\x83t\x83H\x83\x93\x83g(0x82)"});
}

TEST_F(TextTest, ClippingCutsPixelsAndKeepsThePen) {
    UseGlyph({{0, 0}, {9, 0}, {0, 9}, {9, 9}});
    DD_CLIP_RECT = RECT{5, 5, 30, 30};
    Ink ink = Print(0, 0, "\x81\x40\x81\x40\x81\x40\x81\x40", 4, 0);
    for (const auto& [p, c] : ink) {
        EXPECT_GE(p.first, 5);
        EXPECT_GE(p.second, 5);
        EXPECT_LT(p.first, 30);
        EXPECT_LT(p.second, 30);
    }
    EXPECT_EQ(ink[std::make_pair(20, 9)], T);  // the third glyph's corner, after two clipped ones
    // Far off the surface in every direction, and past the 32-bit edges: nothing, no fault.
    DD_CLIP_RECT = saved_clip_;
    for (auto [x, y] : {std::pair{-1000, 0}, {0, -1000}, {65, 0}, {0, 49}, {INT32_MAX - 5, 0}, {INT32_MIN, INT32_MIN}})
        for (int dbl = 0; dbl <= 1; ++dbl) EXPECT_TRUE(Print(x, y, "\x81\x40\x81\x40", 4, dbl).empty()) << x << "," << y;
    // Running past the right edge: cut pixel by pixel.
    ink = Print(50, 40, "\x81\x40\x81\x40", 0, 0);
    EXPECT_EQ(ink, At(50, 40, {{{0, 0}, T}, {{9, 0}, T}, {{10, 0}, T}}));
}

TEST_F(TextTest, PrintLocksOnceAndRefusesWhatItCannotDraw) {
    UseGlyph({{0, 0}});
    // An empty text still locks and unlocks.
    EXPECT_EQ(TXT_Print(surface_, 0, 0, "%s", ""), 1);
    EXPECT_FALSE(surface_->IsLocked());
    // A surface that cannot be locked.
    Clear();
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(TXT_Print(surface_, 0, 0, "\x81\x40"), 0);
    EXPECT_TRUE(InkOf(surface_).empty());
    EXPECT_EQ(TXT_Print(nullptr, 0, 0, "\x81\x40"), 0);
    // An empty current slot draws nothing.
    FNT_Free(0);
    EXPECT_EQ(TXT_Print(surface_, 0, 0, "\x81\x40"), 1);
    EXPECT_TRUE(InkOf(surface_).empty());
    EXPECT_FALSE(surface_->IsLocked());
}

// Printing onto pixels the caller locked gives what TXT_Print gives; only 16-bit pixels are taken.
TEST_F(TextTest, PrintOntoALockedDescriptionMatchesPrint) {
    UseGlyph({{1, 1}, {2, 3}});
    TXT_SetStyle(4);
    TXT_SetDouble(1);
    Clear();
    TXT_Print(surface_, 3, 4, "%s%d", kSquare, 7);
    const Ink want = InkOf(surface_);
    Clear();
    DDSURFACEDESC2 d;
    ASSERT_EQ(DD_LockSurface(surface_, &d), DD_OK);
    EXPECT_EQ(TXT_PrintDesc(&d, 3, 4, "%s%d", kSquare, 7), 1);
    DDSURFACEDESC2 wide = d;
    wide.ddpfPixelFormat.dwRGBBitCount = 32;
    EXPECT_EQ(TXT_PrintDesc(&wide, 0, 0, "%s", kSquare) + TXT_PrintDesc(nullptr, 0, 0, "%s", kSquare), 0);
    surface_->Unlock(nullptr);
    EXPECT_EQ(InkOf(surface_), want);
    EXPECT_FALSE(want.empty());
}

// A half-width cell: (width >> 1, height) single, (width, 2 x height) double; nothing without a font.
TEST_F(TextTest, CellSizesFollowTheCurrentFontAndSize) {
    const struct {
        uint16_t w, h;
        int dbl;
        int32_t cw, ch;
    } cases[] = {{10, 10, 0, 5, 10}, {10, 10, 1, 10, 20}, {9, 12, 0, 4, 12}, {9, 12, 1, 9, 24}};
    for (const auto& c : cases) {
        UseGlyph({}, c.w, c.h);
        TXT_SetDouble(c.dbl);
        int32_t cw = -1, ch = -1;
        TXT_GetCellSize(&cw, &ch);
        EXPECT_EQ(cw * 100 + ch, c.cw * 100 + c.ch) << c.w << "x" << c.h << " double " << c.dbl;
    }
    FNT_Free(0);
    int32_t cw = -1, ch = -1;
    TXT_GetCellSize(&cw, &ch);
    EXPECT_EQ(cw * 100 + ch, 0);
    TXT_GetCellSize(nullptr, nullptr);
}

// 8 x 8 debug text: glyph b - 0x20 at ((g mod 16) x 8, (g div 16) x 8) of the sheet, every 8 pixels.
TEST_F(TextTest, DebugTextDrawsFromTheSheetOnlyOnceOneIsHeld) {
    // Image 0 is in use, so a sheet id left at 0 would draw from it: the id starts at -1.
    const int other = IMG_Create(128, 48, 0);
    ASSERT_EQ(other, 0);
    BLT_FillRect(IMG_Surface(other), nullptr, 0x7777);
    EXPECT_EQ(TXT_STATE.debug_sheet, -1);
    Clear();
    TXT_DebugPrint(surface_, 0, 0, "AB");
    EXPECT_TRUE(InkOf(surface_).empty());

    // Each cell of the sheet holds its glyph number + 1 (a strip of 6 rows of 16 glyphs).
    const int sheet = IMG_Create(128, 48, 0);
    for (int g = 0; g < 96; ++g) {
        RECT cell{(g % 16) * 8, (g / 16) * 8, (g % 16) * 8 + 8, (g / 16) * 8 + 8};
        BLT_FillRect(IMG_Surface(sheet), &cell, uint32_t(g + 1));
    }
    TXT_STATE.debug_sheet = sheet;
    Clear();
    TXT_DebugPrint(surface_, 2, 3, "A!%c~%c %d", 0x0A, 0xE0, 5);
    const Ink ink = InkOf(surface_);
    // Pen positions 2, 10, 18 (line feed: skipped), 26, 34 (0xE0: skipped), 42 (space), 50.
    const struct {
        int x;
        uint16_t cell;
    } want[] = {{2, 34}, {10, 2}, {18, 0}, {26, 95}, {34, 0}, {42, 1}, {50, 22}};
    for (const auto& w : want) {
        EXPECT_EQ(ink.count({w.x, 3}) ? ink.at({w.x, 3}) : 0, w.cell) << w.x;
        EXPECT_EQ(ink.count({w.x + 7, 10}) ? ink.at({w.x + 7, 10}) : 0, w.cell) << w.x;
    }
    EXPECT_EQ(ink.size(), 5u * 64);
    TXT_DebugPrint(nullptr, 0, 0, "A");

    // A reset releases the sheet and forgets it; the other image keeps its user.
    FNT_Reset();
    EXPECT_EQ(TXT_STATE.debug_sheet, -1);
    EXPECT_EQ(IMG_TABLE[sheet].count, 0);
    FNT_Reset();
    EXPECT_EQ(IMG_TABLE[other].count, 1);
    IMG_Release(other);
}
}  // namespace

namespace {
TEST_F(TextTest, PrintsIntoImagesAndTheBackBuffer) {
    UseGlyph({{0, 0}, {9, 9}});
    const int id = IMG_Create(40, 20, 0);
    ASSERT_GE(id, 0);
    TXT_SetFont(-1, 4, 1);
    EXPECT_EQ(TXT_Print(IMG_Surface(id), 2, 1, "%s", kSquare), 1);
    Ink img = InkOf(IMG_Surface(id));
    EXPECT_EQ(img[std::make_pair(2, 1)], T);
    // The image cuts the glyph's last doubled row: counted from the bottom, the last glyph row
    // keeps its place and the first shows once.
    EXPECT_EQ(img[std::make_pair(21, 19)], T);
    EXPECT_EQ(img[std::make_pair(2, 2)], S);
    EXPECT_EQ(img[std::make_pair(1, 0)], S);
    IMG_Release(id);

    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    TXT_SetFont(-1, 2, 0);
    EXPECT_EQ(TXT_Print(DD_DISPLAY.back, 630, 470, "%s", kSquare), 1);
    EXPECT_EQ(support::PixelAt(DD_DISPLAY.back, 630, 470), T);
    EXPECT_EQ(support::PixelAt(DD_DISPLAY.back, 639, 479), T);
}
}  // namespace

namespace {
// Every style in both sizes, a line of mixed half- and full-width text each, cut by all four
// edges of the image; compared with the checked-in frame (ORV_UPDATE_GOLDEN=1 rewrites it).
TEST_F(TextTest, GoldenLinesInEveryStyleAndSize) {
    ASSERT_EQ(Load(0, support::PatternFont(10, 10)), 1);
    FNT_Select(0);
    DDSurface* s = support::MakeSurface(100, 180);
    BLT_FillRect(s, nullptr, DD_RGB(48, 48, 48));
    TXT_SetColor(DD_RGB(255, 255, 255), DD_RGB(90, 170, 255), DD_RGB(200, 30, 30));
    const char* text = "Ab\x81\x40\x88\x9f\xb1 \x82\xa0z";  // A b, two kanji cells, half-width katakana, ...
    int y = -3;
    for (int dbl = 0; dbl <= 1; ++dbl)
        for (int style = 0; style <= 4; ++style) {
            TXT_SetFont(-1, style, dbl);
            EXPECT_EQ(TXT_Print(s, -4, y, "%d%s%s", style, text, text), 1);
            y += dbl ? 24 : 14;
        }
    EXPECT_EQ(support::CheckGolden("sprite/golden/text_styles", s), "");
    DD_ReleaseSurface(s);
}
}  // namespace
