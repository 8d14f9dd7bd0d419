// The debugger output: Shift-JIS lines, shown on stderr when ORV_DEBUG=1.
#pragma once

namespace plat {
void OutputDebugString(const char* text_sjis);
}
