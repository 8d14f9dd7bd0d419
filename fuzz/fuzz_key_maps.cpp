// Fuzzes the logical-button poll with key and pad maps as a damaged settings file may hold them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_files.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "shell/sysdat.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

// Input: 40 bytes key map, 40 bytes pad map, 32 bytes of held keys (one bit each), 8 bytes of
// joystick axes and buttons, then one byte per poll: clock step and history depth.
void Run(const uint8_t* data, size_t size) {
    if (size < 120) return;
    std::memcpy(SYS_DATA.KEY_MAP, data, 40);
    std::memcpy(SYS_DATA.PAD_MAP, data + 40, 40);
    KEY_DATA.key_map = SYS_DATA.KEY_MAP;
    KEY_DATA.pad_map = SYS_DATA.PAD_MAP;
    for (int k = 0; k < 256; ++k) headless::SetKey(uint8_t(k), (data[80 + k / 8] >> (k % 8)) & 1);
    int16_t x, y;
    uint32_t buttons;
    std::memcpy(&x, data + 112, 2);
    std::memcpy(&y, data + 114, 2);
    std::memcpy(&buttons, data + 116, 4);
    headless::SetJoystick(0, x, y, buttons);
    for (size_t i = 120; i < size; ++i) {
        headless::AdvanceTime(uint32_t(data[i]) * 3);
        KEY_Poll(&KEY_DATA);
        volatile uint16_t h = KEY_GetHistory(&KEY_DATA, int8_t(data[i]));
        (void)h;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        headless::Reset();
        headless::SetJoystick(0, 0, 0, 0);
        plat::Window* w = plat::CreateMainWindow("fuzz", 640, 480, Proc);
        INP_Init(w, nullptr);
        return true;
    }();
    (void)ready;
    fuzz::ResetLogs();
    KEY_InitDefault();
    Run(data, size);
    return 0;
}
