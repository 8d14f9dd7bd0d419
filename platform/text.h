// Shift-JIS (code page 932) to UTF-8 at the edges: debug sink, window title, message boxes.
#pragma once
#include <string>
#include <string_view>

namespace plat {
std::string Cp932ToUtf8(std::string_view sjis);  // undecodable bytes become '?'
std::string Utf8ToCp932(std::string_view utf8);  // unencodable characters become '?'
}
