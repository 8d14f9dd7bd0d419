// Fuzzes the ".spr" reader and what runs over a loaded set: any bytes load or are refused with
// nothing kept; a loaded set is stepped, drawn, hit-tested and freed. The first byte chooses what
// the rest is: 'S' a whole file, '#' a part-corrections text, anything else the unpacked stream
// (packed here, so the reader's checks are reached directly).
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_fix.h"
#include "sprite/spr_set.h"
#include "tests/support/fixture.h"
#include "tests/support/spr_writer.h"

namespace {
// An image that every name "a" resolves to by its stem, so parts have pixels without any file.
int SharedImage() {
    const int id = IMG_Create(24, 24, 0);
    if (id >= 0) {
        std::strcpy(IMG_TABLE[id].stem, "a");
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) support::SetPixel(IMG_TABLE[id].surface, x, y, uint16_t((x * 7 + y) & 0x7FFF));
    }
    return id;
}

void Exercise(int set) {
    const SPR_SET& head = SPR_SET_TABLE[set];
    for (int p = 0; p < head.pattern_count && p < 64; ++p) {
        const int id = p;
        if (!SP_CreateAnim(id, p % 3, 20 + p, 20, set, p)) continue;
        SP_ANIM* o = SP_Anim(id);
        o->flags = uint32_t(p * 0x1111) & 0x7FFFF;
        o->scale_x = uint16_t(p % 2 ? 256 : 100 + p);
        SP_PlaySeq(id, p % 128, p & 1, 1);
        RECT r;
        SP_GetHitBoxScreen(id, p % 16, &r);
        SP_GetPartRect(id, 0, &r);
        SPR_DrawPattern(DD_DISPLAY.back, 10, 10, set, p, uint32_t(p) << 2, uint16_t(p), 0);
    }
    for (int t = 0; t < 4; ++t) SP_Update();
    SP_Draw(-1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, false}, 64, 48);
    static const int shared = SharedImage();
    if (!display->ok || shared < 0 || size == 0) return 0;
    plat::detail::SetLogging(false);  // every blit would add to the call log
    SP_Init();
    const uint8_t kind = data[0];
    ++data;
    --size;
    if (kind == '#') {
        SPR_ParseCorrections(reinterpret_cast<const char*>(data), size);
    } else {
        std::vector<uint8_t> file(data, data + size);
        if (kind != 'S') file = support::SprBytesOfStream(file);
        if (SPR_LoadBytes(0, "fuzz\\face_01.spr", file.data(), file.size(), 0)) Exercise(0);
    }
    // Per input: sets, objects, file rules and refusal lines go; the shared image keeps its one user.
    SP_Reset();
    SPR_ClearCorrections();
    headless::ClearDebugOutput();
    for (int i = 0; i < IMG_SLOTS; ++i)
        if (i != shared && IMG_TABLE[i].count) __builtin_trap();  // a refused or freed set left an image
    if (IMG_TABLE[shared].count != 1) __builtin_trap();
    return 0;
}
