// The battle frame core: an update tick walking 2048 live nodes and stepping 1,023 animated display
// objects, and the renderer's update half placing the sprites of 1,800 nodes and cutting depth
// overlays from 300 background objects (800 sprites on the field); memcpy, SDL and pixman copying a
// 640 x 480 frame are the yardsticks. Then the renderer's update and draw together (the map and the
// world layer sorted by depth with its overlays, leaving out what is out of view) beside the same
// update followed by the sprite layer's SP_Draw(-1) of the same objects. Run on one core: taskset -c 3 bench_battle_frame
#include "bench/bench_battle.h"
#include "bench/bench_common.h"
#include "battle/btl_frame.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"

namespace {
std::vector<LIST_NODE*> g_nodes;
std::vector<POINT> g_home;  // where the nodes stood before the update ticks moved them
int g_overlays = 0;
int g_tick_nodes = 0;

// Sprites on the first `sprites` nodes and `nodes` nodes in all; what is freed is room for overlays.
void Keep(size_t sprites, size_t nodes) {
    for (size_t i = sprites; i < g_nodes.size(); ++i) {
        SP_Delete(g_nodes[i]->sprite);
        g_nodes[i]->sprite = LIST_NO_SPRITE;
    }
    for (size_t i = nodes; i < g_nodes.size(); ++i) LIST_Free(g_nodes[i]->index);
    g_nodes.resize(nodes);
}

void Ready() {
    static const bool ready = (Keep(800, 1800), true);
    (void)ready;
}

void RenderUpdate() {
    Ready();
    BTL_RenderUpdate();
    g_overlays = MAP_OverlayCount();
    while (LIST_NODE* n = LIST_Node(LIST_STATE_DATA.tail)) {  // the draw deletes them
        if (n->kind != LIST_KIND_BGOBJ) break;
        MAP_DelBgObj(n);
    }
}

// The draws see the field as it was set up: the nodes back where they stood before the update
// ticks moved them.
void ReadyToDraw() {
    static const bool ready = [] {
        Ready();
        for (size_t i = 0; i < g_nodes.size(); ++i) g_nodes[i]->x = g_home[i].x, g_nodes[i]->y = g_home[i].y;
        return true;
    }();
    (void)ready;
}

// Both draws delete the frame's overlays, as a drawn frame does.
void RenderScene() {
    ReadyToDraw();
    BTL_RenderScene(SP_DRAW_OFFSET.x, SP_DRAW_OFFSET.y, 1);
}
void UpdateAndSpriteDraw() {
    ReadyToDraw();
    BTL_RenderUpdate();
    SP_Draw(-1);
}
}  // namespace

int main(int argc, char** argv) {
    bench::Get();
    support::TempDir dir;
    bench::BattleStart();
    BTL_Init();
    if (!support::WriteStage("05_4_L", "05_0_L", support::MakeTestStage(140, 100, 7, 300)) || !support::WriteMech("player", 0))
        return 1;
    MAP_Load(5, 4, 0);
    SCR_SetCamera(SCR_CAMERA_FIXED, nullptr, nullptr);
    CAMERA_DATA.fixed_x = 1000, CAMERA_DATA.fixed_y = 800;
    SCR_SetScrollPos(1000, 800);
    MAP_Redraw(1000, 800);
    const int set = SPR_FindFreeSet();
    SPR_Load(set, "Bmp/Meka/player.spr", 0);
    plat::Srand(3);
    for (int i = 0; i < LIST_MAX; ++i) {
        // Kinds whose updates keep their nodes, so every tick walks all 2048 (a fire order with no
        // owner would end on the first tick).
        LIST_NODE* n = LIST_Alloc(i % 3 ? LIST_KIND_EFT : LIST_KIND_GAUGE);
        n->priority = int16_t(i % 9);
        n->x = 700 + plat::Rand() % 700;  // around the view
        n->y = 500 + plat::Rand() % 600;
        const int id = SP_FindFree();
        if (id >= 0 && SP_CreateAnim(id, MAP_WORLD_PRIORITY, 0, 0, set, 0)) {
            n->sprite = int16_t(id);
            SP_SetOwner(id, n->index);
            SP_PlaySeq(id, 7, 1, 1);
            SP_Anim(id)->pattern_offset = uint8_t(i & 7);
        }
        g_nodes.push_back(n);
        g_home.push_back(POINT{n->x, n->y});
    }
    BTL_SetState(BTL_STATE_FIGHT);
    headless::ClearDebugOutput();
    const int result = bench::Main(argc, argv, [] {
        return std::vector<bench::Case>{
            {"battle update tick",
             [] {
                 BTL_FrameUpdate();
                 g_tick_nodes = LIST_STATE_DATA.listCnt;
             },
             "sdl copy", "pixman src"},
            {"battle render update", RenderUpdate, "sdl copy", "pixman src"},
            {"battle render update+draw", RenderScene, "sdl copy", "pixman src"},
            {"update + SP_Draw(-1)", UpdateAndSpriteDraw, "sdl copy", "pixman src"},
        };
    });
    std::printf("(update tick: %d live nodes; render update: %d overlays a frame)\n", g_tick_nodes, g_overlays);
    const double ours = bench::Ms("battle render update+draw"), peer = bench::Ms("update + SP_Draw(-1)");
    if (ours > 0 && peer > 0)
        std::printf("battle renderer, update and draw: %.4f ms; the same update and SP_Draw(-1): %.4f ms (x %.2f)\n", ours,
                    peer, ours / peer);
    return result;
}
