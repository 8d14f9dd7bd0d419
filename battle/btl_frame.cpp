// The battle frame core: state, walks by state, per-frame calls, animation stepping, the update
// half of the renderer, and the battle module's start-up and clean-up.
#include "battle/btl_frame.h"

#include <cstring>

#include "battle/bsc_command.h"
#include "battle/btl_render.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/chr_update.h"
#include "battle/cpu_think.h"
#include "battle/ecnt_enemy.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "battle/scr_camera.h"
#include "battle/svv_flow.h"
#include "battle/tama_obj.h"
#include "battle/waza_file.h"
#include "battle/wpn_fire.h"
#include "display/blt_frame.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

int16_t BTL_KIND = 0;
int16_t BTL_EndCount = 0;
int32_t BTL_CpuOn = 1;
int32_t BTL_DebugInvincible = 0;
int8_t BTL_DebugWeaponLevel = 0;

namespace {
constexpr int kExplosionDelay = 8;  // frames from a destruction to its script event check

// An explosion's script event check waiting for its frame.
struct PendingCheck {
    int8_t slot;
    int8_t wait;  // full frames to the check, this frame's included
};
// Every slot can explode at most once a frame, so this holds every check that can be waiting.
constexpr int kMaxPending = CHR_SLOTS * (kExplosionDelay + 1);

struct FrameState {
    int32_t state = 0, previous = 0, at_start = 0;
    int32_t slow_tick = 0;  // ticks of the slow-motion finish so far
    int32_t script_mode = 0;
    PendingCheck pending[kMaxPending] = {};
    int32_t pending_count = 0;
    int32_t skip_draw = 0;
};
FrameState g;

// Kinds: character, fire order, bullet, effect, gauge chip, background overlay (no update).
constexpr LIST_UPDATE_TABLE kMainTable = {CHR_Update, WPN_Update, TAMA_Update, EFT_Update, HUD_GaugeChipUpdate, nullptr};
constexpr LIST_UPDATE_TABLE kPauseTable = {CHR_UpdateInputOnly, nullptr, nullptr, nullptr, nullptr, nullptr};
constexpr LIST_UPDATE_TABLE kStateOnlyTable = {CHR_UpdateStateOnly, WPN_Update, TAMA_Update, EFT_Update, HUD_GaugeChipUpdate, nullptr};
constexpr LIST_UPDATE_TABLE kPreviewTable = {CHR_UpdatePreview, WPN_Update, TAMA_Update, EFT_Update, HUD_GaugeChipUpdate, nullptr};
constexpr LIST_UPDATE_TABLE kMenuTable = {CHR_UpdateMenu, WPN_Update, TAMA_Update, EFT_Update, HUD_GaugeChipUpdate, nullptr};
constexpr LIST_UPDATE_TABLE kScriptTable = {CHR_UpdateScript, WPN_Update, TAMA_Update, EFT_Update, HUD_GaugeChipUpdate, nullptr};

// Checks come due in the order of their explosions; the rest wait on.
void ExplosionChecks() {
    int32_t kept = 0;
    for (int32_t i = 0; i < g.pending_count; ++i) {
        PendingCheck p = g.pending[i];
        if (--p.wait == 0) mBSC_Event_Check(2, p.slot);
        else g.pending[kept++] = p;
    }
    g.pending_count = kept;
}

// Length of the keyframe a character in a technique is in, or 0 when it has none.
int CurrentKeyLength(const CHR_DATA* c) {
    WAZA_DATA* w = WAZA_Get(c->mech, c->waza);
    if (!w || c->act_index >= WAZA_ACTS || c->key_index >= WAZA_KEYS) return 0;
    return WAZA_I16(WAZA_Key(WAZA_Act(w, c->act_index), c->key_index), WAZA_KEY_LENGTH);
}

void StepOne(int id, SP_ANIM* a) {
    if (a->mode != 4 || --a->wait >= 0) return;  // pattern-range objects (after-images) hold still
    LIST_NODE* node = BTL_SpriteNode(id);
    CHR_DATA* c = node && node->kind == LIST_KIND_CHR ? node->chr : nullptr;
    TAMA_OBJ* b = node && node->kind == LIST_KIND_TAMA ? node->tama : nullptr;
    // A technique phase and a bullet's keyframe spread their own step durations.
    const uint16_t* durations = c && c->phase != 0 ? c->durations : (b ? b->durations : nullptr);
    const SPR_SEQ* seq = a->set < SPR_SETS && SPR_PATTERN_TABLE[a->set] && a->seq >= 0 && a->seq < SPR_SEQUENCES
                             ? &SPR_SEQ_TABLE[a->set][a->seq]
                             : nullptr;
    if (!seq || !seq->step_count) {
        SP_Stop(id);
        return;
    }
    const bool loop = durations ? (c ? CurrentKeyLength(c) : TAMA_KeyLength(b)) == 255 : a->loop != 0;
    if (++a->step >= seq->step_count) {
        if (!loop) {
            SP_Stop(id);
            a->step = uint16_t(seq->step_count - 1);
            if (c) c->anim_done = 1;
            if (b) b->anim_done = 1;
            if (node && node->kind == LIST_KIND_EFT && node->eft) node->eft->kill = 1;
            if (a->auto_delete) SP_Delete(id);
            return;
        }
        a->step = 0;
    }
    const SPR_STEP& st = seq->steps[a->step];
    a->pattern = st.pattern;
    // Steps past the record's 128 durations keep the set's wait.
    a->wait = int16_t(durations && a->step < CHR_DURATIONS ? durations[a->step] : st.wait);
}

// A node deleted through its kind's delete; the active index that followed it.
int32_t DeleteNode(LIST_NODE* n) {
    switch (n->kind) {
        case LIST_KIND_CHR:
            if (CHR_Get(n->slot) == n) return CHR_Delete(n->slot);
            return LIST_Free(n->index);
        case LIST_KIND_WP2: return WPN_Delete(n);
        case LIST_KIND_TAMA: return TAMA_Delete(n);
        case LIST_KIND_EFT: return EFT_Delete(n);
        case LIST_KIND_BGOBJ: return MAP_DelBgObj(n);
        default: return LIST_Free(n->index);
    }
}

// The full frame: walk, enemy spawns, script events, explosion checks and the animations.
void FullFrame() {
    BTL_MainLoop();
    BTL_AnimStep();
}
}  // namespace

void BTL_SetState(int state) {
    g.previous = g.state;
    g.state = state;
}

int BTL_GetState(int which) {
    switch (which) {
        case 0: return g.state;
        case 1: return g.previous;
        case 2: return g.at_start;
        default: return 0;
    }
}

void BTL_SetKind(int kind) { BTL_KIND = int16_t(kind); }

int BTL_IsHudOff() { return BTL_KIND == 1 || BTL_KIND == 2 || BTL_KIND == 3 || BTL_KIND == 9 ? 1 : 0; }

void BTL_SetScriptMode(int flag) { g.script_mode = flag; }

void BTL_MainLoop() {
    LIST_Walk(kMainTable);
    ECNT_Update();
    mBSC_Event_Update();
    ExplosionChecks();
}

void BTL_NoteExplosion(int slot) {
    if (slot < 0 || slot >= CHR_SLOTS || g.pending_count >= kMaxPending) return;
    // Counted from the check pass of the frame it happened in, which leaves eight more.
    g.pending[g.pending_count++] = PendingCheck{int8_t(slot), int8_t(kExplosionDelay + 1)};
}

void BTL_PauseLoop() { LIST_Walk(kPauseTable); }

int BTL_ScriptModeUpdate() {
    if (g.script_mode) {
        LIST_Walk(kScriptTable);
        BTL_AnimStep();
    }
    if (mBSC_GetBusy() != 0) return 0;
    mBSC_Reset();
    return 1;
}

void BTL_FrameUpdate() {
    g.at_start = g.state;
    if (g.state != BTL_STATE_SLOW) g.slow_tick = 0;
    switch (g.state) {
        case BTL_STATE_FIGHT: FullFrame(); break;
        case BTL_STATE_SLOW: {
            ScrQuake& q = SCR_QUAKE;
            if (q.slow > 0) {
                --q.slow;
                if (++g.slow_tick % 4 == 0) FullFrame();
                else BTL_PauseLoop();
            } else {
                if (q.hold > 0) --q.hold;
                FullFrame();
                if (q.hold <= 0) BTL_SetState(BTL_STATE_FIGHT);
            }
            break;
        }
        case BTL_STATE_PAUSE: BTL_PauseLoop(); break;
        case BTL_STATE_PRE: LIST_Walk(kStateOnlyTable), BTL_AnimStep(); break;
        case BTL_STATE_PREVIEW: LIST_Walk(kPreviewTable), BTL_AnimStep(); break;
        case BTL_STATE_MENU: LIST_Walk(kMenuTable), BTL_AnimStep(); break;
        default: break;
    }
}

void BTL_SkipNextDraw() { g.skip_draw = 1; }

void BTL_FrameDraw() {
    if (g.skip_draw) {
        g.skip_draw = 0;
        return;
    }
    SCR_QuakeUpdate();
    BTL_RenderScene(SP_DRAW_OFFSET.x, SP_DRAW_OFFSET.y, 1);
}

void BTL_AnimStep() {
    for (int id = 0; id < SP_OBJECTS; ++id)
        if (SP_ANIM* a = SP_Anim(id); a && a->running) StepOne(id, a);
}

void BTL_DrawImage(int image, int32_t x, int32_t y, const RECT* src) {
    DDSurface* surface = IMG_Surface(image);
    DDSurface* target = SP_RENDER_TARGET ? *SP_RENDER_TARGET : nullptr;
    if (!surface || !target) return;
    BLT_Blt(target, x + MAP_Current()->origin_x, y + MAP_Current()->origin_y, surface, src, 1);
}

int BTL_Init() {
    CAMP_InitNewGame();
    ECNT_Reset();
    MECH_LoadStems();
    EFT_Load();
    return LIST_Init();
}

void BTL_Term() {
    BTL_DeleteAllObjects();
    LIST_Term();
    EFT_Release();
}

void BTL_Cleanup() {
    g.pending_count = 0;  // a check never reaches into the next battle
    BTL_DeleteAllObjects();
    ECNT_Release();
}

void BTL_DeleteAllObjects() {
    while (LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head)) DeleteNode(n);
}

void BTL_DeleteNonCharObjects() {
    int32_t i = LIST_STATE_DATA.head;
    while (LIST_NODE* n = LIST_Node(i)) {
        if (!n->in_use) {  // a delete took the node that would have followed: start again
            i = LIST_STATE_DATA.head;
            continue;
        }
        i = n->kind == LIST_KIND_CHR ? n->next : DeleteNode(n);
    }
}

void BTL_ResetLeftovers() {
    g.slow_tick = 0;
    g.pending_count = 0;
    g.skip_draw = 0;
    BTL_EndCount = 0;
    std::memset(CHR_DESTROYED, 0, sizeof CHR_DESTROYED);
    for (int16_t& r : CHR_PREVIEW_REQUEST) r = -1;
    std::memset(CPU_WORK_TABLE, 0, sizeof CPU_WORK_TABLE);
    // The battle's objects are gone: a link kept would follow whatever takes its node next.
    CAMERA_DATA.followed = CAMERA_DATA.second = CAMERA_DATA.queued = nullptr;
    SCR_SCROLL_RECT = RECT{};
    SCR_QUAKE = ScrQuake{};
    EFT_SetAmbientCount(0);
    HIT_LastDestroyed = -1;
    wp2Cnt = 0;
    HIT_ClearMask();
    CHR_PadDir = -1;
    CHR_ComboContinue = 0;
    CHR_MoveSubStep = 0;
    mBSC_ResetLeftovers();
}

void BTL_ResetGlobals() {
    BTL_ResetLeftovers();
    g = FrameState{};
    BTL_KIND = 0;
    BTL_CpuOn = 1;
    BTL_DebugInvincible = 0;
    BTL_DebugWeaponLevel = 0;
    CAMERA_DATA = CameraData{};
    SVV_TestCond = 0;
}
