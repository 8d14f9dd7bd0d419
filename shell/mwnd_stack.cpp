// The menu-window stack: window scenes with their captured covers and fades, the 16 window slots
// and their node chains, and the per-frame run of every window's handler.
//
// Handlers run inside creation, destruction, notifications and the run, and may create windows,
// stack children or end the manager meanwhile. So no node pointer is trusted across a handler
// call: a node is found again by its serial, chains are re-read level by level, and a node being
// destroyed is unlinked before anything is told.
#include "shell/mwnd_stack.h"

#include <array>
#include <vector>

#include "battle/btl_frame.h"
#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "display/ras_raster.h"
#include "services/mou_cursor.h"
#include "shell/mwnd_balloon.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"

MWND_SLOT MWND_SLOT_TABLE[MWND_SLOTS];
MWND_MANAGER MWND_DATA{MWND_PHASE_OFF, 1, {}, -1, -1, -1};

namespace {
constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kCoverLevel = 96;   // the captured screen behind a root window
constexpr int kParentLevel = 192; // parent windows pasted into a child's cover

uint64_t g_serial = 0;

// Visibility and running bytes kept while a window scene hides the owner's objects; -1 = none.
struct KeptSprites {
    std::array<int16_t, SP_OBJECTS> visible;
    std::array<int16_t, SP_OBJECTS> running;
    int32_t held = 0;
    KeptSprites() {
        visible.fill(-1);
        running.fill(-1);
    }
};
KeptSprites g_kept;

// Window names are ASCII; a Shift-JIS trail byte is compared as it is.
bool SameName(const char* a, const char* b) {
    if (!a || !b) return false;
    bool trail = false;
    for (;; ++a, ++b) {
        auto x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (!trail) {
            if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
            if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        }
        if (x != y) return false;
        if (x == 0) return true;
        trail = !trail && x >= 0x80 && (x < 0xA0 || x > 0xDF);
    }
}

void CopyName(char* dst, const char* src) {
    int i = 0;
    for (; src && src[i] && i < MWND_NAME_SIZE - 1; ++i) dst[i] = src[i];
    dst[i] = 0;
}

// A name as it is stored: cut at 31 characters, so that a longer one finds its window.
struct StoredName {
    char text[MWND_NAME_SIZE];
    explicit StoredName(const char* name) { CopyName(text, name); }
};

int FindSlot(const char* name) {
    if (!name) return -1;
    const StoredName key(name);
    for (int i = 0; i < MWND_SLOTS; ++i)
        if (MWND_SLOT_TABLE[i].used && SameName(MWND_SLOT_TABLE[i].name, key.text)) return i;
    return -1;
}

// The node `level` steps above the root of slot i, or null.
MWND_NODE* NodeAt(int i, int level) {
    if (i < 0 || !MWND_SLOT_TABLE[i].used) return nullptr;
    MWND_NODE* n = MWND_SLOT_TABLE[i].root;
    for (; n && level > 0; --level) n = n->child;
    return n;
}

MWND_NODE* FindNode(const char* name) {
    if (!name) return nullptr;
    const StoredName key(name);
    for (int i = 0; i < MWND_SLOTS; ++i)
        for (MWND_NODE* n = NodeAt(i, 0); n; n = n->child)
            if (SameName(n->name, key.text)) return n;
    return nullptr;
}

// The linked node with that serial; null once it has been destroyed or unlinked.
MWND_NODE* Live(uint64_t serial) {
    for (int i = 0; i < MWND_SLOTS; ++i)
        for (MWND_NODE* n = NodeAt(i, 0); n; n = n->child)
            if (n->serial == serial) return n;
    return nullptr;
}

DDSurface* Surface(int32_t image) { return IMG_Surface(image); }

void Darken(int32_t image, int level, uint32_t key) {
    RAS_FillRectAlphaKey(Surface(image), 0, 0, kScreenW, kScreenH, 0, level, key);
}

// Draws every visible display object, or the current scene, into an image.
void DrawInto(int32_t image, void (*draw)()) {
    if (!Surface(image)) return;
    SP_SetRenderTarget(&IMG_TABLE[image].surface);
    draw();
    SP_SetRenderTarget(&DD_DISPLAY.back);
}

void DrawAll() { SP_Draw(-1); }

// A notification never changes the state: it is kept here, not only in the node, since the
// handler may cause a nested notification of the same node.
void Notify(MWND_NODE* n, int32_t code) {
    if (!n) return;
    const int32_t saved = n->state;
    const uint64_t serial = n->serial;
    n->saved_state = saved;
    n->state = code;
    if (n->handler) n->handler(code, 0);
    if (MWND_NODE* again = Live(serial)) again->state = saved;
}

void SetActiveNode(MWND_NODE* n, int32_t active) {
    n->active = active;
    Notify(n, active ? MWND_ACTIVATED : MWND_DEACTIVATED);
}

// Tells every node of the parent chain, from the parent downwards, the notification.
void NotifyParents(MWND_NODE* parent, int32_t code) {
    std::vector<uint64_t> serials;
    for (MWND_NODE* p = parent; p; p = p->parent) serials.push_back(p->serial);
    for (uint64_t s : serials) Notify(Live(s), code);
}

// The captured screen behind a window scene: steps shared by the start and the end of a scene.
void CaptureScene() {
    const int cursor = MOUSE_IsCursorShown();
    MOUSE_ShowCursor(0);
    BLT_FillRect(Surface(MWND_DATA.cover_image), nullptr, 0);
    DrawInto(MWND_DATA.cover_image, BTL_DrawScene);
    MWND_SaveSprites();
    MOUSE_ShowCursor(cursor);
    SP_SetVisible(MWND_DATA.cover_sprite, 1);
}

// A node's cover: the earlier cover with the parent windows pasted in darkened (a root: the
// captured screen darkened). 0 when the node went during a handler call.
int MakeCover(MWND_NODE* node) {
    const uint64_t serial = node->serial;
    MWND_NODE* parent = node->parent;
    if (parent) {
        SP_SetVisible(parent->cover_sprite, 0);
        node->notify = parent;
    } else {
        SP_SetVisible(MWND_DATA.cover_sprite, 0);
    }
    const int cursor = MOUSE_IsCursorShown();
    MOUSE_ShowCursor(0);
    const uint32_t key = DD_RGB(255, 0, 255);
    const int32_t a = IMG_Create(kScreenW, kScreenH, 0);
    const int32_t b = IMG_Create(kScreenW, kScreenH, 0);
    BLT_FillRect(Surface(a), nullptr, 0);
    BLT_FillRect(Surface(b), nullptr, key);

    NotifyParents(parent, MWND_ACTIVATED);
    // A: where the windows stand; B: the windows over the screen beneath them, key elsewhere.
    auto draw_without_parent_cover = [&](int32_t image) {
        MWND_NODE* n = Live(serial);
        const int32_t hidden = n && n->parent ? n->parent->cover_sprite : -1;
        SP_SetVisible(hidden, 0);
        DrawInto(image, DrawAll);
    };
    draw_without_parent_cover(a);
    RAS_MaskCopy(Surface(b), Surface(MWND_DATA.cover_image), Surface(a), 0);
    draw_without_parent_cover(b);
    NotifyParents(Live(serial) ? Live(serial)->parent : nullptr, MWND_DEACTIVATED);
    RAS_FillRectAlphaKey(Surface(b), 0, 0, kScreenW, kScreenH, 0, kParentLevel, key);
    MOUSE_ShowCursor(cursor);

    node = Live(serial);
    if (node) {
        parent = node->parent;
        node->cover_image = IMG_Create(kScreenW, kScreenH, 0);
        node->cover_sprite = MWND_CreateStill(node->cover_image, MWND_COVER_PRIORITY, SP_OPAQUE);
        const int32_t previous = parent ? parent->cover_image : MWND_DATA.cover_image;
        BLT_Blt(Surface(node->cover_image), 0, 0, Surface(previous), nullptr, 0);
        if (!parent) Darken(node->cover_image, kCoverLevel, 0);
        DD_SetColorKey(Surface(b), key);
        BLT_Blt(Surface(node->cover_image), 0, 0, Surface(b), nullptr, 1);
    }
    IMG_Free(a);
    IMG_Free(b);
    if (!node) return 0;
    Notify(parent, MWND_DEACTIVATED);
    SP_SetRenderTarget(&DD_DISPLAY.back);
    node = Live(serial);
    if (node) SP_SetVisible(node->cover_sprite, 1);
    return node != nullptr;
}

// Links a new node on top of slot i (on `below`, or as the root) and builds it. The node is the
// slot's top from the start, so whatever a handler stacks meanwhile lands on it. The node, or
// null when it went during a handler call.
MWND_NODE* CreateNode(int i, MWND_NODE* below, const char* name, MWND_HANDLER handler) {
    MWND_SLOT& slot = MWND_SLOT_TABLE[i];
    auto* node = new MWND_NODE{};
    node->serial = ++g_serial;
    node->state = MWND_CREATED;
    node->active = 1;
    node->handler = handler;
    node->cover_sprite = node->cover_image = -1;
    node->parent = below;
    (below ? below->child : slot.root) = node;
    slot.top = node;
    node->depth = MWND_ROOT_DEPTH;
    for (MWND_NODE* p = below; p; p = p->parent) node->depth -= 2;
    const uint64_t serial = node->serial;

    Notify(below, MWND_COVERED);
    if (!Live(serial) || !MakeCover(Live(serial))) return nullptr;
    node = Live(serial);
    CopyName(node->name, name);
    node->state = MWND_BUILD;
    const int32_t first = handler ? handler(MWND_BUILD, 0) : MWND_BUILD;
    node = Live(serial);
    if (node) node->state = first;
    return node;
}

// Frees a node that is no longer linked, and everything above it. A node being destroyed is
// not told anything, so only the first node's parent hears -7.
void DestroyUnlinked(MWND_NODE* n) {
    if (n->notify) {
        if (MWND_NODE* to = Live(n->notify->serial)) {
            SP_SetVisible(to->cover_sprite, 1);
            Notify(to, MWND_ACTIVATED);
        }
    }
    n->cover_sprite = SP_Free(n->cover_sprite);
    n->cover_image = IMG_Free(n->cover_image);
    MWND_NODE* child = n->child;
    n->child = nullptr;
    if (child) DestroyUnlinked(child);
    delete n;
}

void Destroy(int i, MWND_NODE* n) {
    MWND_SLOT& slot = MWND_SLOT_TABLE[i];
    if (n->parent)
        n->parent->child = nullptr;
    else
        slot.root = nullptr;
    slot.top = n->parent;
    DestroyUnlinked(n);
}

// After a node went: a new top that is inactive is activated; after -5 it is told -12 as well.
void AfterRemoval(int i, bool focus_back) {
    MWND_NODE* top = MWND_SLOT_TABLE[i].top;
    if (!top) return;
    const uint64_t serial = top->serial;
    if (!top->active) SetActiveNode(top, 1);
    if (focus_back) Notify(Live(serial), MWND_FOCUS_BACK);
}

void RunNode(int i, MWND_NODE* n) {
    const uint64_t serial = n->serial;
    if (n->state >= 0 && n->handler) {
        if (!n->active && n->state == 0 && MWND_SLOT_TABLE[i].top) {
            SetActiveNode(MWND_SLOT_TABLE[i].top, 1);
            if (!(n = Live(serial))) return;
        }
        if (!n->active) return;
        const int32_t flags = n == MWND_SLOT_TABLE[i].top ? MWND_FLAG_FOCUS : 0;
        const int32_t answer = n->handler(n->state, flags);
        if (!(n = Live(serial))) return;
        if (answer == MWND_DESTROY) {
            Destroy(i, n);
            AfterRemoval(i, true);
        } else if (answer == MWND_CLOSE) {
            if (n->parent) {
                n->parent->state = MWND_CLOSE_REQUEST;
            } else {
                Destroy(i, n);
                AfterRemoval(i, false);
            }
        } else {
            n->state = answer;
        }
    } else if (n->state == MWND_CLOSE_REQUEST && n->handler) {
        const int32_t answer = n->handler(MWND_CLOSE_REQUEST, 0);
        if (!(n = Live(serial))) return;
        n->state = answer;
        if (answer == MWND_CLOSE) {
            if (n->parent) n->parent->state = MWND_CLOSE_REQUEST;
            Destroy(i, n);
            AfterRemoval(i, false);
        }
    }
}

// One frame of slot i, from the root up; a node's child runs after it, while the node lasts.
void RunChain(int i) {
    for (int level = 0;; ++level) {
        MWND_NODE* n = NodeAt(i, level);
        if (!n) break;
        const uint64_t serial = n->serial;
        MWND_DATA.current = i;
        RunNode(i, n);
        n = NodeAt(i, level);
        if (!n || n->serial != serial) break;
    }
    MWND_SLOT& slot = MWND_SLOT_TABLE[i];
    if (slot.used && !slot.top) slot = MWND_SLOT{};
}

bool AnySlotUsed() {
    for (const MWND_SLOT& s : MWND_SLOT_TABLE)
        if (s.used) return true;
    return false;
}

void FreeSceneCover() {
    MWND_DATA.cover_sprite = SP_Free(MWND_DATA.cover_sprite);
    MWND_DATA.cover_image = IMG_Free(MWND_DATA.cover_image);
}

// Frees a chain without telling its handlers: the manager is ending.
void FreeChain(MWND_NODE* n) {
    while (n) {
        MWND_NODE* child = n->child;
        SP_Free(n->cover_sprite);
        IMG_Free(n->cover_image);
        delete n;
        n = child;
    }
}
}  // namespace

void MWND_Init() {
    if (MWND_DATA.phase != MWND_PHASE_OFF) return;
    for (MWND_SLOT& s : MWND_SLOT_TABLE) s = MWND_SLOT{};
    MWND_TipInit();
    MWND_DATA = MWND_MANAGER{MWND_PHASE_IDLE, 1, {}, -1, -1, -1};
}

// Every window still open goes with its covers, and objects still hidden by a scene come back,
// so that the next screen starts from a clean manager.
void MWND_Term() {
    MWND_TipFree();
    for (MWND_SLOT& s : MWND_SLOT_TABLE) {
        MWND_NODE* root = s.root;
        s = MWND_SLOT{};
        FreeChain(root);
    }
    FreeSceneCover();
    MWND_RestoreSprites();
    MWND_DATA = MWND_MANAGER{MWND_PHASE_OFF, 1, {}, -1, -1, -1};
}

int MWND_Begin() {
    if (MWND_DATA.phase != MWND_PHASE_IDLE) return 0;
    MWND_DATA.cover_image = IMG_Create(kScreenW, kScreenH, 0);
    MWND_DATA.cover_sprite = MWND_CreateStill(MWND_DATA.cover_image, MWND_SCENE_PRIORITY, SP_OPAQUE);
    CaptureScene();
    MWND_DATA.phase = MWND_PHASE_FADE_IN;
    MWND_DATA.result = 1;
    TIM_Start(&MWND_DATA.fade, MWND_FADE_MS);
    return 1;
}

int MWND_Create(const char* name, MWND_HANDLER handler) {
    if (!name || FindSlot(name) >= 0) return 0;
    int i = 0;
    while (i < MWND_SLOTS && MWND_SLOT_TABLE[i].used) ++i;
    if (i == MWND_SLOTS) return 0;
    MWND_SLOT& slot = MWND_SLOT_TABLE[i];
    slot = MWND_SLOT{};
    slot.used = 1;
    CopyName(slot.name, name);
    MWND_DATA.current = i;  // so that the handler's build already sees its name
    CreateNode(i, nullptr, name, handler);
    MWND_DATA.current = i;
    return 1;
}

void MWND_CreateChild(const char* parent_name, const char* name, MWND_HANDLER handler) {
    const int i = FindSlot(parent_name);
    if (i < 0 || !MWND_SLOT_TABLE[i].top) return;
    const uint64_t below = MWND_SLOT_TABLE[i].top->serial;
    MWND_NODE* node = CreateNode(i, MWND_SLOT_TABLE[i].top, name, handler);
    if (!node) return;
    if (MWND_NODE* old = Live(below)) SP_SetVisible(old->cover_sprite, 0);
    SP_SetVisible(node->cover_sprite, 1);
}

int MWND_Activate(const char* name) {
    const int i = FindSlot(name);
    MWND_NODE* top = i >= 0 ? MWND_SLOT_TABLE[i].top : nullptr;
    if (!top || top->state != MWND_WAIT) return 0;
    top->state = 0;
    if (MWND_DATA.phase != MWND_PHASE_RUN) SetActiveNode(top, 0);
    return 1;
}

void MWND_SetActive(const char* name, int32_t active) {
    if (MWND_NODE* n = FindNode(name)) SetActiveNode(n, active);
}

int32_t MWND_Run() {
    MWND_MANAGER& m = MWND_DATA;
    switch (m.phase) {
        case MWND_PHASE_FADE_IN:
            if (TIM_GetLinear(&m.fade, 1, 1) == 1) {
                TIM_Stop(&m.fade);
                m.phase = MWND_PHASE_RUN;
                if (m.current >= 0 && MWND_SLOT_TABLE[m.current].top) {
                    MWND_NODE* top = MWND_SLOT_TABLE[m.current].top;
                    SP_SetVisible(top->parent ? top->parent->cover_sprite : m.cover_sprite, 0);
                    SP_SetVisible(top->cover_sprite, 1);
                    Darken(top->cover_image, kCoverLevel, 0);
                }
            }
            return 0;
        case MWND_PHASE_RUN:
            for (int i = 0; i < MWND_SLOTS; ++i) {
                if (!MWND_SLOT_TABLE[i].used) continue;
                m.current = i;
                RunChain(i);
                if (m.phase != MWND_PHASE_RUN) return 0;  // a handler ended the manager
            }
            m.current = -1;
            MWND_TipStep();
            if (!AnySlotUsed()) {
                MWND_TipHide();
                MWND_RestoreSprites();
                SP_SetVisible(m.cover_sprite, 0);
                CaptureScene();
                MWND_TipHide();
                TIM_Start(&m.fade, MWND_FADE_MS);
                m.phase = MWND_PHASE_FADE_OUT;
            }
            return 0;
        case MWND_PHASE_FADE_OUT:
            MWND_TipStep();
            if (TIM_GetLinear(&m.fade, 15, 1) == 15) {
                TIM_Stop(&m.fade);
                MWND_RestoreSprites();
                SP_SetVisible(m.cover_sprite, 0);
                FreeSceneCover();
                m.phase = MWND_PHASE_IDLE;
                return m.result;
            }
            return 0;
        default:
            return 0;
    }
}

void MWND_DrawFade() {
    int32_t level;
    if (MWND_DATA.phase == MWND_PHASE_FADE_IN)
        level = TIM_GetLinear(&MWND_DATA.fade, kCoverLevel, 1);
    else if (MWND_DATA.phase == MWND_PHASE_FADE_OUT)
        level = kCoverLevel - TIM_GetLinear(&MWND_DATA.fade, kCoverLevel, 1);
    else
        return;
    DDSurface* target = SP_RENDER_TARGET ? *SP_RENDER_TARGET : nullptr;
    RAS_FillRectAlphaKey(target, 0, 0, kScreenW, kScreenH, 0, level, 0);
}

int MWND_IsBusy() {
    const int32_t p = MWND_DATA.phase;
    return p == MWND_PHASE_FADE_IN || p == MWND_PHASE_RUN || p == MWND_PHASE_FADE_OUT;
}

int32_t MWND_GetDepth(const char* name) {
    const MWND_NODE* n = FindNode(name);
    return n ? n->depth : -1;
}

const char* MWND_GetCurName() {
    const int i = MWND_DATA.current;
    return i >= 0 && i < MWND_SLOTS ? MWND_SLOT_TABLE[i].name : "";
}

void MWND_SetResult(int32_t value) { MWND_DATA.result = value; }

void MWND_Refresh(const char* name, int32_t mode) {
    auto refresh_slot = [](int i) {
        for (int level = 0;; ++level) {
            MWND_NODE* n = NodeAt(i, level);
            if (!n) break;
            Notify(n, MWND_REFRESH);
        }
    };
    if (!name) {
        for (int i = 0; i < MWND_SLOTS; ++i) refresh_slot(i);
    } else if (mode == 0) {
        if (const int i = FindSlot(name); i >= 0) refresh_slot(i);
    } else if (mode == 1) {
        Notify(FindNode(name), MWND_REFRESH);
    }
}

void MWND_Close(const char* name) {
    const int i = FindSlot(name);
    if (i >= 0 && MWND_SLOT_TABLE[i].top) MWND_SLOT_TABLE[i].top->state = MWND_CLOSE_REQUEST;
}

void MWND_SaveSprites() {
    if (g_kept.held) return;
    for (int id = 0; id < SP_OBJECTS; ++id) {
        SP_OBJ* o = SP_Get(id);
        if (!o || !o->kind) continue;
        g_kept.visible[id] = o->visible;
        o->visible = 0;
        if (SP_ANIM* a = SP_Anim(id)) {
            g_kept.running[id] = a->running;
            a->running = 0;
        }
    }
    g_kept.held = 1;
}

// Only what was kept goes back: an object made during the scene keeps its own bytes.
void MWND_RestoreSprites() {
    if (!g_kept.held) return;
    for (int id = 0; id < SP_OBJECTS; ++id) {
        if (SP_OBJ* o = SP_Get(id); o && g_kept.visible[id] >= 0) o->visible = uint8_t(g_kept.visible[id]);
        if (SP_ANIM* a = SP_Anim(id); a && g_kept.running[id] >= 0) a->running = uint8_t(g_kept.running[id]);
    }
    g_kept.visible.fill(-1);
    g_kept.running.fill(-1);
    g_kept.held = 0;
}
