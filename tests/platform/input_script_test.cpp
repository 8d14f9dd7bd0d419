// ORV_INPUT scripts: what each command reads as, taps and clicks in two frames, refusals by line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input_script.h"

using plat::script::Event;
using plat::script::Op;

namespace {
std::vector<Event> Read(const std::string& text) {
    std::vector<Event> out;
    std::string error;
    EXPECT_TRUE(plat::script::Parse(text, &out, &error)) << error;
    return out;
}

std::string Refusal(const std::string& text) {
    std::vector<Event> out;
    std::string error;
    EXPECT_FALSE(plat::script::Parse(text, &out, &error)) << text.substr(0, 40);
    EXPECT_TRUE(out.empty());
    return error;
}
}  // namespace

TEST(InputScript, CommandsReadAsEventsInFrameOrder) {
    const auto e = Read(
        "# a comment line\n"
        "\n"
        "12 key z down   # trailing comment\n"
        "3 mouse -5 700\r\n"
        "3 tap F4\n"
        "7 click right\n"
        "8 pad 15 -32768 32767 0x80000001\n"
        "9 unplug 2\n"
        "9 type Hello, World!  \n"
        "10 drop /tmp/some file.dat\n"
        "11 wheel -3\n"
        "11 focus OUT\n"
        "11 minimize\n"
        "11 answer cancel\n"
        "11 close\n");
    struct Want {
        uint64_t frame;
        Op op;
        int a, b;
    };
    const Want want[] = {{3, Op::Mouse, -5, 700},  {3, Op::Key, 0x3E, 1},  {4, Op::Key, 0x3E, 0},
                         {7, Op::Button, 1, 1},   {8, Op::Button, 1, 0},  {8, Op::Pad, 15, -32768},
                         {9, Op::Plug, 2, 0},     {9, Op::Type, 0, 0},    {10, Op::Drop, 0, 0},
                         {11, Op::Wheel, -3, 0},  {11, Op::Focus, 0, 0},  {11, Op::Minimize, 1, 0},
                         {11, Op::Answer, 0, 0},  {11, Op::Close, 0, 0},  {12, Op::Key, 0x2C, 1}};
    ASSERT_EQ(e.size(), std::size(want));
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(e[i].frame, want[i].frame) << i;
        EXPECT_EQ(int(e[i].op), int(want[i].op)) << i;
        EXPECT_EQ(e[i].a, want[i].a) << i;
        EXPECT_EQ(e[i].b, want[i].b) << i;
    }
    EXPECT_EQ(e[5].c, 32767);
    EXPECT_EQ(e[5].bits, 0x80000001u);
    EXPECT_EQ(e[7].text, "Hello, World!");
    EXPECT_EQ(e[8].text, "/tmp/some file.dat");
}

TEST(InputScript, KeyNamesAndCodes) {
    const std::pair<const char*, int> keys[] = {{"a", 0x1E},   {"Q", 0x10},      {"m", 0x32},       {"1", 0x02},
                                                {"0", 0x0B},   {"F1", 0x3B},     {"f10", 0x44},     {"F11", 0x57},
                                                {"esc", 0x01}, {"RETURN", 0x1C}, {"NoConvert", 0x7B}, {"convert", 0x79},
                                                {"up", 0xC8},  {"0x2c", 0x2C},   {"200", 200},      {"F13", -1},
                                                {"0x100", -1}, {"", -1},         {"ZZ", -1},        {"0", 0x0B}};
    for (const auto& [name, code] : keys) EXPECT_EQ(plat::script::KeyCode(name), code) << name;
}

TEST(InputScript, RefusalsNameTheLine) {
    const std::pair<const char*, const char*> bad[] = {
        {"x key A down", "line 1: a frame number comes first"},
        {"\n\n5", "line 3: a command follows the frame"},
        {"1 key A sideways", "line 1: key NAME down|up"},
        {"1 key NOPE down", "line 1: unknown key \"NOPE\""},
        {"1 mouse 1", "line 1: mouse X Y"},
        {"1 button left", "line 1: button B down|up"},
        {"1 click thumb", "line 1: unknown button \"thumb\""},
        {"1 wheel 1001", "line 1: wheel N (-1000..1000)"},
        {"1 pad 16 0 0 0", "line 1: pad I X Y BUTTONS (I 0-15, axes -32768..32767)"},
        {"1 pad 0 40000 0 0", "line 1: pad I X Y BUTTONS (I 0-15, axes -32768..32767)"},
        {"1 unplug -1", "line 1: plug|unplug I (0-15)"},
        {"1 focus maybe", "line 1: focus in|out"},
        {"1 close now", "line 1: close takes nothing"},
        {"1 type", "line 1: type TEXT"},
        {"1 type caf\xc3\xa9", "line 1: type takes printable ASCII"},
        {"1 answer yes", "line 1: answer ok|cancel"},
        {"1 jump", "line 1: unknown command \"jump\""},
        {"-1 close", "line 1: a frame number comes first"},
    };
    for (const auto& [text, error] : bad) EXPECT_EQ(Refusal(text), error) << text;
    EXPECT_EQ(Refusal(std::string(plat::script::kMaxScriptBytes + 1, '#')), "the script is larger than 1 MiB");
    std::string many;
    for (size_t i = 0; i < plat::script::kMaxEvents / 2; ++i) many += "1 tap A\n";
    EXPECT_EQ(Read(many).size(), plat::script::kMaxEvents);
    EXPECT_EQ(Refusal(many + "2 close\n"), "line 50001: more than 100000 events");
}
