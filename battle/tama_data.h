// The bullet table "Dat\Tama.dat": up to 172 raw bullet records by bullet number, each with four
// phases of keyframes, scale records, phase rules, motion parameters, hit section and weapon; the
// list of used records; loading, saving and the editors' new record; typed views over the bytes.
#pragma once
#include <array>
#include <cstdint>

#include "battle/wpn_rec.h"

constexpr int TAMA_MAX = 172;
constexpr int TAMA_RECORD_SIZE = 1422;  // stored per record
constexpr int TAMA_MEMORY_SIZE = 1428;  // in memory: the stored bytes, the two links, padding
constexpr int TAMA_PHASES = 4;
constexpr int TAMA_PHASE_SIZE = 344;
constexpr int TAMA_KEYS = 4;
constexpr int TAMA_KEY_SIZE = 16;
constexpr int TAMA_SCALE_SIZE = 10;
constexpr int TAMA_PARAMS = 16;

enum TAMA_RECORD_OFFSET : int {
    TAMA_NAME = 0,           // 40 bytes, Shift-JIS, zero-terminated
    TAMA_USED = 40,
    TAMA_PHASE_OFFSET = 44,  // four phases
    TAMA_OWN_INDEX = 1420,   // i16
};

// Fields of a phase, from its start.
enum TAMA_PHASE_OFFSETS : int {
    TAMA_PHASE_KEYS = 0,
    TAMA_PHASE_SCALES = 64,
    TAMA_PHASE_DRAW_PARTS = 104,  // a byte per keyframe
    TAMA_PHASE_END = 108,         // i8 phase numbers from here, -1 none
    TAMA_PHASE_AFTER = 109,
    TAMA_PHASE_LAND = 110,
    TAMA_PHASE_HIT1_COUNT = 112,  // i16: 999 when the hits run out, below 0 off
    TAMA_PHASE_HIT1 = 114,
    TAMA_PHASE_HIT2_COUNT = 116,
    TAMA_PHASE_HIT2 = 118,
    TAMA_PHASE_WALL = 119,
    TAMA_PHASE_CLASS = 121,       // 0 missile, 1 field, 2 laser
    TAMA_PHASE_FLAGS = 122,       // 1 pierces characters ... 64 after-image, 128 random first speed
    TAMA_PHASE_VARIANT = 123,
    TAMA_PHASE_SEG_VARIANT = 124,
    TAMA_PHASE_PARAMS = 128,      // 16 x i32
    TAMA_PHASE_PARAMS2 = 192,     // 16 x i32
    TAMA_PHASE_SPEED = 256,       // i16 from here to 270
    TAMA_PHASE_SPEED_STEP = 258,
    TAMA_PHASE_SPEED_MIN = 260,
    TAMA_PHASE_SPEED_MAX = 262,
    TAMA_PHASE_RISE = 264,
    TAMA_PHASE_RISE_STEP = 266,
    TAMA_PHASE_HEIGHT_MIN = 268,
    TAMA_PHASE_HEIGHT_MAX = 270,
    TAMA_PHASE_CHR_HITS = 272,    // 255: no limit
    TAMA_PHASE_TAMA_HITS = 273,
    TAMA_PHASE_HIT_RATE = 274,    // i8 hit code
    TAMA_PHASE_HIT = 278,         // 26-byte hit record
    TAMA_PHASE_WALL_MODE = 280,   // inside the hit record, a byte hit resolution leaves alone
    TAMA_PHASE_TRAIL = 304,       // effect kind + 1
    TAMA_PHASE_TRAIL_BOX = 305,
    TAMA_PHASE_TRAIL_COUNT = 306,
    TAMA_PHASE_TRAIL_SPREAD = 307,
    TAMA_PHASE_WPN = 308,
};

// Phase flags.
enum TAMA_FLAG : uint8_t {
    TAMA_PIERCE_CHR = 1,
    TAMA_PIERCE_TAMA = 2,
    TAMA_GRAVITY = 4,
    TAMA_MISSILE_FX = 8,
    TAMA_FACE_MOVE = 16,
    TAMA_SINK = 32,
    TAMA_AFTERIMAGE = 64,
    TAMA_RANDOM_SPEED = 128,
};

enum TAMA_KEY_OFFSETS : int {
    TAMA_KEY_SEQ = 0,
    TAMA_KEY_FACE = 4,
    TAMA_KEY_TIMING = 5,
    TAMA_KEY_LENGTH = 6,     // i16: below 0 no keyframe; 255 loops
    TAMA_KEY_MULTI_HIT = 8,  // u16
    TAMA_KEY_DRAW = 10,      // u16 draw-flag code
    TAMA_KEY_BLEND = 12,     // u16
    TAMA_KEY_SOUND = 14,     // sound + 1
};

enum TAMA_SCALE_OFFSETS : int {
    TAMA_SCALE_MODE = 0,
    TAMA_SCALE_VALUE = 2,  // i16 from here, 256 = 100 %
    TAMA_SCALE_STEP = 4,
    TAMA_SCALE_MIN = 6,
    TAMA_SCALE_MAX = 8,
};

inline uint16_t TAMA_U16(const uint8_t* p, int off) { return uint16_t(p[off] | p[off + 1] << 8); }
inline int16_t TAMA_I16(const uint8_t* p, int off) { return int16_t(TAMA_U16(p, off)); }
inline int32_t TAMA_I32(const uint8_t* p, int off) {
    return int32_t(uint32_t(p[off]) | uint32_t(p[off + 1]) << 8 | uint32_t(p[off + 2]) << 16 | uint32_t(p[off + 3]) << 24);
}

// Typed views over the stored bytes of a keyframe, a scale record and a phase.
struct TAMA_KEY {
    const uint8_t* p;
    uint8_t seq() const { return p[TAMA_KEY_SEQ]; }
    uint8_t face() const { return p[TAMA_KEY_FACE]; }
    uint8_t timing() const { return p[TAMA_KEY_TIMING]; }
    int16_t length() const { return TAMA_I16(p, TAMA_KEY_LENGTH); }
    uint16_t multi_hit() const { return TAMA_U16(p, TAMA_KEY_MULTI_HIT); }
    uint16_t draw() const { return TAMA_U16(p, TAMA_KEY_DRAW); }
    uint16_t blend() const { return TAMA_U16(p, TAMA_KEY_BLEND); }
    uint8_t sound() const { return p[TAMA_KEY_SOUND]; }
};

struct TAMA_SCALE {
    const uint8_t* p;
    uint8_t mode() const { return p[TAMA_SCALE_MODE]; }
    int16_t value() const { return TAMA_I16(p, TAMA_SCALE_VALUE); }
    int16_t step() const { return TAMA_I16(p, TAMA_SCALE_STEP); }
    int16_t min() const { return TAMA_I16(p, TAMA_SCALE_MIN); }
    int16_t max() const { return TAMA_I16(p, TAMA_SCALE_MAX); }
};

struct TAMA_PHASE {
    const uint8_t* p;
    TAMA_KEY key(int k) const { return {p + TAMA_PHASE_KEYS + k * TAMA_KEY_SIZE}; }
    TAMA_SCALE scale(int k) const { return {p + TAMA_PHASE_SCALES + k * TAMA_SCALE_SIZE}; }
    uint8_t draw_parts(int k) const { return p[TAMA_PHASE_DRAW_PARTS + k]; }
    int8_t end_phase() const { return int8_t(p[TAMA_PHASE_END]); }
    int8_t after_phase() const { return int8_t(p[TAMA_PHASE_AFTER]); }
    int8_t land_phase() const { return int8_t(p[TAMA_PHASE_LAND]); }
    int16_t hit1_count() const { return TAMA_I16(p, TAMA_PHASE_HIT1_COUNT); }
    int8_t hit1_phase() const { return int8_t(p[TAMA_PHASE_HIT1]); }
    int16_t hit2_count() const { return TAMA_I16(p, TAMA_PHASE_HIT2_COUNT); }
    int8_t hit2_phase() const { return int8_t(p[TAMA_PHASE_HIT2]); }
    int8_t wall_phase() const { return int8_t(p[TAMA_PHASE_WALL]); }
    uint8_t cls() const { return p[TAMA_PHASE_CLASS]; }
    uint8_t flags() const { return p[TAMA_PHASE_FLAGS]; }
    uint8_t variant() const { return p[TAMA_PHASE_VARIANT]; }
    uint8_t seg_variant() const { return p[TAMA_PHASE_SEG_VARIANT]; }
    int32_t param(int i) const { return TAMA_I32(p, TAMA_PHASE_PARAMS + 4 * i); }
    int32_t param2(int i) const { return TAMA_I32(p, TAMA_PHASE_PARAMS2 + 4 * i); }
    int16_t speed() const { return TAMA_I16(p, TAMA_PHASE_SPEED); }
    int16_t speed_step() const { return TAMA_I16(p, TAMA_PHASE_SPEED_STEP); }
    int16_t speed_min() const { return TAMA_I16(p, TAMA_PHASE_SPEED_MIN); }
    int16_t speed_max() const { return TAMA_I16(p, TAMA_PHASE_SPEED_MAX); }
    int16_t rise() const { return TAMA_I16(p, TAMA_PHASE_RISE); }
    int16_t rise_step() const { return TAMA_I16(p, TAMA_PHASE_RISE_STEP); }
    int16_t height_min() const { return TAMA_I16(p, TAMA_PHASE_HEIGHT_MIN); }
    int16_t height_max() const { return TAMA_I16(p, TAMA_PHASE_HEIGHT_MAX); }
    uint8_t chr_hits() const { return p[TAMA_PHASE_CHR_HITS]; }
    uint8_t tama_hits() const { return p[TAMA_PHASE_TAMA_HITS]; }
    int8_t hit_code() const { return int8_t(p[TAMA_PHASE_HIT_RATE]); }
    uint8_t hit_flags() const { return p[TAMA_PHASE_HIT]; }
    uint8_t wall_mode() const { return p[TAMA_PHASE_WALL_MODE]; }
    int8_t trail() const { return int8_t(p[TAMA_PHASE_TRAIL]); }  // effect kind + 1; none at 0 or below
    uint8_t trail_box() const { return p[TAMA_PHASE_TRAIL_BOX]; }
    uint8_t trail_count() const { return p[TAMA_PHASE_TRAIL_COUNT]; }
    uint8_t trail_spread() const { return p[TAMA_PHASE_TRAIL_SPREAD]; }
    WPN_REC weapon() const { return {p + TAMA_PHASE_WPN}; }
};

// A record in memory: the stored bytes, edited in place by the editors, and its links in the list
// of used records (-1 at the ends).
struct alignas(4) TAMA_RECORD {
    uint8_t raw[TAMA_RECORD_SIZE];
    int16_t prev, next;
};
static_assert(sizeof(TAMA_RECORD) == TAMA_MEMORY_SIZE);
static_assert(TAMA_PHASE_OFFSET + TAMA_PHASES * TAMA_PHASE_SIZE + 2 == TAMA_RECORD_SIZE);
static_assert(TAMA_PHASE_WPN + WPN_REC_SIZE == TAMA_PHASE_SIZE);
static_assert(TAMA_PHASE_SCALES + TAMA_KEYS * TAMA_SCALE_SIZE == TAMA_PHASE_DRAW_PARTS);

struct TAMA_TABLE {
    std::array<TAMA_RECORD*, TAMA_MAX> rec{};  // by bullet number; null: none
    int16_t count = 0;
    int16_t head = -1, tail = -1;  // the list of used records
    int16_t used = 0;
};
extern TAMA_TABLE TAMA_DATA;

inline TAMA_PHASE TAMA_Phase(const uint8_t* record, int phase) {
    return {record + TAMA_PHASE_OFFSET + phase * TAMA_PHASE_SIZE};
}
// The record of a bullet number, or null for a number outside the table or without a record.
uint8_t* TAMA_Record(int bullet);

// Reads "Dat\Tama.dat" whole: 1, or 0 (an empty table) when it cannot be opened, its count is
// outside 0..172 or memory runs short. A short file keeps its whole records.
int TAMA_Load();
// Replaces "Dat\Tama.dat" atomically with the table: 1, or 0 when it cannot be written.
int TAMA_Save();
// Releases every record; the table is empty afterwards.
void TAMA_ClearList();
// Links the lowest record whose used flag is 0 and that is not linked yet: its index, or -1.
int TAMA_ListAdd();
// Unlinks a linked record: the index of the next used record, -1 at the end or for a record
// that is not linked.
int TAMA_ListRemove(int index);
// Appends a record with the editor's defaults: 1, or 0 when the table is full or memory short.
int TAMA_New();
// Fills a record with the editor's defaults (no keyframe exists).
void TAMA_FillNew(uint8_t* raw, int index);
