// Battle snapshot records in stored field order.
#include "tests/support/snap_builder.h"

#include "platform/bytes.h"

namespace support {
namespace {
void I32(std::vector<uint8_t>& o, int32_t v) { plat::Put32(o, uint32_t(v)); }
}  // namespace

std::vector<uint8_t> BuildSnap(const SnapSpec& s) {
    std::vector<uint8_t> o = BuildCampBlock(s.camp);
    for (const SnapCharSpec& c : s.chr) {
        o.push_back(c.present);
        o.insert(o.end(), 3, 0);
        for (int32_t v : {c.x, c.y, c.dir, c.team, c.control, c.mech, c.level, c.target_slot, c.units, c.levels}) I32(o, v);
        o.push_back(c.saved_visible);
        o.push_back(c.saved_running);
        o.insert(o.end(), 2, 0);
    }
    for (int32_t v : {s.stage, s.variant, s.dark}) I32(o, v);
    for (int32_t v : s.rect) I32(o, v);
    for (int32_t v : s.camera) I32(o, v);
    I32(o, s.follow_slot);
    I32(o, s.second_slot);
    I32(o, s.triggered);
    for (const SnapEventSpec& e : s.event) {
        o.push_back(e.used);
        o.insert(o.end(), 3, 0);
        I32(o, e.kind);
        I32(o, e.slot);
    }
    for (int32_t v : s.bank) I32(o, v);
    for (int32_t v : s.bank_mech) I32(o, v);
    for (const auto& p : s.point) I32(o, p[0]), I32(o, p[1]);
    for (const SnapSpawnSpec& e : s.spawn)
        for (int32_t v : {e.frame, e.max_others, e.mech, e.level, e.override_levels}) I32(o, v);
    I32(o, s.queued);
    I32(o, s.clock);
    I32(o, int32_t(s.ambient));
    I32(o, s.draw_x);
    I32(o, s.draw_y);
    I32(o, int32_t(s.guard));
    I32(o, int32_t(s.collide));
    return o;
}

}  // namespace support
