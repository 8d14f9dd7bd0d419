// The fixture bullets, their weapons and firing techniques.
#include "tests/support/tama_fixture.h"

#include "tests/support/effect_fixture.h"

namespace support {
namespace {
// A phase of one keyframe of the bullet sequence that counts down `frames`, hitting characters
// once with 60 damage, then ends.
TamaPhaseSpec Flight(uint8_t cls, uint8_t variant, int16_t speed, int16_t frames) {
    TamaPhaseSpec p;
    p.cls = cls, p.variant = variant, p.speed = speed;
    p.key[0] = TamaKey(kBulletSeq, 2, frames);
    p.chr_hits = 1, p.hit1 = 999;
    HitSpec h;
    h.base = 60, h.minimum = 1, h.reduction_step = 1, h.knock_speed = 4, h.stagger = 4, h.launch = 5, h.sound = 26;
    h.flags = 1;
    SetHit(p, h);
    return p;
}
}  // namespace

std::vector<TamaSpec> FixtureBullets() {
    std::vector<TamaSpec> v(kFixtureBullets);
    v[kStraight].name = "straight";
    v[kStraight].phase[0] = Flight(0, 0, 8, 60);

    v[kHoming].name = "homing";
    TamaPhaseSpec& homing = v[kHoming].phase[0] = Flight(0, 1, 10, 90);
    homing.p[1] = 6, homing.p[2] = 4;  // turns 6 degrees a frame and faces its flight
    homing.flags = 8;                  // exhaust and trail effects

    v[kWobble].name = "wobble";
    TamaPhaseSpec& wobble = v[kWobble].phase[0] = Flight(0, 2, 9, 80);
    wobble.p[1] = 5, wobble.p[2] = 20, wobble.p[3] = 4, wobble.p[5] = 10, wobble.p[6] = 6, wobble.p[10] = 1;

    v[kGrenade].name = "grenade";
    TamaPhaseSpec& lob = v[kGrenade].phase[0] = Flight(0, 0, 6, 0);
    lob.key[0] = TamaKey(kBulletSeq, 3, 255);  // until it lands
    lob.flags = 4, lob.rise = 16, lob.rise_step = 8, lob.land = 1, lob.chr_hits = 0, lob.hit1 = -1;
    lob.height_min = 0;  // it comes down on the ground and lands the frame after
    TamaPhaseSpec& blast = v[kGrenade].phase[1] = Flight(0, 0, 0, 0);
    blast.key[0] = TamaKey(kBulletTimedSeq, 0, 12);  // plays out in 12 frames
    blast.scale[0].value = 768;
    blast.chr_hits = 255, blast.hit1 = -1, blast.height_min = 0;
    blast.hit.code = 73;  // a hit every tenth frame

    v[kMine].name = "mine";
    TamaPhaseSpec& mine = v[kMine].phase[0] = Flight(0, 3, 0, 150);
    mine.p[0] = 200, mine.chr_hits = 3, mine.hit.code = 73;

    v[kBarrier].name = "barrier";
    TamaPhaseSpec& barrier = v[kBarrier].phase[0] = Flight(1, 0, 0, 60);
    barrier.chr_hits = 255, barrier.hit1 = -1, barrier.flags = 1, barrier.hit.code = 70;

    v[kExpanding].name = "ring";
    TamaPhaseSpec& ring = v[kExpanding].phase[0] = Flight(1, 1, 0, 40);
    ring.p[1] = 4, ring.p[2] = 96, ring.chr_hits = 255, ring.hit1 = -1, ring.flags = 1, ring.hit.code = 70;

    v[kLaser].name = "laser";
    TamaPhaseSpec& beam = v[kLaser].phase[0] = Flight(2, 0, 0, 255);
    beam.key[0] = TamaKey(kBulletSeq, 0, 255);  // loops for as long as the beam lives
    beam.seg_variant = 2;
    beam.q[0] = 1, beam.q[1] = 3, beam.q[2] = 1;  // a wave one sector a step, three at most
    beam.q[11] = 0, beam.q[12] = 1, beam.q[13] = 4, beam.q[14] = 1;
    beam.chr_hits = 255, beam.hit1 = -1, beam.flags = 1, beam.hit.code = 66;

    v[kCluster].name = "cluster";
    TamaPhaseSpec& cluster = v[kCluster].phase[0] = Flight(0, 0, 6, 20);
    cluster.key[1] = TamaKey(kBulletSeq, 2, 1);
    cluster.chr_hits = 0, cluster.hit1 = -1;
    WpnSpec& shards = cluster.wpn;
    shards.bullet = kShard, shards.aim = 2, shards.start = 2, shards.cont = 2;
    shards.mode = 3, shards.per_shot = 5, shards.p1 = 30, shards.origin = 0, shards.source = 0;

    v[kShard].name = "shard";
    v[kShard].phase[0] = Flight(0, 0, 12, 20);
    return v;
}

bool WriteFixtureBullets() { return WriteTamaFile(FixtureBullets()); }

WpnSpec FixtureWeapon(int16_t bullet) {
    WpnSpec w;
    w.bullet = bullet, w.start = 1, w.cont = 1, w.source = 0, w.origin = 3;
    if (bullet == kLaser) w.mode = 4, w.loops = 4, w.interval = 1, w.origin = 3;
    return w;
}

WazaSpec FiringTechnique(const WpnSpec& w, int16_t length) {
    WazaActSpec act;
    act.key[0] = KeyFrame(20, 0, length);
    SetWeapon(act, w);
    WazaSpec s = OneAction(act);
    s.heat_kind = 2;
    return s;
}

}  // namespace support
