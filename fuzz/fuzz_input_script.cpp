// Fuzzes the ORV_INPUT script reader: any text is read into events or refused with a line number,
// and the events it gives stay in their ranges and in frame order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<plat::script::Event> events;
    std::string error;
    const bool ok = plat::script::Parse(std::string_view(reinterpret_cast<const char*>(data), size), &events, &error);
    if (!ok && error.empty()) __builtin_trap();
    if (!ok && (!events.empty() || error.rfind("line ", 0) != 0) && size <= plat::script::kMaxScriptBytes) __builtin_trap();
    for (size_t i = 0; i < events.size(); ++i) {
        const auto& e = events[i];
        if (i > 0 && events[i - 1].frame > e.frame) __builtin_trap();
        if (e.op == plat::script::Op::Key && (e.a < 1 || e.a > 255)) __builtin_trap();
        if (e.op == plat::script::Op::Button && (e.a < 0 || e.a > 3)) __builtin_trap();
        if ((e.op == plat::script::Op::Pad || e.op == plat::script::Op::Plug) && (e.a < 0 || e.a > 15)) __builtin_trap();
    }
    if (events.size() > plat::script::kMaxEvents) __builtin_trap();
    return 0;
}
