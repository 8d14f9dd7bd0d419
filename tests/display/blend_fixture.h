// A fresh display in one pixel layout per test (the parameter says 565), with surfaces that are
// released before the display goes, random pictures and pixels built from channels.
#pragma once
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "display/dd_display.h"
#include "tests/support/fixture.h"

namespace blendtest {

inline headless::Config Format(bool is565, int extra_pitch = 0) {
    headless::Config c;
    c.is565 = is565;
    c.extra_pitch = extra_pitch;
    return c;
}

inline void Fill(DDSurface* s, const std::vector<uint16_t>& px) {
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) support::SetPixel(s, x, y, px[size_t(y) * s->Width() + x]);
}

class Layout : public ::testing::TestWithParam<bool> {
protected:
    Layout() : display(Format(GetParam())) {}
    void SetUp() override { ASSERT_TRUE(display.ok); }
    void TearDown() override {
        for (DDSurface* s : made) DD_ReleaseSurface(s);
    }
    DDSurface* Make(int w, int h, const std::vector<uint16_t>& px = {}) {
        made.push_back(support::MakeSurface(w, h, px));
        return made.back();
    }
    std::vector<uint16_t> Random(size_t n) {
        std::vector<uint16_t> v(n);
        for (auto& p : v) p = static_cast<uint16_t>(rng());
        return v;
    }
    bool is565() const { return GetParam(); }
    // Green is given in five bits; 565 puts it at the top of its six.
    uint16_t Px(int r, int g5, int b) const {
        return is565() ? uint16_t(r << 11 | g5 << 6 | b) : uint16_t(r << 10 | g5 << 5 | b);
    }
    uint16_t White() const { return is565() ? 0xFFFF : 0x7FFF; }

    support::HeadlessDisplay display;
    std::mt19937 rng{1234};
    std::vector<DDSurface*> made;
};

inline std::string LayoutName(const ::testing::TestParamInfo<bool>& i) { return i.param ? "565" : "555"; }

}  // namespace blendtest
