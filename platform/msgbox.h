// Modal message boxes with Shift-JIS texts.
#pragma once
#include <cstdint>

namespace plat {
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Shows the box and returns the button chosen (IDOK or IDCANCEL).
int MessageBox(const char* text_sjis, const char* caption_sjis, uint32_t flags);
}
