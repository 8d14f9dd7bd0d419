// The wvsprintf-rules formatter against the C library on every directive both share, its own
// rules where they part, and its bounds.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "platform/format.h"

namespace {
// Formats through ours or the C library into a buffer of the platform's size; Ours is unchecked
// by the compiler, so the directives outside the rules can be given.
using Vformat = int (*)(char*, size_t, const char*, va_list);
std::string Via(Vformat f, const char* format, va_list ap) {
    char buf[plat::kFormatLimit];
    f(buf, sizeof buf, format, ap);
    return buf;
}

std::string Ours(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string s = Via([](char* b, size_t n, const char* f, va_list a) { return plat::FormatV(b, n, f, a); }, format, ap);
    va_end(ap);
    return s;
}

std::string C(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string C(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::string s = Via(std::vsnprintf, format, ap);
    va_end(ap);
    return s;
}

const int kInts[] = {0, 1, -1, 7, 42, -42, 255, 65535, 65536, 123456789, INT_MAX, INT_MIN};
const char* const kIntFormats[] = {"%d",   "%i",   "%u",    "%x",    "%X",    "%5d",   "%-5d|", "%05d",  "%012d",
                                   "%-012d|", "%08x", "%#x", "%#X",  "%#010x", "%.3d", "%8.3d", "%-8.3u|", "%.0d",
                                   "%.0x", "%hd",  "%hu",  "%hx",   "%3i",   "%011u", "%-#12X|"};
}  // namespace

TEST(Format, IntegersMatchTheCLibrary) {
    for (const char* f : kIntFormats)
        for (int v : kInts) EXPECT_EQ(Ours(f, v), C(f, v)) << f << " of " << v;
    // l is the platform's 32-bit long.
    for (long v : {0L, -1L, 2147483647L, -2147483647L - 1}) {
        EXPECT_EQ(Ours("%ld|%lu|%lx|%li|%-9lX|%09ld", v, v, v, v, v, v),
                  C("%d|%u|%x|%i|%-9X|%09d", int(v), unsigned(v), unsigned(v), int(v), unsigned(v), int(v)));
    }
}

TEST(Format, CharactersAndStringsMatchTheCLibrary) {
    const char* const strs[] = {"", "a", "hello", "\x83\x65\x83\x4c\x83\x58\x83\x67" /* テキスト */};
    const char* const fmts[] = {"%s", "[%8s]", "[%-8s]", "[%.3s]", "[%6.2s]", "[%-6.0s]", "%s%s"};
    for (const char* f : fmts)
        for (const char* s : strs) EXPECT_EQ(Ours(f, s, s), C(f, s, s)) << f << " of " << s;
    for (int c : {int('A'), 0x83, int(' ')}) EXPECT_EQ(Ours("[%c][%3c][%-3c]", c, c, c), C("[%c][%3c][%-3c]", c, c, c));
    EXPECT_EQ(Ours("100%% of %s", "it"), "100% of it");
    EXPECT_EQ(Ours("%s", static_cast<const char*>(nullptr)), "(null)");
}

TEST(Format, DirectivesOutsideTheRulesPrintTheirLetterAndTakeNoArgument) {
    // No floating point, no '+' or ' ' flag, no '*' width: the letter is printed and the
    // argument list does not move.
    EXPECT_EQ(Ours("%f|%d", 5), "f|5");
    EXPECT_EQ(Ours("%+d", 5), "+d");
    EXPECT_EQ(Ours("%*d", 5), "*d");
    EXPECT_EQ(Ours("end%"), "end");
}

TEST(Format, StopsAtTheBufferAndAtTheLimitAlwaysTerminated) {
    char small[8];
    bool cut = false;
    EXPECT_EQ(plat::Format(small, sizeof small, "%s", "abcdefghij"), 7);
    EXPECT_STREQ(small, "abcdefg");
    char exact[6];
    EXPECT_EQ(plat::Format(exact, sizeof exact, "%05d", 123), 5);
    EXPECT_STREQ(exact, "00123");

    // The platform's own limit holds whatever the buffer: 1,023 characters and the terminator.
    static char big[4096];
    std::string long_text(3000, 'x');
    EXPECT_EQ(plat::Format(big, sizeof big, "%s%s", long_text.c_str(), "tail"), 1023);
    EXPECT_EQ(std::string(big), long_text.substr(0, 1023));
    EXPECT_EQ(plat::Format(big, sizeof big, "%2000d", 1), 1023);

    auto with_cut = [&cut](char* out, size_t cap, const char* f, ...) {
        va_list ap;
        va_start(ap, f);
        int n = plat::FormatV(out, cap, f, ap, &cut);
        va_end(ap);
        return n;
    };
    EXPECT_EQ(with_cut(small, sizeof small, "%d", 1234567), 7);
    EXPECT_FALSE(cut);
    EXPECT_EQ(with_cut(small, sizeof small, "%d", 12345678), 7);
    EXPECT_TRUE(cut);
    EXPECT_EQ(with_cut(small, 1, "%d", 5), 0);
    EXPECT_STREQ(small, "");
}
