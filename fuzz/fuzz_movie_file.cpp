// Fuzzes movie files opened from disk through the game's movie records: any file opens into a
// record, plays, pauses, stops and draws into any rectangle of the back buffer, or draws nothing,
// and every draw returns (the headless clock moves instead of waiting).
//
// Input: one byte of options (bits 0-1 the rectangle, 2 a pause half-way, 3 a stop and replay,
// 4 a second record of the same file), then the file.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "platform/headless/headless.h"
#include "services/mov_movie.h"
#include "tests/support/fixture.h"

namespace {
constexpr int kDraws = 48;

void Place(MOV_DATA* m, int kind) {
    switch (kind) {
        case 1: MOV_SetPos(m, 40, 30), MOV_SetSize(m, 50, 40); break;  // over the edge, scaled
        case 2: MOV_SetPos(m, -7, -5), MOV_SetSize(m, 3, 2); break;
        case 3: MOV_SetSize(m, 0, -4); break;
        default: break;  // the frame's own size at (0, 0)
    }
}

void Play(MOV_DATA* m, uint8_t options) {
    MOV_Play(m);
    for (int i = 0; i < kDraws; ++i) {
        if (i == kDraws / 2 && (options & 4)) MOV_Pause(m), MOV_Draw(m, DD_DISPLAY.back), MOV_Play(m);
        if (i == kDraws / 2 && (options & 8)) MOV_Stop(m), MOV_Play(m);
        const HRESULT r = MOV_Draw(m, DD_DISPLAY.back);
        if (r == MS_S_ENDOFSTREAM || r < 0) break;
    }
    MOV_GetTime(m);
    MOV_GetDuration(m);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    if (!display->ok || size < 1) return 0;
    fuzz::ResetLogs();
    const uint8_t options = data[0];
    const std::string path = fuzz::MemoryFile("in.mpg", data + 1, size - 1);
    if (path.empty()) return 0;
    MOV_DATA* m = MOV_Open(path.c_str(), DD_DISPLAY.dd4);
    if (!m) __builtin_trap();  // a name this short always gives a record
    MOV_DATA* second = (options & 16) ? MOV_Open(path.c_str(), DD_DISPLAY.dd4) : nullptr;
    Place(m, options & 3);
    Play(m, options);
    if (second) Play(second, 0);
    MOV_Close(&m);
    MOV_Close(&second);
    if (m || second) __builtin_trap();
    headless::ClearDebugOutput();
    return 0;
}
