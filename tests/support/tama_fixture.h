// Fixture bullets for "Dat\Tama.dat" and the weapons that fire them: straight, homing and wobbling
// missiles, a grenade that explodes on landing, a sticky mine, a pinned and an expanding field, a
// four-segment laser and a cluster bullet that fires shards; and one-action techniques that fire a
// weapon while their keyframe lasts.
#pragma once
#include <vector>

#include "tests/support/tama_writer.h"

namespace support {

enum FixtureBullet : int16_t {
    kStraight = 0,
    kHoming = 1,
    kWobble = 2,
    kGrenade = 3,  // phase 1: the explosion
    kMine = 4,
    kBarrier = 5,
    kExpanding = 6,
    kLaser = 7,
    kCluster = 8,  // fires five kShard at its target at keyframe 1
    kShard = 9,
    kFixtureBullets = 10,
};

std::vector<TamaSpec> FixtureBullets();
// The fixture bullets as "Dat/Tama.dat" below the current directory.
bool WriteFixtureBullets();
// A weapon firing the bullet once (fire mode 0, muzzle box 6, aimed at the target) while the
// firing keyframe lasts; the laser's is a four-segment beam (fire mode 4).
WpnSpec FixtureWeapon(int16_t bullet);
// A technique of one action whose keyframe 0 (sequence 20 of the mech set, `length` frames, end
// mode 0) starts and continues the weapon.
WazaSpec FiringTechnique(const WpnSpec& w, int16_t length);

}  // namespace support
