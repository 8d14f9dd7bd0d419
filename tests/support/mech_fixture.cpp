// Mech fixtures: animation sets, pictures and technique files of "player" and "zako01".
#include "tests/support/mech_fixture.h"

#include <filesystem>

#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace support {

SprFile MechSprFile(const std::string& stem, int look) {
    SprFile f;
    f.images = {stem};
    const int32_t half = look ? 24 : 32, tall = look ? 64 : 80;
    for (int frame = 0; frame < kMechFrames; ++frame)
        for (int facing = 0; facing < 8; ++facing) {
            SprPattern p;
            p.wait = uint16_t(1 + frame);
            p.parts.push_back(SprPart{0, RECT{-half, -tall, half, 0},
                                      RECT{frame * 64 + 32 - half, facing * 80 + 80 - tall, frame * 64 + 32 + half, facing * 80 + 80}, 0});
            p.hit[0] = RECT{-half, -tall, half, 0};          // frame rectangle
            p.hit[2] = RECT{-half + 8, -tall + 16, half - 8, -8};  // map test and attack box
            p.hit[4] = RECT{-20, -tall + 10, 20, 0};          // height box
            p.hit[5] = RECT{facing * 2, -40, facing * 2 + 24, -16};
            p.hit[6] = RECT{-30, -30 - frame, 30, -10};
            p.hit[8] = RECT{-8, -8, 8, 8};
            p.hit[13] = RECT{-32, -40, 32, 0};              // map and body box
            p.hit[14] = RECT{-12, -tall, 12, -tall + 12};
            p.hit[15] = RECT{0, 0, 4, 4};
            f.patterns.push_back(p);
        }
    auto seq = [&](int n, std::initializer_list<SprStep> steps) { f.seqs[n] = steps; };
    for (int n = 0; n <= 15; ++n) seq(n, {{uint16_t(8 * (n % 4)), uint16_t(n % 3)}, {uint16_t(8 * ((n + 1) % 4)), 2}});
    for (int n = 20; n <= 30; ++n)
        seq(n, {{0, 1}, {uint16_t(8 * (n % 4)), 3}, {uint16_t(8 * ((n + 2) % 4)), uint16_t(n % 5)}});
    seq(6, {{0, 3}, {8, 3}});                    // stand
    seq(7, {{8, 1}, {16, 2}, {24, 1}, {16, 2}});  // walk
    return f;
}

GrpPicture MechPicture(int look) {
    GrpPicture g = MakeGrp(16, 64 * kMechFrames, 640);
    for (uint32_t y = 0; y < 640; ++y)
        for (uint32_t x = 0; x < g.width; ++x) {
            const uint32_t cx = x % 64, cy = y % 80;
            const bool body = cx >= 8 && cx < 56 && cy >= 4;
            Set555(g, x, y, body ? uint16_t((look ? 0x7C00 : 0x03E0) | ((x / 64) * 5 + (y / 80) * 3)) : 0);
        }
    return g;
}

std::vector<WazaSpec> MechTechniques() {
    std::vector<WazaSpec> v(2);
    v[0].name = "move";
    v[0].heat = 20;
    v[0].slot_act[0] = 0;
    v[0].act[0].key[0] = {20, 0, -1, 0, 0, 24, 1, 0, 0, 0, 127};
    v[0].act[0].speed = 4;
    v[0].act[0].speed_max = 8;
    v[1].name = "loop";
    v[1].slot_act[0] = 0;
    v[1].act[0].key[0] = {21, 0, -1, 0, 4, 255, 0, 0, 0, 0, 127};
    return v;
}

bool WriteMech(const std::string& stem, int look) {
    std::error_code ec;
    std::filesystem::create_directories("Bmp/Meka", ec);
    std::filesystem::create_directories("Dat", ec);
    return WriteSpr("Bmp/Meka/" + stem + ".spr", MechSprFile(stem, look)) &&
           WriteGrp("Bmp/Meka/" + stem + ".grp", MechPicture(look), false) &&
           WriteBytes("Dat/" + stem + ".waz", WriteWaz(MechTechniques()));
}

}  // namespace support
