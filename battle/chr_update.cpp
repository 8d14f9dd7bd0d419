// Character updates, one per battle state, the velocity that feeds the movement sub-steps, the
// hit-flash timer and the destruction of a beaten character.
#include "battle/chr_update.h"

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/cpu_think.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/svv_flow.h"
#include "battle/waza_exec.h"
#include "services/key_button.h"
#include "sprite/sp_draw.h"

int16_t CHR_PREVIEW_REQUEST[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

namespace {
LIST_NODE* Node() { return LIST_CURRENT.node; }
CHR_DATA* Chr() { return LIST_CURRENT.chr; }

// The current technique, action and keyframe of the character; a technique the mech does not
// have counts as none.
void CommonStart() {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    LIST_CURRENT.chr = c;
    WAZA_DATA* w = WAZA_Get(c->mech, c->waza);
    LIST_CURRENT.waza = w;
    LIST_CURRENT.act = nullptr;
    LIST_CURRENT.key = nullptr;
    if (!w || c->act_index >= WAZA_ACTS || c->key_index >= WAZA_KEYS) {
        c->phase = 0;
        return;
    }
    LIST_CURRENT.act = WAZA_Act(w, c->act_index);
    LIST_CURRENT.key = WAZA_Key(LIST_CURRENT.act, c->key_index);
}

int CommonEnd() {
    LIST_NODE* n = Node();
    n->height16 = BTL_Fix16(n->height);
    LIST_CURRENT.next = n->next;
    return 1;
}

int RunState(int* gravity) {
    const CHR_DATA* c = Chr();
    if (c->state < 0 || c->state > 8) return 0;
    const bool cpu = c->control == CHR_CPU;
    if (cpu) return CPU_STATE_TABLE[c->state] ? CPU_STATE_TABLE[c->state](gravity) : 0;
    return CHR_STATE_TABLE[c->state](gravity);
}

int RunPhase(int* gravity) {
    const int phase = Chr()->phase;
    if (phase < 1 || phase > 2 || !LIST_CURRENT.act) return 0;
    return WAZA_PHASE_TABLE[phase](gravity);
}

void MoveSubSteps(int gravity) {
    LIST_NODE* n = Node();
    for (int s = 0; s < n->sub_steps; ++s) {
        CHR_MoveSubStep = s;
        Chr()->moved = uint8_t(CHR_Move(gravity, 0));
    }
    CHR_MoveSubStep = 0;
}

// The state, the technique phase, velocity and movement of one frame.
void Act(bool think) {
    int state_gravity = 0, phase_gravity = 0;
    if (think) CPU_Think();
    RunState(&state_gravity);
    RunPhase(&phase_gravity);
    CHR_ComposeVelocity();
    MoveSubSteps(state_gravity || phase_gravity);
}

// Freeze frames count down instead of a frame; the animation resumes at 0.
void CountFreeze() {
    CHR_DATA* c = Chr();
    if (--c->freeze == 0)
        if (SP_ANIM* a = SP_Anim(Node()->sprite)) a->running = 1;
}

void ReadPad() { CHR_PadDir = CHR_KeyToDir(KEY_DATA.held & 0x0F); }

// Steps 4, 5 and 7 of the full update: combo window, flash and HUD, air time.
void ComboWindow() {
    LIST_NODE* n = Node();
    CHR_DATA* c = Chr();
    const LIST_NODE* t = LIST_CURRENT.target;
    if (!t || !t->in_use || !t->chr) c->combo_window = 10;
    else if (c->waza_active && c->heat >= 1 && c->combo_window == 0 && c->phase == 0 && t->chr->state < 6)
        c->combo_window = 10;
    if (c->combo_window > 0 && --c->combo_window == 0) CHR_EndWaza(n);
}
void FlashAndHud() {
    CHR_FlashTimer();
    HUD_PanelSetHeat(Node());
    HUD_PanelSetDurability(Node()->slot);
}
void Retarget() {
    LIST_NODE* n = Node();
    if (Chr()->heat >= 1) return;
    CHR_SetTarget(n, 3, 0);
    SCR_SetCameraSpeed(-999, 1, 16);
    if (Chr()->control == CHR_PLAYER) SCR_SetCameraChr2(LIST_Node(n->target));
}
}  // namespace

int CHR_Update() {
    CommonStart();
    LIST_NODE* n = Node();
    CHR_DATA* c = Chr();
    c->waza_started = 0;
    if (c->control == CHR_CPU) {
        CHR_PadDir = -999;
        if (c->freeze < 1) Act(true);
        else CountFreeze();
    } else {
        ReadPad();
        CHR_PadCheck();
        int combo = 0;
        if (c->queued >= 0) {
            const int t = c->queued;
            c->queued = -1;
            CHR_WazaStart(n, t);
        } else if ((combo = CHR_ComboInput(0)) == -1) {
            BTL_SePlaySys(4, -1);
        }
        if (c->freeze >= 1) CountFreeze();
        else if (combo != 1) Act(false);
        HUD_HitCountUpdate();
        HUD_HitCountStep();
    }
    ComboWindow();
    FlashAndHud();
    Retarget();
    ++c->air_time;
    if (c->state == 8 && c->state_counter > 18) {
        CHR_Destroy();
        return 1;
    }
    return CommonEnd();
}

int CHR_UpdateInputOnly() {
    CommonStart();
    CHR_DATA* c = Chr();
    if (c->control == CHR_PLAYER) {
        ReadPad();
        CHR_PadCheck();
        if (c->queued < 0 && CHR_ComboInput(1) == -1) BTL_SePlaySys(4, -1);
    }
    return CommonEnd();
}

int CHR_UpdateStateOnly() {
    CommonStart();
    int gravity = 0;
    if (Chr()->control == CHR_CPU) {
        CHR_PadDir = -999;
    } else {
        ReadPad();
        CHR_PadCheck();
    }
    CHR_ComposeVelocity();
    RunState(&gravity);
    FlashAndHud();
    return CommonEnd();
}

int CHR_UpdatePreview() {
    CommonStart();
    LIST_NODE* n = Node();
    CHR_DATA* c = Chr();
    const int slot = n->slot;
    if (slot >= 0 && slot < CHR_SLOTS && CHR_PREVIEW_REQUEST[slot] >= 0 && LIST_CURRENT.key) {
        WAZA_KeyUpdate();
        if (LIST_CURRENT.key) WAZA_ShowKey();
        c->preview_step = 1;
        if (c->act_slot != CHR_PREVIEW_REQUEST[slot]) {
            --c->preview_counter;
            CHR_PREVIEW_REQUEST[slot] = -1;
        }
    }
    return CommonEnd();
}

int CHR_UpdateMenu() {
    CommonStart();
    CHR_DATA* c = Chr();
    CHR_PadDir = c->control == CHR_CPU ? -999 : -1;  // the backdrop's mechs never read the pad
    Act(false);
    if (c->control == CHR_PLAYER) {
        HUD_HitCountUpdate();
        HUD_HitCountStep();
    }
    ComboWindow();
    FlashAndHud();
    ++c->air_time;
    return CommonEnd();
}

int CHR_UpdateScript() {
    CommonStart();
    int gravity = 0;
    CHR_FlashTimer();
    mBSC_Chr_Mov_Update();
    CHR_ComposeVelocity();
    RunPhase(&gravity);
    MoveSubSteps(1);
    ++Chr()->air_time;
    return CommonEnd();
}

void CHR_ComposeVelocity() {
    LIST_NODE* n = Node();
    CHR_DATA* c = Chr();
    int32_t base = c->move_speed;
    if (c->phase != 0 && BTL_KIND != 9) {
        const int shift = LIST_CURRENT.waza ? WAZA_View(LIST_CURRENT.waza).speed_shift() : 0;
        const int32_t shifted = c->move_speed >> (shift < 0 ? 0 : (shift > 15 ? 15 : shift));
        base = c->carried_speed > shifted ? c->carried_speed : shifted;
    }
    int32_t vx = 0, vy = 0, total = 0;
    if (base) {
        if (c->waza_speed == 0) {
            vx = c->pad_vec[0], vy = c->pad_vec[1];
            total = base;
        } else {
            vx = (c->pad_vec[0] + c->waza_vec[0]) >> 1;
            vy = (c->pad_vec[1] + c->waza_vec[1]) >> 1;
            total = base + c->waza_speed;
        }
    } else if (c->waza_speed) {
        vx = c->waza_vec[0], vy = c->waza_vec[1];
        total = c->waza_speed;
    }
    if (total && c->knock_speed) {
        vx = (vx + c->knock_vec[0]) >> 1;
        vy = (vy + c->knock_vec[1]) >> 1;
        total += c->knock_speed;
    } else if (c->knock_speed) {
        vx = c->knock_vec[0], vy = c->knock_vec[1];
        total = c->knock_speed;
    }
    n->vx = vx;
    n->vy = vy;
    if (c->state != 6 && c->state != 7) {
        if (c->knock_speed > 0) c->knock_speed = int16_t(c->knock_speed > 2 ? c->knock_speed - 2 : 0);
        else if (c->knock_speed < 0) c->knock_speed = int16_t(c->knock_speed < -2 ? c->knock_speed + 2 : 0);
    }
    LIST_SplitSpeed(total, &n->sub_steps, &n->sub_step_size);
    c->carried_speed = uint8_t(c->carried_speed > 2 ? c->carried_speed - 2 : 0);
}

void CHR_FlashTimer() {
    CHR_DATA* c = Chr();
    if (c->flash_timer == 0) {
        c->flash_kind = -1;
        return;
    }
    --c->flash_timer;
}

void CHR_Destroy() {
    LIST_NODE* n = Node();
    const int slot = n->slot;
    const int32_t index = n->index;
    const int mech = n->chr->mech;
    EFT_Create(0, n, n->x, n->y, n->height);
    for (int i = 0; i < 20; ++i) {
        const int32_t y = n->y + 64 - BTL_RandMod(129);
        const int32_t x = n->x + 64 - BTL_RandMod(129);
        EFT_Create(14, n, x, y, n->height);
    }
    BTL_SePlay(9, -1);
    SCR_Quake(-1, -1, 16);
    if (slot >= 0 && slot < CHR_SLOTS) CHR_DESTROYED[slot] = 1;
    BTL_NoteExplosion(slot);
    if (slot != 0) {
        int percent = 0;
        switch (BTL_KIND) {
            case 0: percent = 100; break;
            case 4:
            case 6:
            case 7: percent = 25; break;
            case 5: percent = 50; break;
            default: break;
        }
        if (percent) BTL_AddGaugePool(mech, percent);
    }
    HUD_PanelPreDelete();
    HUD_PanelDelete(slot);
    LIST_CURRENT.next = CHR_Delete(slot);
    for (LIST_NODE* o : CHR_TABLE) {
        if (!o || o->target != index) continue;
        CHR_SetTarget(o, 3, 0);
        CHR_EndWaza(o);
    }
    const LIST_NODE* player = CHR_TABLE[0];
    if (!player || player->target < 0) {
        BTL_EndCount = 1;
        SCR_Quake(5, 5, 20);
    }
}
