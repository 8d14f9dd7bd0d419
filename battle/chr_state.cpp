// Character states: the player's handlers and the shared stagger, air and down states; the pad
// check for dashes and the combo input.
#include "battle/chr_state.h"

#include <algorithm>

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_move.h"
#include "battle/cpu_think.h"
#include "battle/ecnt_enemy.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/svv_flow.h"
#include "battle/waza_exec.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "services/mth_math.h"
#include "services/sound/voice_bark.h"
#include "sprite/sp_draw.h"

int32_t CHR_PadDir = -1;
uint8_t CHR_ComboContinue = 0;

const CHR_STATE_FUNC CHR_STATE_TABLE[9] = {CHR_StateStand, CHR_StateWalk, CHR_StateDash, CHR_StateDash, CHR_StateDash,
                                           CHR_StateDash5, CHR_StateHit,  CHR_StateBlown, CHR_StateDown};

namespace {
constexpr uint16_t kLongDashButton = 0x80;
constexpr uint16_t kAttackButtons[3] = {0x10, 0x20, 0x40};
constexpr int kHitVoice = 3, kDownVoice = 1;  // battle voice events

LIST_NODE* Node() { return LIST_CURRENT.node; }
LIST_NODE* Target() {
    LIST_NODE* t = LIST_CURRENT.target;
    return t && t->in_use ? t : nullptr;
}
// Facing mode of the character's animations: the target every frame when there is one.
int TargetFacing() { return Target() ? 4 : 0; }

// The facing alone: the display object shows it once an animation is set (CHR_SetAnim).
void Face(LIST_NODE* n, int dir) {
    if (dir >= 0) n->dir = int8_t(dir);
}

void Dust(int spread, int life) { EFT_Scatter(11, spread, life, 3); }

// Heat falls only outside a technique; a refused change is no error.
void Cool(LIST_NODE* n, int by) { CHR_AddHeat(n, -by); }

void Recover(LIST_NODE* n) {
    if (n->chr->control == CHR_CPU) CPU_EndAction(n);
    else CHR_SetState(n, 0);
}

// A character the attackers no longer hold: those aiming at it and not in a technique phase end
// their technique ten frames later.
void ReleaseAttackers(const LIST_NODE* n) {
    for (LIST_NODE* o : CHR_TABLE)
        if (o && o != n && o->chr && o->target == n->index && o->chr->phase == 0) o->chr->combo_window = 10;
}

bool DashKeyRepeated(uint16_t held) {
    const uint16_t d = held & 0x0F;
    if (!d || (KEY_GetHistory(&KEY_DATA, 1) & 0x0F)) return false;
    for (int back = 2; back <= 4; ++back)
        if (const uint16_t h = KEY_GetHistory(&KEY_DATA, back) & 0x0F) return h == d;
    return false;
}

// The pose of the tumble for a height change, knock kind 0 and 1.
int TumblePose(int dz) {
    if (dz >= 9) return 0;
    if (dz >= 3) return 1;
    if (dz >= -2) return 2;
    if (dz >= -8) return 3;
    return 7;
}
int FallPose(int dz, int vspeed) {
    const int l = vspeed < 9 ? 1 : 2;
    if (dz > 4 * l) return 0;
    if (dz > l) return 1;
    if (dz >= -l) return 2;
    if (dz >= -4 * l) return 3;
    return 4;
}
void ShowPose(LIST_NODE* n, int pose) {
    n->anim = 2;
    SP_SetSeqStep(n->sprite, 2, pose);
}

int Rise(const LIST_NODE* n) {
    const int32_t a = n->chr->air_time;
    const int32_t fall = a * a;
    return std::clamp(n->vspeed + (-fall >> 3), -24, 24);  // floor(-a^2 / 8)
}
}  // namespace

int CHR_PadCheck() {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    if (c->state >= 6 || n->height > 0) return 0;
    const uint16_t held = KEY_DATA.held;
    if ((!c->waza_active || c->cancel_ok) && (held & kLongDashButton) && c->state != 5) {
        CHR_SetWazaPhase(n, 0);
        c->waza_speed = 0;
        if (LIST_NODE* t = Target()) MTH_GetDirVec(n->x, n->y, t->x, t->y, &c->pad_vec[0], &c->pad_vec[1]);
        else CHR_SetDirVelocity(n, n->dir, 65535);
        Face(n, MTH_GetVecDirIndex(45, c->pad_vec[0], c->pad_vec[1]));
        CHR_SetState(n, 5);
        return 1;
    }
    if (DashKeyRepeated(held)) {
        const int dir = CHR_KeyToDir(held & 0x0F);
        CHR_SetDirVelocity(n, dir, 65535);
        if (c->phase == 0) Face(n, dir);
        CHR_SetState(n, 2);
        return 1;
    }
    return 0;
}

int CHR_StateStand(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    if (c->state_step == 0 || c->state_step == 99) {
        c->move_speed = 0;
        c->slide_mask = c->phase ? 1 : 3;
        c->state_step = 1;
    } else if (c->state_step != 1) {
        Cool(n, 10);
        return 1;
    }
    if (c->phase == 0) CHR_SetAnim(n, 6, -1, TargetFacing(), 0, 1);
    if (CHR_FindOverlap(n) >= 0) {
        int32_t x16 = n->x16, y16 = n->y16;
        CHR_HitCheck_Chr(&x16, &y16, 0);
        LIST_SetX16(n, x16);
        LIST_SetY16(n, y16);
    }
    if (CHR_PadDir >= 0) {
        if (!Target()) Face(n, CHR_PadDir);
        CHR_SetState(n, 1);
    } else {
        Cool(n, 10);
    }
    return 1;
}

int CHR_StateWalk(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 7, -1, TargetFacing(), 1, 0);
        c->move_speed = c->walk_speed;
        c->state_counter = 0;
        c->slide_mask = c->phase ? 1 : 3;
        c->state_step = 1;
    } else if (c->state_step != 1) {
        Cool(n, 8);
        return 1;
    }
    if (CHR_PadDir < 0) {
        c->move_speed = 0;
        CHR_SetState(n, 0);
        return 1;
    }
    if (c->phase == 0 && !SP_IsPlaying(n->sprite)) {
        c->state_counter = int16_t((c->state_counter + 1) & 3);
        CHR_SetAnim(n, 7 + c->state_counter, -1, TargetFacing(), 1, 0);
        if (c->state_counter & 1) {  // a footfall
            BTL_SePlay(34, -1);
            SCR_Quake(-1, -1, 2);
            EFT_Scatter(11, 0, 0, 1);
        }
    }
    if (!Target()) Face(n, CHR_PadDir);
    if (c->state_counter & 1) {
        c->move_speed = 0;
    } else {
        CHR_SetDirVelocity(n, CHR_PadDir, 65535);
        c->move_speed = c->walk_speed;
    }
    Cool(n, 8);
    return 1;
}

int CHR_StateDash(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 11, -1, 4, 1, 0);
        c->move_speed = c->dash_speed;
        c->state_counter = 5;
        c->dash_phase = c->phase;
        c->slide_mask = 1;
        c->dashed = 1;
        c->state_step = 1;
        BTL_SePlay(13, -1);
    } else if (c->state_step == 1) {
        if (c->dash_phase != 0 && c->phase == 0) CHR_SetAnim(n, 12, -1, 0, 0, 1);
        c->dash_phase = c->phase;
        Dust(8, 4);
        if (CHR_PadDir >= 0) {
            // Turn the heading towards the pad by at most 30 degrees.
            const int32_t ax = n->x + int32_t((int64_t(c->pad_vec[0]) * 32) >> 16);
            const int32_t ay = n->y + int32_t((int64_t(c->pad_vec[1]) * 32) >> 16);
            const int heading = MTH_Atan2Deg(n->x, n->y, ax, ay);
            const int wanted = (CHR_PadDir * 45 + 90) % 360;
            if (heading == 182 && wanted == 180) {
                c->pad_vec[0] = -65535;
                c->pad_vec[1] = 0;
            } else {
                const int diff = wanted - heading;
                const int size = std::min(std::abs(diff), 30);
                const int turn = (std::abs(diff) < 181) == (diff > 0) ? size : -size;
                int32_t px, py;
                MTH_RotatePointFix(&px, &py, n->x, n->y, ax, ay, -turn);
                MTH_GetDirVec(n->x, n->y, px, py, &c->pad_vec[0], &c->pad_vec[1]);
            }
        }
        --c->state_counter;
        if (c->state_counter == 0) {
            if (c->phase == 0) CHR_SetAnim(n, 12, -1, 0, 0, 1);
            BTL_SeStop(13);
            BTL_SePlay(14, -1);
        } else if (c->state_counter < 0 && !BTL_SeIsPlaying(14)) {
            BTL_SePlay(14, -1);
        }
        if (CHR_PadDir < 0) {
            if (c->phase == 0) CHR_SetAnim(n, 13, -1, 0, 1, 0);
            c->move_speed = 5;
            c->state_step = 2;
            BTL_SeStop(14);
            BTL_SePlay(15, -1);
        }
        Cool(n, 5);
        if (c->phase == 0) CHR_TurnToTarget(n, Target());
    } else {
        if (c->move_speed < 1) {
            CHR_SetState(n, 0);
            return 1;
        }
        --c->move_speed;
        Cool(n, 10);
        if (c->phase == 0) CHR_TurnToTarget(n, Target());
    }
    return 1;
}

int CHR_StateDash5(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    auto cool = [&](int by) {
        if (!c->waza_active) Cool(n, by);
    };
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 11, -1, 0, 1, 0);
        c->move_speed = int16_t(2 * c->long_dash_speed);
        c->state_counter = c->long_dash_len;
        c->state_aux = int16_t(c->state_counter - 3);
        c->slide_mask = 1;
        c->dashed = 1;
        c->state_step = 1;
        for (int i = 0; i < 5; ++i) Dust(8, 16);
        BTL_SePlay(53, -1);
        return 1;
    }
    if (c->state_step == 1) {
        Dust(8, 4);
        EFT_Create(24, n, n->x, n->y + 8, n->height);
        if (c->state_counter > c->state_aux) c->move_speed = int16_t(c->move_speed - c->long_dash_speed / 3);
        if (c->state_counter == c->state_aux && c->phase == 0) CHR_SetAnim(n, 12, -1, 0, 0, 1);
        --c->state_counter;
        if (c->state_counter != 0 && (KEY_DATA.held & kLongDashButton)) {
            cool(4);
            return 1;
        }
        if (c->state_counter == 0) {
            if (c->phase == 0) CHR_SetAnim(n, 13, -1, 0, 1, 0);
            c->move_speed = 5;
            c->state_step = 2;
        } else {
            CHR_SetState(n, 0);
        }
        BTL_SePlay(15, -1);
        cool(4);
        return 1;
    }
    if (c->move_speed >= 1) --c->move_speed;
    else CHR_SetState(n, 0);
    cool(10);
    return 1;
}

int CHR_StateHit(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    if (c->state_step == 0) {
        CHR_SetAnim(n, 0, -1, 0, 1, 0);
        c->state_counter = 0;
        c->state_step = 1;
    } else if (c->state_step == 1 && c->state_counter >= c->stagger / 2) {
        CHR_SetAnim(n, 1, -1, 0, 1, 0);
        c->state_step = 2;
    }
    VOICE_PlayBark(c->mech, kHitVoice);
    Dust(8, 4);
    Cool(n, 6);
    if (c->state_counter < c->stagger) {
        ++c->state_counter;
        return 1;
    }
    Recover(n);
    n->down = 0;
    c->knock_speed = 0;
    c->armour = c->armour_max;
    ReleaseAttackers(n);
    return 1;
}

int CHR_StateBlown(int* gravity) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    const int dz = Rise(n);
    if (c->state_counter == 0) {
        ShowPose(n, 0);
    } else if (n->knock_kind == 0 && c->state_step == 0) {
        const int want = TumblePose(dz);
        c->state_aux = int16_t(c->state_aux + (want > c->state_aux) - (want < c->state_aux));
        ShowPose(n, c->state_aux);
        if (c->state_aux == 7 || (c->knock_speed < 8 && n->vspeed < 9 && c->state_aux >= 1)) {
            c->state_step = 1;
            CHR_SetAnim(n, 15, -1, 4, 1, 0);
        }
    } else if (n->knock_kind == 0) {
        CHR_SetAnim(n, 15, -1, 4, 0, 0);
    } else if (n->knock_kind == 1) {
        const int want = FallPose(dz, n->vspeed);
        c->state_aux = int16_t(c->state_aux + (want > c->state_aux) - (want < c->state_aux));
        ShowPose(n, c->state_aux);
    }
    VOICE_PlayBark(c->mech, kHitVoice);
    CHR_AddHeat(n, 1);
    if (n->height < 1 && c->state_counter != 0) {
        n->height = 0;
        if (n->knock_kind == 0) {
            n->vspeed = 0;
            n->down = 0;
            c->knock_speed = 0;
            c->armour = c->armour_max;
            BTL_SePlay(34, -1);
            Recover(n);
            ReleaseAttackers(n);
        } else if (n->knock_kind == 1) {
            n->vspeed = 0;
            n->down = 100;
            BTL_SePlay(16, -1);
            CHR_SetState(n, 8);
            SCR_Quake(-1, -1, 8);
        } else {
            ++c->state_counter;
        }
        return 1;
    }
    *gravity = 1;
    ++c->state_counter;
    return 1;
}

int CHR_StateDown(int*) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    c->knock_speed = int16_t(std::max(c->knock_speed - c->state_counter, 0));
    if (n->height == 0 && c->state_counter < 20 && c->knock_speed > 4) {
        Dust(8, 4);
        for (int i = 0; i < 2; ++i) {
            const int32_t x = n->x + 32 - BTL_RandMod(65);
            const int32_t y = n->y + 32 - BTL_RandMod(65);
            EFT_Create(15, n, x, y, n->height);
        }
    }
    Cool(n, 20);
    switch (c->state_counter) {
        case 0: EFT_Create(13, n, n->x, n->y + 1, n->height + 1); break;
        case 5: CHR_SetAnim(n, 4, -1, 0, 1, 0); break;
        case 9:
            if (c->levels < 0) {
                VOICE_PlayBark(c->mech, kDownVoice);
                mBSC_Event_Check(1, n->slot);
            }
            break;
        case 10:
            if (c->levels < 0) {
                if (BTL_KIND == 0) ECNT_SkipToNext();
                for (LIST_NODE* o : CHR_TABLE)
                    if (o && o != n && o->target == n->index) CHR_EndWaza(o);
            } else {
                CHR_SetAnim(n, 5, -1, 0, 1, 0);
            }
            ReleaseAttackers(n);
            break;
        case 18:
            if (c->levels < 0) break;
            if (!BTL_IsHudOff() && c->units == 0) return 1;  // stays down
            Recover(n);
            n->height = 0;
            n->vspeed = 0;
            n->knock_kind = 0;
            n->down = 0;
            c->knock_speed = 0;
            c->state_step = 99;
            c->armour = c->armour_max;
            c->state_counter = 0;
            c->flash_timer = 0;
            return 1;
        default: break;
    }
    ++c->state_counter;
    return 1;
}

int CHR_ComboInput(int queue) {
    LIST_NODE* n = Node();
    CHR_DATA* c = n->chr;
    LIST_NODE* t = Target();
    if (BTL_EndCount != 0 || !t) return 0;
    const uint16_t pressed = KEY_DATA.pressed;
    const int refuse = (pressed & 0x70) ? -1 : 0;
    if (c->state >= 6) return refuse;
    if (!c->waza_active ? c->heat != 0 : (!c->cancel_ok || c->heat >= CHR_HEAT_MAX)) return refuse;
    if (KEY_DATA.source == KEY_SOURCE_NONE) return 0;
    int column = -1;
    for (int i = 0; i < 3 && column < 0; ++i)
        if (pressed & kAttackButtons[i]) column = i;
    if (column < 0) return 0;
    const bool far = MTH_Dist2(n->x, n->y, t->x, t->y) > 10000;
    const bool dash_start = c->state == 5 || (c->state == 2 && c->state_step < 2);
    const int start = c->state == 5 ? 2 : (c->state == 2 && c->state_step < 2 ? 3 : (far ? 1 : 0));
    if (SVV_TestCond == 1 && (dash_start || far)) return -1;
    int row = start;
    while (row <= 3 && c->combo_cells[row * 3 + column]) ++row;
    if (row > 3) return -1;
    SYS_DebugLog("\x83R\x83\x93\x83{%d\x92i\x96\xda cnt:%d  f:%d" /* コンボ%d段目 cnt:%d  f:%d */, row, c->combo_hits,
                 c->waza_active);
    CHR_ComboContinue = row == start && !c->waza_active ? 0 : 1;
    const int base = CAMP_DATA.equip[row * 3 + column];
    const int weapon = base / 3;
    if (SVV_TestCond == 2 && SVV_KindFlag(weapon)) return -1;
    if (SVV_CountPick(weapon, far ? 1 : 0) == 1 && SVV_TestCond == 3) CHR_ComboContinue = 0;
    const CampWeapon* rec = base >= 0 ? CAMP_Weapon(weapon) : nullptr;
    const int level = rec ? rec->levelup_value : 0;  // the weapon's level
    const int variant = std::clamp(level + BTL_DebugWeaponLevel, 0, 2);
    const int tech = base + variant;
    const WAZA_DATA* w = WAZA_Get(c->mech, tech);
    if (n->height > 0 && w && !WAZA_View(w).air()) return -1;
    if (queue) c->queued = tech;
    else CHR_WazaStart(n, tech);
    c->combo_cells[row * 3 + column] = 1;
    HUD_ComboChartCell(1, row, column);
    return 1;
}
