// Key codes from SDL scancodes, checked against SDL's own key names, and the SDL keyboard snapshot.
#include <SDL.h>

#include <set>

#include "platform/sdl/sdl_input.h"
#include "tests/services/input_fixture.h"

namespace in = plat::sdl::input;

namespace {
void Key(Uint32 type, SDL_Scancode sc, SDL_Keycode sym = 0, Uint16 mod = 0, bool repeat = false) {
    SDL_Event e{};
    e.key = SDL_KeyboardEvent{type, 0, 0, Uint8(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED), repeat, 0, 0,
                              SDL_Keysym{sc, sym, mod, 0}};
    in::HandleEvent(e);
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

TEST(KeyCodes, TablesMatchSdlBothWays) {
    for (int code = 0x01; code <= 0x58; ++code) {
        const std::string name = inputtest::Set1Name(inputtest::kSet1Sdl, code);
        SDL_Scancode expect = name.empty() ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromName(name.c_str());
        ASSERT_TRUE(name.empty() || expect != SDL_SCANCODE_UNKNOWN) << name;
        if (code == 0x56) expect = SDL_SCANCODE_NONUSBACKSLASH;  // SDL leaves it unnamed
        EXPECT_EQ(in::ScancodeFromKeyCode(code), expect) << code;
        EXPECT_EQ(in::KeyCodeFromScancode(expect), expect == SDL_SCANCODE_UNKNOWN ? 0 : code);
    }
    // Japanese keys (kana, convert, non-convert, yen, kanji, backslash-underscore) and E0 keys.
    const std::pair<int, SDL_Scancode> pairs[] = {
        {0x70, SDL_SCANCODE_INTERNATIONAL2}, {0x79, SDL_SCANCODE_INTERNATIONAL4}, {0x7B, SDL_SCANCODE_INTERNATIONAL5},
        {0x7D, SDL_SCANCODE_INTERNATIONAL3}, {0x94, SDL_SCANCODE_LANG5}, {0x73, SDL_SCANCODE_INTERNATIONAL1},
        {0x9C, SDL_SCANCODE_KP_ENTER}, {0x9D, SDL_SCANCODE_RCTRL}, {0xB5, SDL_SCANCODE_KP_DIVIDE},
        {0xB8, SDL_SCANCODE_RALT}, {0xC8, SDL_SCANCODE_UP}, {0xCB, SDL_SCANCODE_LEFT}, {0xCD, SDL_SCANCODE_RIGHT},
        {0xD0, SDL_SCANCODE_DOWN}, {0xD2, SDL_SCANCODE_INSERT}, {0xD3, SDL_SCANCODE_DELETE}};
    for (auto [code, sc] : pairs) {
        EXPECT_EQ(in::ScancodeFromKeyCode(code), sc) << code;
        EXPECT_EQ(in::KeyCodeFromScancode(sc), code) << code;
    }
    // Katakana and hiragana keys of other keyboards are the same kana key.
    for (SDL_Scancode sc : {SDL_SCANCODE_LANG3, SDL_SCANCODE_LANG4}) EXPECT_EQ(in::KeyCodeFromScancode(sc), 0x70);
    // Every scancode and every code round-trips; out of range gives nothing.
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        int code = in::KeyCodeFromScancode(SDL_Scancode(sc));
        EXPECT_EQ(in::KeyCodeFromScancode(in::ScancodeFromKeyCode(code)), code) << sc;
    }
    for (int code = 0; code < 256; ++code) {
        SDL_Scancode sc = in::ScancodeFromKeyCode(code);
        EXPECT_EQ(in::KeyCodeFromScancode(sc), sc == SDL_SCANCODE_UNKNOWN ? 0 : code) << code;
    }
    for (int sc : {-1, int(SDL_NUM_SCANCODES)}) EXPECT_EQ(in::KeyCodeFromScancode(SDL_Scancode(sc)), 0);
    EXPECT_EQ(in::ScancodeFromKeyCode(256), SDL_SCANCODE_UNKNOWN);
}

TEST(SdlKeyboard, KeypadCodesIgnoreNumLock) {
    // Without Num Lock the keypad sends navigation symbols; the physical key is what counts.
    const std::tuple<SDL_Scancode, SDL_Keycode, SDL_Keycode, int> keys[] = {
        {SDL_SCANCODE_KP_2, SDLK_KP_2, SDLK_DOWN, 0x50},  {SDL_SCANCODE_KP_1, SDLK_KP_1, SDLK_END, 0x4F},
        {SDL_SCANCODE_KP_4, SDLK_KP_4, SDLK_LEFT, 0x4B},  {SDL_SCANCODE_KP_7, SDLK_KP_7, SDLK_HOME, 0x47},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, SDLK_UP, 0x48},    {SDL_SCANCODE_KP_9, SDLK_KP_9, SDLK_PAGEUP, 0x49},
        {SDL_SCANCODE_KP_6, SDLK_KP_6, SDLK_RIGHT, 0x4D}, {SDL_SCANCODE_KP_3, SDLK_KP_3, SDLK_PAGEDOWN, 0x51},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, SDLK_CLEAR, 0x4C}, {SDL_SCANCODE_KP_0, SDLK_KP_0, SDLK_INSERT, 0x52},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, SDLK_DELETE, 0x53}};
    for (bool num : {true, false}) {
        for (auto [sc, with_num, without_num, code] : keys) {
            in::ResetState();
            Key(SDL_KEYDOWN, sc, num ? with_num : without_num, num ? KMOD_NUM : KMOD_NONE);
            EXPECT_EQ(DownKeys(), std::set<int>{code}) << num << " " << code;
            Key(SDL_KEYUP, sc, num ? with_num : without_num, num ? KMOD_NUM : KMOD_NONE);
            EXPECT_EQ(DownKeys(), std::set<int>{}) << num << " " << code;
        }
    }
}

TEST(SdlKeyboard, RepeatNeverReachesTheSnapshotAndTapsReachOneFrame) {
    in::ResetState();
    // A repeat arriving after the release (a late queued event) must not bring the key back.
    Key(SDL_KEYDOWN, SDL_SCANCODE_Z);
    EXPECT_EQ(DownKeys(), std::set<int>{0x2C});
    Key(SDL_KEYUP, SDL_SCANCODE_Z);
    Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z, 0, true);
    EXPECT_EQ(DownKeys(), std::set<int>{});
    // Pressed and released within one pump: down for every read until the pump after one.
    in::BeginPump();
    Key(SDL_KEYDOWN, SDL_SCANCODE_X);
    Key(SDL_KEYUP, SDL_SCANCODE_X);
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{});
    // A key pressed again before its pending release is held again.
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP, SDL_KEYDOWN}) Key(type, SDL_SCANCODE_C);
    EXPECT_EQ(DownKeys(), std::set<int>{0x2E});
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{0x2E});
    // Losing the keyboard focus lets every key go (their releases go to another window).
    SDL_Event focus{};
    focus.window = SDL_WindowEvent{SDL_WINDOWEVENT, 0, 0, SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, 0, 0, 0};
    in::HandleEvent(focus);
    EXPECT_EQ(DownKeys(), std::set<int>{});
    in::ResetState();
}
