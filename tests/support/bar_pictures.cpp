// The system bar's pictures for tests and the sample data.
#include "tests/support/bar_pictures.h"

#include <filesystem>

namespace support {
namespace {
// 3 x 5 digits for the slot numbers.
constexpr const char* kDigits[10] = {"###"
                                     "#.#"
                                     "#.#"
                                     "#.#"
                                     "###",
                                     ".#."
                                     "##."
                                     ".#."
                                     ".#."
                                     "###",
                                     "###"
                                     "..#"
                                     "###"
                                     "#.."
                                     "###",
                                     "###"
                                     "..#"
                                     "###"
                                     "..#"
                                     "###",
                                     "#.#"
                                     "#.#"
                                     "###"
                                     "..#"
                                     "..#",
                                     "###"
                                     "#.."
                                     "###"
                                     "..#"
                                     "###",
                                     "###"
                                     "#.."
                                     "###"
                                     "#.#"
                                     "###",
                                     "###"
                                     "..#"
                                     "..#"
                                     "..#"
                                     "..#",
                                     "###"
                                     "#.#"
                                     "###"
                                     "#.#"
                                     "###",
                                     "###"
                                     "#.#"
                                     "###"
                                     "..#"
                                     "###"};

void Fill(GrpPicture& p, int x, int y, int w, int h, uint16_t v) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            if (i >= 0 && j >= 0 && uint32_t(i) < p.width && uint32_t(j) < p.height) Set555(p, uint32_t(i), uint32_t(j), v);
}

// A button: filled, with a light top-left edge and a dark bottom-right one.
void Button(GrpPicture& p, int x, int y, int w, int h, uint16_t v) {
    Fill(p, x, y, w, h, v);
    Fill(p, x, y, w, 1, Bar555(28, 28, 28));
    Fill(p, x, y, 1, h, Bar555(28, 28, 28));
    Fill(p, x, y + h - 1, w, 1, Bar555(2, 2, 2));
    Fill(p, x + w - 1, y, 1, h, Bar555(2, 2, 2));
}

void Digit(GrpPicture& p, int x, int y, int d, uint16_t v) {
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 3; ++i)
            if (kDigits[d][j * 3 + i] == '#') Fill(p, x + i, y + j, 1, 1, v);
}

// The software cursor's looks: arrows for the plain and animated looks (0, 112 and six frames from
// 32, 112), cross hairs (0 and 32, 138), the third look (0, 170), its click frame (64, 137) and
// particle (32, 170).
void CursorLooks(GrpPicture& p) {
    auto put = [&](int x, int y, uint16_t v) { Set555(p, uint32_t(x), uint32_t(y), v); };
    auto arrow = [&](int ox, int oy, uint16_t fill) {
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x <= y / 2 + y / 4 && x < 14; ++x)
                put(ox + x, oy + y, x == 0 || x == y / 2 + y / 4 || y == 19 ? 0x0421 : fill);
    };
    arrow(0, 112, 0x7FFF);
    for (int f = 0; f < 6; ++f) arrow(32 + 32 * f, 112, uint16_t(0x7C00 | (f * 5) << 5 | (31 - f * 5)));
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 32; ++i) {
            const uint16_t c = k ? 0x7FE0 : 0x7FFF;
            if (i < 13 || i > 18) {
                put(32 * k + i, 138 + 16, c);
                put(32 * k + 16, 138 + i, c);
            }
        }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int d = (x - 16) * (x - 16) + (y - 16) * (y - 16);
            if (d < 100 && d >= 64) put(x, 170 + y, 0x03FF);
        }
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 59; ++x) {
            const int d = (x - 28) * (x - 28) + (y - 32) * (y - 32);
            if (d < 28 * 28 && d >= 24 * 24) put(64 + x, 137 + y, 0x03FF);
        }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x - 4) * (x - 4) + (y - 4) * (y - 4) < 10) put(32 + x, 170 + y, 0x7FE0);
}
}  // namespace

uint16_t BarItemColour(int item, bool lit) {
    const int r = 4 + (item * 7) % 20, g = 6 + (item * 11) % 18, b = 20 - item;
    return lit ? Bar555(r + 8 > 31 ? 31 : r + 8, g + 8 > 31 ? 31 : g + 8, b + 8 > 31 ? 31 : b + 8) : Bar555(r, g, b);
}

uint16_t BarSlotColour(int slot, bool lit) {
    const int tone = slot >= 98 ? 20 : 6 + slot % 10;
    return lit ? Bar555(tone, 24, 31) : Bar555(tone / 2, 10, 18);
}

GrpPicture BarPartsPicture() {
    GrpPicture p = MakeGrp(16, 640, 480);
    // Bottom bar: the pin pinned (0) and not (28), nine buttons and the end piece, lit one row up.
    const int bottom[12][2] = {{0, 28}, {28, 28}, {56, 32}, {88, 32}, {120, 32}, {152, 32},
                               {184, 32}, {216, 64}, {280, 64}, {344, 64}, {408, 64}, {472, 25}};
    for (int i = 0; i < 12; ++i) {
        const int item = i == 0 ? 0 : i - 1;
        for (int lit = 0; lit < 2; ++lit)
            Button(p, bottom[i][0], lit ? 424 : 448, bottom[i][1], 24, BarItemColour(item, lit));
    }
    Fill(p, 4, 436, 4, 8, Bar555(31, 31, 0));  // the pinned pin's head
    Fill(p, 4, 460, 4, 8, Bar555(31, 31, 0));
    // Auto bar: stop button over 54, knob at 495; slider track, its end and the two arrows on row 400.
    for (int lit = 0; lit < 2; ++lit) {
        Button(p, 495, lit ? 424 : 448, 18, 24, lit ? Bar555(31, 20, 8) : Bar555(24, 12, 4));
    }
    Button(p, 0, 400, 191, 24, Bar555(4, 4, 10));
    Fill(p, 4, 411, 183, 2, Bar555(20, 20, 26));
    Button(p, 191, 400, 26, 24, Bar555(4, 4, 10));
    for (int k = 0; k < 2; ++k)
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 6 - (y < 6 ? 5 - y : y - 5); ++x)
                Fill(p, k ? 255 + 6 + x : 217 + 10 - x, 406 + y, 1, 1, Bar555(31, 31, 31));
    // Newest-save mark.
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 28; ++x)
            if (x + (y < 12 ? 12 - y : y - 11) * 2 < 28) Fill(p, 272 + x, 400 + y, 1, 1, kBarMarkColour);
    // Quick panel: the picture of every display slot, its lit copy 24 pixels left.
    for (int s = 0; s < 110; ++s) {
        const int x = 24 + 48 * (s / 10), y = 40 * (s % 10);
        if (x == 504 && y >= 320) continue;  // the arrows and the pin live there
        for (int lit = 0; lit < 2; ++lit) {
            const int bx = x - 24 * lit;
            Button(p, bx, y, 24, 40, BarSlotColour(s, lit));
            const uint16_t ink = Bar555(31, 31, 31);
            if (s >= 98) {
                Fill(p, bx + 6, y + 8, 3, 1, ink);  // "A" and the automatic save's number
                Fill(p, bx + 5, y + 9, 1, 4, ink);
                Fill(p, bx + 9, y + 9, 1, 4, ink);
                Fill(p, bx + 5, y + 11, 5, 1, ink);
                Digit(p, bx + 12, y + 8, (s - 98) % 10, ink);
            } else {
                Digit(p, bx + 6, y + 8, s / 10, ink);
                Digit(p, bx + 12, y + 8, s % 10, ink);
            }
        }
    }
    for (int lit = 0; lit < 2; ++lit) {
        const int x = 504 - 24 * lit;
        Button(p, x, 320, 24, 28, lit ? Bar555(10, 31, 10) : Bar555(4, 16, 4));  // up
        Button(p, x, 348, 24, 28, lit ? Bar555(10, 31, 10) : Bar555(4, 16, 4));  // down
        Button(p, x, 376, 24, 24, lit ? Bar555(31, 20, 31) : Bar555(16, 8, 16));  // pin
        Button(p, x, 400, 24, 24, lit ? Bar555(31, 31, 10) : Bar555(20, 20, 4));  // pinned
        for (int i = 0; i < 5; ++i) {
            Fill(p, x + 12 - i, 328 + i, 2 * i + 1, 1, Bar555(31, 31, 31));
            Fill(p, x + 12 - i, 364 - i, 2 * i + 1, 1, Bar555(31, 31, 31));
        }
    }
    return p;
}

GrpPicture BarCommonPicture() {
    GrpPicture p = MakeGrp(16, 256, 256);
    // The slot panel: a frame around a transparent window where the thumbnail shows.
    Fill(p, 0, 0, 256, 112, kBarPanelColour);
    Fill(p, 0, 0, 256, 2, Bar555(20, 24, 31));
    Fill(p, 0, 110, 256, 2, Bar555(2, 4, 10));
    Fill(p, 5, 28, 106, 80, 0);
    CursorLooks(p);
    // The music-title mark: a note.
    Fill(p, 240 + 9, 112 + 2, 2, 10, kBarMusicMark);
    Fill(p, 240 + 4, 112 + 10, 6, 4, kBarMusicMark);
    Fill(p, 240 + 11, 112 + 2, 3, 2, kBarMusicMark);
    return p;
}

GrpPicture ThumbPicture(uint16_t fill) {
    GrpPicture p = MakeGrp(16, 112, 80);
    Fill(p, 0, 0, 112, 80, Bar555(31, 31, 31));
    Fill(p, 2, 2, 108, 76, fill);
    return p;
}

bool WriteBarPictures(const std::string& root) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::path(root) / "Bmp" / "quon";
    std::filesystem::create_directories(dir, ec);
    return !ec && WriteGrp((dir / "pmenu.grp").string(), BarPartsPicture(), true) &&
           WriteGrp((dir / "common.grp").string(), BarCommonPicture(), true) &&
           WriteGrp((dir / "thumb.grp").string(), ThumbPicture(kThumbDefault), true) &&
           WriteGrp((dir / "thumbe.grp").string(), ThumbPicture(kThumbDevelop), true) &&
           WriteGrp((dir / "thumbc.grp").string(), ThumbPicture(kThumbClear), true);
}
}  // namespace support
