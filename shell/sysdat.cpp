// The settings-and-progress block: layout, defaults, the file "save\sys.dat" and the bit operation.
#include "shell/sysdat.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <type_traits>

#include "platform/files.h"
#include "services/fil_util.h"

SysData SYS_DATA{};

namespace {
// The fields in file order; the packers walk them with a running offset.
template <class F>
void ForEachField(SysData& d, F&& f) {
    f(d.read_flags), f(d.reserved_984), f(d.no_confirm), f(d.bar_pin), f(d.auto_bar_pin), f(d.quick_pin);
    f(d.voice_unlock), f(d.reserved_1010), f(d.bonus_voice), f(d.window_mode), f(d.difficulty);
    f(d.text_speed), f(d.machine_class), f(d.bgm_suspended), f(d.se_muted), f(d.reserved_1018);
    f(d.title_variant), f(d.color_set), f(d.ctrl_assign), f(d.mouse_type), f(d.log_size);
    f(d.reserved_1363), f(d.battle_voice_off), f(d.help_on), f(d.notice_off), f(d.music_title_off);
    f(d.run_inactive), f(d.sound_inactive), f(d.cg_instant), f(d.stand_instant), f(d.window_instant);
    f(d.bar_instant), f(d.skip_read_only), f(d.auto_wait), f(d.punct_option), f(d.read_is_click);
    f(d.choice_stop_auto), f(d.font_family), f(d.edge_off), f(d.gradient_off), f(d.reserved_1382);
    f(d.vol_music), f(d.vol_se), f(d.vol_voice), f(d.vol_system), f(d.duck_music), f(d.duck_se);
    f(d.voice_on), f(d.numpad_dirs), f(d.KEY_MAP), f(d.PAD_MAP), f(d.reserved_1490);
}

template <class T>
void PutLe(uint8_t*& p, const T& v) {
    if constexpr (std::is_array_v<T>) {
        for (const auto& e : v) PutLe(p, e);
    } else {
        auto u = static_cast<std::make_unsigned_t<T>>(v);
        for (size_t i = 0; i < sizeof(T); ++i) *p++ = static_cast<uint8_t>(u >> (8 * i));
    }
}

template <class T>
void GetLe(const uint8_t*& p, T& v) {
    if constexpr (std::is_array_v<T>) {
        for (auto& e : v) GetLe(p, e);
    } else {
        std::make_unsigned_t<T> u = 0;
        for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<decltype(u)>(u | (decltype(u)(p[i]) << (8 * i)));
        p += sizeof(T);
        v = static_cast<T>(u);
    }
}

// Top colour of each default set; the bottom colour is white in every set.
constexpr uint8_t kTopColor[SYSDAT_COLOR_SETS][3] = {
    {128, 128, 128}, {136, 136, 136}, {99, 59, 180},   {211, 8, 8},     {255, 77, 255},  {255, 77, 255},
    {255, 77, 255},  {0, 255, 0},     {0, 255, 0},     {255, 115, 130}, {255, 255, 15},  {158, 71, 202},
    {161, 164, 99},  {161, 164, 99},  {161, 164, 99},  {161, 164, 99},  {161, 164, 99},  {161, 164, 99},
    {161, 164, 99},  {161, 164, 99},  {161, 164, 99},  {128, 128, 128}, {128, 128, 128}, {128, 128, 128},
    {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128},
    {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128}, {128, 128, 128},
    {128, 128, 128},
};

bool g_unreadable = false;  // the last read found a file it could not read
}  // namespace

void SYSDAT_Pack(const SysData& block, uint8_t out[SYSDAT_SIZE]) {
    uint8_t* p = out;
    ForEachField(const_cast<SysData&>(block), [&](const auto& field) { PutLe(p, field); });
}

void SYSDAT_Unpack(const uint8_t in[SYSDAT_SIZE], SysData* block) {
    const uint8_t* p = in;
    ForEachField(*block, [&](auto& field) { GetLe(p, field); });
}

void SYSDAT_Default() {
    SysData& d = SYS_DATA;
    std::memset(d.no_confirm, 0, sizeof d.no_confirm);
    d.bonus_voice = 0;
    d.window_mode = 0;
    d.difficulty = 1;
    d.text_speed = 2;
    d.machine_class = 2;
    d.bgm_suspended = 0;
    d.se_muted = 0;
    d.title_variant = 0;
    for (int set = 0; set < SYSDAT_COLOR_SETS; ++set) SYSDAT_ColorDefault(set);
    static constexpr uint8_t kAssign[6] = {0, 2, 0, 0, 2, 2};
    std::memcpy(d.ctrl_assign, kAssign, sizeof kAssign);
    d.mouse_type = 0;
    d.battle_voice_off = 0;
    d.help_on = 1;
    d.notice_off = 0;
    d.music_title_off = 1;
    d.run_inactive = 0;
    d.cg_instant = 0;
    d.stand_instant = 0;
    d.window_instant = 0;
    d.bar_instant = 0;
    d.skip_read_only = 1;
    d.auto_wait = 50;
    d.punct_option = 1;
    d.read_is_click = 0;
    d.choice_stop_auto = 1;
    d.font_family = 0;
    d.edge_off = 1;
    d.gradient_off = 0;
    d.vol_music = d.vol_se = d.vol_voice = d.vol_system = 100;
    d.duck_music = 1;
    d.duck_se = 1;
    std::memset(d.voice_on, 1, sizeof d.voice_on);
    d.numpad_dirs = 1;
}

void SYSDAT_KeyDefault() {
    // Numeric keypad 2, 1, 4, 7, 8, 9, 6, 3 for the eight directions, then Z, X, C, keypad 5.
    static constexpr uint16_t kKeys[12] = {0x50, 0x4F, 0x4B, 0x47, 0x48, 0x49, 0x4D, 0x51, 0x2C, 0x2D, 0x2E, 0x4C};
    static constexpr uint16_t kPad[12] = {0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i) SYS_DATA.KEY_MAP[i] = i < 12 ? kKeys[i] : 0xFFFF;
    for (int i = 0; i < 12; ++i) SYS_DATA.PAD_MAP[8 + i] = kPad[i];
}

void SYSDAT_ColorDefault(int set) {
    if (set < 0 || set >= SYSDAT_COLOR_SETS) return;
    // The table's nine bytes: top, white bottom, and a shadow whose red byte is 0; the shadow is
    // byte i plus byte i + 4 over four.
    const uint8_t table[9] = {kTopColor[set][0], kTopColor[set][1], kTopColor[set][2], 255, 255, 255, 0, 0, 0};
    uint8_t* c = SYS_DATA.color_set[set];
    std::memcpy(c, table, 6);
    for (int i = 0; i < 3; ++i) c[6 + i] = static_cast<uint8_t>((table[i] + table[i + 4]) / 4);
}

int SYSDAT_Read() {
    const char* path = FIL_MakePath("save\\sys.dat");
    plat::File f;
    if (!f.Open(path, plat::File::Mode::Read)) {
        std::error_code ec;
        g_unreadable = std::filesystem::exists(plat::ResolvePath(path), ec);
        if (g_unreadable) SYS_DebugPrint("%s:Open error %d", path, errno);
        return 0;
    }
    uint8_t image[SYSDAT_SIZE];
    SYSDAT_Pack(SYS_DATA, image);
    size_t got = 0;
    while (got < sizeof image) {
        const size_t n = f.Read(image + got, sizeof image - got);
        if (n == 0) break;
        got += n;
    }
    // A read that stops early because of an error (not the file's end) leaves the block alone.
    const int64_t size = f.Size();
    if (size >= 0 && got < static_cast<uint64_t>(size) && got < sizeof image) {
        g_unreadable = true;
        SYS_DebugPrint("%s: read error after %u bytes", path, static_cast<unsigned>(got));
        return 0;
    }
    g_unreadable = false;
    SYSDAT_Unpack(image, &SYS_DATA);
    return 0;
}

int SYSDAT_Write() {
    const char* path = FIL_MakePath("save\\sys.dat");
    if (g_unreadable) {
        SYS_DebugPrint("%s: not written, the file at start could not be read", path);
        return 0;
    }
    uint8_t image[SYSDAT_SIZE];
    SYSDAT_Pack(SYS_DATA, image);
    plat::CreateDirectory(FIL_MakePath("save"));
    path = FIL_MakePath("save\\sys.dat");
    if (!plat::WriteFileAtomic(path, image, sizeof image)) {
        SYS_DebugPrint("%s: write error", path);
        return 0;
    }
    return 1;
}

int SYSDAT_BitOp(uint32_t* bits, int limit, int index, int op) {
    if (index < 0 || (limit != 0 && index >= limit)) return -1;
    uint32_t& word = bits[index / 32];
    const uint32_t bit = 1u << (index % 32);
    if (op == 0) {
        word &= ~bit;
        return 1;
    }
    if (op == 1) {
        word |= bit;
        return 1;
    }
    return (word & bit) ? 1 : 0;
}

