// The bounded wvsprintfA-rules formatter shared by the debug print, path joins and printed text.
#include "platform/format.h"

#include <algorithm>
#include <cstdint>

namespace plat {
namespace {
// Output that silently stops at its limit and remembers that it did.
struct Sink {
    char* out;
    size_t left;  // characters that still fit (the terminator's byte is kept aside)
    size_t n = 0;
    bool cut = false;
    void Put(char c) {
        if (left == 0) {
            cut = true;
            return;
        }
        out[n++] = c;
        --left;
    }
    void Repeat(char c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
};

struct Spec {
    bool left = false, alt = false, zero = false;
    int width = 0;
    int precision = -1;
    char size = 0;  // 'h', 'l' or 0
};

int ReadNumber(const char*& p) {
    int v = 0;
    while (*p >= '0' && *p <= '9') {
        v = std::min(v * 10 + (*p - '0'), 100000);  // far beyond any output the limit allows
        ++p;
    }
    return v;
}

// Pads `body` (prefix, then digits or text) to the width as C's printf does.
void Emit(Sink& s, const Spec& sp, const char* prefix, int prefix_len, const char* body, int body_len,
          int min_digits, bool numeric) {
    const int zeros = std::max(0, min_digits - body_len);
    int pad = std::max(0, sp.width - prefix_len - zeros - body_len);
    int zero_pad = 0;
    if (numeric && sp.zero && !sp.left && sp.precision < 0) {
        zero_pad = pad;
        pad = 0;
    }
    if (!sp.left) s.Repeat(' ', pad);
    for (int i = 0; i < prefix_len; ++i) s.Put(prefix[i]);
    s.Repeat('0', zeros + zero_pad);
    for (int i = 0; i < body_len; ++i) s.Put(body[i]);
    if (sp.left) s.Repeat(' ', pad);
}

void Integer(Sink& s, const Spec& sp, char type, va_list& args) {
    uint32_t bits;
    if (sp.size == 'l')
        bits = static_cast<uint32_t>(va_arg(args, unsigned long));
    else
        bits = va_arg(args, unsigned int);
    const bool is_signed = type == 'd' || type == 'i';
    if (sp.size == 'h') bits = is_signed ? static_cast<uint32_t>(int32_t(int16_t(bits))) : (bits & 0xFFFF);
    const bool negative = is_signed && static_cast<int32_t>(bits) < 0;
    uint32_t magnitude = negative ? 0u - bits : bits;

    char digits[16];
    int len = 0;
    const bool hex = type == 'x' || type == 'X';
    const char* set = type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    const uint32_t base = hex ? 16 : 10;
    char reversed[16];
    for (uint32_t v = magnitude; v; v /= base) reversed[len++] = set[v % base];
    if (len == 0 && sp.precision != 0) reversed[len++] = '0';  // precision 0 prints nothing for 0
    for (int i = 0; i < len; ++i) digits[i] = reversed[len - 1 - i];

    char prefix[2];
    int prefix_len = 0;
    if (negative) prefix[prefix_len++] = '-';
    if (hex && sp.alt && magnitude) {
        prefix[prefix_len++] = '0';
        prefix[prefix_len++] = type;
    }
    Emit(s, sp, prefix, prefix_len, digits, len, sp.precision, true);
}
}  // namespace

int FormatV(char* out, size_t cap, const char* format, va_list args, bool* cut) {
    if (cut) *cut = false;
    if (!out || cap == 0) return 0;
    Sink s{out, std::min(cap, kFormatLimit) - 1};
    va_list ap;
    va_copy(ap, args);
    for (const char* p = format ? format : ""; *p && !s.cut; ++p) {
        if (*p != '%') {
            s.Put(*p);
            continue;
        }
        ++p;
        Spec sp;
        for (;; ++p) {
            if (*p == '-')
                sp.left = true;
            else if (*p == '#')
                sp.alt = true;
            else if (*p == '0')
                sp.zero = true;
            else
                break;
        }
        sp.width = ReadNumber(p);
        if (*p == '.') {
            ++p;
            sp.precision = ReadNumber(p);
        }
        if (*p == 'h' || *p == 'l') sp.size = *p++;
        const char type = *p;
        if (type == 0) break;  // a lone '%' at the end prints nothing
        switch (type) {
            case 'd': case 'i': case 'u': case 'x': case 'X':
                Integer(s, sp, type, ap);
                break;
            case 'c': {
                const char c = static_cast<char>(va_arg(ap, int));
                Emit(s, sp, nullptr, 0, &c, 1, 0, false);
                break;
            }
            case 's': {
                const char* str = va_arg(ap, const char*);
                if (!str) str = "(null)";
                int len = 0;
                while (str[len] && (sp.precision < 0 || len < sp.precision)) ++len;
                Emit(s, sp, nullptr, 0, str, len, 0, false);
                break;
            }
            default:
                s.Put(type);  // "%%" and directives the platform does not know
                break;
        }
    }
    va_end(ap);
    out[s.n] = 0;
    if (cut) *cut = s.cut;
    return static_cast<int>(s.n);
}

int Format(char* out, size_t cap, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = FormatV(out, cap, format, ap);
    va_end(ap);
    return n;
}
}  // namespace plat
