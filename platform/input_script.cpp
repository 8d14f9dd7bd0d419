// ORV_INPUT scripts: the reader (bounded: size, events, numbers) and the key names.
#include "platform/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "platform/input.h"

namespace plat::script {
namespace {
struct KeyName {
    const char* name;
    uint8_t code;
};

// The keyboard device's key names (PC set-1 codes), with a few everyday aliases.
constexpr KeyName kKeys[] = {
    {"ESCAPE", 0x01}, {"ESC", 0x01}, {"MINUS", 0x0C}, {"EQUALS", 0x0D}, {"BACK", 0x0E}, {"BACKSPACE", 0x0E},
    {"TAB", 0x0F}, {"LBRACKET", 0x1A}, {"RBRACKET", 0x1B}, {"RETURN", 0x1C}, {"ENTER", 0x1C},
    {"LCONTROL", 0x1D}, {"CTRL", 0x1D}, {"SEMICOLON", 0x27}, {"APOSTROPHE", 0x28}, {"GRAVE", 0x29},
    {"LSHIFT", 0x2A}, {"SHIFT", 0x2A}, {"BACKSLASH", 0x2B}, {"COMMA", 0x33}, {"PERIOD", 0x34},
    {"SLASH", 0x35}, {"RSHIFT", 0x36}, {"MULTIPLY", 0x37}, {"LMENU", 0x38}, {"ALT", 0x38}, {"SPACE", 0x39},
    {"CAPITAL", 0x3A}, {"NUMLOCK", 0x45}, {"SCROLL", 0x46}, {"NUMPAD7", 0x47}, {"NUMPAD8", 0x48},
    {"NUMPAD9", 0x49}, {"SUBTRACT", 0x4A}, {"NUMPAD4", 0x4B}, {"NUMPAD5", 0x4C}, {"NUMPAD6", 0x4D},
    {"ADD", 0x4E}, {"NUMPAD1", 0x4F}, {"NUMPAD2", 0x50}, {"NUMPAD3", 0x51}, {"NUMPAD0", 0x52},
    {"DECIMAL", 0x53}, {"KANA", 0x70}, {"CONVERT", 0x79}, {"NOCONVERT", 0x7B},
    {"YEN", 0x7D}, {"NUMPADENTER", 0x9C}, {"RCONTROL", 0x9D}, {"DIVIDE", 0xB5}, {"RMENU", 0xB8},
    {"HOME", 0xC7}, {"UP", 0xC8}, {"PRIOR", 0xC9}, {"PGUP", 0xC9}, {"LEFT", 0xCB}, {"RIGHT", 0xCD},
    {"END", 0xCF}, {"DOWN", 0xD0}, {"NEXT", 0xD1}, {"PGDN", 0xD1}, {"INSERT", 0xD2}, {"DELETE", 0xD3},
};

bool Same(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(uint8_t(x)) == y; });
}

template <typename T>
bool Number(std::string_view s, T* out) {
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2), base = 16;
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), *out, base);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

int ButtonIndex(std::string_view s) {
    const char* names[] = {"LEFT", "RIGHT", "MIDDLE", "X1"};
    for (int i = 0; i < 4; ++i)
        if (Same(s, names[i])) return i;
    return -1;
}

int UpDown(std::string_view s) { return Same(s, "DOWN") ? 1 : Same(s, "UP") ? 0 : -1; }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}
}  // namespace

int KeyCode(std::string_view name) {
    // Letters, digits and F1-F12 are named as their virtual keys are.
    if (name.size() == 1 && std::isalnum(uint8_t(name[0]))) return KeyCodeForVirtualKey(std::toupper(uint8_t(name[0])));
    if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f') && std::isdigit(uint8_t(name[1]))) {
        int n = 0;
        if (Number(name.substr(1), &n) && n >= 1 && n <= 12) return KeyCodeForVirtualKey(0x70 + n - 1);
    }
    for (const KeyName& k : kKeys)
        if (Same(name, k.name)) return k.code;
    int code = -1;
    if (std::isdigit(uint8_t(name[0])) && Number(name, &code) && code >= 1 && code <= 255) return code;
    return -1;
}

bool Parse(std::string_view text, std::vector<Event>* out, std::string* error) {
    out->clear();
    if (text.size() > kMaxScriptBytes) return *error = "the script is larger than 1 MiB", false;
    size_t line_no = 0;
    auto fail = [&](const std::string& what) {
        *error = "line " + std::to_string(line_no) + ": " + what;
        out->clear();
        return false;
    };
    while (!text.empty()) {
        ++line_no;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        std::vector<std::string_view> w = Words(line);
        if (w.empty()) continue;
        if (out->size() + 2 > kMaxEvents) return fail("more than 100000 events");
        Event e;
        if (!Number(w[0], &e.frame) || e.frame > (uint64_t(1) << 40)) return fail("a frame number comes first");
        if (w.size() < 2) return fail("a command follows the frame");
        const std::string_view cmd = w[1];
        const size_t args = w.size() - 2;
        auto want = [&](size_t n) { return args == n; };
        Event later = e;  // the release of a tap or click, a frame on
        later.frame = e.frame + 1;
        bool two = false;
        if (Same(cmd, "KEY") || Same(cmd, "TAP")) {
            bool tap = Same(cmd, "TAP");
            if (!want(tap ? 1 : 2)) return fail(tap ? "tap NAME" : "key NAME down|up");
            e.op = Op::Key;
            if ((e.a = KeyCode(w[2])) < 0) return fail("unknown key \"" + std::string(w[2]) + "\"");
            if ((e.b = tap ? 1 : UpDown(w[3])) < 0) return fail("key NAME down|up");
            if (tap) later.op = Op::Key, later.a = e.a, later.b = 0, two = true;
        } else if (Same(cmd, "MOUSE")) {
            if (!want(2) || !Number(w[2], &e.a) || !Number(w[3], &e.b)) {
                // Negative numbers are allowed: from_chars reads a leading '-'.
                return fail("mouse X Y");
            }
            e.op = Op::Mouse;
        } else if (Same(cmd, "BUTTON") || Same(cmd, "CLICK")) {
            bool click = Same(cmd, "CLICK");
            if (!want(click ? 1 : 2)) return fail(click ? "click left|right|middle|x1" : "button B down|up");
            e.op = Op::Button;
            if ((e.a = ButtonIndex(w[2])) < 0) return fail("unknown button \"" + std::string(w[2]) + "\"");
            if ((e.b = click ? 1 : UpDown(w[3])) < 0) return fail("button B down|up");
            if (click) later.op = Op::Button, later.a = e.a, later.b = 0, two = true;
        } else if (Same(cmd, "WHEEL")) {
            if (!want(1) || !Number(w[2], &e.a) || e.a < -1000 || e.a > 1000) return fail("wheel N (-1000..1000)");
            e.op = Op::Wheel;
        } else if (Same(cmd, "PAD")) {
            if (!want(4) || !Number(w[2], &e.a) || e.a < 0 || e.a > 15 || !Number(w[3], &e.b) || !Number(w[4], &e.c) ||
                !Number(w[5], &e.bits) || e.b < -32768 || e.b > 32767 || e.c < -32768 || e.c > 32767)
                return fail("pad I X Y BUTTONS (I 0-15, axes -32768..32767)");
            e.op = Op::Pad;
        } else if (Same(cmd, "UNPLUG") || Same(cmd, "PLUG")) {
            if (!want(1) || !Number(w[2], &e.a) || e.a < 0 || e.a > 15) return fail("plug|unplug I (0-15)");
            e.op = Op::Plug;
            e.b = Same(cmd, "PLUG");
        } else if (Same(cmd, "FOCUS")) {
            if (!want(1) || (!Same(w[2], "IN") && !Same(w[2], "OUT"))) return fail("focus in|out");
            e.op = Op::Focus;
            e.a = Same(w[2], "IN");
        } else if (Same(cmd, "MINIMIZE") || Same(cmd, "RESTORE")) {
            if (!want(0)) return fail("minimize and restore take nothing");
            e.op = Op::Minimize;
            e.a = Same(cmd, "MINIMIZE");
        } else if (Same(cmd, "CLOSE")) {
            if (!want(0)) return fail("close takes nothing");
            e.op = Op::Close;
        } else if (Same(cmd, "TYPE") || Same(cmd, "DROP")) {
            bool type = Same(cmd, "TYPE");
            if (args == 0) return fail(type ? "type TEXT" : "drop PATH");
            // The rest of the line as written, from its third word on.
            e.text = std::string(line.substr(size_t(w[2].data() - line.data())));
            while (!e.text.empty() && (e.text.back() == ' ' || e.text.back() == '\t')) e.text.pop_back();
            if (type && std::any_of(e.text.begin(), e.text.end(), [](char c) { return uint8_t(c) < 0x20 || uint8_t(c) > 0x7E; }))
                return fail("type takes printable ASCII");
            e.op = type ? Op::Type : Op::Drop;
        } else if (Same(cmd, "ANSWER")) {
            if (!want(1) || (!Same(w[2], "OK") && !Same(w[2], "CANCEL"))) return fail("answer ok|cancel");
            e.op = Op::Answer;
            e.a = Same(w[2], "OK");
        } else {
            return fail("unknown command \"" + std::string(cmd) + "\"");
        }
        out->push_back(std::move(e));
        if (two) out->push_back(std::move(later));
    }
    std::stable_sort(out->begin(), out->end(), [](const Event& x, const Event& y) { return x.frame < y.frame; });
    return true;
}
}  // namespace plat::script
