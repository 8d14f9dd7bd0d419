// ORV_INPUT: a text script of input and window events that drives the headless program.
//
// One event a line: the frame, a command, its arguments, separated by blanks; '#' starts a comment.
// An event of frame N happens once N frames have been presented (0: before the first one), events
// of one frame in the order written; frame 0's keys and pad states, and every pad the script
// names, are there when the program starts. Commands:
//   key NAME down|up       a key by its name (A, 1, F4, RETURN, LSHIFT, NOCONVERT, ...) or code 0x2C
//   tap NAME               down at this frame, up at the next
//   mouse X Y              the pointer at client pixel (X, Y); outside the window is allowed
//   button B down|up       B: left, right, middle or x1
//   click B                down at this frame, up at the next
//   wheel N                N notches away from the player (negative: towards)
//   pad I X Y BUTTONS      game pad I (0-15) with raw axes -32768..32767 and button bits
//   unplug I / plug I      game pad I goes away / comes back
//   focus in|out           the window gains or loses the focus
//   minimize / restore     the window is minimised (and loses the focus) or comes back
//   close                  the player closes the window (WM_CLOSE)
//   type TEXT              one WM_CHAR for each byte of the rest of the line (ASCII)
//   drop PATH              the file at PATH is dropped on the window
//   answer ok|cancel       the answer of the next message box
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat::script {
enum class Op { Key, Mouse, Button, Wheel, Pad, Plug, Focus, Minimize, Close, Type, Drop, Answer };

struct Event {
    uint64_t frame = 0;
    Op op = Op::Close;
    int32_t a = 0, b = 0, c = 0;  // key code and down; x and y; button and down; notches; pad, x, y
    uint32_t bits = 0;            // pad buttons
    std::string text;             // typed text, dropped path
};

constexpr size_t kMaxScriptBytes = 1 << 20;
constexpr size_t kMaxEvents = 100000;

// Reads a whole script into events ordered by frame. False, with the line and what is wrong in
// `error`, for anything it does not understand.
bool Parse(std::string_view text, std::vector<Event>* out, std::string* error);
// The key code of a key name (any case) or of a number "0x2C"/"44"; -1 when none.
int KeyCode(std::string_view name);
}  // namespace plat::script
