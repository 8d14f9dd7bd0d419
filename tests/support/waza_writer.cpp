// ".waz" records in stored field order, and the campaign block.
#include "tests/support/waza_writer.h"

#include <algorithm>

#include "platform/bytes.h"

namespace support {
namespace {
void U8(std::vector<uint8_t>& o, uint8_t v) { o.push_back(v); }
void I16(std::vector<uint8_t>& o, int v) { plat::Put16(o, uint16_t(v)); }
template <size_t N>
void Raw(std::vector<uint8_t>& o, const std::array<uint8_t, N>& a) {
    o.insert(o.end(), a.begin(), a.end());
}

void WriteAct(std::vector<uint8_t>& o, const WazaActSpec& a) {
    for (const WazaKeySpec& k : a.key) {
        U8(o, k.anim);
        U8(o, k.spare);
        I16(o, k.dash_anim);
        U8(o, uint8_t(k.dir));
        U8(o, k.end_mode);
        I16(o, k.length);
        I16(o, k.hit);
        I16(o, k.draw);
        I16(o, k.blend);
        U8(o, k.sound);
        U8(o, uint8_t(k.armour));
    }
    for (uint8_t v : {a.b160, a.cancel, a.preview, a.facing, a.move, a.b165}) U8(o, v);
    I16(o, a.angle);
    U8(o, a.flags);
    U8(o, a.b169);
    for (int16_t v : {a.speed, a.accel, a.speed_min, a.speed_max, a.vspeed, a.vaccel, a.vspeed_min, a.vspeed_max})
        I16(o, v);
    U8(o, a.chr_hits);
    U8(o, a.tama_hits);
    U8(o, uint8_t(a.hit_rate));
    Raw(o, a.b189);
    Raw(o, a.hit);
    I16(o, a.bullet);
    Raw(o, a.wpn_rest);
    U8(o, uint8_t(a.effect));
    U8(o, a.b255);
}
}  // namespace

std::array<uint8_t, 26> HitRecord(const HitSpec& h) {
    std::vector<uint8_t> o;
    U8(o, h.flags);
    U8(o, uint8_t(h.flash));
    I16(o, 0);
    for (int v : {int(h.base), int(h.minimum), int(h.reduction_step)}) I16(o, v);
    U8(o, h.stop);
    U8(o, uint8_t(h.knock_mode));
    I16(o, h.knock_speed);
    I16(o, h.stagger);
    U8(o, h.down);
    U8(o, 0);
    I16(o, h.launch);
    for (uint8_t v : {h.spark, h.spark_count, h.spark_spread, uint8_t(h.sound), h.flinch, h.cancel_chance}) U8(o, v);
    std::array<uint8_t, 26> out{};
    std::copy(o.begin(), o.end(), out.begin());
    return out;
}

WazaKeySpec KeyFrame(uint8_t anim, uint8_t end_mode, int16_t length, uint16_t hit_boxes) {
    WazaKeySpec k;
    k.anim = anim;
    k.end_mode = end_mode;
    k.length = length;
    k.hit = hit_boxes;
    return k;
}

void SetWeapon(WazaActSpec& act, int16_t bullet, uint16_t aim_mask, uint16_t fire_mask) {
    act.bullet = bullet;
    act.wpn_rest[0] = uint8_t(aim_mask);
    act.wpn_rest[1] = uint8_t(aim_mask >> 8);
    act.wpn_rest[2] = uint8_t(fire_mask);
    act.wpn_rest[3] = uint8_t(fire_mask >> 8);
}

WazaSpec OneAction(const WazaActSpec& act, int16_t heat) {
    WazaSpec s;
    s.heat = heat;
    s.slot_act[0] = 0;
    s.act[0] = act;
    return s;
}

WazaSpec Blow(uint8_t anim, int16_t length, uint16_t boxes, const HitSpec& h, int16_t heat, uint8_t cancel) {
    WazaActSpec act;
    act.key[0] = KeyFrame(anim, 0, length, boxes);
    act.hit = HitRecord(h);
    act.hit_rate = 63;
    act.chr_hits = 1;
    act.cancel = cancel;
    WazaSpec s = OneAction(act, heat);
    s.heat_kind = 2;
    return s;
}

std::vector<uint8_t> WriteWazaRecord(const WazaSpec& s) {
    std::vector<uint8_t> o;
    o.reserve(4242);
    std::string name = s.name.substr(0, 39);
    o.insert(o.end(), name.begin(), name.end());
    o.resize(40, 0);
    U8(o, s.used);
    U8(o, s.heat_kind);
    I16(o, s.b42);
    I16(o, s.heat);
    U8(o, s.air);
    U8(o, s.b47);
    I16(o, s.max_hits);
    U8(o, uint8_t(s.speed_shift));
    U8(o, s.b51);
    I16(o, s.exp_base);
    Raw(o, s.slot_act);
    for (const auto& r : s.repeat) Raw(o, r);
    for (const WazaLinkSpec& l : s.link) {
        U8(o, l.from);
        U8(o, l.to);
        U8(o, uint8_t(l.kind));
        U8(o, l.spare);
        I16(o, l.hits);
    }
    for (const WazaActSpec& a : s.act) WriteAct(o, a);
    return o;
}

std::vector<uint8_t> WriteWaz(const std::vector<WazaSpec>& records) {
    return WriteWaz(records, int16_t(records.size()));
}

std::vector<uint8_t> WriteWaz(const std::vector<WazaSpec>& records, int16_t count) {
    std::vector<uint8_t> o;
    I16(o, count);
    for (const WazaSpec& s : records) {
        const std::vector<uint8_t> r = WriteWazaRecord(s);
        o.insert(o.end(), r.begin(), r.end());
    }
    return o;
}

std::vector<uint8_t> BuildCampBlock(const CampSpec& s) {
    std::vector<uint8_t> o;
    for (int16_t v : s.base) I16(o, v);
    I16(o, 0);
    plat::Put32(o, s.gauge_pool);
    for (int16_t v : s.equip) I16(o, v);
    plat::Put32(o, s.best_hits);
    plat::Put32(o, s.best_damage);
    plat::Put32(o, 0);
    for (const CampWeaponSpec& w : s.weapon) {
        U8(o, w.status);
        for (int i = 0; i < 3; ++i) U8(o, 0);
        plat::Put32(o, w.uses);
        for (int32_t v : {w.level_points, w.exp, w.exp_shown, w.penalty, w.levelup_value}) plat::Put32(o, uint32_t(v));
        I16(o, w.heat_reduction);
        I16(o, 0);
    }
    return o;
}
}  // namespace support
