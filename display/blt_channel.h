// Per-pixel channel operations shared by the table-driven blitters (used inside the blit walks).
#pragma once
#include <cstdint>

#include "display/blt_level.h"

namespace blt {

// Channel positions of a layout: 555 red 10-14, green 5-9; 565 red 11-15, green looked up by
// its top five bits 6-10 (its lowest bit comes out 0). Blue is bits 0-4 in both.
template <bool Is565>
struct Channels {
    static constexpr int kRed = Is565 ? 11 : 10;
    static constexpr int kGreen = Is565 ? 6 : 5;
};

// Each channel becomes the entry of its own bank for (destination channel, source channel).
template <bool Is565>
struct BankBlendOp {
    const uint8_t* red;
    const uint8_t* green;
    const uint8_t* blue;
    void Pixel(uint16_t* d, uint16_t s, int) const {
        using C = Channels<Is565>;
        const uint32_t p = *d;
        *d = static_cast<uint16_t>(red[((p >> C::kRed) & 31) * 32 + ((s >> C::kRed) & 31)] << C::kRed |
                                   green[((p >> C::kGreen) & 31) * 32 + ((s >> C::kGreen) & 31)] << C::kGreen |
                                   blue[(p & 31) * 32 + (s & 31)]);
    }
};

// Each channel of the source through a 32-entry row; the destination is not read.
template <bool Is565>
struct RowLookupOp {
    const uint8_t* red;
    const uint8_t* green;
    const uint8_t* blue;
    void Pixel(uint16_t* d, uint16_t s, int) const {
        using C = Channels<Is565>;
        *d = static_cast<uint16_t>(red[(s >> C::kRed) & 31] << C::kRed | green[(s >> C::kGreen) & 31] << C::kGreen |
                                   blue[s & 31]);
    }
};

inline int32_t ClampBank(int32_t bank) { return bank < 0 ? 0 : bank >= BLT_BLEND_BANKS ? BLT_BLEND_BANKS - 1 : bank; }

}  // namespace blt
