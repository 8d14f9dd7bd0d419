// "Dat\Tama.dat" records in stored field order.
#include "tests/support/tama_writer.h"

#include <algorithm>
#include <filesystem>

#include "platform/bytes.h"
#include "tests/support/fixture.h"

namespace support {
namespace {
void U8(std::vector<uint8_t>& o, uint8_t v) { o.push_back(v); }
void I16(std::vector<uint8_t>& o, int v) { plat::Put16(o, uint16_t(v)); }
void Zeros(std::vector<uint8_t>& o, size_t n) { o.insert(o.end(), n, 0); }

void WriteWeapon(std::vector<uint8_t>& o, const WpnSpec& w) {
    I16(o, w.bullet);
    for (uint16_t v : {w.aim, w.start, w.cont}) I16(o, v);
    for (uint8_t v : {w.muzzle, uint8_t(w.mode), w.hit_kind, w.source, w.origin, w.b13}) U8(o, v);
    for (uint16_t v : {w.interval, w.per_shot, w.loops, w.interval_adj, w.per_shot_adj, w.loops_adj}) I16(o, v);
    for (int16_t v : {w.p1, w.p2, w.p3}) I16(o, v);
    for (uint8_t v : {w.effect, w.effect_count, w.sound, w.b35}) U8(o, v);
}

void WritePhase(std::vector<uint8_t>& o, const TamaPhaseSpec& p) {
    for (const TamaKeySpec& k : p.key) {
        U8(o, k.seq);
        U8(o, k.b1);
        I16(o, k.unused);
        U8(o, k.face);
        U8(o, k.timing);
        I16(o, k.length);
        for (uint16_t v : {k.multi_hit, k.draw, k.blend}) I16(o, v);
        U8(o, k.sound);
        U8(o, k.b15);
    }
    for (const TamaScaleSpec& s : p.scale) {
        U8(o, s.mode);
        U8(o, s.b1);
        for (int16_t v : {s.value, s.step, s.min, s.max}) I16(o, v);
    }
    for (uint8_t v : p.draw_parts) U8(o, v);
    for (int8_t v : {p.end, p.after, p.land}) U8(o, uint8_t(v));
    U8(o, p.b111);
    I16(o, p.hit1);
    U8(o, uint8_t(p.hit1_phase));
    U8(o, p.b115);
    I16(o, p.hit2);
    U8(o, uint8_t(p.hit2_phase));
    U8(o, uint8_t(p.wall_phase));
    U8(o, p.b120);
    for (uint8_t v : {p.cls, p.flags, p.variant, p.seg_variant}) U8(o, v);
    Zeros(o, 3);
    for (int32_t v : p.p) plat::Put32(o, uint32_t(v));
    for (int32_t v : p.q) plat::Put32(o, uint32_t(v));
    for (int16_t v : {p.speed, p.speed_step, p.speed_min, p.speed_max, p.rise, p.rise_step, p.height_min, p.height_max})
        I16(o, v);
    U8(o, p.chr_hits);
    U8(o, p.tama_hits);
    for (uint8_t v : {uint8_t(p.hit.code), p.hit.b275, p.hit.b276, p.hit.b277}) U8(o, v);
    std::array<uint8_t, 26> hit = p.hit.hit;
    hit[2] = p.wall_mode;
    o.insert(o.end(), hit.begin(), hit.end());
    for (uint8_t v : {p.trail, p.trail_box, p.trail_count, p.trail_spread}) U8(o, v);
    WriteWeapon(o, p.wpn);
}
}  // namespace

TamaKeySpec TamaKey(uint8_t seq, uint8_t timing, int16_t length) {
    TamaKeySpec k;
    k.seq = seq;
    k.timing = timing;
    k.length = length;
    return k;
}

std::array<uint8_t, 36> WeaponRecord(const WpnSpec& w) {
    std::vector<uint8_t> o;
    WriteWeapon(o, w);
    std::array<uint8_t, 36> out{};
    std::copy(o.begin(), o.end(), out.begin());
    return out;
}

void SetWeapon(WazaActSpec& act, const WpnSpec& w) {
    const std::array<uint8_t, 36> r = WeaponRecord(w);
    act.bullet = w.bullet;
    std::copy(r.begin() + 2, r.end(), act.wpn_rest.begin());
}

std::vector<uint8_t> WriteTamaRecord(const TamaSpec& s, int index) {
    std::vector<uint8_t> o;
    o.reserve(1422);
    const std::string name = s.name.substr(0, 39);
    o.insert(o.end(), name.begin(), name.end());
    o.resize(40, 0);
    U8(o, s.used);
    Zeros(o, 3);
    for (const TamaPhaseSpec& p : s.phase) WritePhase(o, p);
    I16(o, s.own_index >= 0 ? s.own_index : index);
    return o;
}

std::vector<uint8_t> WriteTama(const std::vector<TamaSpec>& records) { return WriteTama(records, int16_t(records.size())); }

std::vector<uint8_t> WriteTama(const std::vector<TamaSpec>& records, int16_t count) {
    std::vector<uint8_t> o;
    I16(o, count);
    for (size_t i = 0; i < records.size(); ++i) {
        const std::vector<uint8_t> r = WriteTamaRecord(records[i], int(i));
        o.insert(o.end(), r.begin(), r.end());
    }
    return o;
}

bool WriteTamaFile(const std::vector<TamaSpec>& records) {
    std::error_code ec;
    std::filesystem::create_directories("Dat", ec);
    return WriteBytes("Dat/Tama.dat", WriteTama(records));
}

}  // namespace support
