// The battle object pool: allocation, release and the priority walk.
#include "battle/list_pool.h"

#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/map_data.h"
#include "battle/tama_obj.h"
#include "battle/wpn_fire.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "sprite/sp_object.h"

std::array<LIST_NODE*, LIST_MAX> LIST_DATA{};
LIST_STATE LIST_STATE_DATA;
LIST_CURRENT_DATA LIST_CURRENT;
uint32_t LIST_ACTOR_CHANGES = 0;

namespace {
template <class T>
T* AllocRecord() {
    return static_cast<T*>(plat::AllocZero(sizeof(T)));
}

// The zeroed record of the node's kind; true when the kind needs none or it was allocated.
bool AllocKindRecord(LIST_NODE* n) {
    switch (n->kind) {
        case LIST_KIND_CHR: return (n->chr = AllocRecord<CHR_DATA>()) != nullptr;
        case LIST_KIND_WP2: return (n->wp2 = AllocRecord<WP2_DATA>()) != nullptr;
        case LIST_KIND_TAMA: return (n->tama = AllocRecord<TAMA_OBJ>()) != nullptr;
        case LIST_KIND_EFT: return (n->eft = AllocRecord<EFT_DATA>()) != nullptr;
        case LIST_KIND_BGOBJ: return (n->bgobj = AllocRecord<BGOBJ_DATA>()) != nullptr;
        default: return true;
    }
}

void FreeKindRecords(LIST_NODE* n) {
    plat::Free(n->chr);
    plat::Free(n->wp2);
    plat::Free(n->tama);
    plat::Free(n->eft);
    plat::Free(n->bgobj);
    n->chr = nullptr;
    n->wp2 = nullptr;
    n->tama = nullptr;
    n->eft = nullptr;
    n->bgobj = nullptr;
}
}  // namespace

int LIST_Init() {
    LIST_Term();
    LIST_STATE& s = LIST_STATE_DATA;
    for (int i = 0; i < LIST_MAX; ++i) {
        auto* n = static_cast<LIST_NODE*>(plat::AllocZero(sizeof(LIST_NODE)));
        if (!n) return 0;
        n->index = int16_t(i);
        n->free_next = i + 1 < LIST_MAX ? i + 1 : -1;
        n->prev = n->next = -1;
        n->sprite = LIST_NO_SPRITE;
        LIST_DATA[i] = n;
        if (s.free_head < 0) s.free_head = i;
        s.free_tail = i;
    }
    SYS_DebugPrint("LIST_DATA \x82\xc9 %d Byte \x82\xcc\x83\x81\x83\x82\x83\x8a\x82\xf0\x8am\x95\xdb\x82\xb5\x82\xdc\x82\xb5\x82\xbd" /* LIST_DATA に %d Byte のメモリを確保しました */,
                   int(sizeof(LIST_NODE) * LIST_MAX));
    return 1;
}

void LIST_Term() {
    for (LIST_NODE*& n : LIST_DATA) {
        if (!n) continue;
        FreeKindRecords(n);
        plat::Free(n);
        n = nullptr;
    }
    LIST_STATE_DATA = LIST_STATE{};
    ++LIST_ACTOR_CHANGES;
    LIST_CURRENT.next = -1;
}

LIST_NODE* LIST_Node(int32_t index) { return index >= 0 && index < LIST_MAX ? LIST_DATA[index] : nullptr; }

LIST_NODE* LIST_Alloc(int kind) {
    LIST_STATE& s = LIST_STATE_DATA;
    LIST_NODE* n = LIST_Node(s.free_head);
    if (!n) return nullptr;
    const int32_t i = s.free_head;
    const int32_t free_next = n->free_next;
    // A reused node starts clean: nothing of its previous object, no owner, target or fire order.
    *n = LIST_NODE{};
    n->owner = n->target = -1;
    n->fire_order = LIST_NO_FIRE_ORDER;
    n->prev = s.tail;
    n->next = -1;
    if (LIST_NODE* t = LIST_Node(s.tail)) t->next = i;
    if (s.head < 0) s.head = i;
    s.tail = i;
    n->in_use = 1;
    n->index = int16_t(i);
    s.free_head = free_next;
    n->free_next = -1;
    if (s.free_head < 0) s.free_tail = -1;
    n->kind = uint8_t(kind);
    n->sprite = LIST_NO_SPRITE;
    ++s.listCnt;
    if (kind == LIST_KIND_CHR || kind == LIST_KIND_TAMA) ++LIST_ACTOR_CHANGES;
    if (!AllocKindRecord(n)) {
        LIST_Free(i);
        return nullptr;
    }
    return n;
}

int32_t LIST_Free(int32_t index) {
    LIST_STATE& s = LIST_STATE_DATA;
    LIST_NODE* n = LIST_Node(index);
    if (!n || !n->in_use) return -1;
    if (s.head == index) {
        s.head = n->next;
        if (LIST_NODE* h = LIST_Node(s.head)) h->prev = -1;
        else s.tail = -1;
    } else {
        if (LIST_NODE* p = LIST_Node(n->prev)) p->next = n->next;
        if (s.tail == index) s.tail = n->prev;
        else if (LIST_NODE* x = LIST_Node(n->next)) x->prev = n->prev;
    }
    const int32_t result = n->next;
    if (n->sprite >= 0) SP_Delete(n->sprite);
    n->sprite = LIST_NO_SPRITE;
    FreeKindRecords(n);
    n->in_use = 0;
    n->prev = n->next = -1;
    n->free_next = -1;
    if (LIST_NODE* t = LIST_Node(s.free_tail)) t->free_next = index;
    else s.free_head = index;
    s.free_tail = index;
    --s.listCnt;
    if (n->kind == LIST_KIND_CHR || n->kind == LIST_KIND_TAMA) ++LIST_ACTOR_CHANGES;
    return result;
}

void LIST_SetCurrent(LIST_NODE* node) {
    LIST_CURRENT.node = node;
    LIST_CURRENT.next = node ? node->next : -1;
    LIST_CURRENT.owner = node ? LIST_Node(node->owner) : nullptr;
    LIST_CURRENT.target = node ? LIST_Node(node->target) : nullptr;
}

void LIST_Walk(const LIST_UPDATE_TABLE& table) {
    for (int pri = LIST_PRIORITY_MAX; pri >= 0; --pri) {
        int32_t next = LIST_STATE_DATA.head;
        while (LIST_NODE* n = LIST_Node(next)) {
            if (n->priority != pri || n->kind >= LIST_KIND_COUNT || !table[n->kind]) {
                next = n->next;
                continue;
            }
            LIST_SetCurrent(n);
            table[n->kind]();
            next = LIST_CURRENT.next;
        }
    }
}
