// The game's texts hold the same Shift-JIS bytes in every build, gcc or clang, whatever the
// compiler's character sets; the conversions at the edges keep them (this file is also built by
// clang in the fuzz build).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/dd_display.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/window.h"
#include "tests/support/fixture.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

// The boxes the display start shows: the windowed one (a 24-bit desktop cannot hold a 16-bit
// window), then the fatal one.
std::vector<headless::ShownBox> DisplayBoxes() {
    DD_Release();
    headless::Config config;
    config.desktop_bpp = 24;
    headless::Reset(config);
    plat::Window* window = plat::CreateMainWindow("t", 640, 480, Proc);
    int32_t full = 0;
    DD_Init(window, 640, 480, 16, &full, 0, 1);
    DD_InitFailed();
    plat::DestroyWindow(window);
    return headless::ShownMessageBoxes();
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }
}  // namespace

// Each text as shown, against its readable text (UTF-8 bytes) converted by iconv, with its first
// Shift-JIS bytes pinned.
TEST(TextBytes, GameTextsAreTheirShiftJisBytes) {
    const std::vector<headless::ShownBox> boxes = DisplayBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    const struct {
        std::string shown;
        const char* utf8;
        std::vector<uint8_t> head;
    } texts[] = {
        {boxes[0].text_sjis,
         "\xe3\x82\xa6\xe3\x82\xa3\xe3\x83\xb3\xe3\x83\x89\xe3\x82\xa6\xe3\x83\xa2\xe3\x83\xbc\xe3\x83\x89\xe3\x81\xa7"
         "\xe3\x81\xaf\xe5\xae\x9f\xe8\xa1\x8c\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x80\x82\n"
         "\xe3\x83\x95\xe3\x83\xab\xe3\x82\xb9\xe3\x82\xaf\xe3\x83\xaa\xe3\x83\xbc\xe3\x83\xb3\xe3\x83\xa2\xe3\x83\xbc"
         "\xe3\x83\x89\xe3\x81\xa7\xe5\xae\x9f\xe8\xa1\x8c\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x80\x82",
         /* ウィンドウモードでは実行できません。\nフルスクリーンモードで実行します。 */ {0x83, 0x45, 0x83, 0x42}},
        {boxes[0].caption_sjis, "\xe6\x83\x85\xe5\xa0\xb1" /* 情報 */, {0x8F, 0xEE, 0x95, 0xF1}},
        {boxes[1].text_sjis,
         "DirectDraw\xe3\x81\xae\xe5\x88\x9d\xe6\x9c\x9f\xe5\x8c\x96\xe3\x81\xab\xe5\xa4\xb1\xe6\x95\x97\xe3\x81\x97\xe3"
         "\x81\xbe\xe3\x81\x97\xe3\x81\x9f\xe3\x80\x82\n\xe3\x83\x97\xe3\x83\xad\xe3\x82\xb0\xe3\x83\xa9\xe3\x83\xa0\xe3"
         "\x82\x92\xe5\xbc\xb7\xe5\x88\xb6\xe7\xb5\x82\xe4\xba\x86\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x80\x82",
         /* DirectDrawの初期化に失敗しました。\nプログラムを強制終了します。 */ {'D', 'i', 'r', 'e', 'c', 't', 'D', 'r', 'a', 'w', 0x82, 0xCC}},
        {boxes[1].caption_sjis, "\xe3\x82\xa8\xe3\x83\xa9\xe3\x83\xbc" /* エラー */, {0x83, 0x47, 0x83, 0x89, 0x81, 0x5B}},
    };
    for (const auto& t : texts) {
        EXPECT_EQ(t.shown, plat::Utf8ToCp932(t.utf8)) << t.utf8;
        EXPECT_EQ(plat::Cp932ToUtf8(t.shown), t.utf8);
        const std::vector<uint8_t> bytes = Bytes(t.shown);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(bytes.size(), t.head.size())), t.head) << t.utf8;
    }
}

TEST(TextBytes, Cp932RoundTripAndBackslash) {
    const std::string utf8 = "\xe3\x82\xaa\xe3\x83\xab\xe3\x83\xb4\xe3\x82\xa1\xe3\x83\xb3\xe3\x83\x88\\";  // オルヴァント\ (backslash)
    const std::string sj = plat::Utf8ToCp932(utf8);
    EXPECT_EQ(sj, "\x83I\x83\x8b\x83\x94\x83@\x83\x93\x83g\\" /* オルヴァント\ */);
    EXPECT_EQ(static_cast<unsigned char>(sj.back()), 0x5C);  // the backslash stays a backslash
    EXPECT_EQ(plat::Cp932ToUtf8(sj), utf8);
    EXPECT_EQ(plat::Cp932ToUtf8(std::string("a\x81", 2)), "a?");  // a cut character becomes '?'
}
