// Bullets in a battle frame: 600 bullets at speed 24 (two sub-steps) with hit code 60 (four hit
// checks a sub-step) bouncing about a walled field, and two beams of 63 segments, among 10 mechs
// of two sides; one update tick a frame. The budget is 2 ms a frame on one core; memcpy, SDL and
// pixman copying a 640 x 480 frame are the yardsticks. Run on one core: taskset -c 3 bench_battle_bullets
#include "bench/bench_battle.h"
#include "bench/bench_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/tama_obj.h"
#include "battle/waza_exec.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"
#include "tests/support/tama_fixture.h"

namespace {
constexpr int kBullets = 600;
constexpr int16_t kBall = 0, kBeam = 1;

std::vector<support::TamaSpec> Records() {
    std::vector<support::TamaSpec> v(2);
    support::TamaPhaseSpec& ball = v[kBall].phase[0];
    ball.key[0] = support::TamaKey(support::kBulletSeq, 0, 255);  // loops for good
    ball.speed = 24, ball.wall_mode = 3, ball.chr_hits = 255, ball.hit.code = 60;
    support::HitSpec h;
    h.minimum = 1;
    support::SetHit(ball, h);
    support::TamaPhaseSpec& beam = v[kBeam].phase[0];
    beam = ball;
    beam.speed = 0, beam.wall_mode = 0, beam.cls = 2, beam.seg_variant = 2, beam.flags = 1;
    beam.q[0] = 1, beam.q[1] = 3, beam.q[2] = 1, beam.q[12] = 63;
    return v;
}

// A held keyframe firing a beam of 63 segments in its first shot.
std::vector<support::WazaSpec> Techniques() {
    support::WpnSpec w = support::FixtureWeapon(kBeam);
    w.mode = 4, w.loops = 63, w.per_shot = 63;
    return {support::FiringTechnique(w, 255)};
}

}  // namespace

int main(int argc, char** argv) {
    bench::Get();
    support::TempDir dir;
    bench::BattleStart();
    BTL_CpuOn = 0;
    if (!support::WriteEffect() || !support::WriteMech("zako01", 1) ||
        !support::WriteBytes("Dat/zako01.waz", support::WriteWaz(Techniques())) || !support::WriteTamaFile(Records()) ||
        TAMA_Load() != 1 || !BTL_Init())
        return 1;
    constexpr int kW = 80, kH = 60;
    bench::LoadOpenStage(kW, kH, true);
    plat::Srand(5);
    for (int s = 0; s < CHR_SLOTS; ++s)
        if (CHR_Create(s, s % 2, CHR_CPU, 1, 300 + 70 * s, 300 + 40 * (s % 3), 0, 7) != 1) return 1;
    for (int s = 0; s < CHR_SLOTS; ++s) CHR_SetTarget(CHR_Get(s), 1, 0);
    for (int s : {0, 1}) {  // the two beams
        LIST_NODE* n = CHR_Get(s);
        LIST_SetCurrent(n);
        LIST_CURRENT.chr = n->chr;
        CHR_WazaStart(n, 0);
    }
    BTL_SetState(BTL_STATE_FIGHT);
    bench::FightFrame();  // the beams' first shot
    LIST_CURRENT = LIST_CURRENT_DATA{};
    for (int i = 0; i < kBullets; ++i) {
        LIST_NODE* owner = CHR_Get(i % CHR_SLOTS);
        const int32_t x = 64 + plat::Rand() % (kW * 16 - 128), y = 64 + plat::Rand() % (kH * 16 - 128);
        int32_t vx, vy;
        MTH_AngleToVec(plat::Rand() % 360, &vx, &vy);
        if (TAMA_Create(kBall, owner, x, y, 20, x, y, 0, x + (vx >> 8), y + (vy >> 8), 0, 6) < 0) return 1;
    }
    headless::ClearDebugOutput();
    const int result = bench::Main(argc, argv, [] {
        return std::vector<bench::Case>{{"bullets frame", bench::FightFrame, "sdl copy", "pixman src"}};
    });
    std::printf("(%d nodes, %d bullets; budget 2 ms a frame)\n", LIST_STATE_DATA.listCnt, LIST_STATE_DATA.wpnCnt);
    return result;
}
