// The rig's story battle: its stage, mechs, techniques, behaviour, battle script and pad input.
#include "tests/support/story_battle.h"

#include "battle/camp_data.h"
#include "tests/support/fixture.h"
#include "tests/support/melee_fixture.h"
#include "battle/tama_data.h"
#include "tests/support/script_double.h"
#include "tests/support/tama_fixture.h"
#include "tests/support/waza_writer.h"

namespace support {
namespace {
// Three cancellable blows: a flinch, a launch that knocks down, a heavy finish.
std::vector<WazaSpec> Techniques(int16_t scale) {
    HitSpec flinch;
    flinch.base = int16_t(120 * scale), flinch.flinch = 1, flinch.stagger = 10, flinch.stop = 2, flinch.knock_speed = 6;
    flinch.down = 20, flinch.flash = 1, flinch.spark = 3, flinch.spark_count = 62, flinch.spark_spread = 12;
    HitSpec launch;
    launch.base = int16_t(150 * scale), launch.down = 100, launch.launch = 10, launch.flags = 1, launch.stop = 3;
    launch.knock_speed = 8, launch.flash = 2, launch.spark = 4, launch.spark_count = 63, launch.sound = 28;
    HitSpec heavy;
    heavy.base = int16_t(400 * scale), heavy.launch = 12, heavy.flags = 1, heavy.stop = 4, heavy.knock_speed = 10;
    heavy.down = 50, heavy.flash = 3, heavy.spark = 5, heavy.spark_count = 61, heavy.spark_spread = 20;
    std::vector<WazaSpec> v(7, Blow(20, 14, 1 << 11, flinch, 20, 1));
    v[3] = Blow(21, 16, 1 << 11, launch, 30, 1);
    v[6] = Blow(22, 20, 1 << 11 | 1 << 12, heavy, 50, 1);
    return v;
}

// The player's third column shoots straight bullets; the enemies' technique 1 homing missiles.
std::vector<WazaSpec> PlayerTechniques() {
    std::vector<WazaSpec> v = Techniques(2);
    v[6] = FiringTechnique(FixtureWeapon(kStraight), 16);
    return v;
}
std::vector<WazaSpec> EnemyTechniques() {
    std::vector<WazaSpec> v = Techniques(1);
    v[1] = FiringTechnique(FixtureWeapon(kHoming), 16);
    return v;
}

// Held buttons by frame: walks, double-tap dashes, long dashes and attack buttons in turns.
uint16_t Pad(int f) {
    const int t = f % 150;
    if (t < 20) return f % 300 < 150 ? 0x08 : 0x04;  // walk right, or left
    if (t == 24 || (t >= 26 && t <= 34)) return f % 300 < 150 ? 0x08 : 0x04;  // a dash and its brake
    if (t >= 40 && t <= 47) return 0x80;  // a long dash at the target
    if (t == 55 || t == 60 || t == 65) return 0x10;
    if (t >= 70 && t < 90) return t < 80 ? 0x02 : 0x01;  // down, then up
    if (t == 95 || t == 100) return 0x20;
    if (t == 110) return 0x40;
    if (t >= 120 && t < 130) return 0x0A;  // down-right
    return 0;
}

void Script() {
    ScriptHost host;
    ScriptBuilder s;
    s.Cmd(44)
        .Cmd(47, {1})
        .Cmd(49, {200, 200})
        .Cmd(49, {1400, 200})
        .Cmd(49, {200, 1000})
        .Cmd(49, {1400, 1000})
        .Cmd(50, {240, 2, 1, 3, -1})
        .Cmd(50, {480, 3, 1, 2, 1})
        .Cmd(46)
        .Cmd(34)
        .Cmd(35, {0, 2, 2});  // the first spawn's destruction ends the battle
    host.Run(s);
    for (int i = 0; i < CAMP_GRID; ++i) CAMP_DATA.equip[i] = int16_t(3 * (i % 3));
}
}  // namespace

CpuSpec StoryCpu() {
    CpuSpec s = MobileCpu();
    s.stats[0] = 1, s.stats[14] = 0;  // two levels at CPU level 3: 1 + 0 x 3, then the override
    s.stats[1] = 3, s.stats[15] = 1;
    s.stats[2] = 4, s.stats[3] = 14, s.stats[4] = 18, s.stats[5] = 8;
    s.stats[6] = 8, s.stats[16] = 2;
    auto action = [&](int slot, int8_t state, uint16_t mode, int16_t duration, int16_t chance) -> CpuActionSpec& {
        CpuActionSpec& a = s.action[size_t(slot)];
        a.state = state, a.move_mode = mode, a.duration = duration, a.chance = chance, a.pattern_chance = 40;
        a.chance_per_level = 20, a.min_level = 1, a.priority = 1;
        return a;
    };
    action(0, 1, 0, 40, 300).min_dist = 100;
    action(1, 2, 1, 15, 200).max_dist = 160;
    action(2, 3, 0, 30, 200).own_mask = 0x2000;  // given up while a wall blocks the line
    action(3, 4, 0, 20, 200).min_dist = 150;
    action(4, 5, 0, 8, 250).min_dist = 200;
    action(5, 1, 2, 60, 150);
    action(6, 0, 0, 20, 200).delay = 5;
    CpuPatternSpec& p0 = s.pattern[0];
    p0.step[0] = {0, 0, 800, 0, 0, 160, 100, 0, 1 << 7, 2, 0, 6, 2, 300};
    p0.step[1] = {3, 2, 700, 0, 0, 160, 100, 0, 0, 3, 0, 8, 0, 0};
    CpuPatternSpec& p1 = s.pattern[1];
    p1.flag = 1;
    p1.step[0] = {6, 0, 600, 0, 0, 170, 100, 0, 0, 4, 1, 10, 1, 0};
    s.pattern[2].step[0] = {3, 0, 300, 50, 0, 140, 100, 1 << 1, 0, 2, 0, 4, 0, 0};
    s.pattern[3].step[0] = {1, 0, 500, 0, 220, 700, 100, 0, 0, 2, 0, 30, 2, 0};  // missiles from afar
    s.reaction[0] = {1, 1, 0, 400, 0, 2, 0, 0, 200, 0, 5};      // a blow: dash away
    s.reaction[1] = {0, 0, 1, 300, 50, 5, 2, 0, 160, 1 << 7, 5};  // a launch: answer with a blow
    return s;
}

RigSetup StoryBattle() {
    RigSetup s;
    s.seed = 12345;
    s.files = MakeTestStage(100, 75, 4, 30);
    // A field with scattered pillars in the middle of the stage.
    for (int r = 10; r < 65; ++r)
        for (int c = 10; c < 90; ++c)
            s.files.map.attr[size_t(r) * 100 + c] = (r % 12 == 5 && c % 14 == 7) || (r % 12 == 6 && c % 14 == 7) ? 1 : 0;
    s.chars.push_back({0, 0, 0, 0, 500, 600, 0, -1, {}, 4});
    s.chars.push_back({1, 1, 1, 1, 900, 620, 3, -1, {}, 4});
    s.follow = 0, s.second = 1;
    s.more_files = [] {
        WriteSpr("Bmp/Meka/player.spr", MeleeSprFile("player", 0));
        WriteSpr("Bmp/Meka/zako01.spr", MeleeSprFile("zako01", 1));
        WriteBytes("Dat/player.waz", WriteWaz(PlayerTechniques()));
        WriteBytes("Dat/zako01.waz", WriteWaz(EnemyTechniques()));
        WriteCpuFile("zako01", StoryCpu());
        WriteFixtureBullets();
        TAMA_Load();
    };
    s.keys = Pad;
    s.before_frame = [](int f) {
        if (f == 1) Script();
    };
    return s;
}

}  // namespace support
