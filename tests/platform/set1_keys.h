// Set-1 scan codes 0x01-0x58 with the name SDL and the X keysym each give the same physical key.
#pragma once

namespace set1 {
struct KeyNames {
    const char* sdl;   // SDL_GetScancodeFromName; null where SDL has no name
    const char* xsym;  // xdotool keysym on a US layout; null where no key sends the code
};

// Nothing sends 0x54 and 0x55; SDL leaves 0x56 (the extra ISO key left of Z) unnamed.
inline constexpr KeyNames kKeys[0x59] = {
    {nullptr, nullptr}, {"Escape", "Escape"}, {"1", "1"}, {"2", "2"}, {"3", "3"}, {"4", "4"}, {"5", "5"},
    {"6", "6"}, {"7", "7"}, {"8", "8"}, {"9", "9"}, {"0", "0"}, {"-", "minus"}, {"=", "equal"},
    {"Backspace", "BackSpace"}, {"Tab", "Tab"}, {"Q", "q"}, {"W", "w"}, {"E", "e"}, {"R", "r"},
    {"T", "t"}, {"Y", "y"}, {"U", "u"}, {"I", "i"}, {"O", "o"}, {"P", "p"}, {"[", "bracketleft"},
    {"]", "bracketright"}, {"Return", "Return"}, {"Left Ctrl", "Control_L"}, {"A", "a"}, {"S", "s"},
    {"D", "d"}, {"F", "f"}, {"G", "g"}, {"H", "h"}, {"J", "j"}, {"K", "k"}, {"L", "l"},
    {";", "semicolon"}, {"'", "apostrophe"}, {"`", "grave"}, {"Left Shift", "Shift_L"},
    {"\\", "backslash"}, {"Z", "z"}, {"X", "x"}, {"C", "c"}, {"V", "v"}, {"B", "b"}, {"N", "n"},
    {"M", "m"}, {",", "comma"}, {".", "period"}, {"/", "slash"}, {"Right Shift", "Shift_R"},
    {"Keypad *", "KP_Multiply"}, {"Left Alt", "Alt_L"}, {"Space", "space"}, {"CapsLock", "Caps_Lock"},
    {"F1", "F1"}, {"F2", "F2"}, {"F3", "F3"}, {"F4", "F4"}, {"F5", "F5"}, {"F6", "F6"}, {"F7", "F7"},
    {"F8", "F8"}, {"F9", "F9"}, {"F10", "F10"}, {"Numlock", "Num_Lock"}, {"ScrollLock", "Scroll_Lock"},
    {"Keypad 7", "KP_Home"}, {"Keypad 8", "KP_Up"}, {"Keypad 9", "KP_Prior"}, {"Keypad -", "KP_Subtract"},
    {"Keypad 4", "KP_Left"}, {"Keypad 5", "KP_Begin"}, {"Keypad 6", "KP_Right"}, {"Keypad +", "KP_Add"},
    {"Keypad 1", "KP_End"}, {"Keypad 2", "KP_Down"}, {"Keypad 3", "KP_Next"}, {"Keypad 0", "KP_Insert"},
    {"Keypad .", "KP_Delete"}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},
    {"F11", "F11"}, {"F12", "F12"},
};
}  // namespace set1
