// Logical buttons: maps into the button word, edges, the repeat clock, history and the mouse frame.
#include "shell/sysdat.h"
#include "tests/services/input_fixture.h"

using namespace inputtest;

namespace {
constexpr uint8_t kPad8 = 0x48, kPad6 = 0x4D, kPad3 = 0x51, kPad7 = 0x47, kZ = 0x2C, kX = 0x2D;
constexpr uint32_t kKb = KEY_SOURCE_KEYBOARD, kJoy = KEY_SOURCE_JOYSTICK, kNone = KEY_SOURCE_NONE;

// One poll (at time t when given): held, pressed, released and source.
Values Poll(int64_t t = -1) {
    if (t >= 0) headless::SetTime(uint32_t(t));
    KEY_Poll(&KEY_DATA);
    return {KEY_DATA.held, KEY_DATA.pressed, KEY_DATA.released, KEY_DATA.source};
}
Values Key(uint8_t code, bool down) {
    headless::SetKey(code, down);
    return Poll();
}
// Polls every step ms up to last with the key held; the offsets from t0 at which bit repeated.
Values RepeatTimes(uint32_t t0, uint32_t last, uint32_t step, uint16_t bit) {
    Values fired;
    for (uint32_t dt = 0; dt <= last; dt += step) {
        Poll(t0 + dt);
        if (KEY_DATA.repeat & bit) fired.push_back(dt);
    }
    return fired;
}
}  // namespace

TEST_F(InputTest, InitWritesTheDefaultMapsAndEachEntryGivesItsBitsKeyboardFirst) {
    KEY_DATA = KeyData{1, 2, 0x33, 0x33, 5, 0x10, {}, nullptr, nullptr, kJoy, 3, {7, 7, 7, 7}};
    uint16_t keys[20], pads[20];
    for (int i = 0; i < 20; ++i) keys[i] = uint16_t(0x10 + i), pads[i] = uint16_t(0x100 + i);
    KEY_Init(&KEY_DATA, keys, pads);
    const KeyData& k = KEY_DATA;
    EXPECT_EQ(Values({k.pressed, k.released, k.held, k.repeat, k.repeat_phase, k.delay, k.ring_index, k.source}),
              Values({0, 0, 0, 0, 0, 200, 31, kJoy}));  // the source stays as the last poll set it
    EXPECT_EQ(k.ring, decltype(k.ring){});
    Values want_keys(20, 0xFFFF);
    std::copy(kDefaultKeys, kDefaultKeys + 12, want_keys.begin());
    EXPECT_EQ(Values(SYS_DATA.KEY_MAP, SYS_DATA.KEY_MAP + 20), want_keys);
    // Pad entries 0-7 keep the given map; 8-19 are buttons 0-11.
    EXPECT_EQ(Values(SYS_DATA.PAD_MAP, SYS_DATA.PAD_MAP + 20),
              Values({0x100, 0x101, 0x102, 0x103, 0x104, 0x105, 0x106, 0x107, 0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0,
                      0, 0}));
    KEY_InitDefault();
    EXPECT_EQ(Values(SYS_DATA.PAD_MAP, SYS_DATA.PAD_MAP + 8), Values(8, 0));
    // Each default key gives its logical bits with edges.
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(Key(kDefaultKeys[i], true), Values({kDefaultBits[i], kDefaultBits[i], 0, kKb})) << i;
        EXPECT_EQ(Key(kDefaultKeys[i], false), Values({0, 0, kDefaultBits[i], kNone})) << i;
    }
    // Overlapping holds: only the changed bits are edges.
    headless::SetKey(kZ, true);
    Key(kX, true);
    headless::SetKey(kZ, false);
    EXPECT_EQ(Key(kPad7, true), Values({0x25, 0x05, 0x10, kKb}));
    // Entries past the defaults reach the further actions; the last three give nothing.
    headless::Input().keys.fill(0);
    for (int i = 12; i < 20; ++i) SYS_DATA.KEY_MAP[i] = uint16_t(0x10 + i), headless::SetKey(uint8_t(0x10 + i), true);
    EXPECT_EQ(Poll()[0], 0x1F00);
    // Every key down: unassigned entries and codes past the snapshot (a damaged file) give nothing.
    headless::Input().keys.fill(0x80);
    const uint16_t bad[] = {KEY_UNASSIGNED, 0x100, 0x1FF, 0x12C, 0x8000, 0xFFFE};
    for (int i = 0; i < 20; ++i) SYS_DATA.KEY_MAP[i] = bad[i % 6];
    EXPECT_EQ(Poll(), Values({0, 0, 0x1F00, kNone}));
    SYS_DATA.KEY_MAP[0] = 255;  // the last real code still works
    EXPECT_EQ(Poll()[0], 0x2);
    // The keyboard comes before the joystick.
    headless::Input().keys.fill(0);
    Restart(1);
    Stick(100, 0, 0x1);
    EXPECT_EQ(Key(kX, true), Values({0x20, 0x20, 0, kKb}));
    EXPECT_EQ(Key(kX, false), Values({0x18, 0x18, 0x20, kJoy}));
    EXPECT_EQ(Key(0x1E, true), Values({0x18, 0, 0, kJoy}));  // an unmapped key does not hide the joystick
    // x, y, buttons, logical bits; pad entry 0 (button 3) does nothing, buttons past 11 have no entry.
    const int32_t cases[][4] = {
        {0, -80, 0, 0}, {0, -81, 0, KEY_UP}, {0, 79, 0, 0}, {0, 80, 0, KEY_DOWN}, {-80, 0, 0, 0},
        {-81, 0, 0, KEY_LEFT}, {79, 0, 0, 0}, {80, 0, 0, KEY_RIGHT}, {-100, -100, 0, KEY_UP | KEY_LEFT},
        {100, 100, 0, KEY_DOWN | KEY_RIGHT}, {0, 0, 0x1, 0x10}, {0, 0, 0x2, 0x20}, {0, 0, 0x4, 0x40},
        {0, 0, 0x40, 0x80}, {0, 0, 0x8, 0}, {0, 0, 0x47, 0xF0}, {0, 0, int32_t(0xFFFFF000u), 0},
    };
    for (const auto& c : cases) {
        Stick(c[0], c[1], uint32_t(c[2]));
        const Values w = Poll();
        EXPECT_EQ(Values({w[0], w[3]}), Values({c[3], c[3] ? kJoy : kNone})) << c[0] << "," << c[1] << " " << c[2];
    }
    SYS_DATA.PAD_MAP[8 + 11] = 0x1000;
    SYS_DATA.PAD_MAP[0] = 0x0800;  // entries 0-7 are never read
    Stick(0, 0, 0x800 | 0x100);
    EXPECT_EQ(Poll()[0], 0x1000);
}

TEST_F(InputTest, RepeatOnPressAfterTwoHundredThenEverySixtySixAcrossTheWrapAndHistory) {
    headless::SetKey(kZ, true);
    EXPECT_EQ(RepeatTimes(5000, 400, 1, 0x10), Values({0, 200, 266, 332, 398}));
    // Coarse polls: each repeat waits for the first poll past its time and restarts from there.
    KEY_InitDefault();
    EXPECT_EQ(RepeatTimes(5000, 600, 50, 0x10), Values({0, 200, 300, 400, 500, 600}));
    // Release ends the repeat; the next press starts over with the long delay.
    headless::SetKey(kZ, false);
    Poll(5610);
    EXPECT_EQ(Values({KEY_DATA.repeat, KEY_DATA.press_time[4]}), Values({0, KEY_NOT_HELD}));
    headless::SetKey(kZ, true);
    EXPECT_EQ(RepeatTimes(5620, 200, 1, 0x10), Values({0, 200}));
    // Per bit across the clock's wrap: up pressed 10 ms before it, right at the clock's last value.
    KEY_InitDefault();
    headless::Input().keys.fill(0);
    const uint32_t steps[][3] = {
        {kPad8, 0xFFFFFFF5u, 0x1}, {kPad6, 0xFFFFFFFFu, 0x8},
        {0, 0x00000000u, 0},  // a press at the clock's top is still held, not pressed anew
        {0, 0xFFFFFFF5u + 199, 0}, {0, 0xFFFFFFF5u + 200, 0x1},
        {0, 0xFFFFFFFFu + 199, 0x8},  // the right key's delay counts from 1 ms before its press
        {0, 0xFFFFFFF5u + 266, 0x1},
    };
    for (const auto& s : steps) {
        if (s[0]) headless::SetKey(uint8_t(s[0]), true);
        Poll(s[1]);
        EXPECT_EQ(KEY_DATA.repeat, s[2]) << s[1];
    }
    // History holds the held words of the last 32 polls.
    headless::Input().keys.fill(0);
    KEY_InitDefault();
    Poll();
    EXPECT_EQ(KEY_DATA.ring_index, 0);  // the first poll after a reset lands in entry 0
    Values words;
    for (int p = 0; p < 40; ++p) {
        words.push_back(Key(kDefaultKeys[p % 12], true)[0]);
        headless::SetKey(kDefaultKeys[p % 12], false);
    }
    for (int n = 0; n < 32; ++n) EXPECT_EQ(KEY_GetHistory(&KEY_DATA, n), words[words.size() - 1 - n]) << n;
    // Outside 0..31 the index wraps into the ring.
    const int wraps[][2] = {{32, 0}, {-1, 31}, {1000000 * 32 + 3, 3}, {INT32_MIN, 0}, {INT32_MAX, 31}};
    for (const auto& w : wraps) EXPECT_EQ(KEY_GetHistory(&KEY_DATA, w[0]), KEY_GetHistory(&KEY_DATA, w[1])) << w[0];
}

TEST_F(InputTest, UpdateFillsTheMouseFrameAndAClickGivesEdgeNineThenZero) {
    const uint32_t frames[][3] = {{0, 0, 0}, {0x1, 9, 9}, {0x1, 1, 0}, {0x3, 0x13, 0x12}, {0, 0, 0}};
    for (const auto& f : frames) {
        headless::SetMouse(301, 202, uint8_t(f[0]));
        KEY_Update();
        EXPECT_EQ(Values({MOUSE_FRAME.x, MOUSE_FRAME.y, MOUSE_FRAME.buttons, MOUSE_FRAME.edge}),
                  Values({301, 202, f[1], f[2]}));
    }
    // The same step polls the buttons; deactivation lets them go until the next activation.
    headless::SetKey(kPad3, true);
    headless::SetMouse(10, 10, 0x1);
    KEY_Update();
    EXPECT_EQ(Values({KEY_DATA.held, KEY_DATA.ring[KEY_DATA.ring_index]}), Values({0xA, 0xA}));
    Activate(false);
    KEY_Update();
    EXPECT_EQ(Values({KEY_DATA.released, MOUSE_FRAME.buttons}), Values({0xA, 0}));
    Activate(true);
    KEY_Update();
    EXPECT_EQ(KEY_DATA.pressed, 0xA);
    // Keys step the pointer along the held directions; an unchanged point leaves it alone.
    int32_t x = 100, y = 100;
    MOUSE_MoveByKeys(&KEY_DATA, display.window, &x, &y, 4, 0);
    EXPECT_EQ(Values({x, y, headless::Input().mouse_x, headless::Input().mouse_y}), Values(4, 104));
    Key(kPad3, false);
    headless::SetMouse(1, 1, 0);
    MOUSE_MoveByKeys(&KEY_DATA, display.window, &x, &y, 4, 0);
    EXPECT_EQ(headless::Input().mouse_x, 1);
}
