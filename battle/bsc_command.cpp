// Battle-script commands 0-50, battle-script mode, the camera helpers for scripts, script events,
// character removal, the scripted explosion and the screen changes to the menus.
#include "battle/bsc_command.h"

#include <algorithm>

#include "battle/bsc_host.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/ecnt_enemy.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "battle/scr_camera.h"
#include "battle/svv_flow.h"
#include "platform/bytes.h"
#include "services/fil_util.h"
#include "services/sound/snd_game.h"
#include "services/sound/voice_bark.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"

namespace {
MBSC_EVENT_DATA ResetEventBlock() {
    MBSC_EVENT_DATA e{};
    e.triggered = -1;
    for (MBSC_EVENT_REC& r : e.rec) r = {0, 0, -1};
    return e;
}
}  // namespace

MBSC_EVENT_DATA MBSC_EVENT = ResetEventBlock();
int32_t bscEnmGuard = 0;
int32_t bscChrCollide = 1;
int32_t bscBarkChr = -1;

namespace {
constexpr int kModeScenario = 5, kModeBattle = 4;

bool ValidSlot(int32_t slot) { return slot >= 0 && slot < CHR_SLOTS; }
bool ValidMech(int32_t mech) { return mech >= 0 && mech < MECH_TYPES; }

int8_t Difficulty() { return int8_t(SYS_DATA.difficulty); }

// Operands in table order; a command without any steps over one byte.
int32_t Arg() {
    int32_t v = 0;
    BSC_Host().get_value(&v);
    return v;
}
void NoArgs() { BSC_Host().skip(1); }

// The character's own pool index, or -1.
int32_t IndexOf(int slot) {
    const LIST_NODE* n = CHR_Get(slot);
    return n ? n->index : -1;
}

void ReportFailure(int ok, const char* what) {
    if (!ok) SYS_DebugPrint("(Error!!)  %s", what);
}

int CreateCharacter(int32_t slot, int32_t team, int32_t control, int32_t mech, int32_t x, int32_t y, int32_t level,
                    int32_t level_override) {
    if (!ValidSlot(slot) || !ValidMech(mech)) return 0;
    if (level < 0) level = Difficulty();
    CHR_Create(slot, team, control, mech, mBSC_Coord(x), mBSC_Coord(y), level, level_override);
    if (mech >= MECH_FIRST_NAMED) bscBarkChr = mech;
    return 1;
}

void PlaceCharacter(int32_t slot, int32_t x, int32_t y, int32_t dir) {
    LIST_NODE* n = ValidSlot(slot) ? CHR_Get(slot) : nullptr;
    if (!n) return;
    LIST_SetX(n, mBSC_Coord(x));
    LIST_SetY(n, mBSC_Coord(y));
    n->dir = int8_t(dir);
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = uint8_t(dir);
}

void ResetEvents() {
    VOICE_BarkWait = 0;
    if (bscBarkChr >= 0) VOICE_PlayBark(bscBarkChr, 0);
    bscBarkChr = -1;
    mBSC_Event_Reset();
}

void Put32(uint8_t* out, int off, int32_t v) {
    plat::Set32(out + off, uint32_t(v));
}
int32_t Get32(const uint8_t* in, int off) { return int32_t(plat::Get32(in + off)); }
}  // namespace

int32_t mBSC_Coord(int32_t v) { return std::clamp<int32_t>(v, -BSC_COORD_LIMIT, BSC_COORD_LIMIT); }

int32_t mBSC_Speed(int32_t v) { return std::clamp<int32_t>(v, 0, BSC_COORD_LIMIT); }

void mBSC_SetScrRect(const RECT& rect) {
    const MapData& m = *MAP_Current();
    const RECT r{std::clamp(rect.left, 0, m.pixel_w), std::clamp(rect.top, 0, m.pixel_h), std::clamp(rect.right, 0, m.pixel_w),
                 std::clamp(rect.bottom, 0, m.pixel_h)};
    SCR_SetScrRect(&r);
}

// ---- camera ----

int mBSC_Cam_Off() {
    SCR_SetCameraMode(SCR_CAMERA_NONE);
    return 0;
}

int mBSC_Cam_Pos_Set(int32_t x, int32_t y) {
    const MapData& m = *MAP_Current();
    const RECT& r = SCR_SCROLL_RECT;
    x = std::min(std::max(mBSC_Coord(x), r.left + 320), r.right - (m.view_w - 320));
    y = std::min(std::max(mBSC_Coord(y), r.top + 240), r.bottom - (m.view_h - 240));
    CAMERA_DATA.mode = SCR_CAMERA_FIXED;
    CAMERA_DATA.fixed_x = x;
    CAMERA_DATA.fixed_y = y;
    return 0;
}

int mBSC_Cam_Chr_Set(int slot, int second) {
    LIST_NODE* s = second >= 0 ? CHR_Get(second) : nullptr;
    SCR_SetCamera(SCR_CAMERA_FOLLOW, CHR_Get(slot), s);
    return 0;
}

int mBSC_Scr_Pos_Set(int32_t x, int32_t y) {
    SCR_SetScrollPos(mBSC_Coord(x), mBSC_Coord(y));
    return 0;
}

int mBSC_Cam_Spd_Set(int32_t step, int32_t max) {
    // -999 keeps the field, as the camera's own setter reads it.
    SCR_SetCameraSpeed(0, mBSC_Coord(step), max == -999 ? max : mBSC_Speed(max));
    return 0;
}

int mBSC_Cam_Rng_Set(int32_t x, int32_t y) {
    SCR_SetCameraRange(mBSC_Coord(x), mBSC_Coord(y));
    return 0;
}

int mBSC_Start() {
    BTL_SetKind(9);
    BSC_Host().set_extension(mBSC_Command);
    mBSC_Reset();
    mBSC_Cam_Off();
    mBSC_Cam_Spd_Set(16, 16);
    mBSC_Cam_Rng_Set(320, 240);
    mBSC_Cam_Chr_Set(0, -1);
    return 0;
}

// ---- script events ----

void mBSC_Event_Reset() { MBSC_EVENT = ResetEventBlock(); }

int mBSC_Event_Set(int index, int kind, int slot) {
    if (index < 0 || index >= BSC_EVENTS) {
        SYS_DebugPrint("\x83X\x83N\x83\x8a\x83v\x83g\x82\xcc\x83" "C\x83x\x83\x93\x83g\x90\xdd\x92\xe8\x90\x94\x82\xaa\x8d\xc5"
                       "\x91\xe5\x82\xf0\x92\xb4\x82\xa6\x82\xdc\x82\xb5\x82\xbd" /* スクリプトのイベント設定数が最大を超えました */);
        return -1;
    }
    MBSC_EVENT.rec[index] = {1, kind, slot};
    return index;
}

int mBSC_Event_Get() { return MBSC_EVENT.triggered; }

int mBSC_Event_Check(int kind, int slot) {
    BTL_Record("mBSC_Event_Check %d %d", kind, slot);
    if (BTL_KIND != 0) return 0;
    const LIST_NODE* player = CHR_Get(0);
    const bool player_down = player && player->chr->levels < 0;
    for (int i = 0; i < BSC_EVENTS; ++i) {
        const MBSC_EVENT_REC& r = MBSC_EVENT.rec[i];
        if (r.kind != kind || r.kind < 0 || r.kind > 2 || r.slot != slot) continue;
        if (slot != 0 && player_down) continue;
        MBSC_EVENT.triggered = i;
        return 1;
    }
    return 0;
}

int mBSC_Event_Update() {
    const int t = MBSC_EVENT.triggered;
    if (BTL_KIND != 0 || t < 0 || t >= BSC_EVENTS) return 0;
    const MBSC_EVENT_REC& r = MBSC_EVENT.rec[t];
    if (r.kind < 3 && r.slot != 0) {
        const LIST_NODE* player = CHR_Get(0);
        if (!player || player->chr->levels < 0) return 0;
    }
    if (const LIST_NODE* n = r.slot != 0 ? CHR_Get(r.slot) : nullptr) BTL_AddGaugePool(n->chr->mech, 100);
    for (int s = 0; s < CHR_SLOTS; ++s)
        if (CHR_TABLE[s]) HUD_PanelDelete(s);
    SCR_QuakeStop();
    HUD_ShowAll(0);
    BTL_SetKind(9);
    SP_PushRunningAll(0);
    SE_StopLoops();
    BSC_Host().set_mode(kModeScenario);
    return 1;
}

void mBSC_Event_Save(uint8_t* out) {
    Put32(out, 0, MBSC_EVENT.triggered);
    for (int i = 0; i < BSC_EVENTS; ++i) {
        const MBSC_EVENT_REC& r = MBSC_EVENT.rec[i];
        uint8_t* p = out + 4 + 12 * i;
        p[0] = r.used;
        p[1] = p[2] = p[3] = 0;
        Put32(p, 4, r.kind);
        Put32(p, 8, r.slot);
    }
}

void mBSC_Event_Load(const uint8_t* in) {
    MBSC_EVENT_DATA e{};
    e.triggered = Get32(in, 0);
    bool zero = e.triggered == 0;
    for (int i = 0; i < BSC_EVENTS; ++i) {
        const uint8_t* p = in + 4 + 12 * i;
        e.rec[i] = {p[0], Get32(p, 4), Get32(p, 8)};
        zero = zero && !e.rec[i].used && !e.rec[i].kind && !e.rec[i].slot;
    }
    mBSC_Event_Reset();
    if (zero) return;  // a block saved between battles: the reset block
    MBSC_EVENT = e;
    if (e.triggered < -1 || e.triggered >= BSC_EVENTS) MBSC_EVENT.triggered = -1;
}

// ---- characters, explosions, screens ----

int mBSC_Chr_Kill(int slot) {
    const int32_t index = IndexOf(slot);
    if (CHR_Delete(slot) == -999) return -999;
    HUD_PanelDelete(slot);
    for (LIST_NODE* o : CHR_TABLE)
        if (o && o->target == index) CHR_SetTarget(o, 3, -1);
    return 0;
}

int mBSC_Chr_Tgt_Set(int slot, int mode, int target_slot) {
    LIST_NODE* n = CHR_Get(slot);
    if (!n) return 0;
    return CHR_SetTarget(n, mode, target_slot);
}

int mBSC_Eft_Bomb(int flag, int32_t x, int32_t y, int32_t height) {
    if (flag) return 0;
    x = mBSC_Coord(x), y = mBSC_Coord(y), height = mBSC_Coord(height);
    EFT_Create(0, nullptr, x, y, height);
    for (int i = 0; i < 20; ++i) {
        const int32_t r1 = BTL_RandMod(129);
        const int32_t r2 = BTL_RandMod(129);
        EFT_Create(14, nullptr, x + 64 - r1, y + 64 - r2, height);
    }
    BTL_SePlay(9, -1);
    SCR_Quake(-1, -1, 16);
    return 0;
}

int mBSC_GoMenu() {
    BSC_Host().suspend();
    BSC_Host().menu_return(1);
    BTL_SetState(BTL_STATE_MENU);
    BSC_Host().set_mode(kModeBattle);
    BTL_SkipNextDraw();
    return 0;
}

int mBSC_GoLvUp() {
    BSC_Host().suspend();
    BTL_SetState(BTL_STATE_LEVELUP);
    BSC_Host().set_mode(kModeBattle);
    BTL_SkipNextDraw();
    return 0;
}

// ---- the enemy-control commands 47 to 50: operands read, a failure told in one line ----

int func_ECNT_SetObj() {
    ReportFailure(ECNT_SetObj(Arg()), "func_ECNT_SetObj");
    return 0;
}

int func_ECNT_DelObj() {
    ReportFailure(ECNT_DelObj(Arg()), "func_ECNT_DelObj");
    return 0;
}

int func_ECNT_SetPoint() {
    const int32_t x = Arg(), y = Arg();
    ReportFailure(ECNT_SetPoint(x, y), "func_ECNT_SetPoint");
    return 0;
}

int func_ECNT_SetEnm() {
    const int32_t frame = Arg(), max = Arg(), mech = Arg(), level = Arg(), over = Arg();
    ReportFailure(ECNT_SetEnm(frame, max, mech, level, over), "func_ECNT_SetEnm");
    return 0;
}

// ---- the command table ----

int mBSC_Command(uint32_t n) {
    const BSC_HOST& h = BSC_Host();
    switch (n) {
        case 0:
            NoArgs();
            mBSC_Chr_Mov_Start();
            h.suspend();
            return 1;
        case 1:
            NoArgs();
            mBSC_Chr_Mov_Start();
            return 1;
        case 2:
            NoArgs();
            if (mBSC_GetBusy() > 0) h.suspend();
            return 1;
        case 3: BTL_SetScriptMode(Arg()); return 0;
        case 4:
            NoArgs();
            BTL_DeleteNonCharObjects();
            return 0;
        case 5:
            NoArgs();
            h.set_result(Difficulty());
            return 0;
        case 6: bscEnmGuard = Arg(); return 0;
        case 7: bscChrCollide = Arg(); return 0;
        case 8: {
            const int32_t stage = Arg(), variant = Arg(), dark = Arg(), x = Arg(), y = Arg();
            MAP_Load(stage, variant, dark);
            mBSC_Scr_Pos_Set(x, y);
            h.set_flag(0);
            return 0;
        }
        case 9:
            NoArgs();
            MAP_Release();
            return 0;
        case 10: {
            const int32_t x = Arg(), y = Arg();
            mBSC_Cam_Off();
            mBSC_Scr_Pos_Set(x, y);
            MAP_Redraw(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
            return 0;
        }
        case 11: {
            const int32_t x = Arg(), y = Arg();
            mBSC_Cam_Pos_Set(x, y);
            return 0;
        }
        case 12: {
            int32_t step = Arg(), max = Arg();
            BSC_SkipSet(&step, 64);
            BSC_SkipSet(&max, 64);
            mBSC_Cam_Spd_Set(step, max);
            return 0;
        }
        case 13: {
            const int32_t x = Arg(), y = Arg();
            mBSC_Cam_Rng_Set(x, y);
            return 0;
        }
        case 14:
            NoArgs();
            mBSC_Cam_Off();
            return 0;
        case 15: {
            const int32_t slot = Arg(), second = Arg();
            mBSC_Cam_Chr_Set(slot, second);
            return 0;
        }
        case 16:
            NoArgs();
            MAP_Redraw(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y);
            return 0;
        case 17: {
            RECT r;
            r.left = Arg(), r.top = Arg(), r.right = Arg(), r.bottom = Arg();
            mBSC_SetScrRect(r);
            return 0;
        }
        case 18:
            NoArgs();
            SCR_SetStageScrRect(MAP_Current()->stage, MAP_Current()->variant);
            return 0;
        case 19: {
            const int32_t slot = Arg(), team = Arg(), control = Arg(), mech = Arg(), x = Arg(), y = Arg(), level = Arg(),
                          over = Arg();
            CreateCharacter(slot, team, control, mech, x, y, level, over);
            return 0;
        }
        case 20: {
            const int32_t slot = Arg(), x = Arg(), y = Arg();
            if (!ValidSlot(slot)) return 0;
            CHR_Create(slot, 0, CHR_PLAYER, 0, mBSC_Coord(x), mBSC_Coord(y), 0, -1);
            bscBarkChr = -1;
            return 0;
        }
        case 21: {
            const int32_t slot = Arg(), x = Arg(), y = Arg(), mech = Arg(), level = Arg(), over = Arg();
            CreateCharacter(slot, 1, CHR_CPU, mech, x, y, level, over);
            return 0;
        }
        case 22: {
            const int32_t slot = Arg();
            if (slot < 0) {
                for (int s = 0; s < CHR_SLOTS; ++s) mBSC_Chr_Kill(s);
            } else if (ValidSlot(slot)) {
                mBSC_Chr_Kill(slot);
            }
            return 0;
        }
        case 23: {
            const int32_t slot = Arg(), x = Arg(), y = Arg(), state = Arg(), facing = Arg();
            int32_t speed = Arg();
            BSC_SkipSet(&speed, 50);
            if (ValidSlot(slot)) mBSC_Chr_Mov_Set(slot, x, y, state, facing, speed);
            return 0;
        }
        case 24: {
            const int32_t slot = Arg(), dir = Arg();
            int32_t frames = Arg();
            BSC_SkipSet(&frames, 1);
            if (ValidSlot(slot)) mBSC_Chr_Dir_Set(slot, dir, frames);
            return 0;
        }
        case 25: {
            const int32_t slot = Arg(), weapon = Arg(), variant = Arg();
            int32_t frames = Arg();
            BSC_SkipSet(&frames, 1);
            if (ValidSlot(slot)) mBSC_Chr_Waza_Set(slot, weapon, variant, frames);
            return 0;
        }
        case 26: {
            const int32_t slot = Arg(), mode = Arg(), target = Arg();
            if (ValidSlot(slot)) mBSC_Chr_Tgt_Set(slot, mode, target);
            return 0;
        }
        case 27: {
            const int32_t slot = Arg(), x = Arg(), y = Arg(), dir = Arg();
            PlaceCharacter(slot, x, y, dir);
            return 0;
        }
        case 28: {
            const int32_t variant = std::clamp(Arg(), 0, 2);
            for (int16_t& e : CAMP_DATA.equip) e = int16_t(e / 3 * 3 + variant);
            return 0;
        }
        case 29: {
            const int32_t slot = Arg();
            if (ValidSlot(slot)) CHR_Reset(slot, -999, -999, 0);
            return 0;
        }
        case 30: CAMP_DATA.base[CAMP_LEVELS] = int16_t(int64_t(Arg()) + (Difficulty() == 0 ? 1 : 0)); return 0;
        case 31: {
            const int32_t slot = Arg(), column = Arg();
            if (ValidSlot(slot)) HUD_PanelSetPicture(slot, column);
            return 0;
        }
        case 32: {
            const int32_t flag = Arg(), x = Arg(), y = Arg(), height = Arg();
            mBSC_Eft_Bomb(flag, x, y, height);
            return 0;
        }
        case 33: EFT_SetAmbientCount(std::clamp(Arg(), 0, LIST_MAX)); return 0;
        case 34:
            NoArgs();
            ResetEvents();
            return 0;
        case 35: {
            const int32_t index = Arg(), kind = Arg(), slot = Arg();
            mBSC_Event_Set(index, kind, slot);
            return 0;
        }
        case 36:
            NoArgs();
            h.set_result(mBSC_Event_Get());
            return 0;
        case 37:
            NoArgs();
            mBSC_GoMenu();
            return 1;
        case 38:
            NoArgs();
            mBSC_GoLvUp();
            return 1;
        case 39: {
            if (CampWeapon* w = CAMP_Weapon(Arg())) w->status = CAMP_AVAILABLE;
            return 0;
        }
        case 40: SCR_ShowAll(Arg()); return 0;
        case 41: HUD_ShowAll(Arg()); return 0;
        case 42: SCR_ShowMap(Arg()); return 0;
        case 43: CHR_ShowAll(Arg()); return 0;
        case 44:
            NoArgs();
            ECNT_Reset();
            return 0;
        case 45:
            NoArgs();
            ECNT_Release();
            return 0;
        case 46:
            NoArgs();
            ECNT_ResetClock();
            return 0;
        case 47: return func_ECNT_SetObj();
        case 48: return func_ECNT_DelObj();
        case 49: return func_ECNT_SetPoint();
        case 50: return func_ECNT_SetEnm();
        default: return 0;
    }
}
