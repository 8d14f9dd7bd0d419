// Per-channel reference formulas for the blend tests, written from the channel rules alone.
#pragma once
#include <algorithm>
#include <cstdint>

namespace ref {
inline int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Bank b of the blend table for destination channel d and source channel s (5 bits each).
inline int Bank(int b, int d, int s) {
    if (b == 0 || b == 31) return b == 31 || s == 0 ? s : d;
    if (b > 31) return std::min(31, d + s * (b - 32) / 32);
    const int v = d + FloorDiv((s - d) * b, 32);
    return (s != 0 && v == 0) ? 1 : v;
}

// A pixel split into channels; green is 6 bits in 565, top is 555 bit 15.
struct Rgb {
    int r, g, b;
    bool top;
};
inline Rgb Split(uint16_t p, bool is565) {
    return is565 ? Rgb{p >> 11, (p >> 5) & 63, p & 31, false} : Rgb{(p >> 10) & 31, (p >> 5) & 31, p & 31, (p & 0x8000) != 0};
}
inline uint16_t Join(const Rgb& c, bool is565) {
    return static_cast<uint16_t>(is565 ? c.r << 11 | c.g << 5 | c.b : (c.top ? 0x8000 : 0) | c.r << 10 | c.g << 5 | c.b);
}
// Green as the tables see it: 5 bits (565: the top five of six).
inline int Green5(uint16_t p, bool is565) { return is565 ? (p >> 6) & 31 : (p >> 5) & 31; }
inline int Green6Of5(int g5, bool is565) { return is565 ? g5 << 1 : g5; }

// Every channel through its own bank.
inline uint16_t BankBlend(uint16_t d, uint16_t s, int rb, int gb, int bb, bool is565) {
    const Rgb dc = Split(d, is565), sc = Split(s, is565);
    return Join(Rgb{Bank(rb, dc.r, sc.r), Green6Of5(Bank(gb, Green5(d, is565), Green5(s, is565)), is565), Bank(bb, dc.b, sc.b), false}, is565);
}
// floor(c x level / 32) for every channel (level 0-31), and c + floor((max - c) x level / 32).
inline uint16_t Dim(uint16_t s, int level, bool is565) {
    const Rgb c = Split(s, is565);
    return Join(Rgb{c.r * level / 32, c.g * level / 32, c.b * level / 32, false}, is565);
}
inline uint16_t Whiten(uint16_t s, int level, bool is565) {
    const Rgb c = Split(s, is565);
    return Join(Rgb{c.r + (31 - c.r) * level / 32, c.g + ((is565 ? 63 : 31) - c.g) * level / 32, c.b + (31 - c.b) * level / 32, false}, is565);
}
// What the grey word of amount L takes from each channel: the bits of L (and of its copies shifted
// to the green and red places) that fall in the channel, its lowest bit left out.
inline Rgb GreyAmounts(uint32_t L, bool is565) {
    const uint32_t word = is565 ? (L | L << 6 | L << 11) : (L | L << 5 | L << 10);
    const Rgb a = Split(static_cast<uint16_t>(word), is565);
    return Rgb{a.r & 30, a.g & (is565 ? 62 : 30), a.b & 30, false};
}
// Grey darkening by amount L: each channel's borrow passes to the one above.
inline uint16_t Darken(uint16_t s, uint32_t L, bool is565) {
    const Rgb c = Split(s, is565), a = GreyAmounts(L, is565);
    const int b = c.b - a.b, g = (c.g | 1) - a.g - (b < 0), r = (c.r | 1) - a.r - (g < 0);
    return Join(Rgb{std::max(r, 0), g >= 0 ? g : is565 && b >= 0 ? 1 : 0, std::max(b, 0), r >= 0}, is565);
}
// Grey lightening by amount L: even channels capped at 30 (565 green at 62).
inline uint16_t Brighten(uint16_t s, uint32_t L, bool is565) {
    const Rgb c = Split(s, is565), a = GreyAmounts(L, is565);
    const int g = is565 ? std::min(62, (c.g & 62) + a.g) : std::min(30, (c.g & 30) + a.g);
    return Join(Rgb{std::min(30, (c.r & 30) + a.r), g, std::min(30, (c.b & 30) + a.b), false}, is565);
}
// One channel through a tint level 0-62.
inline int Tint(int c, int v) {
    if (v <= 0 || v == 31) return v <= 0 ? 0 : c;
    if (v < 31) return c == 0 ? 0 : std::max(1, c * v / 32);
    return v < 62 ? 31 + FloorDiv((c - 31) * (62 - v), 32) : c == 0 ? 0 : 31;
}
inline uint16_t TintRgb(uint16_t s, int rv, int gv, int bv, bool is565) {
    const Rgb c = Split(s, is565);
    return Join(Rgb{Tint(c.r, rv), Green6Of5(Tint(Green5(s, is565), gv), is565), Tint(c.b, bv), false}, is565);
}
}  // namespace ref
