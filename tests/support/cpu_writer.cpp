// ".cpu" blocks in stored field order.
#include "tests/support/cpu_writer.h"

#include "platform/bytes.h"
#include "tests/support/fixture.h"

namespace support {
namespace {
void U8(std::vector<uint8_t>& o, uint8_t v) { o.push_back(v); }
void I16(std::vector<uint8_t>& o, int v) { plat::Put16(o, uint16_t(v)); }
void I32(std::vector<uint8_t>& o, int32_t v) { plat::Put32(o, uint32_t(v)); }
void Pad(std::vector<uint8_t>& o, size_t n) { o.insert(o.end(), n, 0); }

void Action(std::vector<uint8_t>& o, const CpuActionSpec& a) {
    U8(o, uint8_t(a.state));
    Pad(o, 1);
    I16(o, a.move_mode);
    I16(o, a.duration);
    Pad(o, 2);
    U8(o, uint8_t(a.min_level));
    Pad(o, 1);
    I16(o, a.chance);
    I16(o, a.chance_per_level);
    Pad(o, 2);
    I32(o, a.min_dist);
    I32(o, a.max_dist);
    I32(o, a.max_levels);
    I16(o, a.own_mask);
    I16(o, a.target_mask);
    U8(o, a.priority);
    Pad(o, 1);
    I16(o, a.pattern_chance);
    I16(o, a.delay);
    Pad(o, 2);
}

void Step(std::vector<uint8_t>& o, const CpuStepSpec& s) {
    I16(o, s.technique);
    U8(o, uint8_t(s.min_level));
    Pad(o, 1);
    I16(o, s.chance);
    I16(o, s.chance_per_level);
    I32(o, s.min_dist);
    I32(o, s.max_dist);
    I32(o, s.max_levels);
    I16(o, s.own_mask);
    I16(o, s.target_mask);
    U8(o, s.priority);
    Pad(o, 1);
    I16(o, s.end_rule);
    I16(o, s.wait);
    I16(o, s.wait_per_level);
    I16(o, s.combo_chance);
    Pad(o, 2);
}

void Reaction(std::vector<uint8_t>& o, const CpuReactionSpec& r) {
    U8(o, uint8_t(r.kind));
    Pad(o, 1);
    I16(o, r.value);
    U8(o, uint8_t(r.min_level));
    Pad(o, 1);
    I16(o, r.chance);
    I16(o, r.chance_per_level);
    I16(o, r.delay);
    I16(o, r.delay_per_level);
    Pad(o, 2);
    I32(o, r.min_dist);
    I32(o, r.max_dist);
    I16(o, r.own_mask);
    U8(o, r.priority);
    Pad(o, 1);
}
}  // namespace

std::vector<uint8_t> WriteCpu(const CpuSpec& spec) {
    std::vector<uint8_t> o;
    for (int16_t s : spec.stats) I16(o, s);
    for (const CpuActionSpec& a : spec.action) Action(o, a);
    for (const CpuPatternSpec& p : spec.pattern) {
        U8(o, p.flag);
        Pad(o, 3);
        for (const CpuStepSpec& s : p.step) Step(o, s);
    }
    for (const CpuReactionSpec& r : spec.reaction) Reaction(o, r);
    return o;
}

CpuSpec MobileCpu() {
    CpuSpec s;
    s.stats[0] = 2;
    s.stats[1] = 5;
    s.stats[2] = 4;
    s.stats[3] = 12;
    s.stats[4] = 16;
    s.stats[5] = 8;
    s.stats[6] = 10;
    s.stats[9] = 10;
    s.stats[8] = s.stats[11] = 100;
    return s;
}

bool WriteCpuFile(const std::string& stem, const CpuSpec& spec) { return WriteBytes("Dat/" + stem + ".cpu", WriteCpu(spec)); }

}  // namespace support
