// Technique records and the per-mech table: ".waz" files loaded on first use and freed on last
// release, saved back and extended by the technique editor. Records stay raw little-endian blocks
// read through the offsets and accessors below.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "battle/mech_stem.h"
#include "services/sound/snd_device.h"

constexpr int WAZA_SIZE = 4248;       // in memory: the stored part and 6 zero bytes
constexpr int WAZA_FILE_SIZE = 4242;  // stored per record
constexpr int WAZA_SLOTS = 32;
constexpr int WAZA_ACTS = 16;
constexpr int WAZA_ACT_SIZE = 256;
constexpr int WAZA_KEYS = 10;
constexpr int WAZA_KEY_SIZE = 16;
constexpr int WAZA_NO_ACTION = 99;

// Fields of a technique record.
enum WAZA_OFFSET : int {
    WAZA_NAME = 0,         // 40 bytes, Shift-JIS, zero-terminated
    WAZA_USED = 40,
    WAZA_HEAT_KIND = 41,
    WAZA_HEAT = 44,        // i16
    WAZA_AIR = 46,
    WAZA_MAX_HITS = 48,    // i16
    WAZA_SPEED_SHIFT = 50, // i8
    WAZA_EXP_BASE = 52,    // i16
    WAZA_SLOT_ACT = 54,    // 32 action indexes
    WAZA_REPEAT = 86,      // 4 x {from, to, count}
    WAZA_LINK = 98,        // 8 x {from, to, kind, -, i16 hits}
    WAZA_ACTIONS = 146,    // 16 actions of 256 bytes
};
// Fields of an action, from its start.
enum WAZA_ACT_OFFSET : int {
    WAZA_ACT_KEYS = 0,
    WAZA_ACT_CANCEL = 161,
    WAZA_ACT_PREVIEW = 162,
    WAZA_ACT_FACING = 163,
    WAZA_ACT_MOVE = 164,
    WAZA_ACT_ANGLE = 166,
    WAZA_ACT_FLAGS = 168,
    WAZA_ACT_SPEED = 170,
    WAZA_ACT_ACCEL = 172,
    WAZA_ACT_SPEED_MIN = 174,
    WAZA_ACT_SPEED_MAX = 176,
    WAZA_ACT_VSPEED = 178,
    WAZA_ACT_VACCEL = 180,
    WAZA_ACT_VSPEED_MIN = 182,
    WAZA_ACT_VSPEED_MAX = 184,
    WAZA_ACT_CHR_HITS = 186,
    WAZA_ACT_TAMA_HITS = 187,
    WAZA_ACT_HIT_RATE = 188,
    WAZA_ACT_HIT = 192,    // 26-byte hit record
    WAZA_ACT_WPN = 218,    // 36-byte weapon record; i16 bullet number first
    WAZA_ACT_EFFECT = 254,
};
// Fields of a keyframe, from its start.
enum WAZA_KEY_OFFSET : int {
    WAZA_KEY_ANIM = 0,
    WAZA_KEY_DASH_ANIM = 2,  // i16, -1 none
    WAZA_KEY_DIR = 4,        // i8
    WAZA_KEY_END_MODE = 5,
    WAZA_KEY_LENGTH = 6,     // i16: below 0 ends the action; 255 loops
    WAZA_KEY_HIT = 8,
    WAZA_KEY_DRAW = 10,
    WAZA_KEY_BLEND = 12,
    WAZA_KEY_SOUND = 14,
    WAZA_KEY_ARMOUR = 15,    // i8
};

struct WAZA_DATA {
    uint8_t raw[WAZA_SIZE];
};

inline uint8_t WAZA_U8(const uint8_t* p, int off) { return p[off]; }
inline int8_t WAZA_I8(const uint8_t* p, int off) { return int8_t(p[off]); }
inline uint16_t WAZA_U16(const uint8_t* p, int off) { return uint16_t(p[off] | p[off + 1] << 8); }
inline int16_t WAZA_I16(const uint8_t* p, int off) { return int16_t(WAZA_U16(p, off)); }
inline void WAZA_Put16(uint8_t* p, int off, int v) {
    p[off] = uint8_t(v);
    p[off + 1] = uint8_t(unsigned(v) >> 8);
}
inline uint8_t* WAZA_Act(WAZA_DATA* w, int act) { return w->raw + WAZA_ACTIONS + act * WAZA_ACT_SIZE; }
inline uint8_t* WAZA_Key(uint8_t* act, int key) { return act + WAZA_ACT_KEYS + key * WAZA_KEY_SIZE; }

struct CPU_DATA;

// Per-mech data with reference counts, by mech type.
struct MechRecord {
    uint8_t waza_refs;
    int16_t waza_count;
    WAZA_DATA* waza;   // waza_count records
    uint8_t cpu_refs;
    CPU_DATA* cpu;
    uint8_t voice_refs;
    SND_BUFFER voice[6];  // battle voices; null when missing
};
extern std::array<MechRecord, MECH_TYPES> MECH_TABLE;

// The mech's technique t, or null.
WAZA_DATA* WAZA_Get(int mech, int t);

// Takes a reference; the first reads "Dat\<stem>.waz". 1, or 0 when the first reference finds no
// file (no techniques). A negative count gives none; a short file keeps its whole records.
int WAZA_Load(int mech);
// Fills the mech's records from a file image (the first reference's work); 1 / 0 as WAZA_Load.
// What a damaged file lost is told in one debug line naming the file (the mech's own file name
// when none is given).
int WAZA_Parse(int mech, const uint8_t* data, size_t size, const char* name = nullptr);
// Drops a reference; the last frees the records.
void WAZA_Free(int mech);
// The file image: the count and the stored part of each record.
std::vector<uint8_t> WAZA_Pack(int mech);
// Replaces the file atomically; 1, or 0 when it cannot be written.
int WAZA_Save(int mech);
// Saves, then appends a new technique with the editor's defaults in memory (loaded mechs only).
int WAZA_Add(int mech);
