// Writes a small synthetic data directory that the game can start in: its folders, a test card
// picture in each ".grp" depth, a save with its thumbnail, the debug text's glyph strip, the
// system bar's pictures (parts, common picture with the cursor, default thumbnails), the message
// box and the end picture (their texts printed with the game's own text layer), sounds (a music
// piece with its table, every effect, the hidden mode's cheer, a voice archive with its database,
// barks and bonus lines), the three font families, made with the project's own writers, and the
// opening movie, written by the ffmpeg tool (`--no-movie` leaves it out).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "services/sound/snd_game.h"
#include "shell/thumb_bmp.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"
#include "tests/support/bar_pictures.h"
#include "tests/support/grp_writer.h"
#include "tests/support/movie_writer.h"
#include "tests/support/save_writer.h"
#include "tests/support/sound_writer.h"
#include "tools/sample/fnt_render.h"

namespace {
namespace fs = std::filesystem;

// Colour bars over a grey ramp, 640 x 480.
support::GrpPicture TestCard(uint16_t bpp) {
    static const uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                       {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    support::GrpPicture p = support::MakeGrp(bpp, 640, 480);
    if (bpp == 8) {
        for (int i = 0; i < 8; ++i) support::SetPaletteEntry(p, uint8_t(i), bars[i][0], bars[i][1], bars[i][2]);
        for (int i = 8; i < 255; ++i) support::SetPaletteEntry(p, uint8_t(i), uint8_t(i), uint8_t(i), uint8_t(i));
    }
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 640; ++x) {
            const uint8_t* c = bars[x / 80];
            uint8_t grey = uint8_t(x * 255 / 639);
            uint8_t r = y < 320 ? c[0] : grey, g = y < 320 ? c[1] : grey, b = y < 320 ? c[2] : grey;
            if (bpp == 8)
                p.pixels[y * 640 + x] = y < 320 ? uint8_t(x / 80) : uint8_t(8 + grey * 246 / 255);
            else if (bpp == 16)
                support::Set555(p, x, y, uint16_t((r >> 3) << 10 | (g >> 3) << 5 | b >> 3));
            else
                support::SetBgr(p, x, y, r, g, b);
        }
    return p;
}

// A tone of `ms` milliseconds at 22,050 Hz: harmonics of `hz` under an attack and decay, gliding
// by `glide` (a factor over its length) so voices sound spoken rather than beeped.
std::vector<int16_t> Tone(double hz, int ms, double amplitude, double glide = 1.0, int harmonics = 1) {
    const int rate = 22050, n = rate * ms / 1000;
    std::vector<int16_t> s(static_cast<size_t>(n));
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / n, f = hz * (1 + (glide - 1) * t);
        phase += 2 * M_PI * f / rate;
        double v = 0;
        for (int h = 1; h <= harmonics; ++h) v += std::sin(phase * h) / h;
        double env = std::min(1.0, i / (0.01 * rate)) * (1 - t);
        s[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * env * v / harmonics));
    }
    return s;
}

std::vector<int16_t> Join(const std::vector<std::vector<int16_t>>& parts) {
    std::vector<int16_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

bool WriteSounds(const fs::path& root) {
    auto wave = [](const std::vector<int16_t>& s) { return support::MakeWave16(22050, 1, s); };
    // Ten seconds of arpeggios: long enough to stream; it loops from two seconds in.
    std::vector<std::vector<int16_t>> notes;
    const double scale[] = {261.6, 329.6, 392.0, 523.3, 392.0, 329.6, 293.7, 349.2};
    for (int i = 0; i < 40; ++i) notes.push_back(Tone(scale[i % 8] * (i / 8 % 2 ? 1.5 : 1.0), 250, 9000, 1.0, 3));
    bool ok = support::WriteWave((root / "Music/title.wav").string(), wave(Join(notes)));
    const std::string table = "# track loop-ms stem title\n0 2000 title Sample theme\n";
    ok = ok && support::WriteBytes((root / "Music/bgm.txt").string(), std::vector<uint8_t>(table.begin(), table.end()));
    // Every effect of the table, each a short tone of its own pitch, length and colour, so that one
    // is told from another by ear; the ones a start and the message box play have shapes of their own.
    for (int i = 0; SE_DATA[i].name[0]; ++i) {
        const std::string name = SE_DATA[i].name;
        std::vector<int16_t> s = Tone(110 * std::pow(2.0, (i % 36) / 12.0), 100 + 25 * (i % 8), 9000,
                                      i % 2 ? 0.6 : 1.5, 1 + i % 5);
        if (name == "beep") s = Tone(880, 150, 12000, 1.0, 2);
        if (name == "menu01") s = Tone(1320, 80, 10000);  // a point or a decision
        if (name == "menu02") s = Tone(660, 120, 10000, 0.7);
        if (name == "menu03") s = Join({Tone(330, 90, 12000, 1.0, 4), Tone(247, 180, 12000, 0.9, 4)});  // a refusal
        ok = ok && support::WriteWave((root / "Wav" / (name + ".wav")).string(), wave(s));
    }
    // The hidden mode's cheer: a rising arpeggio.
    ok = ok && support::WriteWave((root / "Wav/Ganbare.wav").string(),
                                  wave(Join({Tone(523.3, 120, 11000, 1.0, 3), Tone(659.3, 120, 11000, 1.0, 3),
                                             Tone(784.0, 120, 11000, 1.0, 3), Tone(1046.5, 400, 11000, 1.0, 3)})));
    // Two lines in the voice archive, a bark and a bonus line.
    support::VoiceArchive voices = support::MakeVoiceArchive(
        {{1010001, support::WaveBytes(wave(Join({Tone(180, 300, 14000, 1.3, 6), Tone(220, 400, 14000, 0.8, 6)})))},
         {1020002, support::WaveBytes(wave(Tone(260, 600, 14000, 0.7, 6)))}});
    ok = ok && support::WriteBytes((root / "Wav/ovwav.dat").string(), voices.archive);
    ok = ok && support::WriteBytes((root / "Wav/ovwav.txt").string(),
                                   std::vector<uint8_t>(voices.database.begin(), voices.database.end()));
    const std::string barks = "19 3 btl\\smp_1_1\n", bonus = "1 smp\n";
    ok = ok && support::WriteBytes((root / "Wav/Voice/bark.txt").string(), std::vector<uint8_t>(barks.begin(), barks.end()));
    ok = ok && support::WriteBytes((root / "Wav/Voice/bonus.txt").string(), std::vector<uint8_t>(bonus.begin(), bonus.end()));
    ok = ok && support::WriteWave((root / "Wav/Voice/btl/smp_1_1.wav").string(), wave(Tone(300, 250, 14000, 1.5, 5)));
    ok = ok && support::WriteWave((root / "Wav/Voice/omksmp00.wav").string(), wave(Tone(400, 300, 12000, 1.2, 4)));
    // The end picture's bonus line (heard once byte 1011 of the settings picks character 1).
    ok = ok && support::WriteWave((root / "Wav/Voice/omksmp13.wav").string(), wave(Tone(350, 500, 12000, 0.8, 5)));
    return ok;
}
// 5 x 7 glyphs of the characters the debug lines print: digits, capitals, ":", "/", "-", ".".
constexpr struct {
    char c;
    const char* rows[7];
} kGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {':', {".....", "..#..", "..#..", ".....", "..#..", "..#..", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
};

// The debug text's strip: one 8 x 8 cell per code from "!" to "Z", white glyphs on the key colour.
support::GrpPicture GlyphStrip() {
    support::GrpPicture p = support::MakeGrp(16, 8 * ('Z' - '!' + 1), 8);
    for (const auto& g : kGlyphs)
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                if (g.rows[y][x] == '#') support::Set555(p, uint32_t(8 * (g.c - '!')) + 1 + x, y, 0x7FFF);
    return p;
}

// A 16-bit surface's pixels as a 555 ".grp" picture (the display the pictures are drawn on is 555).
support::GrpPicture FromSurface(DDSurface* surface) {
    DDSURFACEDESC2 d;
    DD_GetSurfaceDesc(surface, &d);
    support::GrpPicture p = support::MakeGrp(16, d.dwWidth, d.dwHeight);
    const std::vector<uint16_t> px = support::ReadSurface(surface);
    for (uint32_t y = 0; y < d.dwHeight; ++y)
        for (uint32_t x = 0; x < d.dwWidth; ++x) support::Set555(p, x, y, px[y * d.dwWidth + x]);
    return p;
}

void Fill(DDSurface* s, int x, int y, int w, int h, uint16_t colour) {
    RECT r{x, y, x + w, y + h};
    BLT_FillRect(s, &r, colour);
}

void Frame(DDSurface* s, int x, int y, int w, int h, uint16_t colour) {
    Fill(s, x, y, w, 1, colour);
    Fill(s, x, y + h - 1, w, 1, colour);
    Fill(s, x, y, 1, h, colour);
    Fill(s, x + w - 1, y, 1, h, colour);
}

// Prints a line of the 12-pixel font, centred in a box of width w when w > 0.
void Print(DDSurface* s, int x, int y, int w, const char* text, uint16_t top, uint16_t bottom) {
    if (w > 0) x += (w - 6 * int(std::strlen(text))) / 2;
    TXT_SetFont(2, 4, 0);
    TXT_SetColor(top, bottom, DD_RGB(0, 0, 40));
    TXT_Print(s, x, y, "%s", text);
}

// The message box sheet: the frame with its buttons and option line, the Yes and No highlights,
// the option line's highlight (see-through where the check mark shows), the check mark and one
// 22-pixel strip per question from y 148.
support::GrpPicture MessageBoxSheet() {
    DDSurface* s = DD_CreateSurface(234, 280, DD_CAPS_SYSTEM);
    const uint16_t panel = DD_RGB(24, 32, 72), edge = DD_RGB(160, 176, 232), button = DD_RGB(48, 64, 128);
    const uint16_t lit = DD_RGB(96, 136, 232), white = DD_RGB(255, 255, 255), pale = DD_RGB(200, 210, 255);
    const char* const yes = "\x82\xcd\x82\xa2";          // はい
    const char* const no = "\x82\xa2\x82\xa2\x82\xa6";    // いいえ
    const char* const option = "\x8e\x9f\x89\xf1\x82\xa9\x82\xe7\x8am\x94" "F\x82\xb5\x82\xc8\x82\xa2";  // 次回から確認しない
    Fill(s, 0, 0, 234, 112, panel);
    Frame(s, 0, 0, 234, 112, edge);
    Frame(s, 2, 2, 230, 108, button);
    Fill(s, 35, 52, 78, 18, button);
    Fill(s, 118, 52, 78, 18, button);
    Print(s, 35, 55, 78, yes, white, pale);
    Print(s, 118, 55, 78, no, white, pale);
    Frame(s, 45, 77, 13, 14, edge);
    Print(s, 64, 78, 0, option, pale, pale);
    // Highlights.
    Fill(s, 0, 112, 156, 18, lit);
    Frame(s, 0, 112, 78, 18, white);
    Frame(s, 78, 112, 78, 18, white);
    Print(s, 0, 115, 78, yes, white, white);
    Print(s, 78, 115, 78, no, white, white);
    Frame(s, 0, 130, 185, 18, lit);
    Print(s, 41, 133, 0, option, white, white);
    for (int i = 0; i < 7; ++i) {  // the check mark
        Fill(s, 185 + 3 + i / 2, 130 + 8 + i / 2, 2, 2, DD_RGB(64, 255, 96));
        Fill(s, 185 + 6 + i, 130 + 11 - i, 2, 2, DD_RGB(64, 255, 96));
    }
    const char* const questions[6] = {
        "\x83Z\x81[\x83u\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H",  // セーブしますか？
        "\x83\x8d\x81[\x83h\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H",  // ロードしますか？
        "\x83N\x83" "C\x83" "b\x83N\x83Z\x81[\x83u\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H",  // クイックセーブしますか？
        "\x83N\x83" "C\x83" "b\x83N\x83\x8d\x81[\x83h\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H",  // クイックロードしますか？
        ("\x83^\x83" "C\x83g\x83\x8b\x82\xc9\x96\xdf\x82\xe8\x82\xdc\x82\xb7\x82\xa9\x81H"),  // タイトルに戻りますか？
        "\x83Q\x81[\x83\x80\x82\xf0\x8fI\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81H",  // ゲームを終了しますか？
    };
    for (int t = 0; t < 6; ++t) Print(s, 0, 148 + 22 * t + 5, 201, questions[t], white, DD_RGB(255, 230, 140));
    support::GrpPicture p = FromSurface(s);
    DD_ReleaseSurface(s);
    return p;
}

// The end picture: a 640 x 480 night gradient with the title, and below it the 32-pixel strip
// that slides in.
support::GrpPicture EndPicture() {
    DDSurface* s = DD_CreateSurface(640, 512, DD_CAPS_SYSTEM);
    for (int y = 0; y < 480; ++y) Fill(s, 0, y, 640, 1, DD_RGB(8 + y / 8, 12 + y / 6, 40 + y / 4));
    TXT_SetFont(2, 4, 1);
    TXT_SetColor(DD_RGB(255, 255, 255), DD_RGB(150, 200, 255), DD_RGB(0, 0, 60));
    TXT_Print(s, 320 - 72, 200, "%s", "\x83I\x83\x8b\x83\x94\x83@\x83\x93\x83g");  // オルヴァント
    Fill(s, 0, 480, 640, 32, DD_RGB(20, 24, 56));
    Fill(s, 0, 480, 640, 1, DD_RGB(160, 176, 232));
    // ご利用ありがとうございました
    Print(s, 0, 490, 640, "\x82\xb2\x97\x98\x97p\x82\xa0\x82\xe8\x82\xaa\x82\xc6\x82\xa4\x82\xb2\x82\xb4\x82\xa2\x82\xdc\x82\xb5\x82\xbd",
          DD_RGB(255, 255, 255), DD_RGB(200, 210, 255));
    support::GrpPicture p = FromSurface(s);
    DD_ReleaseSurface(s);
    return p;
}

// The pictures whose texts the game's text layer prints, with the 12-pixel sample font.
bool WriteTextPictures(const fs::path& root, const std::vector<uint8_t>& font12) {
    support::HeadlessDisplay display{headless::Config{16, false}};
    if (!display.ok) return false;
    FNT_Init();
    if (!FNT_LoadBytes(2, font12.data(), font12.size())) return false;
    const bool ok = support::WriteGrp((root / "Bmp/quon/msgbox.grp").string(), MessageBoxSheet(), true) &&
                    support::WriteGrp((root / "Bmp/quon/end.grp").string(), EndPicture(), true);
    FNT_Reset();
    return ok;
}

// The outline fonts the families are drawn from (Debian's IPA Gothic package): families 0 and 2
// from the fixed-pitch face, family 1 from the proportional one.
const char* const kGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* const kGothicP = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

bool WriteFonts(const fs::path& dat, std::vector<uint8_t>* font12) {
    const char* const families[3] = {"Fnt", "spf", "min"};
    for (int size : {10, 12, 14}) {
        for (const char* ttf : {kGothic, kGothicP}) {
            support::Font font;
            std::string error;
            if (!sample::RenderFont(ttf, size, font, error)) {
                std::fprintf(stderr, "sample_data: %s\n", error.c_str());
                return false;
            }
            const std::vector<uint8_t> bytes = support::FntBytes(font);
            if (size == 12 && ttf == kGothic) *font12 = bytes;
            for (int family = 0; family < 3; ++family) {
                if ((family == 1) != (ttf == kGothicP)) continue;
                const std::string name = std::string(families[family]) + std::to_string(size) + "x" + std::to_string(size) + ".fnt";
                if (!support::WriteBytes((dat / name).string(), bytes)) return false;
            }
        }
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    const bool movie = !(argc == 3 && std::strcmp(argv[1], "--no-movie") == 0);
    if (argc != (movie ? 2 : 3)) {
        std::fprintf(stderr, "usage: sample_data [--no-movie] DIRECTORY\n");
        return 2;
    }
    fs::path root(argv[argc - 1]);
    std::error_code ec;
    for (const char* dir : {"save", "Bmp", "Bmp/quon", "Wav", "Wav/Voice/btl", "Music", "Dat", "script"}) {
        fs::create_directories(root / dir, ec);
        if (ec) {
            std::fprintf(stderr, "sample_data: cannot create %s: %s\n", (root / dir).c_str(), ec.message().c_str());
            return 1;
        }
    }
    bool ok = support::WriteGrp((root / "Bmp/card8.grp").string(), TestCard(8), true) &&
              support::WriteGrp((root / "Bmp/card16.grp").string(), TestCard(16), true) &&
              support::WriteGrp((root / "Bmp/card24.grp").string(), TestCard(24), false) &&
              support::WriteGrp((root / "Bmp/DebugEft.grp").string(), GlyphStrip(), true) &&
              support::WriteBarPictures(root.string());
    // A save thumbnail in the game's own format (26,936 bytes): a colour ramp.
    THUMB_IMAGE thumb;
    THUMB_MakeBmp(thumb, THUMB_WIDTH, THUMB_HEIGHT, 24, 72, 72);
    THUMB_BMP_VIEW view;
    THUMB_ParseBmp(&view, thumb.data(), thumb.size());
    for (int32_t y = 0; y < THUMB_HEIGHT; ++y)
        for (int32_t x = 0; x < THUMB_WIDTH; ++x) {
            const uint32_t red = x * 255 / (THUMB_WIDTH - 1), green = y * 255 / (THUMB_HEIGHT - 1);
            THUMB_SetPixel24(&view, x, y, red | green << 8 | 0x800000u);
        }
    ok = ok && support::WriteBytes((root / "save/ov00.dat").string(), thumb);
    // Its save: a chapter name, a caption, a time of saving with its day of the week as a save
    // made then has it (0 Sunday .. 6 Saturday, as tm_wday: 2024-04-01 is a Monday, 1) and no
    // replay voice (-1). 第一章 / 出発
    namespace chr = std::chrono;
    SAVE_TIME saved = support::SaveTime(2024, 4, 1, 9, 30, 0);
    const chr::year_month_day date{chr::year(saved.year), chr::month(saved.month), chr::day(saved.day)};
    saved.day_of_week = uint16_t(chr::weekday(chr::sys_days(date)).c_encoding());
    ok = ok && support::WriteBytes((root / "save/ov00.sav").string(),
                                   support::SaveRecord("\x91\xe6\x88\xea\x8f\xcd", "\x8fo\x94\xad", saved, -1));
    if (!ok) {
        std::fprintf(stderr, "sample_data: cannot write the pictures in %s\n", root.c_str());
        return 1;
    }
    if (!WriteSounds(root)) {
        std::fprintf(stderr, "sample_data: cannot write the sounds in %s\n", root.c_str());
        return 1;
    }
    std::vector<uint8_t> font12;
    if (!WriteFonts(root / "Dat", &font12)) {
        std::fprintf(stderr, "sample_data: cannot write the fonts in %s\n", (root / "Dat").c_str());
        return 1;
    }
    if (!WriteTextPictures(root, font12)) {
        std::fprintf(stderr, "sample_data: cannot write the message box and end pictures in %s\n", root.c_str());
        return 1;
    }
    // The opening movie: three seconds of a moving test card with a tone, 320 x 240 (the logo
    // scales it to the screen). The game starts without it, so a missing ffmpeg only says so.
    const fs::path opening = root / "Wav/EARLYSTG.DAT";
    fs::remove(opening, ec);
    if (movie && !support::WriteMovie(opening.string(), support::MovieSpec{"mpeg", "mpeg1video", "mp2", 320, 240, 25, 75})) {
        std::fprintf(stderr, "sample_data: the ffmpeg tool could not write the opening movie; the game starts without it\n");
        fs::remove(opening, ec);
    }
    return 0;
}
