// The platform's printf-style formatter (wvsprintfA rules), bounded by the caller's buffer.
//
// Directives: %[-][#][0][width][.precision][h|l]type with type s c d i u x X; '%' and any other
// type character are written as themselves. Integers are 32-bit (long is 32 bits on the
// platform: l reads a long and keeps its low 32 bits; h keeps 16). No floating point, no '*'.
// A null %s prints "(null)".
#pragma once
#include <cstdarg>
#include <cstddef>

namespace plat {
// The platform writes at most this many bytes, terminator included.
constexpr size_t kFormatLimit = 1024;

// Formats into out, which holds cap bytes; writes at most min(cap, kFormatLimit) - 1 characters
// and always a terminator (when cap > 0). Returns the characters written; *cut (when given) says
// whether the text was longer.
int FormatV(char* out, size_t cap, const char* format, va_list args, bool* cut = nullptr);
int Format(char* out, size_t cap, const char* format, ...) __attribute__((format(printf, 3, 4)));
}  // namespace plat
