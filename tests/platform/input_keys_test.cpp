// Key codes from SDL scancodes, checked against SDL's own key names, and the SDL keyboard snapshot.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/input.h"
#include "platform/sdl/sdl_input.h"
#include "tests/platform/set1_keys.h"

namespace in = plat::sdl::input;

namespace {
SDL_Event KeyEvent(Uint32 type, SDL_Scancode sc, SDL_Keycode sym, Uint16 mod, bool repeat = false) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

std::set<int> DownKeys() {
    uint8_t keys[256];
    in::ReadKeyboard(keys);
    std::set<int> down;
    for (int i = 0; i < 256; ++i)
        if (keys[i] & 0x80) down.insert(i);
    return down;
}
}  // namespace

TEST(KeyCodes, Set1CodesMatchSdlKeyNamesBothWays) {
    for (int code = 0x01; code <= 0x58; ++code) {
        SCOPED_TRACE(code);
        const char* name = set1::kKeys[code].sdl;
        SDL_Scancode expect = name ? SDL_GetScancodeFromName(name) : SDL_SCANCODE_UNKNOWN;
        if (name) {
            ASSERT_NE(expect, SDL_SCANCODE_UNKNOWN) << name;
        }
        if (code == 0x56) expect = SDL_SCANCODE_NONUSBACKSLASH;
        EXPECT_EQ(in::ScancodeFromKeyCode(code), expect);
        if (expect != SDL_SCANCODE_UNKNOWN) {
            EXPECT_EQ(in::KeyCodeFromScancode(expect), code);
        }
    }
}

TEST(KeyCodes, JapaneseAndExtendedKeys) {
    struct Pair {
        int code;
        SDL_Scancode sc;
    };
    const Pair pairs[] = {
        {0x70, SDL_SCANCODE_INTERNATIONAL2},  // kana
        {0x79, SDL_SCANCODE_INTERNATIONAL4},  // convert
        {0x7B, SDL_SCANCODE_INTERNATIONAL5},  // non-convert
        {0x7D, SDL_SCANCODE_INTERNATIONAL3},  // yen
        {0x94, SDL_SCANCODE_LANG5},           // kanji (zenkaku/hankaku)
        {0x73, SDL_SCANCODE_INTERNATIONAL1},  // backslash-underscore
        {0x9C, SDL_SCANCODE_KP_ENTER},         {0x9D, SDL_SCANCODE_RCTRL}, {0xB5, SDL_SCANCODE_KP_DIVIDE},
        {0xB8, SDL_SCANCODE_RALT},             {0xC8, SDL_SCANCODE_UP},    {0xCB, SDL_SCANCODE_LEFT},
        {0xCD, SDL_SCANCODE_RIGHT},            {0xD0, SDL_SCANCODE_DOWN},  {0xD2, SDL_SCANCODE_INSERT},
        {0xD3, SDL_SCANCODE_DELETE},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.code);
        EXPECT_EQ(in::ScancodeFromKeyCode(p.code), p.sc);
        EXPECT_EQ(in::KeyCodeFromScancode(p.sc), p.code);
    }
    // Katakana and hiragana keys of other keyboards are the same kana key.
    EXPECT_EQ(in::KeyCodeFromScancode(SDL_SCANCODE_LANG3), 0x70);
    EXPECT_EQ(in::KeyCodeFromScancode(SDL_SCANCODE_LANG4), 0x70);
}

TEST(KeyCodes, TablesAgreeEverywhere) {
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        int code = in::KeyCodeFromScancode(SDL_Scancode(sc));
        EXPECT_EQ(in::KeyCodeFromScancode(in::ScancodeFromKeyCode(code)), code) << sc;
    }
    for (int code = 0; code < 256; ++code) {
        SDL_Scancode sc = in::ScancodeFromKeyCode(code);
        EXPECT_EQ(in::KeyCodeFromScancode(sc), sc == SDL_SCANCODE_UNKNOWN ? 0 : code) << code;
    }
    EXPECT_EQ(in::KeyCodeFromScancode(SDL_Scancode(-1)), 0);
    EXPECT_EQ(in::KeyCodeFromScancode(SDL_Scancode(SDL_NUM_SCANCODES)), 0);
    EXPECT_EQ(in::ScancodeFromKeyCode(256), SDL_SCANCODE_UNKNOWN);
}

TEST(SdlKeyboard, KeypadCodesIgnoreNumLock) {
    struct Key {
        SDL_Scancode sc;
        SDL_Keycode with_num, without_num;
        int code;
    };
    // Without Num Lock the keypad sends navigation symbols; the physical key is what counts.
    const Key keys[] = {{SDL_SCANCODE_KP_2, SDLK_KP_2, SDLK_DOWN, 0x50},   {SDL_SCANCODE_KP_1, SDLK_KP_1, SDLK_END, 0x4F},
                        {SDL_SCANCODE_KP_4, SDLK_KP_4, SDLK_LEFT, 0x4B},   {SDL_SCANCODE_KP_7, SDLK_KP_7, SDLK_HOME, 0x47},
                        {SDL_SCANCODE_KP_8, SDLK_KP_8, SDLK_UP, 0x48},     {SDL_SCANCODE_KP_9, SDLK_KP_9, SDLK_PAGEUP, 0x49},
                        {SDL_SCANCODE_KP_6, SDLK_KP_6, SDLK_RIGHT, 0x4D},  {SDL_SCANCODE_KP_3, SDLK_KP_3, SDLK_PAGEDOWN, 0x51},
                        {SDL_SCANCODE_KP_5, SDLK_KP_5, SDLK_CLEAR, 0x4C},  {SDL_SCANCODE_KP_0, SDLK_KP_0, SDLK_INSERT, 0x52},
                        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, SDLK_DELETE, 0x53}};
    for (bool num : {true, false}) {
        for (const Key& k : keys) {
            SCOPED_TRACE(testing::Message() << "num lock " << num << " code " << k.code);
            in::ResetState();
            for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
                in::HandleEvent(KeyEvent(type, k.sc, num ? k.with_num : k.without_num, num ? KMOD_NUM : KMOD_NONE));
                EXPECT_EQ(DownKeys(), type == SDL_KEYDOWN ? std::set<int>{k.code} : std::set<int>{});
            }
        }
    }
}

TEST(SdlKeyboard, RepeatNeverReachesTheSnapshotAndTapsReachOneFrame) {
    in::ResetState();
    // A repeat arriving after the release (a late queued event) must not bring the key back.
    in::HandleEvent(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z, 0));
    EXPECT_EQ(DownKeys(), std::set<int>{0x2C});
    in::HandleEvent(KeyEvent(SDL_KEYUP, SDL_SCANCODE_Z, SDLK_z, 0));
    in::HandleEvent(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z, 0, true));
    EXPECT_TRUE(DownKeys().empty());

    // Pressed and released within one pump: down for every read until the next pump.
    in::BeginPump();
    in::HandleEvent(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, 0));
    in::HandleEvent(KeyEvent(SDL_KEYUP, SDL_SCANCODE_X, SDLK_x, 0));
    in::BeginPump();  // a pump before any read keeps the tap
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    in::BeginPump();
    EXPECT_TRUE(DownKeys().empty());

    // A key pressed again before its pending release is held again.
    in::HandleEvent(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, 0));
    in::HandleEvent(KeyEvent(SDL_KEYUP, SDL_SCANCODE_C, SDLK_c, 0));
    in::HandleEvent(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, 0));
    EXPECT_EQ(DownKeys(), std::set<int>{0x2E});
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{0x2E});

    // Losing the keyboard focus lets every key go (their releases go to another window).
    SDL_Event focus;
    std::memset(&focus, 0, sizeof focus);
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    in::HandleEvent(focus);
    EXPECT_TRUE(DownKeys().empty());
    in::ResetState();
}
