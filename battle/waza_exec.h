// Technique execution: typed views over the raw technique, action, keyframe and hit records, the
// start of a technique, its actions and keyframes, animation timing and the two phase handlers.
#pragma once
#include <cstdint>

#include "battle/waza_file.h"
#include "battle/wpn_rec.h"

struct LIST_NODE;

// A keyframe of an action (16 bytes).
struct WAZA_KEY {
    const uint8_t* p;
    uint8_t anim() const { return WAZA_U8(p, WAZA_KEY_ANIM); }
    int16_t dash_anim() const { return WAZA_I16(p, WAZA_KEY_DASH_ANIM); }
    int8_t dir() const { return WAZA_I8(p, WAZA_KEY_DIR); }
    uint8_t end_mode() const { return WAZA_U8(p, WAZA_KEY_END_MODE); }
    int16_t length() const { return WAZA_I16(p, WAZA_KEY_LENGTH); }
    uint16_t hit() const { return WAZA_U16(p, WAZA_KEY_HIT); }  // mask of attacking hit boxes
    uint16_t draw() const { return WAZA_U16(p, WAZA_KEY_DRAW); }
    uint16_t blend() const { return WAZA_U16(p, WAZA_KEY_BLEND); }
    uint8_t sound() const { return WAZA_U8(p, WAZA_KEY_SOUND); }  // sound + 1, 0 none
    int8_t armour() const { return WAZA_I8(p, WAZA_KEY_ARMOUR); }
};

// What a hit does (26 bytes): at +192 of an action and +278 of a bullet phase.
struct HIT_REC {
    const uint8_t* p;
    uint8_t flags() const { return p[0]; }  // bit 0: the knock kind of a knock-down
    int8_t flash() const { return int8_t(p[1]); }
    int16_t base() const { return WAZA_I16(p, 4); }
    int16_t minimum() const { return WAZA_I16(p, 6); }
    int16_t reduction_step() const { return WAZA_I16(p, 8); }
    uint8_t stop() const { return p[10]; }
    int8_t knock_mode() const { return int8_t(p[11]); }
    uint16_t knock_speed() const { return WAZA_U16(p, 12); }
    uint16_t stagger() const { return WAZA_U16(p, 14); }
    uint8_t down() const { return p[16]; }
    uint16_t launch() const { return WAZA_U16(p, 18); }
    uint8_t spark() const { return p[20]; }  // effect kind + 1, 0 none
    uint8_t spark_count() const { return p[21]; }
    uint8_t spark_spread() const { return p[22]; }
    int8_t sound() const { return int8_t(p[23]); }  // sound + 1
    uint8_t flinch() const { return p[24]; }
    uint8_t cancel_chance() const { return p[25]; }
};
constexpr int HIT_REC_SIZE = 26;

// An action of a technique (256 bytes).
struct WAZA_ACT {
    const uint8_t* p;
    WAZA_KEY key(int k) const { return {p + WAZA_ACT_KEYS + k * WAZA_KEY_SIZE}; }
    uint8_t cancel() const { return p[WAZA_ACT_CANCEL]; }
    uint8_t preview() const { return p[WAZA_ACT_PREVIEW]; }
    uint8_t facing() const { return p[WAZA_ACT_FACING]; }
    uint8_t move() const { return p[WAZA_ACT_MOVE]; }
    int16_t angle() const { return WAZA_I16(p, WAZA_ACT_ANGLE); }
    uint8_t flags() const { return p[WAZA_ACT_FLAGS]; }  // 2 gravity, 4 skip in the air, 16/32 slide
    int16_t speed() const { return WAZA_I16(p, WAZA_ACT_SPEED); }
    int16_t accel() const { return WAZA_I16(p, WAZA_ACT_ACCEL); }
    int16_t speed_min() const { return WAZA_I16(p, WAZA_ACT_SPEED_MIN); }
    int16_t speed_max() const { return WAZA_I16(p, WAZA_ACT_SPEED_MAX); }
    int16_t vspeed() const { return WAZA_I16(p, WAZA_ACT_VSPEED); }
    int16_t vaccel() const { return WAZA_I16(p, WAZA_ACT_VACCEL); }
    int16_t vspeed_min() const { return WAZA_I16(p, WAZA_ACT_VSPEED_MIN); }
    int16_t vspeed_max() const { return WAZA_I16(p, WAZA_ACT_VSPEED_MAX); }
    uint8_t chr_hits() const { return p[WAZA_ACT_CHR_HITS]; }  // 255: no limit
    uint8_t tama_hits() const { return p[WAZA_ACT_TAMA_HITS]; }
    int8_t hit_rate() const { return int8_t(p[WAZA_ACT_HIT_RATE]); }
    HIT_REC hit() const { return {p + WAZA_ACT_HIT}; }
    WPN_REC weapon() const { return {p + WAZA_ACT_WPN}; }
    int8_t effect() const { return int8_t(p[WAZA_ACT_EFFECT]); }  // effect kind + 1
};

struct WAZA_REPEAT_ENTRY {
    uint8_t from, to, count;
};
struct WAZA_LINK_ENTRY {
    uint8_t from, to;
    int8_t kind;  // 0 end, 1 jump once the hits are landed, 2 jump at the end with fewer
    int16_t hits;
};

// A technique record.
struct WAZA_VIEW {
    const uint8_t* p;
    uint8_t heat_kind() const { return p[WAZA_HEAT_KIND]; }
    int16_t heat() const { return WAZA_I16(p, WAZA_HEAT); }
    uint8_t air() const { return p[WAZA_AIR]; }
    int16_t max_hits() const { return WAZA_I16(p, WAZA_MAX_HITS); }
    int8_t speed_shift() const { return int8_t(p[WAZA_SPEED_SHIFT]); }
    int16_t exp_base() const { return WAZA_I16(p, WAZA_EXP_BASE); }
    uint8_t slot_act(int s) const { return p[WAZA_SLOT_ACT + s]; }
    WAZA_REPEAT_ENTRY repeat(int i) const {
        const uint8_t* r = p + WAZA_REPEAT + 3 * i;
        return {r[0], r[1], r[2]};
    }
    WAZA_LINK_ENTRY link(int i) const {
        const uint8_t* l = p + WAZA_LINK + 6 * i;
        return {l[0], l[1], int8_t(l[2]), WAZA_I16(l, 4)};
    }
    WAZA_ACT act(int a) const { return {p + WAZA_ACTIONS + a * WAZA_ACT_SIZE}; }
};
inline WAZA_VIEW WAZA_View(const WAZA_DATA* w) { return {w->raw}; }

constexpr int WAZA_REPEATS = 4;
constexpr int WAZA_LINKS = 8;
constexpr int WAZA_DRAW_MODES = 18;
// Draw flags of each keyframe draw mode; a mode above 17 draws with none.
uint32_t WAZA_DrawFlags(int mode);

// Starts technique t on the node: 1 when its first action started, 0 when it ended at once or
// the mech has no such technique (nothing is touched then).
int CHR_WazaStart(LIST_NODE* node, int t);
// These work on the current character of LIST_CURRENT.
int WAZA_ActStart(int slot);
int WAZA_ActNext(int at_end);
int WAZA_KeyStart(int n);
int WAZA_KeyUpdate();
int WAZA_SetAnimTiming(LIST_NODE* node);
void WAZA_ApplySpeed();
int WAZA_Phase1(int* gravity);
int WAZA_Phase2(int* gravity);
// By technique phase; index 0 is empty.
using WAZA_PHASE_FUNC = int (*)(int* gravity);
extern const WAZA_PHASE_FUNC WAZA_PHASE_TABLE[3];

// Hits the current action may still land on characters: its limit minus the hits left.
int WAZA_HitsInAction();
// The current character's keyframe animation shown with the action's facing mode and the action's
// effect particles scattered; shared by the phases and the technique preview.
void WAZA_ShowKey();
