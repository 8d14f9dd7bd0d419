// Technique execution: starting techniques, actions and keyframes, animation timing, speeds and
// the phase handlers that step keyframes and run hit checks.
#include "battle/waza_exec.h"

#include <algorithm>

#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_update.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/wpn_fire.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

const WAZA_PHASE_FUNC WAZA_PHASE_TABLE[3] = {nullptr, WAZA_Phase1, WAZA_Phase2};

namespace {
constexpr uint32_t kDrawModes[WAZA_DRAW_MODES] = {0,    1,   2,   4,   8,   1024, 2048,    16,      4096,
                                                  8192, 32,  64,  128, 256, 512,  0x10000, 0x20000, 0x40000};
// Actions one outer call may start: chains of skipped actions or empty keyframes end here.
constexpr int kMaxStarts = 64;
int g_depth = 0, g_starts = 0;

struct StartGuard {
    StartGuard() {
        if (g_depth++ == 0) g_starts = 0;
    }
    ~StartGuard() { --g_depth; }
};

LIST_NODE* Node() { return LIST_CURRENT.node; }
CHR_DATA* Chr() { return LIST_CURRENT.chr; }
WAZA_VIEW Waza() { return {LIST_CURRENT.waza->raw}; }
WAZA_ACT Act() { return {LIST_CURRENT.act}; }
WAZA_KEY Key() { return {LIST_CURRENT.key}; }

// The live node the current node aims at.
LIST_NODE* Target() {
    LIST_NODE* t = LIST_CURRENT.target;
    return t && t->in_use ? t : nullptr;
}

int WrapDir(int d) { return ((d % 8) + 8) % 8; }

void SetPatternOffset(LIST_NODE* n) {
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = uint8_t(n->dir);
}

void SetLoop(LIST_NODE* n) {
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->loop = 1;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

void GainExperience(const WAZA_VIEW& waza, const CHR_DATA* c, int t) {
    CampWeapon* w = t >= 0 ? CAMP_Weapon(t / 3) : nullptr;
    if (!w) return;
    const int32_t base = (waza.exp_base() >> 1) - w->penalty;
    int32_t gain = ((c->use_count - 1) * 10 + 100) * base / 100;
    if (BTL_KIND == 0) gain -= gain >> 2;
    w->exp += gain > 1 ? gain : 1;
    w->penalty += 10;
    const int32_t points = 10 - int32_t(w->uses);
    w->level_points += points > 1 ? points : 1;
    ++w->uses;
}

// The fire order the node started last is still running.
bool FireOrderRuns(const LIST_NODE* n) {
    const LIST_NODE* f = LIST_Node(n->fire_order);
    return f && f->in_use && f->kind == LIST_KIND_WP2 && f->owner == n->index;
}

void RunHitChecks() {
    CHR_DATA* c = Chr();
    if (c->hit_stop < 1 && Key().hit() != 0) {
        HIT_ClearMask();
        const int checks = std::max(64 - Act().hit_rate(), 1);
        const int max_hits = Waza().max_hits();
        for (int i = 0; i < checks && c->hits_landed < max_hits; ++i) HIT_Check(1, HIT_GetMask());
    } else if (c->hit_stop > INT8_MIN) {
        --c->hit_stop;  // held at the bottom: a wrap would block hits for 127 frames
    }
}

// The first kind-1 link from the current slot whose hits are landed; -1 none.
int LandedLink() {
    const WAZA_VIEW w = Waza();
    const int landed = WAZA_HitsInAction();
    for (int i = 0; i < WAZA_LINKS; ++i) {
        const WAZA_LINK_ENTRY l = w.link(i);
        if (l.from == Chr()->act_slot && l.kind == 1 && l.hits <= landed) return l.to;
    }
    return -1;
}

// Whether the keyframe's end condition is met this frame (counting down mode 2).
bool KeyDone(bool firing) {
    CHR_DATA* c = Chr();
    LIST_NODE* n = Node();
    switch (Key().end_mode()) {
        case 0:
        case 1: return c->anim_done != 0;
        case 2: return --c->key_countdown < 0;
        case 3: return firing ? n->height == 0 : n->height < 1;
        case 4: return firing && !FireOrderRuns(n);
        default: return false;
    }
}
}  // namespace

uint32_t WAZA_DrawFlags(int mode) { return mode >= 0 && mode < WAZA_DRAW_MODES ? kDrawModes[mode] : 0; }

int WAZA_HitsInAction() { return Act().chr_hits() - Chr()->chr_hits_left; }

int CHR_WazaStart(LIST_NODE* node, int t) {
    if (!node || !node->chr) return 0;
    WAZA_DATA* record = WAZA_Get(node->chr->mech, t);
    if (!record) return 0;
    // A start from outside the walk (a script, a menu) runs with the node as the current one.
    const bool other = LIST_CURRENT.node != node;
    const LIST_CURRENT_DATA saved = LIST_CURRENT;
    if (other) {
        LIST_SetCurrent(node);
        LIST_CURRENT.chr = node->chr;
    }
    CHR_DATA* c = node->chr;
    LIST_CURRENT.waza = record;
    const WAZA_VIEW w = WAZA_View(record);
    c->cancel_ok = w.act(0).cancel();
    c->combo_window = 0;
    c->waza = int16_t(t);
    c->waza_started = 1;
    c->hits_landed = 0;
    c->anim_done = 0;
    c->hit_stop = 0;
    std::fill(std::begin(c->repeat), std::end(c->repeat), uint8_t(0));
    c->carried_speed = uint8_t(std::min<int>(c->move_speed, c->long_dash_speed));
    CHR_SetWazaPhase(node, 1);
    if (w.heat() != 0) {
        c->waza_active = 1;
        HUD_PanelSetTechRow(node->slot, 0);
        CHR_AddHeat(node, CHR_GetWazaHeat(node->slot, t));
        c->repeats = uint8_t(std::count(c->use_list, c->use_list + std::min<int>(c->use_count, CHR_USE_LIST), t));
        if (c->use_count < CHR_USE_LIST) c->use_list[c->use_count++] = int16_t(t);  // a 26th is dropped
    }
    if (c->control == CHR_PLAYER && !BTL_IsHudOff()) GainExperience(w, c, t);
    const int result = WAZA_ActStart(0);
    if (other) LIST_CURRENT = saved;
    return result;
}

int WAZA_ActStart(int slot) {
    StartGuard guard;
    LIST_NODE* n = Node();
    CHR_DATA* c = Chr();
    const WAZA_VIEW w = Waza();
    const int index = slot >= 0 && slot < WAZA_SLOTS ? w.slot_act(slot) : WAZA_NO_ACTION;
    if (index >= WAZA_ACTS || ++g_starts > kMaxStarts) {
        CHR_EndAction(n);
        return 0;
    }
    c->act_slot = uint8_t(slot);
    c->act_index = uint8_t(index);
    LIST_CURRENT.act = LIST_CURRENT.waza->raw + WAZA_ACTIONS + index * WAZA_ACT_SIZE;
    const WAZA_ACT act = Act();
    c->cancel_ok = act.cancel();
    if ((act.flags() & 4) && n->height > 0) return WAZA_ActNext(0);
    c->slide_mask = uint8_t(((act.flags() & 16) ? 1 : 0) | ((act.flags() & 32) ? 2 : 0));
    c->air_time = 0;
    c->waza_speed = act.speed();
    n->vspeed = act.vspeed();
    c->chr_hits_left = act.chr_hits();
    c->tama_hits_left = act.tama_hits();
    const int keyed = WAZA_KeyStart(0);
    // An empty first keyframe went on to another action or ended this one: that one has set up.
    if (keyed == 0 || LIST_CURRENT.act != act.p) return keyed;

    LIST_NODE* t = Target();
    if (act.move() == 0) {
        c->waza_speed = 0;
    } else if ((act.move() == 1 && t) || act.move() == 2) {
        int32_t gx = act.move() == 1 ? t->x : n->x + c->aim[0];
        int32_t gy = act.move() == 1 ? t->y : n->y + c->aim[1];
        if (act.angle() != 0) MTH_RotatePointFix(&gx, &gy, n->x, n->y, gx, gy, act.angle());
        MTH_GetDirVec(n->x, n->y, gx, gy, &c->waza_vec[0], &c->waza_vec[1]);
    }
    if (act.facing() == 1) {
        n->dir = int8_t(MTH_GetDirIndex(45, n->x, n->y, n->x + c->aim[0], n->y + c->aim[1]));
    } else if (act.facing() == 3) {
        n->dir = int8_t(t ? MTH_GetDirIndex(45, n->x, n->y, t->x, t->y)
                          : MTH_GetDirIndex(45, n->x, n->y, n->x + c->waza_vec[0], n->y + c->waza_vec[1]));
    }
    n->dir = int8_t(WrapDir(n->dir + act.key(0).dir()));
    SetPatternOffset(n);
    if (act.preview() && n->slot >= 0 && n->slot < CHR_SLOTS) {
        CHR_PREVIEW_REQUEST[n->slot] = int16_t(slot);
        c->preview_step = 0;
    }
    return 1;
}

int WAZA_ActNext(int at_end) {
    CHR_DATA* c = Chr();
    const WAZA_VIEW w = Waza();
    for (int i = 0; i < WAZA_REPEATS; ++i) {
        const WAZA_REPEAT_ENTRY r = w.repeat(i);
        if (r.from == c->act_slot && c->repeat[i] < r.count) {
            ++c->repeat[i];
            return WAZA_ActStart(r.to);
        }
    }
    for (int i = 0; i < WAZA_LINKS; ++i) {
        const WAZA_LINK_ENTRY l = w.link(i);
        if (l.from != c->act_slot) continue;
        if (l.kind == 0 && at_end) {
            CHR_EndAction(Node());
            return 0;
        }
        if (l.kind == 2 && l.hits > WAZA_HitsInAction()) return WAZA_ActStart(l.to);
    }
    return WAZA_ActStart(c->act_slot + 1);
}

int WAZA_KeyStart(int n) {
    LIST_NODE* node = Node();
    CHR_DATA* c = Chr();
    c->key_index = uint8_t(std::min(n, 255));
    c->anim_done = 0;
    c->key_frames = 0;
    if (n >= WAZA_KEYS || Act().key(n).length() < 0) return WAZA_ActNext(1);
    LIST_CURRENT.key = LIST_CURRENT.act + WAZA_ACT_KEYS + n * WAZA_KEY_SIZE;
    const WAZA_KEY key = Key();
    if (key.anim() < SPR_SEQUENCES) CHR_SetAnim(node, key.anim(), key.dash_anim(), 0, 1, 0);
    if (!WAZA_SetAnimTiming(node)) return 0;
    if (SP_ANIM* a = SP_Anim(node->sprite)) {
        a->flags = WAZA_DrawFlags(key.draw());
        a->blend = key.blend();
    }
    node->dir = int8_t(WrapDir(node->dir + key.dir()));
    SetPatternOffset(node);
    if (key.sound()) BTL_SePlay(key.sound() - 1, -1);
    LIST_NODE* t = Target();
    if (!t) return 1;
    const WPN_REC wpn = Act().weapon();
    if (wpn.aim_mask() & (1u << n)) {
        c->aim[0] = t->x - node->x;
        c->aim[1] = t->y - node->y;
    }
    if (wpn.bullet() >= 0 && (wpn.fire_mask() & (1u << n))) {
        WPN_Create(node, wpn.p);
        CHR_SetWazaPhase(node, 2);
    }
    return 1;
}

int WAZA_SetAnimTiming(LIST_NODE* node) {
    if (!node || !node->chr) return 0;
    CHR_DATA* c = node->chr;
    SP_ANIM* a = SP_Anim(node->sprite);
    const WAZA_KEY key{LIST_CURRENT.key};
    const int set = c->sprite_bank, seq = node->anim;
    const SPR_SEQ* s = set >= 0 && set < SPR_SETS && SPR_PATTERN_TABLE[set] && seq >= 0 && seq < SPR_SEQUENCES
                           ? &SPR_SEQ_TABLE[set][seq]
                           : nullptr;
    const int steps = s ? std::min<int>(s->step_count, CHR_DURATIONS) : 0;
    const int length = key.length();
    auto wait = [&](int i) { return int32_t(s->steps[i].wait); };
    switch (key.end_mode()) {
        case 0:
            if (steps == 1) {
                c->durations[0] = uint16_t(length);
            } else if (steps >= 2) {
                int32_t total = 0;
                for (int i = 0; i < steps; ++i) total += wait(i) + 1;
                for (int i = 0; i < steps; ++i) c->durations[i] = uint16_t((wait(i) + 1) * length / total - 1);
            }
            break;
        case 1:
            for (int i = 0; i < steps; ++i)
                c->durations[i] = uint16_t(length == 100 ? wait(i) : (wait(i) + 1) * length / 100 - 1);
            break;
        case 2:
            c->key_countdown = int16_t(length);
            [[fallthrough]];
        case 4:
            for (int i = 0; i < steps; ++i) c->durations[i] = uint16_t(wait(i));
            if (a) a->loop = 1;
            break;
        default: break;  // mode 3 keeps the durations as they are
    }
    if (a) a->wait = int16_t(std::max<int>(int16_t(c->durations[0]), 1));
    return 1;
}

int WAZA_KeyUpdate() {
    CHR_DATA* c = Chr();
    const int to = LandedLink();
    if (to >= 0) return WAZA_ActStart(to);
    const int mode = Key().end_mode();
    int result = 1;
    if (KeyDone(false)) result = WAZA_KeyStart(c->key_index + 1);
    if (mode >= 2 && mode <= 4) SetLoop(Node());
    return result;
}

void WAZA_ApplySpeed() {
    CHR_DATA* c = Chr();
    LIST_NODE* n = Node();
    const WAZA_ACT act = Act();
    c->waza_speed = int16_t(Clamp(c->waza_speed + act.accel(), act.speed_min(), act.speed_max()));
    n->vspeed = int16_t(Clamp(n->vspeed + act.vaccel(), act.vspeed_min(), act.vspeed_max()));
}

void WAZA_ShowKey() {
    LIST_NODE* n = Node();
    const WAZA_KEY key = Key();
    if (key.anim() < SPR_SEQUENCES)
        CHR_SetAnim(n, key.anim(), key.dash_anim(), Act().facing(), 0, key.length() == 255 ? 1 : 0);
    EFT_Scatter(Act().effect() - 1, 8, 4, 3);
}

int WAZA_Phase1(int* gravity) {
    CHR_DATA* c = Chr();
    if (c->phase_step == 0) {
        c->act_frames = 0;
        c->key_frames = 1;
        c->phase_step = 1;
    }
    WAZA_ApplySpeed();
    WAZA_KeyUpdate();
    if (c->phase == 0) c->waza_speed = 0;
    if (c->phase == 1) {
        RunHitChecks();
        WAZA_ShowKey();
    }
    *gravity = (Act().flags() & 2) ? 1 : 0;
    ++c->act_frames;
    ++c->key_frames;
    return 1;
}

int WAZA_Phase2(int* gravity) {
    CHR_DATA* c = Chr();
    LIST_NODE* n = Node();
    WAZA_ApplySpeed();
    const int to = LandedLink();
    if (to >= 0 && WAZA_ActStart(to) == 0) return 1;
    const int mode = Key().end_mode();
    const bool advance = KeyDone(true);
    if (mode >= 2 && mode <= 4) SetLoop(n);
    if (advance) {
        CHR_SetWazaPhase(n, 1);
        WAZA_KeyStart(c->key_index + 1);
        if (c->phase != 1) return 1;
    }
    RunHitChecks();
    WAZA_ShowKey();
    *gravity = (Act().flags() & 2) ? 1 : 0;
    return 1;
}
