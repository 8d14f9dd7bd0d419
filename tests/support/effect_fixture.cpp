// The effect animation set fixture: one 16 x 16 picture per direction, boxes on every pattern.
#include "tests/support/effect_fixture.h"

#include <cmath>
#include <filesystem>

#include "tests/support/fixture.h"

namespace support {

namespace {
// The 16 x 16 picture of direction d (of 24) centred on the position, with the boxes every pattern has.
SprPattern Cell(int d) {
    SprPattern p = OnePart((d % kEffectDirections) * 16, 0, 16, 16);
    p.parts[0].dest = RECT{-8, -8, 8, 8};
    p.wait = 1;
    p.hit[0] = RECT{-8, -8, 8, 8};
    p.hit[2] = RECT{-4, -4, 4, 4};
    p.hit[4] = RECT{-4, -8, 4, 0};
    p.hit[5] = RECT{-6, -6, 6, 6};
    p.hit[13] = RECT{-4, -4, 4, 4};
    p.hit[15] = RECT{0, -1, 2, 1};
    return p;
}
}  // namespace

SprFile EffectSprFile() {
    SprFile f;
    f.images = {"effect"};
    for (int s = kEffectFirstSeq; s <= kEffectLastSeq; ++s) {
        for (int d = 0; d < kEffectDirections; ++d) {
            SprPattern p = Cell(d);
            p.hit[8] = RECT{d - 12, -2, d - 10, 2};  // a point that turns with the direction
            f.patterns.push_back(p);
        }
        const uint16_t base = uint16_t((s - kEffectFirstSeq) * kEffectDirections);
        f.seqs[size_t(s)] = {{base, 0}, {base, 1}};
    }
    // The beam trail (97) points its box 8 30 pixels along its 40 directions, towards the bullet it
    // follows, so each successor lies nearer to the bullet.
    const uint16_t trail = uint16_t(f.patterns.size());
    for (int d = 0; d < kBulletDirections; ++d) {
        SprPattern p = f.patterns[size_t((97 - kEffectFirstSeq) * kEffectDirections + d % kEffectDirections)];
        const POINT tip = BulletTip(d);
        p.hit[8] = RECT{tip.x * 5 / 2, tip.y * 5 / 2, tip.x * 5 / 2 + 1, tip.y * 5 / 2 + 1};
        f.patterns.push_back(p);
    }
    f.seqs[97] = {{trail, 0}, {trail, 1}};
    const std::vector<SprStep> waits[3] = {{{0, 0}, {0, 1}}, {{0, 1}, {0, 3}, {0, 5}}, {{0, 2}}};
    for (int s = kBulletSeq; s <= kBulletStillSeq; ++s) {
        const uint16_t base = uint16_t(f.patterns.size());
        for (int d = 0; d < kBulletDirections; ++d) {
            SprPattern p = Cell(d);
            p.hit[6] = RECT{-2, -10, 2, -6};
            const POINT tip = BulletTip(d);
            p.hit[8] = RECT{tip.x, tip.y, tip.x + 1, tip.y + 1};
            f.patterns.push_back(p);
        }
        std::vector<SprStep> steps = waits[s - kBulletSeq];
        for (SprStep& st : steps) st.pattern = base;
        f.seqs[size_t(s)] = steps;
    }
    return f;
}

POINT BulletTip(int d) {
    const double a = d * 9.0 * 3.14159265358979 / 180.0;  // 0 down, clockwise on the screen
    return {int32_t(std::lround(-12 * std::sin(a))), int32_t(std::lround(12 * std::cos(a)))};
}

GrpPicture EffectPicture() {
    GrpPicture g = MakeGrp(16, 16 * kEffectDirections, 16);
    for (uint32_t y = 0; y < g.height; ++y)
        for (uint32_t x = 0; x < g.width; ++x) {
            const uint32_t cx = x % 16 < 8 ? x % 16 : 15 - x % 16, cy = y < 8 ? y : 15 - y;
            Set555(g, x, y, cx + cy >= 5 ? uint16_t(0x7C00 | (x / 16) << 5 | 0x10) : 0);
        }
    return g;
}

bool WriteEffect() {
    std::error_code ec;
    std::filesystem::create_directories("Bmp/Effect", ec);
    static const std::vector<uint8_t> spr = SprBytes(EffectSprFile());  // packing it is slow: once
    return WriteBytes("Bmp/Effect/Effect.spr", spr) && WriteGrp("Bmp/Effect/effect.grp", EffectPicture(), false);
}

}  // namespace support
