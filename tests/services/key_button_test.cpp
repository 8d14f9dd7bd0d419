// Logical buttons: maps into the button word, edges, the repeat clock, history and the mouse frame.
#include <gtest/gtest.h>

#include <vector>

#include "shell/sysdat.h"
#include "tests/services/input_fixture.h"

using inputtest::InputTest;
using WithJoystick = inputtest::WithJoysticks<1>;

namespace {
constexpr uint8_t kPad2 = 0x50, kPad1 = 0x4F, kPad4 = 0x4B, kPad7 = 0x47, kPad8 = 0x48, kPad9 = 0x49,
                  kPad6 = 0x4D, kPad3 = 0x51, kZ = 0x2C, kX = 0x2D, kC = 0x2E, kPad5 = 0x4C;

void Poll() { KEY_Poll(&KEY_DATA); }

void PollAt(uint32_t t) {
    headless::SetTime(t);
    Poll();
}

// held, pressed, released and source of the last poll in one comparable value.
std::vector<uint32_t> Word() { return {KEY_DATA.held, KEY_DATA.pressed, KEY_DATA.released, KEY_DATA.source}; }
std::vector<uint32_t> Word(uint32_t held, uint32_t pressed, uint32_t released, uint32_t source) {
    return {held, pressed, released, source};
}

// Polls at each time with the key held; the offsets from t0 at which bit fired its repeat.
std::vector<uint32_t> RepeatTimes(uint32_t t0, uint32_t last, uint32_t step, uint16_t bit) {
    std::vector<uint32_t> fired;
    for (uint32_t dt = 0; dt <= last; dt += step) {
        PollAt(t0 + dt);
        if (KEY_DATA.repeat & bit) fired.push_back(dt);
    }
    return fired;
}
}  // namespace

TEST_F(InputTest, InitResetsTheControllerAndAlwaysWritesTheDefaultAssignment) {
    KEY_DATA.held = KEY_DATA.repeat = 0x33;
    KEY_DATA.repeat_phase = 0x10;
    KEY_DATA.delay = 5;
    KEY_DATA.ring[3] = 7;
    KEY_DATA.press_time[2] = 9;
    KEY_DATA.source = KEY_SOURCE_JOYSTICK;
    uint16_t keys[20], pads[20];
    for (int i = 0; i < 20; ++i) keys[i] = uint16_t(0x10 + i), pads[i] = uint16_t(0x100 + i);
    KEY_Init(&KEY_DATA, keys, pads);
    EXPECT_EQ(KEY_DATA.held | KEY_DATA.repeat | KEY_DATA.repeat_phase | KEY_DATA.ring[3], 0u);
    EXPECT_EQ(KEY_DATA.delay, 200u);
    EXPECT_EQ(KEY_DATA.ring_index, 31);
    EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_JOYSTICK);  // left as the last poll set it
    for (uint32_t t : KEY_DATA.press_time) EXPECT_EQ(t, KEY_NOT_HELD);
    EXPECT_EQ(KEY_DATA.key_map, SYS_DATA.KEY_MAP);
    EXPECT_EQ(KEY_DATA.pad_map, SYS_DATA.PAD_MAP);
    const std::vector<uint16_t> want_keys = {kPad2, kPad1, kPad4, kPad7, kPad8, kPad9, kPad6, kPad3, kZ, kX,
                                             kC, kPad5, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    // Pad entries 0-7 keep the given map; 8-19 are buttons 0-11.
    const std::vector<uint16_t> want_pads = {0x100, 0x101, 0x102, 0x103, 0x104, 0x105, 0x106, 0x107, 0x10, 0x20,
                                             0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint16_t>(SYS_DATA.KEY_MAP, SYS_DATA.KEY_MAP + 20), want_keys);
    EXPECT_EQ(std::vector<uint16_t>(SYS_DATA.PAD_MAP, SYS_DATA.PAD_MAP + 20), want_pads);
    KEY_InitDefault();
    EXPECT_EQ(std::vector<uint16_t>(SYS_DATA.PAD_MAP, SYS_DATA.PAD_MAP + 8), std::vector<uint16_t>(8, 0));
}

TEST_F(InputTest, EachMapEntryGivesItsLogicalBitsWithEdges) {
    const uint8_t keys[12] = {kPad2, kPad1, kPad4, kPad7, kPad8, kPad9, kPad6, kPad3, kZ, kX, kC, kPad5};
    const uint16_t bits[12] = {0x2, 0x6, 0x4, 0x5, 0x1, 0x9, 0x8, 0xA, 0x10, 0x20, 0x40, 0x80};
    for (int i = 0; i < 12; ++i) {
        headless::SetKey(keys[i], true);
        Poll();
        EXPECT_EQ(Word(), Word(bits[i], bits[i], 0, KEY_SOURCE_KEYBOARD)) << i;
        headless::SetKey(keys[i], false);
        Poll();
        EXPECT_EQ(Word(), Word(0, 0, bits[i], KEY_SOURCE_NONE)) << i;
    }
    // Overlapping holds: only the changed bits are edges.
    headless::SetKey(kZ, true);
    headless::SetKey(kX, true);
    Poll();
    headless::SetKey(kZ, false);
    headless::SetKey(kPad7, true);
    Poll();
    EXPECT_EQ(Word(), Word(0x25, 0x05, 0x10, KEY_SOURCE_KEYBOARD));
    // Entries past the defaults reach the further actions; the last three give nothing.
    headless::Input().keys.fill(0);
    for (int i = 12; i < 20; ++i) SYS_DATA.KEY_MAP[i] = uint16_t(0x10 + i), headless::SetKey(uint8_t(0x10 + i), true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x1F00);
}

TEST_F(InputTest, UnassignedAndOutOfRangeEntriesNeverContribute) {
    for (int k = 0; k < 256; ++k) headless::SetKey(uint8_t(k), true);
    for (int i = 0; i < 20; ++i) SYS_DATA.KEY_MAP[i] = 0xFFFF;
    Poll();
    EXPECT_EQ(Word(), Word(0, 0, 0, KEY_SOURCE_NONE));
    // A damaged settings file: codes past the snapshot (truncated they would name held keys).
    const uint16_t damaged[] = {0x100, 0x1FF, 0x12C, 0x8000, 0xFFFE};
    for (int i = 0; i < 5; ++i) SYS_DATA.KEY_MAP[8 + i] = damaged[i];
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0);
    SYS_DATA.KEY_MAP[0] = 255;  // the last real code still works
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x2);
}

TEST_F(InputTest, RepeatFiresOnPressAfterTwoHundredThenEverySixtySix) {
    headless::SetKey(kZ, true);
    EXPECT_EQ(RepeatTimes(5000, 400, 1, 0x10), (std::vector<uint32_t>{0, 200, 266, 332, 398}));
    // Coarse polls: each repeat waits for the first poll past its time and restarts from there.
    KEY_InitDefault();
    EXPECT_EQ(RepeatTimes(5000, 600, 50, 0x10), (std::vector<uint32_t>{0, 200, 300, 400, 500, 600}));
    // Release ends the repeat; the next press starts over with the long delay.
    headless::SetKey(kZ, false);
    PollAt(5610);
    EXPECT_EQ(KEY_DATA.repeat, 0);
    EXPECT_EQ(KEY_DATA.press_time[4], KEY_NOT_HELD);
    headless::SetKey(kZ, true);
    EXPECT_EQ(RepeatTimes(5620, 200, 1, 0x10), (std::vector<uint32_t>{0, 200}));
}

TEST_F(InputTest, RepeatRunsPerBitAcrossTheClocksWrap) {
    // Up is pressed 10 ms before the wrap, right at the clock's last value.
    headless::SetKey(kPad8, true);
    PollAt(0xFFFFFFF5u);
    EXPECT_EQ(KEY_DATA.repeat, 0x1);
    headless::SetKey(kPad6, true);
    PollAt(0xFFFFFFFFu);
    EXPECT_EQ(KEY_DATA.repeat, 0x8);
    struct Step {
        uint32_t t;
        uint16_t repeat;
    };
    const Step steps[] = {
        {0x00000000u, 0},  // a press at the clock's top is still held, not pressed anew
        {0xFFFFFFF5u + 199, 0},
        {0xFFFFFFF5u + 200, 0x1},
        {0xFFFFFFFFu + 199, 0x8},  // the right key's delay counts from 1 ms before its press
        {0xFFFFFFF5u + 266, 0x1},
    };
    for (const Step& s : steps) {
        PollAt(s.t);
        EXPECT_EQ(KEY_DATA.repeat, s.repeat) << s.t;
    }
}

TEST_F(WithJoystick, KeyboardComesBeforeTheJoystick) {
    Stick(100, 0, 0x1);
    headless::SetKey(kX, true);
    Poll();
    EXPECT_EQ(Word(), Word(0x20, 0x20, 0, KEY_SOURCE_KEYBOARD));
    headless::SetKey(kX, false);
    Poll();
    EXPECT_EQ(Word(), Word(0x18, 0x18, 0x20, KEY_SOURCE_JOYSTICK));
    headless::SetKey(0x1E, true);  // an unmapped key does not hide the joystick
    Poll();
    EXPECT_EQ(Word(), Word(0x18, 0, 0, KEY_SOURCE_JOYSTICK));
}

TEST_F(WithJoystick, StickThresholdsAndThePadMap) {
    struct Case {
        int x, y;
        uint32_t buttons;
        uint16_t bits;
    };
    const Case cases[] = {
        {0, -80, 0, 0}, {0, -81, 0, KEY_UP}, {0, 79, 0, 0}, {0, 80, 0, KEY_DOWN}, {-80, 0, 0, 0},
        {-81, 0, 0, KEY_LEFT}, {79, 0, 0, 0}, {80, 0, 0, KEY_RIGHT},
        {-100, -100, 0, KEY_UP | KEY_LEFT}, {100, 100, 0, KEY_DOWN | KEY_RIGHT},
        {0, 0, 0x1, 0x10}, {0, 0, 0x2, 0x20}, {0, 0, 0x4, 0x40}, {0, 0, 0x40, 0x80},
        {0, 0, 0x8, 0},             // a pad entry of 0 does nothing
        {0, 0, 0x47, 0xF0},
        {0, 0, 0xFFFFF000u, 0},     // buttons past 11 have no entry
    };
    for (const Case& c : cases) {
        Stick(c.x, c.y, c.buttons);
        Poll();
        int32_t x = 0, y = 0;
        ASSERT_EQ(INP_GetJoystick(0, &x, &y, nullptr), 1);
        ASSERT_EQ(std::vector<int32_t>({x, y}), std::vector<int32_t>({c.x, c.y}));
        EXPECT_EQ(KEY_DATA.held, c.bits) << c.x << "," << c.y << " buttons " << c.buttons;
        EXPECT_EQ(KEY_DATA.source, c.bits ? KEY_SOURCE_JOYSTICK : KEY_SOURCE_NONE);
    }
    SYS_DATA.PAD_MAP[8 + 11] = 0x1000;
    SYS_DATA.PAD_MAP[0] = 0x0800;  // entries 0-7 are never read
    Stick(0, 0, 0x800 | 0x100);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x1000);
}

TEST_F(InputTest, HistoryHoldsTheLastThirtyTwoPolls) {
    KEY_Poll(&KEY_DATA);
    EXPECT_EQ(KEY_DATA.ring_index, 0);  // the first poll after a reset lands in entry 0
    std::vector<uint16_t> words;
    const uint8_t keys[] = {kPad2, kPad4, kPad8, kPad6, kZ, kX, kC, kPad5};
    for (int p = 0; p < 40; ++p) {
        headless::SetKey(keys[p % 8], true);
        Poll();
        headless::SetKey(keys[p % 8], false);
        words.push_back(KEY_DATA.held);
    }
    for (int n = 0; n < 32; ++n) EXPECT_EQ(KEY_GetHistory(&KEY_DATA, n), words[words.size() - 1 - n]) << n;
    // Outside 0..31 the index wraps into the ring.
    const int wraps[][2] = {{32, 0}, {-1, 31}, {1000000 * 32 + 3, 3}, {INT32_MIN, 0}, {INT32_MAX, 31}};
    for (const auto& w : wraps) EXPECT_EQ(KEY_GetHistory(&KEY_DATA, w[0]), KEY_GetHistory(&KEY_DATA, w[1])) << w[0];
}

TEST_F(InputTest, UpdateFillsTheMouseFrameAndAClickGivesEdgeNineThenZero) {
    struct Frame {
        uint8_t physical;
        uint32_t buttons, edge;
    };
    const Frame frames[] = {{0, 0, 0}, {0x1, 9, 9}, {0x1, 1, 0}, {0x3, 0x13, 0x12}, {0, 0, 0}};
    for (const Frame& f : frames) {
        headless::SetMouse(301, 202, f.physical);
        KEY_Update();
        EXPECT_EQ(std::vector<uint32_t>({uint32_t(MOUSE_FRAME.x), uint32_t(MOUSE_FRAME.y), MOUSE_FRAME.buttons,
                                         MOUSE_FRAME.edge}),
                  std::vector<uint32_t>({301, 202, f.buttons, f.edge}));
    }
    // The same step polls the buttons; deactivation lets them go until the next activation.
    headless::SetKey(kPad9, true);
    headless::SetMouse(10, 10, 0x1);
    KEY_Update();
    EXPECT_EQ(KEY_DATA.held, 0x9);
    EXPECT_EQ(KEY_DATA.ring[KEY_DATA.ring_index], 0x9);
    inputtest::Activate(false);
    KEY_Update();
    EXPECT_EQ(KEY_DATA.released, 0x9);
    EXPECT_EQ(MOUSE_FRAME.buttons, 0u);
    inputtest::Activate(true);
    KEY_Update();
    EXPECT_EQ(KEY_DATA.pressed, 0x9);
}

TEST_F(InputTest, MoveByKeysStepsThePointerAlongHeldDirections) {
    int32_t x = 100, y = 100;
    headless::SetKey(kPad3, true);
    Poll();
    MOUSE_MoveByKeys(&KEY_DATA, display->window, &x, &y, 4, 0);
    EXPECT_EQ(std::vector<int32_t>({x, y, headless::Input().mouse_x, headless::Input().mouse_y}),
              std::vector<int32_t>({104, 104, 104, 104}));
    headless::SetKey(kPad3, false);
    Poll();
    headless::SetMouse(1, 1, 0);
    MOUSE_MoveByKeys(&KEY_DATA, display->window, &x, &y, 4, 0);  // unchanged point: pointer left alone
    EXPECT_EQ(headless::Input().mouse_x, 1);
}
