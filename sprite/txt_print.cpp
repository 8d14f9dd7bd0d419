// TXT_Print and its drawers: plain, bold and outline glyphs in single and double size, one colour
// or a row gradient, clipped to the surface and DD_CLIP_RECT.
#include "sprite/txt_print.h"

#include <cstdarg>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/format.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"

TXT_STATE_DATA TXT_STATE;

namespace {
// Work rows of the bold and outline glyphs: a 30-pixel font grows to 32 x 32.
constexpr int kWorkRows = 32;
static_assert(FNT_MAX_SIZE + 2 <= kWorkRows);

// Pen arithmetic wraps as the 32-bit machine's does.
int32_t Add(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }

uint32_t LoadRow(const uint8_t* p, int pitch) {
    uint32_t v = 0;
    for (int i = 0; i < pitch; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

uint32_t LowBits32(int n) { return n >= 32 ? ~0u : (1u << n) - 1; }
uint64_t LowBits64(int n) { return n >= 64 ? ~0ull : (1ull << n) - 1; }

// Bit n of v to bits 2n and 2n + 1.
uint64_t Doubled(uint32_t v) {
    uint64_t x = v;
    x = (x | x << 16) & 0x0000FFFF0000FFFFull;
    x = (x | x << 8) & 0x00FF00FF00FF00FFull;
    x = (x | x << 4) & 0x0F0F0F0F0F0F0F0Full;
    x = (x | x << 2) & 0x3333333333333333ull;
    x = (x | x << 1) & 0x5555555555555555ull;
    return x | x << 1;
}

template <class Bits>
void PutBits(uint16_t* p, Bits bits, uint16_t colour) {
    while (bits) {
        p[__builtin_ctzll(bits)] = colour;
        bits &= bits - 1;
    }
}

uint16_t* RowAt(const DDSURFACEDESC2& d, int32_t x, int32_t y) {
    return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + intptr_t(y) * d.lPitch) + x;
}

// The single-size glyph blit: rows[r] bit n is pixel n of glyph row r. Grad colours each glyph row
// by colours[r], counted from the glyph's top however it is clipped. 0 when nothing is left.
template <bool Grad>
int BlitGlyph(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
              const uint16_t* colours) {
    RECT src{0, 0, width, nrows};
    if (!BLT_ClipDest(&d, &DD_CLIP_RECT, &x, &y, &src, 0)) return 0;
    const uint32_t keep = LowBits32(src.right - src.left);
    uint16_t* p = RowAt(d, x, y);
    for (int r = src.top; r < src.bottom; ++r) {
        PutBits(p, (rows[r] >> src.left) & keep, Grad ? colours[r] : colours[0]);
        p = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(p) + d.lPitch);
    }
    return 1;
}

// The double-size glyph blit: the source steps every two destination pixels and rows, paired from the right and bottom of the clipped area (an odd count left starts with a
// single pixel or row).
template <bool Grad>
int BlitGlyphDbl(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
                 const uint16_t* colours) {
    RECT dst{x, y, Add(x, 2 * width), Add(y, 2 * nrows)};
    RECT src{0, 0, width, nrows};
    if (!BLT_ClipStretch(&d, &DD_CLIP_RECT, &dst, &src, 0)) return 0;
    const int w = dst.right - dst.left, h = dst.bottom - dst.top;
    const int shift = 2 * src.left + (w & 1);
    const uint64_t keep = LowBits64(w);
    uint16_t* p = RowAt(d, dst.left, dst.top);
    for (int j = 0; j < h; ++j) {
        const int r = src.top + (j + (h & 1)) / 2;
        PutBits(p, shift < 64 ? (Doubled(rows[r]) >> shift) & keep : 0, Grad ? colours[r] : colours[0]);
        p = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(p) + d.lPitch);
    }
    return 1;
}

// The four glyph blitters: one colour or a colour per glyph row, single or double size.
int TXT_BlitGlyph(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
                  uint16_t colour) {
    return BlitGlyph<false>(d, x, y, rows, width, nrows, &colour);
}
int TXT_BlitGlyphGrad(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
                      const uint16_t* row_colors) {
    return BlitGlyph<true>(d, x, y, rows, width, nrows, row_colors);
}
int TXT_BlitGlyphDbl(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
                     uint16_t colour) {
    return BlitGlyphDbl<false>(d, x, y, rows, width, nrows, &colour);
}
int TXT_BlitGlyphGradDbl(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint32_t* rows, int width, int nrows,
                         const uint16_t* row_colors) {
    return BlitGlyphDbl<true>(d, x, y, rows, width, nrows, row_colors);
}

enum class Kind { Font, Bold, Outline };

// One character drawer: reads one code (a lead byte and its trail byte, else one byte; a lead
// byte just before the terminator is read alone), builds the work glyph its kind asks for,
// blits it at the pen and advances the pen by the font glyph's cell.
template <Kind K, bool Dbl, bool Grad>
void DrawChar(const DDSURFACEDESC2& d, int32_t& x, int32_t y, const uint8_t*& s, const uint16_t* colours) {
    const FNT_SLOT& f = FNT_TABLE[TXT_STATE.font];
    const uint8_t* glyph;
    int gw, pitch;
    if (FNT_IsLead(s[0]) && s[1] != 0) {
        glyph = FNT_GlyphFull(static_cast<uint16_t>(s[0] << 8 | s[1]));
        gw = f.width;
        pitch = f.full_pitch;
        s += 2;
    } else {
        glyph = FNT_GlyphHalf(s[0]);
        gw = f.width >> 1;
        pitch = f.half_pitch;
        s += 1;
    }
    const int h = f.height;
    uint32_t rows[kWorkRows] = {};
    for (int r = 0; r < h; ++r) rows[r] = LoadRow(glyph + r * pitch, pitch);

    int bw = gw, bh = h;
    if constexpr (K == Kind::Bold) {
        for (int r = 0; r < h; ++r) rows[r] |= rows[r] << 1;
        bw = gw + 1;
    } else if constexpr (K == Kind::Outline && !Dbl) {
        // Each ink pixel's four neighbours less the ink itself; the top row's right neighbour
        // is left out, as the mask steps fall.
        uint32_t work[kWorkRows] = {}, mask[kWorkRows];
        for (int r = 0; r < h; ++r) {
            work[r + 1] = rows[r];
            mask[r] = ~(rows[r] << 1);
        }
        for (int r = 0; r < h; ++r) work[r] |= work[r + 1] << 1;
        for (int r = h; r >= 1; --r) work[r + 1] |= work[r] << 1;
        for (int r = 0; r < h; ++r) work[r + 1] &= mask[r];
        for (int r = 0; r < h + 2; ++r) rows[r] = work[r];
        bw = gw + 2;
        bh = h + 2;
    } else if constexpr (K == Kind::Outline) {
        // A one-pixel border around every doubled ink block; the text pass covers the ink.
        for (int r = 0; r < h; ++r) rows[r] |= rows[r] << 1;
        for (int r = h - 1; r >= 0; --r) rows[r + 1] |= rows[r];
        bw = gw + 2;
        bh = h + 2;
    }
    if constexpr (Dbl) {
        if constexpr (Grad) TXT_BlitGlyphGradDbl(d, x, y, rows, bw, bh, colours);
        else TXT_BlitGlyphDbl(d, x, y, rows, bw, bh, colours[0]);
        x = Add(x, 2 * gw);
    } else {
        if constexpr (Grad) TXT_BlitGlyphGrad(d, x, y, rows, bw, bh, colours);
        else TXT_BlitGlyph(d, x, y, rows, bw, bh, colours[0]);
        x = Add(x, gw);
    }
}

using Drawer = void (*)(const DDSURFACEDESC2&, int32_t&, int32_t, const uint8_t*&, const uint16_t*);
constexpr Drawer TXT_DrawCharPlain = DrawChar<Kind::Font, false, false>;
constexpr Drawer TXT_DrawCharGrad = DrawChar<Kind::Font, false, true>;
constexpr Drawer TXT_DrawCharPlainDbl = DrawChar<Kind::Font, true, false>;
constexpr Drawer TXT_DrawCharGradDbl = DrawChar<Kind::Font, true, true>;
constexpr Drawer TXT_DrawCharBold = DrawChar<Kind::Bold, false, false>;
constexpr Drawer TXT_DrawCharBoldGrad = DrawChar<Kind::Bold, false, true>;
constexpr Drawer TXT_DrawCharBoldDbl = DrawChar<Kind::Bold, true, false>;
constexpr Drawer TXT_DrawCharBoldGradDbl = DrawChar<Kind::Bold, true, true>;
constexpr Drawer TXT_DrawCharOutline = DrawChar<Kind::Outline, false, false>;
constexpr Drawer TXT_DrawCharOutlineDbl = DrawChar<Kind::Outline, true, false>;

// One pass: the whole string from its start with its own pen.
void Pass(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint8_t* text, Drawer drawer, const uint16_t* colours) {
    for (const uint8_t* s = text; *s;) drawer(d, x, y, s, colours);
}

// A text pass: one colour while top and bottom agree, else the row gradient.
void TextPass(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint8_t* text, bool bold) {
    const TXT_STATE_DATA& t = TXT_STATE;
    const bool grad = t.top_color != t.bottom_color;
    const uint16_t* colours = grad ? t.row_colors : &t.top_color;
    Drawer drawer;
    if (t.double_size)
        drawer = bold ? (grad ? TXT_DrawCharBoldGradDbl : TXT_DrawCharBoldDbl)
                      : (grad ? TXT_DrawCharGradDbl : TXT_DrawCharPlainDbl);
    else
        drawer = bold ? (grad ? TXT_DrawCharBoldGrad : TXT_DrawCharBold) : (grad ? TXT_DrawCharGrad : TXT_DrawCharPlain);
    Pass(d, x, y, text, drawer, colours);
}

void DrawString(const DDSURFACEDESC2& d, int32_t x, int32_t y, const uint8_t* text) {
    const TXT_STATE_DATA& t = TXT_STATE;
    const bool dbl = t.double_size != 0;
    const uint16_t* shadow = &t.shadow_color;
    switch (t.style) {
        case 1:
            TextPass(d, x, y, text, true);
            break;
        case 2:
            Pass(d, Add(x, 1), Add(y, 1), text, dbl ? TXT_DrawCharPlainDbl : TXT_DrawCharPlain, shadow);
            TextPass(d, x, y, text, false);
            break;
        case 3:
            Pass(d, Add(x, dbl ? 2 : 1), Add(y, 1), text, dbl ? TXT_DrawCharPlainDbl : TXT_DrawCharPlain, shadow);
            TextPass(d, Add(x, -1), y, text, true);
            break;
        case 4:
            Pass(d, Add(x, -1), Add(y, -1), text, dbl ? TXT_DrawCharOutlineDbl : TXT_DrawCharOutline, shadow);
            TextPass(d, x, y, text, false);
            break;
        default:
            TextPass(d, x, y, text, false);
            break;
    }
}

uint16_t NotZero(int32_t c) { return c == 0 ? 1 : static_cast<uint16_t>(c); }

bool CurrentLoaded() {
    const int f = TXT_STATE.font;
    return f >= 0 && f < FNT_SLOTS && FNT_TABLE[f].loaded;
}
}  // namespace

namespace {
// Formats and draws onto locked 16-bit pixels; 0 for anything else.
int PrintV(const DDSURFACEDESC2& d, int32_t x, int32_t y, const char* format, va_list ap) {
    if (d.ddpfPixelFormat.dwRGBBitCount != 16 || !d.lpSurface) return 0;
    char text[TXT_FORMAT_BUFFER];
    plat::FormatV(text, sizeof text, format, ap);
    if (CurrentLoaded()) DrawString(d, x, y, reinterpret_cast<const uint8_t*>(text));
    return 1;
}
}  // namespace

int TXT_Print(DDSurface* surface, int32_t x, int32_t y, const char* format, ...) {
    DDSURFACEDESC2 d;
    if (!surface || DD_LockSurface(surface, &d) != DD_OK) return 0;
    va_list ap;
    va_start(ap, format);
    const int drawn = PrintV(d, x, y, format, ap);
    va_end(ap);
    surface->Unlock(nullptr);
    return drawn;
}

int TXT_PrintDesc(const DDSURFACEDESC2* desc, int32_t x, int32_t y, const char* format, ...) {
    if (!desc) return 0;
    va_list ap;
    va_start(ap, format);
    const int drawn = PrintV(*desc, x, y, format, ap);
    va_end(ap);
    return drawn;
}

void TXT_DebugPrint(DDSurface* surface, int32_t x, int32_t y, const char* format, ...) {
    DDSurface* sheet = IMG_Surface(TXT_STATE.debug_sheet);
    if (!surface || !sheet) return;
    char text[TXT_FORMAT_BUFFER];
    va_list ap;
    va_start(ap, format);
    plat::FormatV(text, sizeof text, format, ap);
    va_end(ap);
    int64_t pen = x;
    for (const uint8_t* s = reinterpret_cast<const uint8_t*>(text); *s && pen <= INT32_MAX; ++s, pen += 8) {
        if (*s < 0x20 || *s >= 0x80) continue;
        const int g = *s - 0x20;
        const RECT r{(g % 16) * 8, (g / 16) * 8, (g % 16) * 8 + 8, (g / 16) * 8 + 8};
        BLT_Blt(surface, int32_t(pen), y, sheet, &r, 1);  // a cell beyond the sheet is refused
    }
}

int TXT_SetFont(int32_t slot, int32_t style, int32_t double_size) {
    if (slot >= 0) FNT_Select(slot);
    if (style >= 0) TXT_STATE.style = style;
    if (double_size >= 0) TXT_STATE.double_size = double_size;
    return 1;
}

int FNT_Select(int32_t slot) {
    if (slot < 0 || slot >= FNT_SLOTS || !FNT_TABLE[slot].loaded) return 0;
    TXT_STATE_DATA& t = TXT_STATE;
    if (slot == t.font) return 1;
    t.font = slot;
    // Ruby: the colour set's choice of slot 1 keeps the small font once.
    if (slot == 1 && t.ruby_flag) {
        t.font = 0;
        t.ruby_flag = 0;
    }
    TXT_SetColor(t.top_color, t.bottom_color, t.shadow_color);
    return 1;
}

void TXT_SetColor(int32_t top, int32_t bottom, int32_t shadow) {
    TXT_STATE_DATA& t = TXT_STATE;
    const int last = CurrentLoaded() ? FNT_TABLE[t.font].height - 1 : TXT_ROW_COLORS - 1;
    if (top >= 0) t.top_color = t.row_colors[0] = NotZero(top);
    if (bottom >= 0) t.bottom_color = t.row_colors[last] = NotZero(bottom);
    if (shadow >= 0) t.shadow_color = NotZero(shadow);
    if (top == bottom) return;
    // Per 8-bit channel: T + (B - T) x i / L, truncated toward zero.
    const DdPixelFormat& pf = DD_PIXEL_FORMAT;
    const uint8_t shifts[3] = {pf.r_shift, pf.g_shift, pf.b_shift};
    const uint8_t bits[3] = {pf.r_bits, pf.g_bits, pf.b_bits};
    const uint8_t losses[3] = {pf.r_loss, pf.g_loss, pf.b_loss};
    for (int i = 1; i < last; ++i) {
        uint32_t pixel = 0;
        for (int c = 0; c < 3; ++c) {
            const int tc = ((t.top_color >> shifts[c]) & bits[c]) << losses[c];
            const int bc = ((t.bottom_color >> shifts[c]) & bits[c]) << losses[c];
            const int v = tc + (bc - tc) * i / last;
            pixel |= uint32_t(v >> losses[c]) << shifts[c];
        }
        t.row_colors[i] = NotZero(static_cast<uint16_t>(pixel));
    }
}

void TXT_SetStyle(int32_t style) { TXT_STATE.style = style; }

void TXT_SetDouble(int32_t double_size) { TXT_STATE.double_size = double_size; }

void TXT_GetCellSize(int32_t* width, int32_t* height) {
    const bool dbl = TXT_STATE.double_size != 0;
    const FNT_SLOT* f = CurrentLoaded() ? &FNT_TABLE[TXT_STATE.font] : nullptr;
    if (width) *width = f ? (dbl ? f->width : f->width >> 1) : 0;
    if (height) *height = f ? (dbl ? 2 * f->height : f->height) : 0;
}

void TXT_ResetState() {
    TXT_STATE.font = 0;
    TXT_STATE.style = 0;
    TXT_STATE.double_size = 0;
    TXT_SetColor(DD_RGB(255, 255, 255), 0, 0);
}
