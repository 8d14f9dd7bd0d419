// Logical buttons: maps into the button word, edges, the repeat clock, history and the mouse frame.
#include <gtest/gtest.h>

#include <vector>

#include "shell/sysdat.h"
#include "tests/services/input_fixture.h"

using inputtest::InputTest;

namespace {
constexpr uint8_t kPad2 = 0x50, kPad1 = 0x4F, kPad4 = 0x4B, kPad7 = 0x47, kPad8 = 0x48, kPad9 = 0x49,
                  kPad6 = 0x4D, kPad3 = 0x51, kZ = 0x2C, kX = 0x2D, kC = 0x2E, kPad5 = 0x4C;

void Poll() { KEY_Poll(&KEY_DATA); }

void PollAt(uint32_t t) {
    headless::SetTime(t);
    Poll();
}
}  // namespace

TEST_F(InputTest, InitResetsTheControllerAndAlwaysWritesTheDefaultAssignment) {
    KEY_DATA.held = 0x33;
    KEY_DATA.delay = 5;
    uint16_t keys[20], pads[20];
    for (int i = 0; i < 20; ++i) keys[i] = uint16_t(0x10 + i), pads[i] = uint16_t(0x100 + i);
    KEY_Init(&KEY_DATA, keys, pads);
    EXPECT_EQ(KEY_DATA.held, 0);
    EXPECT_EQ(KEY_DATA.delay, 200u);
    EXPECT_EQ(KEY_DATA.ring_index, 31);
    for (uint32_t t : KEY_DATA.press_time) EXPECT_EQ(t, KEY_NOT_HELD);
    EXPECT_EQ(KEY_DATA.key_map, SYS_DATA.KEY_MAP);
    EXPECT_EQ(KEY_DATA.pad_map, SYS_DATA.PAD_MAP);
    const uint16_t want_keys[20] = {kPad2, kPad1, kPad4, kPad7, kPad8, kPad9, kPad6, kPad3, kZ, kX, kC, kPad5,
                                    0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint16_t want_pads[12] = {0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i) EXPECT_EQ(SYS_DATA.KEY_MAP[i], want_keys[i]) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[i], 0x100 + i) << i;  // kept from the given map
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[8 + i], want_pads[i]) << i;
    KEY_InitDefault();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[i], 0) << i;
}

TEST_F(InputTest, EachDefaultKeyGivesItsLogicalBits) {
    struct Case {
        uint8_t key;
        uint16_t bits;
    };
    const Case cases[] = {{kPad2, 0x2}, {kPad1, 0x6}, {kPad4, 0x4}, {kPad7, 0x5}, {kPad8, 0x1}, {kPad9, 0x9},
                          {kPad6, 0x8}, {kPad3, 0xA}, {kZ, 0x10},   {kX, 0x20},   {kC, 0x40},   {kPad5, 0x80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.key));
        headless::SetKey(c.key, true);
        Poll();
        EXPECT_EQ(KEY_DATA.held, c.bits);
        EXPECT_EQ(KEY_DATA.pressed, c.bits);
        EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_KEYBOARD);
        headless::SetKey(c.key, false);
        Poll();
        EXPECT_EQ(KEY_DATA.held, 0);
        EXPECT_EQ(KEY_DATA.released, c.bits);
        EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_NONE);
    }
    // Remapped entries reach the actions past the default ones; the last three entries give nothing.
    for (int i = 12; i < 20; ++i) SYS_DATA.KEY_MAP[i] = uint16_t(0x10 + i);
    for (int i = 12; i < 20; ++i) headless::SetKey(uint8_t(0x10 + i), true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x1F00);
}

TEST_F(InputTest, EdgesFollowTheHeldWord) {
    headless::SetKey(kZ, true);
    Poll();
    headless::SetKey(kX, true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x30);
    EXPECT_EQ(KEY_DATA.pressed, 0x20);
    EXPECT_EQ(KEY_DATA.released, 0);
    headless::SetKey(kZ, false);
    headless::SetKey(kPad7, true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x25);
    EXPECT_EQ(KEY_DATA.pressed, 0x05);
    EXPECT_EQ(KEY_DATA.released, 0x10);
}

TEST_F(InputTest, UnassignedAndOutOfRangeEntriesNeverContribute) {
    for (int k = 0; k < 256; ++k) headless::SetKey(uint8_t(k), true);
    for (int i = 0; i < 20; ++i) SYS_DATA.KEY_MAP[i] = 0xFFFF;
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0);
    EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_NONE);
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
    const uint32_t t0 = 5000;
    headless::SetKey(kZ, true);
    // Poll every 1 ms and note every poll with the repeat bit.
    std::vector<uint32_t> fired;
    for (uint32_t t = t0; t <= t0 + 400; ++t) {
        PollAt(t);
        if (KEY_DATA.repeat & 0x10) fired.push_back(t - t0);
    }
    EXPECT_EQ(fired, (std::vector<uint32_t>{0, 200, 266, 332, 398}));

    // Coarse polls: each repeat waits for the first poll past its time and restarts from there.
    KEY_InitDefault();
    fired.clear();
    for (uint32_t t = t0; t <= t0 + 600; t += 50) {
        PollAt(t);
        if (KEY_DATA.repeat & 0x10) fired.push_back(t - t0);
    }
    EXPECT_EQ(fired, (std::vector<uint32_t>{0, 200, 300, 400, 500, 600}));

    // Release ends the repeat; the next press starts over with the long delay.
    headless::SetKey(kZ, false);
    PollAt(t0 + 610);
    EXPECT_EQ(KEY_DATA.repeat, 0);
    EXPECT_EQ(KEY_DATA.press_time[4], KEY_NOT_HELD);
    headless::SetKey(kZ, true);
    PollAt(t0 + 620);
    EXPECT_EQ(KEY_DATA.repeat, 0x10);
    PollAt(t0 + 700);
    EXPECT_EQ(KEY_DATA.repeat, 0);
    PollAt(t0 + 819);
    EXPECT_EQ(KEY_DATA.repeat, 0);
    PollAt(t0 + 820);
    EXPECT_EQ(KEY_DATA.repeat, 0x10);
}

TEST_F(InputTest, RepeatRunsPerBitAcrossTheClocksWrap) {
    // Up is pressed 10 ms before the wrap, right at the wrap's last value.
    headless::SetKey(kPad8, true);
    PollAt(0xFFFFFFF5u);
    EXPECT_EQ(KEY_DATA.repeat, 0x1);
    headless::SetKey(kPad6, true);
    PollAt(0xFFFFFFFFu);
    EXPECT_EQ(KEY_DATA.repeat, 0x8);
    PollAt(0x00000000u);
    EXPECT_EQ(KEY_DATA.repeat, 0);  // a press at the clock's top is still held, not pressed anew
    PollAt(0xFFFFFFF5u + 199);
    EXPECT_EQ(KEY_DATA.repeat, 0);
    PollAt(0xFFFFFFF5u + 200);
    EXPECT_EQ(KEY_DATA.repeat, 0x1);
    PollAt(0xFFFFFFFFu + 199);  // the right key's own delay is counted from 1 ms before its press
    EXPECT_EQ(KEY_DATA.repeat, 0x8);
    PollAt(0xFFFFFFF5u + 266);
    EXPECT_EQ(KEY_DATA.repeat, 0x1);
}

TEST_F(InputTest, KeyboardComesBeforeTheJoystick) {
    // No joystick: the keyboard alone.
    headless::SetKey(kZ, true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x10);
    EXPECT_EQ(INP_GetJoystick(0, nullptr, nullptr, nullptr), 0);
}

namespace {
class WithJoystick : public InputTest {
    void BeforeInit() override { headless::SetJoystick(0, 0, 0, 0); }

protected:
    void Stick(int x, int y, uint32_t buttons = 0) {
        headless::SetJoystick(0, inputtest::RawFor(x), inputtest::RawFor(y), buttons);
    }
};
}  // namespace

TEST_F(WithJoystick, OnlyTheKeyboardCountsWhileAMappedKeyIsDown) {
    Stick(100, 0, 0x1);
    headless::SetKey(kX, true);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x20);
    EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_KEYBOARD);
    headless::SetKey(kX, false);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x18);
    EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_JOYSTICK);
    // An unmapped key does not hide the joystick.
    headless::SetKey(0x1E, true);
    Poll();
    EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_JOYSTICK);
}

TEST_F(WithJoystick, StickThresholds) {
    struct Case {
        int x, y;
        uint16_t bits;
    };
    const Case cases[] = {{0, -80, 0},   {0, -81, KEY_UP},   {0, 79, 0},         {0, 80, KEY_DOWN},
                          {-80, 0, 0},   {-81, 0, KEY_LEFT}, {79, 0, 0},         {80, 0, KEY_RIGHT},
                          {-100, -100, KEY_UP | KEY_LEFT},   {100, 100, KEY_DOWN | KEY_RIGHT}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        Stick(c.x, c.y);
        Poll();
        int32_t x = 0, y = 0;
        ASSERT_EQ(INP_GetJoystick(0, &x, &y, nullptr), 1);
        ASSERT_EQ(x, c.x);
        ASSERT_EQ(y, c.y);
        EXPECT_EQ(KEY_DATA.held, c.bits);
        EXPECT_EQ(KEY_DATA.source, c.bits ? KEY_SOURCE_JOYSTICK : KEY_SOURCE_NONE);
    }
}

TEST_F(WithJoystick, ButtonsGoThroughThePadMap) {
    struct Case {
        uint32_t buttons;
        uint16_t bits;
    };
    const Case cases[] = {{0x1, 0x10}, {0x2, 0x20}, {0x4, 0x40}, {0x40, 0x80}, {0x8, 0},
                          {0x47, 0xF0}, {0xFFFFF000u, 0}};  // buttons past 11 have no entry
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        Stick(0, 0, c.buttons);
        Poll();
        EXPECT_EQ(KEY_DATA.held, c.bits);
    }
    SYS_DATA.PAD_MAP[8 + 11] = 0x1000;
    SYS_DATA.PAD_MAP[0] = 0x0800;  // entries 0-7 are never read
    Stick(0, 0, 0x800 | 0x100);
    Poll();
    EXPECT_EQ(KEY_DATA.held, 0x1000);
}

TEST_F(InputTest, HistoryHoldsTheLastThirtyTwoPolls) {
    std::vector<uint16_t> words;
    const uint8_t keys[] = {kPad2, kPad4, kPad8, kPad6, kZ, kX, kC, kPad5};
    for (int p = 0; p < 40; ++p) {
        uint8_t k = keys[p % 8];
        headless::SetKey(k, true);
        Poll();
        headless::SetKey(k, false);
        words.push_back(KEY_DATA.held);
    }
    for (int n = 0; n < 32; ++n) EXPECT_EQ(KEY_GetHistory(&KEY_DATA, n), words[words.size() - 1 - n]) << n;
    // Outside 0..31 the index wraps into the ring.
    EXPECT_EQ(KEY_GetHistory(&KEY_DATA, 32), KEY_GetHistory(&KEY_DATA, 0));
    EXPECT_EQ(KEY_GetHistory(&KEY_DATA, -1), KEY_GetHistory(&KEY_DATA, 31));
    EXPECT_EQ(KEY_GetHistory(&KEY_DATA, 1000000 * 32 + 3), KEY_GetHistory(&KEY_DATA, 3));
    EXPECT_EQ(KEY_GetHistory(&KEY_DATA, INT32_MIN), KEY_GetHistory(&KEY_DATA, 0));
    EXPECT_EQ(KEY_GetHistory(&KEY_DATA, INT32_MAX), KEY_GetHistory(&KEY_DATA, 31));
    // Right after a reset the first poll lands in entry 0.
    KEY_InitDefault();
    Poll();
    EXPECT_EQ(KEY_DATA.ring_index, 0);
}

TEST_F(InputTest, ClickGivesEdgeNineThenZero) {
    headless::SetMouse(300, 200, 0);
    KEY_Update();
    EXPECT_EQ(MOUSE_FRAME.edge, 0u);
    headless::SetMouse(301, 202, 0x1);
    KEY_Update();
    EXPECT_EQ(MOUSE_FRAME.x, 301);
    EXPECT_EQ(MOUSE_FRAME.y, 202);
    EXPECT_EQ(MOUSE_FRAME.buttons, 9u);
    EXPECT_EQ(MOUSE_FRAME.edge, 9u);
    KEY_Update();
    EXPECT_EQ(MOUSE_FRAME.buttons, 1u);
    EXPECT_EQ(MOUSE_FRAME.edge, 0u);
    headless::SetMouse(301, 202, 0x3);
    KEY_Update();
    EXPECT_EQ(MOUSE_FRAME.edge, 0x12u);  // right joins: held and newly pressed bits
    headless::SetMouse(301, 202, 0);
    KEY_Update();
    EXPECT_EQ(MOUSE_FRAME.buttons, 0u);
    EXPECT_EQ(MOUSE_FRAME.edge, 0u);
}

TEST_F(InputTest, UpdatePollsButtonsAndDeactivationDropsThem) {
    headless::SetKey(kPad9, true);
    headless::SetMouse(10, 10, 0x1);
    KEY_Update();
    EXPECT_EQ(KEY_DATA.held, 0x9);
    EXPECT_EQ(KEY_DATA.ring[KEY_DATA.ring_index], 0x9);
    inputtest::Deactivate();
    KEY_Update();
    EXPECT_EQ(KEY_DATA.held, 0);
    EXPECT_EQ(KEY_DATA.released, 0x9);
    EXPECT_EQ(MOUSE_FRAME.buttons, 0u);
    inputtest::Activate();
    KEY_Update();
    EXPECT_EQ(KEY_DATA.held, 0x9);
    EXPECT_EQ(KEY_DATA.pressed, 0x9);
}

TEST_F(InputTest, MoveByKeysStepsThePointerAlongHeldDirections) {
    int32_t x = 100, y = 100;
    headless::SetMouse(1, 1, 0);
    headless::SetKey(kPad3, true);
    Poll();
    MOUSE_MoveByKeys(&KEY_DATA, display->window, &x, &y, 4, 0);
    EXPECT_EQ(x, 104);
    EXPECT_EQ(y, 104);
    EXPECT_EQ(headless::Input().mouse_x, 104);
    EXPECT_EQ(headless::Input().mouse_y, 104);
    headless::SetKey(kPad3, false);
    Poll();
    headless::SetMouse(1, 1, 0);
    MOUSE_MoveByKeys(&KEY_DATA, display->window, &x, &y, 4, 0);  // unchanged point: pointer left alone
    EXPECT_EQ(headless::Input().mouse_x, 1);
}
