// A headless 555 display with a fresh sprite layer, pictures written as ".grp" files into a
// temporary directory, and pixel helpers for drawn frames.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"
#include "tests/support/spr_writer.h"

namespace spritetest {

// 555 pixels, as the ".grp" pictures store them, so a picture reaches its surface unchanged.
constexpr uint16_t Rgb(int r, int g, int b) { return uint16_t(r << 10 | g << 5 | b); }

// Releases every user of every image slot.
inline void ReleaseAllImages() {
    for (int i = 0; i < IMG_SLOTS; ++i)
        while (IMG_TABLE[i].count) IMG_Release(i);
}

class SpriteTest : public ::testing::Test {
protected:
    support::HeadlessDisplay display{headless::Config{16, false}};
    support::TempDir dir;

    void SetUp() override {
        ASSERT_TRUE(display.ok);
        SP_Init();
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    }
    void TearDown() override {
        SP_Reset();
        ReleaseAllImages();
    }

    // A w x h picture with pixel(x, y) at dir/<name>.grp; the path with ".bmp", as callers name it.
    std::string Picture(const std::string& name, int w, int h, const std::function<uint16_t(int, int)>& pixel) {
        support::GrpPicture p = support::MakeGrp(16, uint32_t(w), uint32_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) support::Set555(p, uint32_t(x), uint32_t(y), pixel(x, y));
        EXPECT_TRUE(support::WriteGrp(dir.File(name + ".grp"), p, true));
        return dir.File(name + ".bmp");
    }
    std::string Solid(const std::string& name, int w, int h, uint16_t colour) {
        return Picture(name, w, h, [=](int, int) { return colour; });
    }
    // Loads an animation set written from f into a free set; its index or -1.
    int LoadSet(const std::string& name, const support::SprFile& f) {
        const std::string path = dir.File(name + ".spr");
        EXPECT_TRUE(support::WriteSpr(path, f));
        const int set = SPR_FindFreeSet();
        return set >= 0 && SPR_Load(set, path.c_str(), 0) ? set : -1;
    }
    uint16_t Back(int x, int y) { return support::PixelAt(DD_DISPLAY.back, x, y); }
    // The bounding box of the back buffer's pixels equal to v (right and bottom exclusive).
    RECT BoxOf(uint16_t v) {
        RECT r{640, 480, -1, -1};
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (Back(x, y) == v) r = RECT{std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
        return r;
    }
};

}  // namespace spritetest

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& o, const RECT& r) {
    return o << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
