// Key codes from SDL scancodes, checked against SDL's own key names, and the SDL keyboard snapshot.
#include <SDL.h>

#include <functional>
#include <set>

#include "platform/clock.h"
#include "platform/input_source.h"
#include "platform/sdl/sdl_input.h"
#include "tests/services/input_fixture.h"

namespace in = plat::sdl::input;
using inputtest::Values;

namespace {
void Key(bool down, SDL_Scancode sc, SDL_Keycode sym = 0, Uint16 mod = 0, bool repeat = false) {
    SDL_Event e{};
    e.key = SDL_KeyboardEvent{Uint32(down ? SDL_KEYDOWN : SDL_KEYUP), 0, 0, Uint8(down ? SDL_PRESSED : SDL_RELEASED),
                              repeat, 0, 0, SDL_Keysym{sc, sym, mod, 0}};
    in::HandleEvent(e);
}

std::set<int> DownKeys(bool poll = true) {
    uint8_t keys[256];
    in::ReadKeyboard(keys, poll);
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
    for (auto [code, sc] : pairs)
        EXPECT_EQ(Values({in::ScancodeFromKeyCode(code), in::KeyCodeFromScancode(sc)}), Values({sc, code})) << code;
    // Katakana and hiragana keys of other keyboards are the same kana key.
    for (SDL_Scancode sc : {SDL_SCANCODE_LANG3, SDL_SCANCODE_LANG4}) EXPECT_EQ(in::KeyCodeFromScancode(sc), 0x70);
    // Every scancode and code round-trips; out of range (a few past the end too) gives nothing. A
    // scancode is never negative: -1 is no value of the enumeration, so only codes go below 0.
    for (int i = -1; i < SDL_NUM_SCANCODES + 8; ++i) {
        const int code = i < 0 ? 0 : in::KeyCodeFromScancode(SDL_Scancode(i));
        const SDL_Scancode sc = in::ScancodeFromKeyCode(i);
        EXPECT_EQ(in::KeyCodeFromScancode(in::ScancodeFromKeyCode(code)), code) << i;
        EXPECT_EQ(in::KeyCodeFromScancode(sc), sc == SDL_SCANCODE_UNKNOWN ? 0 : i) << i;
        EXPECT_TRUE((i >= 0 && i < SDL_NUM_SCANCODES) || code == 0) << i;
        EXPECT_TRUE((i >= 0 && i < 256) || sc == SDL_SCANCODE_UNKNOWN) << i;
    }
}

TEST(SdlKeyboard, PhysicalKeysWithoutRepeatsAndTapsReachOneRead) {
    // Keypad 1-9, 0, '.': the code, alike with Num Lock on or off, and the symbol sent with it off.
    const int codes[] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x52, 0x53};
    const SDL_Keycode nav[] = {SDLK_END,  SDLK_DOWN, SDLK_PAGEDOWN, SDLK_LEFT,   SDLK_CLEAR, SDLK_RIGHT,
                               SDLK_HOME, SDLK_UP,   SDLK_PAGEUP,   SDLK_INSERT, SDLK_DELETE};
    for (int i = 0; i < 22; ++i) {
        const bool num = i < 11;
        const auto sc = SDL_Scancode(SDL_SCANCODE_KP_1 + i % 11);
        in::ResetState();
        for (bool down : {true, false}) {
            Key(down, sc, num ? SDL_SCANCODE_TO_KEYCODE(sc) : nav[i % 11], num ? KMOD_NUM : KMOD_NONE);
            EXPECT_EQ(DownKeys(), down ? std::set<int>{codes[i % 11]} : std::set<int>{}) << num << " " << codes[i % 11];
        }
    }
    in::ResetState();
    // A repeat arriving after the release (a late queued event) must not bring the key back.
    Key(true, SDL_SCANCODE_Z);
    EXPECT_EQ(DownKeys(), std::set<int>{0x2C});
    Key(false, SDL_SCANCODE_Z);
    Key(true, SDL_SCANCODE_Z, SDLK_z, 0, true);
    EXPECT_EQ(DownKeys(), std::set<int>{});
    // Pressed and released within one pump: down for every read until the pump after one.
    in::BeginPump();
    Key(true, SDL_SCANCODE_X);
    Key(false, SDL_SCANCODE_X);
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    EXPECT_EQ(DownKeys(), std::set<int>{0x2D});
    in::BeginPump();
    EXPECT_EQ(DownKeys(), std::set<int>{});
    // A key pressed again before its pending release is held again.
    for (bool down : {true, false, true}) Key(down, SDL_SCANCODE_C);
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

namespace {
void Button(bool down, uint8_t button) {
    SDL_Event e{};
    e.button = SDL_MouseButtonEvent{Uint32(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP), 0, 0, 0, button,
                                    Uint8(down ? SDL_PRESSED : SDL_RELEASED), 1, 0, 0, 0};
    in::HandleEvent(e);
}
}  // namespace

// The cursor reads the pointer on every pass: those raw reads must leave a quick tap to the game's
// own poll, and a tap no poll takes goes after a few frame intervals.
TEST(SdlTaps, ATapWaitsForThePollWhateverRawReadsComeBetweenAndThenExpires) {
    const auto& source = plat::detail::SdlInputSource();
    struct Device {
        const char* name;
        std::function<void(bool)> press;
        std::function<bool(bool)> down;  // read with or without poll
    };
    const Device devices[] = {
        {"key Z", [](bool d) { Key(d, SDL_SCANCODE_Z); }, [](bool poll) { return DownKeys(poll).count(0x2C) > 0; }},
        {"left button", [](bool d) { Button(d, SDL_BUTTON_LEFT); },
         [&](bool poll) {
             plat::detail::MouseRaw raw;
             source.mouse(&raw, poll);
             return (raw.buttons & 1) != 0;
         }},
    };
    const uint32_t life = 4 * plat::FrameInterval();
    for (const Device& d : devices) {
        headless::Reset({});
        headless::SetTime(1000);
        in::ResetState();
        d.press(true), d.press(false);
        std::vector<bool> seen;
        for (int pass = 0; pass < 10; ++pass) {  // passes with raw reads only, as fast as they come
            seen.push_back(d.down(false));
            in::BeginPump();
            headless::AdvanceTime(3);
        }
        seen.push_back(d.down(true));  // the frame's poll, read twice in one frame
        seen.push_back(d.down(true));
        in::BeginPump();
        seen.push_back(d.down(false));
        std::vector<bool> want(12, true);
        want.push_back(false);
        EXPECT_EQ(seen, want) << d.name;
        // Unpolled: still there at its full life, gone after it.
        d.press(true), d.press(false);
        headless::AdvanceTime(life);
        in::BeginPump();
        EXPECT_TRUE(d.down(false)) << d.name;
        headless::AdvanceTime(1);
        in::BeginPump();
        EXPECT_FALSE(d.down(true)) << d.name;
        // A press a poll has seen goes up with its release.
        d.press(true);
        EXPECT_TRUE(d.down(true)) << d.name;
        d.press(false);
        EXPECT_FALSE(d.down(false)) << d.name;
    }
    in::ResetState();
}
