// Effects: creation, the per-frame update through the kind tables, the common move, particles
// from a character's hit boxes and the ambient rain.
#include "battle/eft_effect.h"

#include <algorithm>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/tama_obj.h"
#include "battle/wpn_fire.h"
#include "services/fil_util.h"
#include "platform/random.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

#include "shell/msgbox.h"
#include "shell/mwnd_stack.h"

int32_t EFT_SET = -1;

namespace {
int32_t g_ambient = 0;

using EftInit = void (*)(LIST_NODE* n, LIST_NODE* parent);
using EftUpdate = int (*)(LIST_NODE* n);

SP_ANIM* Spr(const LIST_NODE* n) { return n ? SP_Anim(n->sprite) : nullptr; }

void Play(LIST_NODE* n, int seq, int loop) {
    if (seq >= 0 && seq < SPR_SEQUENCES) SP_PlaySeq(n->sprite, seq, loop, 1);
}
void AddFlags(LIST_NODE* n, uint32_t f) {
    if (SP_ANIM* a = Spr(n)) a->flags |= f;
}
void SetFlags(LIST_NODE* n, uint32_t f) {
    if (SP_ANIM* a = Spr(n)) a->flags = f;
}
void SetBlend(LIST_NODE* n, int b) {
    if (SP_ANIM* a = Spr(n)) a->blend = uint16_t(b);
}
void SetScale(LIST_NODE* n, int s) { SP_SetScale(n->sprite, s, s); }
int Wrap24(int d) { return ((d % 24) + 24) % 24; }

// The live node at index of the kind, or null.
LIST_NODE* Alive(int32_t index, int kind) {
    LIST_NODE* o = LIST_Node(index);
    return o && o->in_use && o->kind == kind ? o : nullptr;
}
LIST_NODE* Owner(const LIST_NODE* n) {
    LIST_NODE* o = LIST_Node(n->owner);
    return o && o->in_use ? o : nullptr;
}
// A bullet stops carrying its attachments once it has no speed left.
LIST_NODE* MovingBullet(const LIST_NODE* n) {
    LIST_NODE* b = Alive(n->owner, LIST_KIND_TAMA);
    return b && b->speed > 0 ? b : nullptr;
}
bool SlowFrozen() { return BTL_GetState(2) == BTL_STATE_SLOW && BTL_KIND != 9; }
POINT BoxCorner(const LIST_NODE* n, int box) {
    RECT r{};
    SP_GetHitBox(n->sprite, box, &r);
    return {n->x + r.left, n->y + r.top};
}
void SetPos16(LIST_NODE* n, int32_t x, int32_t y, int32_t h) {
    n->x = x, n->y = y, n->height = h;
    n->x16 = BTL_Fix16(x), n->y16 = BTL_Fix16(y), n->height16 = BTL_Fix16(h);
}
bool OutsideMap(const LIST_NODE* n) {
    const MapData& m = *MAP_Current();
    return n->x < 0 || n->y < 0 || n->x >= m.pixel_w || n->y >= m.pixel_h;
}

// ---- inits ----
void InitExplosion(LIST_NODE* n, LIST_NODE*) {
    Play(n, 47, 0);
    SetScale(n, 512);
    AddFlags(n, 0x8);
}
void InitSpark(LIST_NODE* n, LIST_NODE*) { Play(n, 62 + BTL_RandMod(3), 0); }
void InitHitMark(LIST_NODE* n, LIST_NODE*) { Play(n, 57 + n->eft->kind - 2, 0); }
void InitMark61(LIST_NODE* n, LIST_NODE*) { Play(n, 61, 0); }
void InitFlare(LIST_NODE* n, LIST_NODE*) {
    Play(n, 65, 0);
    if (SP_ANIM* a = Spr(n)) a->pattern_offset = uint8_t(BTL_RandMod(24));
    SetScale(n, BTL_RandMod(257) + 256);
    const int r = BTL_RandMod(3);
    if (r == 0) AddFlags(n, 0x800);
    if (r == 1) AddFlags(n, 0x400);
}
// Ground dust (8) and running dust (11): by the ground kind under the effect.
void InitGround(LIST_NODE* n, LIST_NODE* parent) {
    const bool dust = n->eft->kind == 11;
    const int g = MAP_GetExtra(n->x, n->y);
    if (g >= 255) return;  // no ground: it plays nothing and stays until the pool is cleared
    Play(n, (dust ? 92 : 70) + g, 0);
    if (dust) AddFlags(n, 0x400);
    n->speed = 0;
    if (g == 0) {
        if (parent) n->vx = parent->vx, n->vy = parent->vy;
        if (BTL_RandMod(2) == 0) {
            const int32_t x = n->x + 16 - BTL_RandMod(33);
            const int32_t y = n->y + 16 - BTL_RandMod(33);
            EFT_Create(15, n, x, y, n->height);
        }
        if (!dust) BTL_SePlay(36, -1);
    } else if (g == 1) {
        BTL_SePlay(57, -1);
    } else if (g == 2) {
        BTL_SePlay(58 + (plat::Rand() & 1), -1);
    }
}
void InitGlow(LIST_NODE* n, LIST_NODE*) { Play(n, 82, 1); }
void InitCrackle(LIST_NODE* n, LIST_NODE* parent) {
    Play(n, 87, 1);
    int dir;
    if (parent) {
        const SP_ANIM* pa = Spr(parent);
        dir = (pa ? pa->pattern_offset : 0) + 2 - BTL_RandMod(5);
    } else {
        dir = BTL_RandMod(24);
    }
    if (SP_ANIM* a = Spr(n)) a->pattern_offset = uint8_t(Wrap24(dir));
}
void InitTrail(LIST_NODE* n, LIST_NODE* parent) {
    Play(n, 97, 1);
    if (parent) {
        const POINT p = BoxCorner(parent, 15);
        n->dir = int8_t(MTH_GetDirIndex(9, n->x, n->y - n->height, p.x, p.y - parent->height));
        if (SP_ANIM* a = Spr(n)) a->pattern_offset = uint8_t(n->dir);
    }
    AddFlags(n, 0x40);
    SetBlend(n, 16);
    n->eft->variant = 16;
    n->eft->age = 0;
}
void InitImpact(LIST_NODE* n, LIST_NODE*) { Play(n, 98, 0); }
void InitFragment(LIST_NODE* n, LIST_NODE*) {
    EFT_DATA* e = n->eft;
    e->variant = uint8_t(BTL_RandMod(5));
    Play(n, 99 + e->variant, 1);
    e->vspeed = int16_t(BTL_RandMod(15) + 1);
    e->age = 0;
    n->speed = int16_t(BTL_RandMod(48) + 1);
    auto component = [] {
        const int32_t v = BTL_RandMod(65535);
        return (plat::Rand() & 1) ? -v : v;
    };
    n->vx = component();
    n->vy = component();
    n->ground_flag = 1;
    SetScale(n, BTL_RandMod(65) + 128);
}
void InitClod(LIST_NODE* n, LIST_NODE* parent) {
    EFT_DATA* e = n->eft;
    Play(n, 104 + BTL_RandMod(3), 0);
    if (SP_ANIM* a = Spr(n)) a->running = 0;
    e->vspeed = int16_t((plat::Rand() & 7) + 1);
    e->age = 0;
    n->speed = int16_t((plat::Rand() & 15) + 1);
    if (parent) n->vx = -parent->vx, n->vy = -parent->vy;
    n->ground_flag = 1;
    SetScale(n, BTL_RandMod(129) + 192);
}
void InitBurst(LIST_NODE* n, LIST_NODE*) {
    Play(n, n->eft->kind == 16 ? 107 : 108, 0);
    EFT_Create(18, n, n->x, n->y, n->height);
}
void InitSmoke(LIST_NODE* n, LIST_NODE*) {
    EFT_DATA* e = n->eft;
    Play(n, 109, 1);
    if (SP_ANIM* a = Spr(n)) a->pattern_offset = 6;
    e->counter = 0;
    e->variant = uint8_t(BTL_RandMod(10) + 1);
    e->age_limit = int16_t(BTL_RandMod(15) + 3);
}
void InitExhaust(LIST_NODE* n, LIST_NODE* parent) {
    Play(n, 111, 1);
    const SP_ANIM* pa = Spr(parent);
    if (SP_ANIM* a = Spr(n)) a->pattern_offset = pa ? pa->pattern_offset : 0;
    AddFlags(n, 0x400);
}
void InitFlame(LIST_NODE* n, LIST_NODE*) {
    Play(n, 110, 1);
    AddFlags(n, 0x400);
}
void InitBeamLink(LIST_NODE* n, LIST_NODE*) { Play(n, 112, 1); }
void InitOnce115(LIST_NODE* n, LIST_NODE*) { Play(n, 115, 0); }
void InitOnce116(LIST_NODE* n, LIST_NODE*) { Play(n, 116, 0); }
void InitAfterImage(LIST_NODE* n, LIST_NODE* parent) {
    if (const SP_ANIM* pa = Spr(parent)) SP_SetScale(n->sprite, pa->scale_x, pa->scale_y);
    SetFlags(n, 0x40);
    SetBlend(n, 30);
}
void InitRain(LIST_NODE* n, LIST_NODE*) {
    EFT_DATA* e = n->eft;
    Play(n, 118 + BTL_RandMod(3), 1);
    SP_SetGroundClip(n->sprite, 1);
    SetFlags(n, 0x80);
    SetBlend(n, (plat::Rand() & 15) + 8);
    n->ground_flag = 0;
    e->counter = 0;
    e->fall = BTL_RandMod(129) + 64;
}
void InitSplash(LIST_NODE* n, LIST_NODE*) {
    EFT_DATA* e = n->eft;
    Play(n, 121 + BTL_RandMod(3), 1);
    SetFlags(n, 0x80);
    SetBlend(n, (plat::Rand() & 31) + 32);
    n->ground_flag = 0;
    e->counter = 0;
    n->speed = int16_t((plat::Rand() & 7) + 1);
    MTH_AngleToVec(BTL_RandMod(120) + 120, &n->vx, &n->vy);
}

// ---- updates (negative: delete) ----
int UpdateMove(LIST_NODE* n) { return EFT_Move(n); }
int UpdateNone(LIST_NODE*) { return 0; }
int UpdateSpark(LIST_NODE* n) {
    if (--n->speed < 0) return -1;
    return EFT_Move(n);
}
// A hit mark sends out one spark.
int UpdateHitMark(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    if (e->counter == 0 && BTL_RandMod(3) == 0) {
        const int angle = BTL_RandMod(360);
        const int32_t px = n->x + MTH_CosMulDeg(32, uint32_t(angle));
        const int32_t py = n->y + MTH_SinMulDeg(32, uint32_t(angle));
        const int32_t id = EFT_Create(1, n, px, py, n->height);
        LIST_NODE* s = LIST_Node(id);
        e->counter = 1;
        if (s) {
            const int first = plat::Rand() & 7;
            s->speed = int16_t(first ? (plat::Rand() & 7) + 6 : BTL_RandMod(10) + 10);
            MTH_GetDirVec(n->x, n->y, px, py, &s->vx, &s->vy);
            SetScale(s, BTL_RandMod(65) + (e->kind == 5 ? 192 : (e->kind - 2) * 32 + 64));
        }
    }
    return EFT_Move(n);
}
int UpdateGlow(LIST_NODE* n) {
    LIST_NODE* o = Owner(n);
    if (!o) return -1;
    SetPos16(n, o->x, o->y + 16, o->height + 32);
    AddFlags(n, 0x400);
    SP_ANIM* a = Spr(n);
    const bool flashing = o->chr && (o->chr->flash_kind == 0 || o->chr->flash_kind == 1);
    if (a && a->step != 0 && !flashing && a->seq != 83) Play(n, 83, 0);
    return 0;
}
int UpdateCrackle(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    if (n->owner >= 0) {
        LIST_NODE* o = Owner(n);
        if (!o) return -1;
        const POINT p = BoxCorner(o, 8);
        SetPos16(n, p.x, p.y, n->height);
    }
    const POINT p = BoxCorner(n, 8);
    EFT_Create(10, n, p.x, p.y, n->height);
    ++e->counter;
    if (BTL_RandMod(3) == 0 || e->counter > 7) return -1;
    if (BTL_RandMod(3) == 0) BTL_SePlay(19, -1);
    return 0;
}
int UpdateTrail(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    LIST_NODE* b = MovingBullet(n);
    if (!b) return -1;
    if (SlowFrozen()) return 0;
    const POINT p = BoxCorner(n, 8);
    if (!e->successor && MTH_Dist2(p.x, p.y, b->x, b->y) > 1296) {
        if (LIST_NODE* s = LIST_Node(EFT_Create(12, b, p.x, p.y, n->height))) {
            SetBlend(s, std::min(e->variant + 2, 30));
            s->eft->variant = e->variant;
        }
        e->successor = 1;
    }
    SP_ANIM* a = Spr(n);
    if (!a) return 0;
    const int blend = a->blend - 2;
    if (blend > 2) {
        a->blend = uint16_t(blend);
        return 0;
    }
    a->blend = 0;
    return e->successor ? -1 : 0;
}
// Height and bounce of the ballistic kinds; false when it left the map.
bool Ballistic(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    n->height += e->vspeed - e->age * e->age / 8;
    ++e->age;
    EFT_Move(n);
    return !OutsideMap(n);
}
void BounceOffWalls(LIST_NODE* n) {
    if (MAP_CheckRect(n, MAP_WALL)) n->vx = -n->vx, n->vy = -n->vy;
}
int UpdateFragment(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    if (!Ballistic(n)) return -1;
    if (n->height < 1) {
        n->height = 0;
        e->age = 0;
        const int g = MAP_GetExtra(n->x, n->y);
        if (g >= 255) return -1;
        if (g == 0) {
            BTL_SePlay(e->variant == 3 ? 44 : 45, -1);
            n->speed /= 2;
            e->vspeed /= 2;
        } else if (g == 1 || g == 2) {
            EFT_Create(8, n, n->x, n->y, 0);
            n->speed /= 4;
            e->vspeed /= 4;
        }
        if (e->vspeed < 2) return -1;
    }
    BounceOffWalls(n);
    return 0;
}
int UpdateClod(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    if (!Ballistic(n)) return -1;
    if (n->height < 1) {
        n->height = 0;
        n->speed /= 2;
        e->vspeed /= 4;
        e->age = 0;
        if (e->vspeed <= 1 || BTL_RandMod(3) == 0)
            if (SP_ANIM* a = Spr(n)) a->running = 1;
    }
    BounceOffWalls(n);
    return 0;
}
int UpdateSmoke(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    EFT_Move(n);
    if (n->speed > 0) --n->speed;
    n->height -= 8;
    if (n->height <= 0) {
        n->height = 1;
        if (SP_ANIM* a = Spr(n)) a->pattern_offset = uint8_t(Wrap24(a->pattern_offset + 1 - BTL_RandMod(3)));
        if (e->counter == 0) n->speed = e->variant;
        ++e->counter;
        if (e->counter > e->age_limit) return -1;
    }
    return 0;
}
int UpdateExhaust(LIST_NODE* n) {
    LIST_NODE* b = MovingBullet(n);
    if (!b) return -1;
    const SP_ANIM* ba = Spr(b);
    if (SP_ANIM* a = Spr(n); a && ba) {
        SP_SetScale(n->sprite, ba->scale_x, ba->scale_y);
        a->pattern_offset = ba->pattern_offset;
    }
    const POINT p = BoxCorner(b, 15);
    SetPos16(n, p.x, p.y, b->height);
    return 0;
}
// The bullet a beam link follows: the first of the order's chain, or the last live one; a slot
// counts only while it holds a segment of this order at its own place.
LIST_NODE* LinkedBullet(const LIST_NODE* order, int counter, int* slot) {
    if (counter == 0) {
        *slot = 0;
        return WPN_SlotBullet(order, 0);
    }
    for (int s = WPN_BULLET_SLOTS - 1; s >= 0; --s)
        if (LIST_NODE* b = WPN_SlotBullet(order, s)) {
            *slot = s;
            return b;
        }
    return nullptr;
}
int UpdateBeamLink(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    LIST_NODE* o = Alive(n->owner, LIST_KIND_WP2);
    if (!o || !o->wp2) return -1;
    const WP2_DATA* w = o->wp2;
    SP_ANIM* a = Spr(n);
    int slot = 0;
    LIST_NODE* b = LinkedBullet(o, e->counter, &slot);
    if (!b) {
        if (a) a->visible = 0;
        return 0;
    }
    if (a) a->visible = 1;
    const SP_ANIM* ba = Spr(b);
    if (!ba) return -1;
    if (e->variant >= 1 && e->variant <= 3) {
        if (w->loops > 0) {
            if (e->counter == 0) Play(n, 111 + e->variant, 1);
            else if (n->speed == 0) Play(n, 115, 1);
            n->speed = int16_t(w->loops);
            SP_SetScale(n->sprite, 2 * ba->scale_x, 2 * ba->scale_y);
        }
    } else if (e->variant == 4) {
        Play(n, 18, 1);
    } else if (e->variant == 5) {
        Play(n, 17, 1);
    }
    if (e->counter != 0) {
        const POINT p = BoxCorner(b, 8);
        int32_t y = p.y, h = b->height;
        if (slot > 0) {
            const LIST_NODE* bo = LIST_Node(b->owner);
            const int32_t diff = bo ? bo->y - b->y : 0;
            const int32_t d = diff > 0 ? diff + 1 : 0;
            y += d;
            h = (bo ? bo->height : 0) + d;
        }
        SetPos16(n, p.x, y, h);
    } else {
        RECT box{};
        const LIST_NODE* shooter = CHR_Get(o->slot);
        if (shooter) SP_GetHitBox(shooter->sprite, 6, &box);
        const int32_t lift = box.bottom - box.top;
        SetPos16(n, b->x, b->y + lift, b->height + lift);
    }
    const uint8_t* phase = b->tama ? TAMA_PhaseBytes(b->tama) : nullptr;
    if (phase && (phase[TAMA_PHASE_FLAGS] & 0x40)) EFT_Create(24, b, b->x, b->y, b->height);
    return 0;
}
int UpdateAfterImage(LIST_NODE* n) {
    SP_ANIM* a = Spr(n);
    if (a) a->running = 1;
    if (SlowFrozen()) return 0;
    if (!a) return -1;
    const int blend = a->blend - 6;
    if (blend < 0) return -1;
    a->blend = uint16_t(blend);
    return 0;
}
int UpdateRain(LIST_NODE* n) {
    EFT_DATA* e = n->eft;
    if (SlowFrozen()) return 0;
    n->height -= e->fall;
    if (n->height < 1 && e->counter == 0) {
        e->counter = 1;
        EFT_Create(26, nullptr, n->x, n->y, 0);
    }
    return n->height < -540 ? -1 : 0;
}
int UpdateSplash(LIST_NODE* n) {
    if (SlowFrozen()) return 0;
    EFT_Move(n);
    return ++n->eft->counter >= 4 ? -1 : 0;
}

struct EftKind {
    EftInit init;
    EftUpdate update;
};
constexpr EftKind kKinds[EFT_KINDS] = {
    {InitExplosion, UpdateMove},   {InitSpark, UpdateSpark},       {InitHitMark, UpdateHitMark},
    {InitHitMark, UpdateHitMark},  {InitHitMark, UpdateHitMark},   {InitHitMark, UpdateHitMark},
    {InitMark61, UpdateNone},      {InitFlare, UpdateMove},        {InitGround, UpdateMove},
    {InitGlow, UpdateGlow},        {InitCrackle, UpdateCrackle},   {InitGround, UpdateMove},
    {InitTrail, UpdateTrail},      {InitImpact, UpdateMove},       {InitFragment, UpdateFragment},
    {InitClod, UpdateClod},        {InitBurst, UpdateMove},        {InitBurst, UpdateMove},
    {InitSmoke, UpdateSmoke},      {InitExhaust, UpdateExhaust},   {InitFlame, UpdateMove},
    {InitBeamLink, UpdateBeamLink}, {InitOnce115, UpdateMove},     {InitOnce116, UpdateMove},
    {InitAfterImage, UpdateAfterImage}, {InitRain, UpdateRain},    {InitSplash, UpdateSplash},
};
}  // namespace

int EFT_Load() {
    EFT_Release();
    const int set = SPR_FindFreeSet();
    if (set < 0 || !SPR_Load(set, FIL_MakePath("Bmp\\Effect\\Effect.spr"), 0)) return 0;
    EFT_SET = set;
    return 1;
}

void EFT_Release() {
    if (EFT_SET >= 0) SPR_FreeSet(EFT_SET);
    EFT_SET = -1;
}

int32_t EFT_Create(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t height) {
    if (kind < 0 || kind >= EFT_KINDS) return -1;
    const int id = SP_FindFree();
    if (id < 0) return -1;
    const SP_ANIM* pa = kind == 24 ? Spr(parent) : nullptr;
    const bool made = pa ? SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, y, pa->set, pa->pattern + pa->pattern_offset)
                         : SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, y, EFT_SET, 0);
    if (!made) return -1;
    LIST_NODE* n = LIST_Alloc(LIST_KIND_EFT);
    if (!n) {
        SP_Delete(id);
        return -1;
    }
    n->team = parent ? parent->team : int8_t(-1);
    n->speed = 0;
    n->priority = 4;
    n->ground_flag = 0;
    n->owner = parent ? parent->index : int16_t(-999);
    n->target = parent ? parent->target : int16_t(-999);
    n->eft->kind = int16_t(kind);
    ++LIST_STATE_DATA.eftCnt;
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    LIST_SetPos(n, x, y, height);
    if (SP_OBJ* o = SP_Get(id)) o->lift = int16_t(height);
    kKinds[kind].init(n, parent);
    return n->index;
}

int EFT_Update() {
    LIST_NODE* n = LIST_CURRENT.node;
    const EFT_DATA* e = n->eft;
    if (e->kill || e->kind < 0 || e->kind >= EFT_KINDS || kKinds[e->kind].update(n) < 0) {
        LIST_CURRENT.next = EFT_Delete(n);
        return 1;
    }
    LIST_CURRENT.next = n->next;
    return 1;
}

int32_t EFT_Delete(LIST_NODE* node) {
    if (!node) return -1;
    --LIST_STATE_DATA.eftCnt;
    return LIST_Free(node->index);
}

int EFT_Move(LIST_NODE* n) {
    n->x16 = BTL_Fix16Add(n->x16, int64_t(n->vx) * n->speed);
    n->y16 = BTL_Fix16Add(n->y16, int64_t(n->vy) * n->speed);
    n->x = n->x16 >> 16;
    n->y = n->y16 >> 16;
    return 0;
}

int EFT_Scatter(int kind, int spread, int life, int mode) {
    if (kind < 0 || mode < 1 || mode > 3) return 0;
    LIST_NODE* cur = LIST_CURRENT.node;
    if (!cur) return 1;
    const MapData& m = *MAP_Current();
    const int32_t ox = m.scroll_x - m.origin_x, oy = m.scroll_y - m.origin_y;
    const int32_t ax = cur->chr ? cur->chr->aim[0] : 0, ay = cur->chr ? cur->chr->aim[1] : 0;
    for (int box : {14, 15}) {
        if ((box == 14 && mode == 2) || (box == 15 && mode == 1)) continue;
        RECT r;
        if (!SP_GetHitBoxScreen(cur->sprite, box, &r) || r.right <= r.left || r.bottom <= r.top) continue;
        const int32_t x = r.left + ox + spread - BTL_RandMod(2 * spread + 2);
        const int32_t y = r.top + oy + spread - BTL_RandMod(2 * spread + 2);
        if (x < 0 || y < 0 || x >= m.pixel_w || y >= m.pixel_h) continue;
        LIST_NODE* e = LIST_Node(EFT_Create(kind, cur, x, y, 0));
        if (!e) continue;
        e->vx = -ax + (2000 - BTL_RandMod(4001)) * 16;
        e->vy = -ay + (2000 - BTL_RandMod(4001)) * 16;
        e->speed = int16_t(life / 2 + BTL_RandMod(life / 2 + 1));
    }
    return 1;
}

void EFT_SetAmbientCount(int32_t n) { g_ambient = n; }
void EFT_GetAmbientCount(int32_t* n) {
    if (n) *n = g_ambient;
}

int EFT_SpawnAmbient() {
    if (BTL_KIND == 0 && BTL_GetState(2) != BTL_STATE_FIGHT) return BTL_GetState(2);
    if (MWND_IsBusy() || MSGBOX_IsOpen(MSGBOX_KIND_QUIT)) return 1;
    for (int32_t i = 0; i < g_ambient; ++i) {
        const int32_t x = CAMERA_DATA.scroll_x + 320 - BTL_RandMod(641);
        const int32_t y = CAMERA_DATA.scroll_y + 480 - BTL_RandMod(721);
        const int32_t h = (y - CAMERA_DATA.scroll_y) + (plat::Rand() & 63) + 240;
        EFT_Create(25, nullptr, x, y, h);
    }
    return 0;
}
