// The settings-and-progress block, stored whole as "save\sys.dat": every field at its offset.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int SYSDAT_SIZE = 1492;
constexpr int SYSDAT_READ_FLAG_COUNT = 7868;
constexpr int SYSDAT_COLOR_SETS = 37;

struct SysData {
    uint32_t read_flags[246];     // message-read bits: bit n is bit n % 32 of word n / 32
    uint8_t reserved_984[8];
    uint8_t no_confirm[6];        // per message-box question type 1..6: answer yes without asking
    uint8_t bar_pin;
    uint8_t auto_bar_pin;
    uint8_t quick_pin;
    uint8_t voice_unlock[9];
    uint8_t reserved_1010;
    int8_t bonus_voice;           // 0 none, 1..8
    uint8_t window_mode;          // 0 full screen, 1 window
    uint8_t difficulty;
    uint8_t text_speed;
    uint8_t machine_class;
    int8_t bgm_suspended;
    int8_t se_muted;
    uint8_t reserved_1018[2];
    uint16_t title_variant;
    uint8_t color_set[SYSDAT_COLOR_SETS][9];  // top RGB, bottom RGB, shadow RGB
    uint8_t ctrl_assign[6];
    uint8_t mouse_type;
    uint8_t log_size;
    uint8_t reserved_1363;
    int8_t battle_voice_off;
    uint8_t help_on;
    uint8_t notice_off;
    int8_t music_title_off;
    uint8_t run_inactive;
    int8_t sound_inactive;
    uint8_t cg_instant;
    uint8_t stand_instant;
    int8_t window_instant;
    uint8_t bar_instant;
    uint8_t skip_read_only;
    uint8_t auto_wait;
    uint8_t punct_option;
    uint8_t read_is_click;
    uint8_t choice_stop_auto;
    uint8_t font_family;
    uint8_t edge_off;
    uint8_t gradient_off;
    uint8_t reserved_1382;
    int8_t vol_music;
    int8_t vol_se;
    int8_t vol_voice;
    int8_t vol_system;
    uint8_t duck_music;
    uint8_t duck_se;
    int8_t voice_on[20];
    uint8_t numpad_dirs;
    uint16_t KEY_MAP[20];         // DirectInput key codes per logical input; 0xFFFF unassigned
    uint16_t PAD_MAP[20];         // logical-bit masks; entries 8..19 are joystick buttons 0..11
    uint8_t reserved_1490[2];
};

static_assert(sizeof(SysData) == SYSDAT_SIZE);
static_assert(offsetof(SysData, reserved_984) == 984);
static_assert(offsetof(SysData, no_confirm) == 992);
static_assert(offsetof(SysData, bar_pin) == 998);
static_assert(offsetof(SysData, auto_bar_pin) == 999);
static_assert(offsetof(SysData, quick_pin) == 1000);
static_assert(offsetof(SysData, voice_unlock) == 1001);
static_assert(offsetof(SysData, reserved_1010) == 1010);
static_assert(offsetof(SysData, bonus_voice) == 1011);
static_assert(offsetof(SysData, window_mode) == 1012);
static_assert(offsetof(SysData, difficulty) == 1013);
static_assert(offsetof(SysData, text_speed) == 1014);
static_assert(offsetof(SysData, machine_class) == 1015);
static_assert(offsetof(SysData, bgm_suspended) == 1016);
static_assert(offsetof(SysData, se_muted) == 1017);
static_assert(offsetof(SysData, reserved_1018) == 1018);
static_assert(offsetof(SysData, title_variant) == 1020);
static_assert(offsetof(SysData, color_set) == 1022);
static_assert(offsetof(SysData, ctrl_assign) == 1355);
static_assert(offsetof(SysData, mouse_type) == 1361);
static_assert(offsetof(SysData, log_size) == 1362);
static_assert(offsetof(SysData, reserved_1363) == 1363);
static_assert(offsetof(SysData, battle_voice_off) == 1364);
static_assert(offsetof(SysData, help_on) == 1365);
static_assert(offsetof(SysData, notice_off) == 1366);
static_assert(offsetof(SysData, music_title_off) == 1367);
static_assert(offsetof(SysData, run_inactive) == 1368);
static_assert(offsetof(SysData, sound_inactive) == 1369);
static_assert(offsetof(SysData, cg_instant) == 1370);
static_assert(offsetof(SysData, stand_instant) == 1371);
static_assert(offsetof(SysData, window_instant) == 1372);
static_assert(offsetof(SysData, bar_instant) == 1373);
static_assert(offsetof(SysData, skip_read_only) == 1374);
static_assert(offsetof(SysData, auto_wait) == 1375);
static_assert(offsetof(SysData, punct_option) == 1376);
static_assert(offsetof(SysData, read_is_click) == 1377);
static_assert(offsetof(SysData, choice_stop_auto) == 1378);
static_assert(offsetof(SysData, font_family) == 1379);
static_assert(offsetof(SysData, edge_off) == 1380);
static_assert(offsetof(SysData, gradient_off) == 1381);
static_assert(offsetof(SysData, reserved_1382) == 1382);
static_assert(offsetof(SysData, vol_music) == 1383);
static_assert(offsetof(SysData, vol_se) == 1384);
static_assert(offsetof(SysData, vol_voice) == 1385);
static_assert(offsetof(SysData, vol_system) == 1386);
static_assert(offsetof(SysData, duck_music) == 1387);
static_assert(offsetof(SysData, duck_se) == 1388);
static_assert(offsetof(SysData, voice_on) == 1389);
static_assert(offsetof(SysData, numpad_dirs) == 1409);
static_assert(offsetof(SysData, KEY_MAP) == 1410);
static_assert(offsetof(SysData, PAD_MAP) == 1450);
static_assert(offsetof(SysData, reserved_1490) == 1490);

// The one block; zero until the defaults or the file fill it.
extern SysData SYS_DATA;

// The block as the file holds it (little-endian, field after field), and back.
void SYSDAT_Pack(const SysData& block, uint8_t out[SYSDAT_SIZE]);
void SYSDAT_Unpack(const uint8_t in[SYSDAT_SIZE], SysData* block);

// Every configuration default; read flags, pins, voice unlocks, log size, sound_inactive, the
// key maps and the reserved bytes are left alone.
void SYSDAT_Default();
// Writes the default key map (entries 0..19) and pad map (entries 8..19).
void SYSDAT_KeyDefault();
// Restores colour set `set` (0..36) from the built-in table; other numbers do nothing.
void SYSDAT_ColorDefault(int set);

// Reads "save\sys.dat" over the block: up to 1,492 bytes, a short file overwriting only its
// length. 0 in every case. A file that exists but cannot be read is remembered, so that the
// write at shutdown does not replace it with what memory holds.
int SYSDAT_Read();
// Replaces "save\sys.dat" with the block, atomically, creating a missing "save" directory.
// 1 only when all 1,492 bytes are in place; 0 (old file untouched) otherwise, and 0 without
// writing while the last read found a file it could not read.
int SYSDAT_Write();

// Bit index % 32 of word index / 32: op 0 clears (1), op 1 sets (1), any other op tests (1 set,
// 0 clear). With a non-zero limit an index at or past it gives -1 and touches nothing; a
// negative index always gives -1.
int SYSDAT_BitOp(uint32_t* bits, int limit, int index, int op);

// The read marks of the scenario text: the current text number (-1 none) and whether the last
// text marked had been read before. Setting the number also stops the voice and clears the
// replay voice id.
void BAR_SetTextNo(int n);
void BAR_MarkRead();
int BAR_IsReadText();
int BAR_GetTextNo();
int BAR_GetWasRead();
void BAR_SetWasRead(int flag);  // loading a save sets it to 1

int SYSDAT_GetWndFadeMode();  // window_instant
// Font slot 1, style 4, single size, and the three colours of colour set `set` in the display's
// pixel format (bottom = top with gradient_off, shadow 0 with edge_off). A set outside 0..36
// leaves the colours as they are.
void SYSDAT_SetTextColor(int set);
