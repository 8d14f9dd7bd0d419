// Melee in a battle frame: 10 mechs, two sides of five within reach of each other, each in a held
// keyframe of hit rate 0 (64 hit checks a frame), among 1,500 live effects; one update tick a
// frame. The budget is 2 ms a frame on one core; memcpy, SDL and pixman copying a 640 x 480 frame
// are the yardsticks. Run on one core: taskset -c 3 bench_battle_melee
#include "bench/bench_battle.h"
#include "bench/bench_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/waza_exec.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"
#include "tests/support/melee_fixture.h"
#include "tests/support/waza_writer.h"

namespace {
constexpr int kEffects = 1500;

// A held keyframe that hits with both reach boxes every frame for 1 unit, with no reaction.
std::vector<support::WazaSpec> Techniques() {
    support::WazaActSpec act;
    act.key[0] = support::KeyFrame(support::kShortSeq, 4, 255, 1 << 2 | 1 << 11);
    act.hit_rate = 0;
    support::HitSpec h;
    h.minimum = 1;
    act.hit = support::HitRecord(h);
    return {support::OneAction(act)};
}
}  // namespace

int main(int argc, char** argv) {
    bench::Get();
    support::TempDir dir;
    bench::BattleStart();
    if (!support::WriteEffect() || !support::WriteMech("zako01", 1) ||
        !support::WriteSpr("Bmp/Meka/zako01.spr", support::MeleeSprFile("zako01", 1)) ||
        !support::WriteBytes("Dat/zako01.waz", support::WriteWaz(Techniques())) || !BTL_Init())
        return 1;
    bench::LoadOpenStage(80, 60);
    plat::Srand(5);
    for (int s = 0; s < CHR_SLOTS; ++s) {
        if (CHR_Create(s, s % 2, CHR_CPU, 1, 560 + 12 * s, 480 + 8 * (s / 2), 0, 7) != 1) return 1;
        LIST_NODE* n = CHR_Get(s);
        n->priority = 5;
    }
    for (int s = 0; s < CHR_SLOTS; ++s) {
        LIST_NODE* n = CHR_Get(s);
        CHR_SetTarget(n, 1, 0);
        LIST_SetCurrent(n);
        LIST_CURRENT.chr = n->chr;
        CHR_WazaStart(n, 0);
    }
    // Display objects run out at 1,024: the rest of the effects are nodes without one.
    for (int i = 0; i < kEffects; ++i) {
        const int32_t x = 200 + plat::Rand() % 800, y = 200 + plat::Rand() % 600;
        if (EFT_Create(20, nullptr, x, y, 0) >= 0) continue;
        LIST_NODE* e = LIST_Alloc(LIST_KIND_EFT);
        e->priority = 4;
        e->eft->kind = 20;
        LIST_SetPos(e, x, y, 0);
        ++LIST_STATE_DATA.eftCnt;
    }
    BTL_SetState(BTL_STATE_FIGHT);
    headless::ClearDebugOutput();
    const int nodes = LIST_STATE_DATA.listCnt;
    const int result = bench::Main(argc, argv, [] {
        return std::vector<bench::Case>{{"melee frame", bench::FightFrame, "sdl copy", "pixman src"}};
    });
    int hitting = 0;  // still in their keyframe at the end, so every frame made its checks
    for (const LIST_NODE* n : CHR_TABLE) hitting += n && n->chr->phase == 1 && n->chr->waza == 0 && n->chr->hits_landed > 0;
    std::printf("(%d nodes, %d effects, %d of 10 mechs in their technique at the end; budget 2 ms a frame)\n", nodes,
                LIST_STATE_DATA.eftCnt, hitting);
    return result;
}
