// Fuzzes the map readers: a "_o.csp" table and a ".map" file from one input (a u16 size splits
// them), then chip queries, a redraw of the map buffer and scrolls at values taken from the map's
// own bytes. Nothing reads outside the cells, the table, the object list or the sheets.
#include <cstdint>
#include <cstdlib>

#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "fuzz/fuzz_input.h"
#include "platform/backend.h"
#include "platform/memory.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "tests/support/fixture.h"

namespace {
// The display and the map's pictures live across inputs; the map's state does not.
bool Pictures() {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
    static const bool ok = [] {
        if (!display->ok) return false;
        plat::detail::SetLogging(false);  // every blit would add to the call log
        SP_Init();
        MAP_IMAGES.buffer = IMG_Create(MAP_BUFFER_W, MAP_BUFFER_H, 0);
        MAP_IMAGES.chips = IMG_Create(640, 128, 0);
        MAP_IMAGES.objects = IMG_Create(256, 96, 0);
        return MAP_IMAGES.buffer >= 0 && MAP_IMAGES.chips >= 0 && MAP_IMAGES.objects >= 0;
    }();
    return ok;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || !Pictures()) return 0;
    const size_t csp = data[0] | data[1] << 8;
    const size_t split = csp < size - 2 ? csp : size - 2;
    const uint8_t* map = data + 2 + split;
    const size_t map_size = size - 2 - split;

    MAP_CSP = MapCspTable{};
    MAP_ClearObjList();
    MAP_LoadCspData(data + 2, split);
    MAP_LoadFileData(map, map_size);
    MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
    SCR_SetScrRect(nullptr);
    const MapData& m = MAP_DATA;
    if (MAP_OBJ.count > MAP_OBJ_MAX || MAP_CSP.count > MAP_CSP_MAX) std::abort();
    for (int i = 0; i < MAP_OBJ.count; ++i)
        if (MAP_OBJ.obj[i].index < 0 || MAP_OBJ.obj[i].index >= MAP_CSP.count) std::abort();
    if (m.cells && int64_t(m.width) * m.height > MAP_MAX_CELLS) std::abort();

    fuzz::Input in{map, map_size};
    LIST_NODE node{};
    for (int q = 0; q < 8; ++q) {
        const int32_t x0 = in.Near(), y0 = in.Near(), x1 = in.Near(), y1 = in.Near();
        MAP_CheckLine(x0, y0, x1, y1, in.Byte());
        MAP_GetExtra(x1, y1);
        node.x = x0;
        node.y = y0;
        node.map_box = {int32_t(int8_t(in.Byte())), int32_t(int8_t(in.Byte())), in.Byte(), in.Byte()};
        MAP_CheckSweep(&node, x1, y1, 1);
    }
    // The view anywhere (even outside the rectangle), then scrolls of any size, then the blit.
    const RECT rect{int32_t(in.Byte()) * 16, int32_t(in.Byte()) * 16, in.Near(), in.Near()};
    if (in.Byte() & 1) SCR_SetScrRect(&rect);
    MAP_Redraw(in.Near(), in.Near());
    for (int s = 0; s < 3; ++s) MAP_ScrollBuffer(in.Near() % 64, in.Near() % 64);
    MAP_BlitBuffer(DD_DISPLAY.back, int32_t(int8_t(in.Byte())), int32_t(int8_t(in.Byte())), 1);
    plat::Free(MAP_DATA.cells);
    MAP_DATA = MapData{};
    SCR_SCROLL_RECT = RECT{};
    headless::ClearDebugOutput();
    return 0;
}
