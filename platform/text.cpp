// Code page conversion through iconv's CP932 (not SHIFT_JIS, which maps 0x5C to the yen sign).
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>

namespace plat {
namespace {
std::string Convert(const char* to, const char* from, std::string_view in) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    while (src_left > 0) {
        size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;  // cannot happen with 4x room, but never loop forever
        // Invalid or truncated sequence: emit '?' and skip one byte.
        if (dst_left == 0) break;
        *dst++ = '?';
        --dst_left;
        ++src;
        --src_left;
    }
    out.resize(out.size() - dst_left);
    iconv_close(cd);
    return out;
}
}  // namespace

std::string Cp932ToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }
std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }
}  // namespace plat
