// The battle snapshot: its stored layout field by field, the save from the live battle and the
// rebuild from a loaded record.
#include "battle/bsc_snap.h"

#include <algorithm>
#include <cstring>

#include "battle/bsc_command.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/ecnt_enemy.h"
#include "battle/eft_effect.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "battle/scr_camera.h"
#include "platform/bytes.h"
#include "sprite/sp_draw.h"

uint8_t BATTLE_SNAP_DATA[SNAP_SIZE]{};

static_assert(SNAP_OFF_CHARS == CAMP_SIZE && SNAP_OFF_MAP == SNAP_OFF_CHARS + 10 * SNAP_CHAR_SIZE);
static_assert(SNAP_OFF_EVENTS == SNAP_OFF_MAP + SNAP_MAP_SIZE && SNAP_OFF_ECNT == SNAP_OFF_EVENTS + BSC_EVENT_SIZE);
static_assert(SNAP_OFF_AMBIENT == SNAP_OFF_ECNT + ECNT_SIZE && SNAP_OFF_COLLIDE + 4 == SNAP_SIZE);

namespace {
void Put(uint8_t* out, int off, int32_t v) {
    for (int i = 0; i < 4; ++i) out[off + i] = uint8_t(uint32_t(v) >> (8 * i));
}
int32_t Get(const uint8_t* in, int off) { return int32_t(plat::Get32(in + off)); }

// The first slot other than `skip` whose character is the node, or -1.
int SlotOf(const LIST_NODE* node, int skip = -1) {
    if (!node) return -1;
    for (int s = 0; s < CHR_SLOTS; ++s)
        if (s != skip && CHR_TABLE[s] == node) return s;
    return -1;
}
int SlotOfIndex(int32_t index, int skip) {
    for (int s = 0; s < CHR_SLOTS; ++s)
        if (s != skip && CHR_TABLE[s] && CHR_TABLE[s]->index == index) return s;
    return -1;
}

void CameraValues(int32_t v[SNAP_CAMERA_VALUES]) {
    const CameraData& c = CAMERA_DATA;
    const int32_t values[SNAP_CAMERA_VALUES] = {c.mode,  c.scroll_x,  c.scroll_y,  c.fixed_x, c.fixed_y,
                                                c.scroll_x16, c.scroll_y16, c.range_x, c.range_y, c.ramp,
                                                c.ramp_step,  c.speed,      0,         0,         0};
    std::copy(values, values + SNAP_CAMERA_VALUES, v);
}

void RestoreCamera(const int32_t v[SNAP_CAMERA_VALUES]) {
    CameraData& c = CAMERA_DATA;
    c.mode = v[0] >= SCR_CAMERA_NONE && v[0] <= SCR_CAMERA_FOLLOW ? v[0] : SCR_CAMERA_NONE;
    c.scroll_x = mBSC_Coord(v[1]), c.scroll_y = mBSC_Coord(v[2]);
    c.fixed_x = mBSC_Coord(v[3]), c.fixed_y = mBSC_Coord(v[4]);
    c.scroll_x16 = v[5], c.scroll_y16 = v[6];
    c.range_x = mBSC_Coord(v[7]), c.range_y = mBSC_Coord(v[8]);
    c.ramp = mBSC_Coord(v[9]), c.ramp_step = mBSC_Coord(v[10]), c.speed = mBSC_Speed(v[11]);
    c.followed = c.second = c.queued = nullptr;
}
}  // namespace

void SNAP_Pack(const BattleSnap& s, uint8_t out[SNAP_SIZE]) {
    std::memset(out, 0, SNAP_SIZE);
    std::memcpy(out, s.camp, CAMP_SIZE);
    for (int i = 0; i < CHR_SLOTS; ++i) {
        const SnapChar& c = s.chr[i];
        uint8_t* p = out + SNAP_OFF_CHARS + i * SNAP_CHAR_SIZE;
        p[0] = c.present;
        const int32_t words[] = {c.x, c.y, c.dir, c.team, c.control, c.mech, c.level, c.target_slot, c.units, c.levels};
        for (int w = 0; w < 10; ++w) Put(p, 4 + 4 * w, words[w]);
        p[44] = c.saved_visible;
        p[45] = c.saved_running;
    }
    uint8_t* m = out + SNAP_OFF_MAP;
    Put(m, 0, s.map.stage);
    Put(m, 4, s.map.variant);
    Put(m, 8, s.map.dark);
    Put(m, 12, s.map.rect.left);
    Put(m, 16, s.map.rect.top);
    Put(m, 20, s.map.rect.right);
    Put(m, 24, s.map.rect.bottom);
    for (int i = 0; i < SNAP_CAMERA_VALUES; ++i) Put(m, 28 + 4 * i, s.map.camera[i]);
    Put(m, 88, s.map.follow_slot);
    Put(m, 92, s.map.second_slot);
    std::memcpy(out + SNAP_OFF_EVENTS, s.events, BSC_EVENT_SIZE);
    std::memcpy(out + SNAP_OFF_ECNT, s.ecnt, ECNT_SIZE);
    Put(out, SNAP_OFF_AMBIENT, int32_t(s.ambient));
    Put(out, SNAP_OFF_DRAW_OFFSET, s.draw_x);
    Put(out, SNAP_OFF_DRAW_OFFSET + 4, s.draw_y);
    Put(out, SNAP_OFF_GUARD, int32_t(s.guard));
    Put(out, SNAP_OFF_COLLIDE, int32_t(s.collide));
}

void SNAP_Unpack(BattleSnap& s, const uint8_t in[SNAP_SIZE]) {
    s = BattleSnap{};
    std::memcpy(s.camp, in, CAMP_SIZE);
    for (int i = 0; i < CHR_SLOTS; ++i) {
        SnapChar& c = s.chr[i];
        const uint8_t* p = in + SNAP_OFF_CHARS + i * SNAP_CHAR_SIZE;
        c.present = p[0];
        int32_t* words[] = {&c.x, &c.y, &c.dir, &c.team, &c.control, &c.mech, &c.level, &c.target_slot, &c.units, &c.levels};
        for (int w = 0; w < 10; ++w) *words[w] = Get(p, 4 + 4 * w);
        c.saved_visible = p[44];
        c.saved_running = p[45];
    }
    const uint8_t* m = in + SNAP_OFF_MAP;
    s.map.stage = Get(m, 0);
    s.map.variant = Get(m, 4);
    s.map.dark = Get(m, 8);
    s.map.rect = {Get(m, 12), Get(m, 16), Get(m, 20), Get(m, 24)};
    for (int i = 0; i < SNAP_CAMERA_VALUES; ++i) s.map.camera[i] = Get(m, 28 + 4 * i);
    s.map.follow_slot = Get(m, 88);
    s.map.second_slot = Get(m, 92);
    std::memcpy(s.events, in + SNAP_OFF_EVENTS, BSC_EVENT_SIZE);
    std::memcpy(s.ecnt, in + SNAP_OFF_ECNT, ECNT_SIZE);
    s.ambient = uint32_t(Get(in, SNAP_OFF_AMBIENT));
    s.draw_x = Get(in, SNAP_OFF_DRAW_OFFSET);
    s.draw_y = Get(in, SNAP_OFF_DRAW_OFFSET + 4);
    s.guard = uint32_t(Get(in, SNAP_OFF_GUARD));
    s.collide = uint32_t(Get(in, SNAP_OFF_COLLIDE));
}

void mBSC_SaveSnap() {
    BattleSnap s{};
    CAMP_Pack(CAMP_DATA, s.camp);
    s.map.stage = -1;
    if (BTL_GetState(0) == BTL_STATE_MENU) {
        SNAP_Pack(s, BATTLE_SNAP_DATA);
        return;
    }
    for (int slot = 0; slot < CHR_SLOTS; ++slot) {
        const LIST_NODE* n = CHR_TABLE[slot];
        if (!n) continue;
        const CHR_DATA* c = n->chr;
        SnapChar& e = s.chr[slot];
        e.present = 1;
        e.x = n->x, e.y = n->y, e.dir = n->dir, e.team = n->team, e.control = c->control, e.mech = c->mech;
        e.level = c->cpu_level, e.units = c->units, e.levels = c->levels;
        e.target_slot = n->target >= 0 ? SlotOfIndex(n->target, slot) : -1;
        if (const SP_ANIM* a = SP_Anim(n->sprite)) e.saved_visible = uint8_t(a->saved_visible), e.saved_running = uint8_t(a->saved_running);
    }
    const MapData& m = *MAP_Current();
    if (m.stage != MAP_NO_STAGE) {
        s.map.stage = m.stage, s.map.variant = m.variant, s.map.dark = m.dark;
        s.map.rect = SCR_SCROLL_RECT;
        CameraValues(s.map.camera);
        s.map.follow_slot = std::max(SlotOf(CAMERA_DATA.followed), 0);
        s.map.second_slot = CAMERA_DATA.second ? std::max(SlotOf(CAMERA_DATA.second), 0) : -1;
    }
    mBSC_Event_Save(s.events);
    ECNT_Save(s.ecnt);
    int32_t ambient = 0;
    EFT_GetAmbientCount(&ambient);
    s.ambient = uint32_t(ambient);
    SP_GetDrawOffset(&s.draw_x, &s.draw_y);
    s.guard = uint32_t(bscEnmGuard);
    s.collide = uint32_t(bscChrCollide);
    SNAP_Pack(s, BATTLE_SNAP_DATA);
}

void mBSC_LoadSnap() {
    BattleSnap s;
    SNAP_Unpack(s, BATTLE_SNAP_DATA);
    CAMP_Unpack(CAMP_DATA, s.camp);
    bool created[CHR_SLOTS] = {};
    for (int slot = 0; slot < CHR_SLOTS; ++slot) {
        const SnapChar& e = s.chr[slot];
        if (!e.present || e.mech < 0 || e.mech >= MECH_TYPES) continue;
        if (CHR_Create(slot, e.team, e.control, e.mech, mBSC_Coord(e.x), mBSC_Coord(e.y), e.level, -1) != 1) continue;
        LIST_NODE* n = CHR_TABLE[slot];
        n->dir = int8_t(e.dir);
        n->chr->units = int16_t(e.units);
        n->chr->levels = int16_t(e.levels);
        CHR_SetAnim(n, CHR_ANIM_STAND, -1, 0, 1, 1);
        created[slot] = true;
    }
    for (int slot = 0; slot < CHR_SLOTS; ++slot) {
        const int32_t t = s.chr[slot].target_slot;
        if (created[slot] && t >= 0 && t < CHR_SLOTS && CHR_TABLE[t]) CHR_TABLE[slot]->target = CHR_TABLE[t]->index;
    }
    if (s.map.stage >= 0 && s.map.stage < MAP_NO_STAGE) {  // -1: no map
        MAP_Load(s.map.stage, s.map.variant, s.map.dark);
        mBSC_SetScrRect(s.map.rect);
        RestoreCamera(s.map.camera);
        SCR_SetScrollPos(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
        MAP_Redraw(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
        CAMERA_DATA.followed = CHR_Get(s.map.follow_slot);
        CAMERA_DATA.second = s.map.second_slot >= 0 ? CHR_Get(s.map.second_slot) : nullptr;
    }
    mBSC_Event_Load(s.events);
    ECNT_Load(s.ecnt);
    EFT_SetAmbientCount(int32_t(std::min<uint32_t>(s.ambient, LIST_MAX)));
    SP_SetDrawOffset(mBSC_Coord(s.draw_x), mBSC_Coord(s.draw_y));
    bscEnmGuard = int32_t(s.guard);
    bscChrCollide = int32_t(s.collide);
}
