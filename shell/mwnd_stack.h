// The menu-window stack under every system window: window scenes, window slots and their node
// chains, the handler protocol, the captured covers and the fades.
#pragma once
#include <cstdint>

#include "sprite/tim_timer.h"

constexpr int MWND_SLOTS = 16;
constexpr int MWND_NAME_SIZE = 32;  // at most 31 characters and the terminator
constexpr int MWND_ROOT_DEPTH = 18;
constexpr int MWND_FADE_MS = 200;
constexpr int MWND_SCENE_PRIORITY = 159;
constexpr int MWND_COVER_PRIORITY = 160;

// Manager phases.
constexpr int32_t MWND_PHASE_OFF = 0;
constexpr int32_t MWND_PHASE_IDLE = 1;
constexpr int32_t MWND_PHASE_FADE_IN = 2;
constexpr int32_t MWND_PHASE_RUN = 3;
constexpr int32_t MWND_PHASE_FADE_OUT = 4;

// Negative states are the manager's protocol; 0 and above belong to the window.
enum MWND_STATE : int32_t {
    MWND_CREATED = -2,
    MWND_BUILD = -3,         // sent once at creation; the answer is the first state
    MWND_WAIT = -4,          // not run until MWND_Activate
    MWND_DESTROY = -5,       // answer: remove this node (and anything above it) now
    MWND_REFRESH = -6,       // notification: rebuild the contents
    MWND_ACTIVATED = -7,     // notification
    MWND_DEACTIVATED = -8,   // notification
    MWND_KEEP = -9,          // an answer to a notification (every answer keeps the state)
    MWND_CLOSE_REQUEST = -10,  // the child asked the chain to close; answer -11 when done
    MWND_CLOSE = -11,        // answer: close this node and pass the request to the parent
    MWND_FOCUS_BACK = -12,   // notification to the new top after its child went
    MWND_COVERED = -13,      // notification to the old top when a child is stacked on it
};

constexpr int32_t MWND_FLAG_FOCUS = 0x8000;  // the node is its window's top node

// Called with the current state and the flags; returns the next state.
using MWND_HANDLER = int32_t (*)(int32_t state, int32_t flags);

struct MWND_NODE {
    char name[MWND_NAME_SIZE];
    int32_t state;
    int32_t saved_state;   // the state while a notification is sent
    int32_t active;        // only active nodes are run
    int32_t depth;         // priority base of the window's own objects: 18, 16, 14 ...
    MWND_HANDLER handler;
    int32_t cover_sprite;  // everything behind this node, priority 160; -1 none
    int32_t cover_image;
    MWND_NODE* notify;     // told when this node goes (its parent)
    MWND_NODE* parent;
    MWND_NODE* child;
    uint64_t serial;       // never reused: tells whether a node outlived a handler call
};

struct MWND_SLOT {
    int32_t used;
    char name[MWND_NAME_SIZE];
    MWND_NODE* root;
    MWND_NODE* top;  // the node with the focus; null when the window is gone
};

struct MWND_MANAGER {
    int32_t phase;
    int32_t result;        // handed out on the window scene's last frame
    TIM_DATA fade;
    int32_t cover_image;   // the captured screen, -1 outside a window scene
    int32_t cover_sprite;  // priority 159, drawn without colour key
    int32_t current;       // slot being run or last created, -1 none
};

extern MWND_SLOT MWND_SLOT_TABLE[MWND_SLOTS];
extern MWND_MANAGER MWND_DATA;

void MWND_Init();
void MWND_Term();
int MWND_Begin();
int MWND_Create(const char* name, MWND_HANDLER handler);
void MWND_CreateChild(const char* parent_name, const char* name, MWND_HANDLER handler);
int MWND_Activate(const char* name);
void MWND_SetActive(const char* name, int32_t active);
int32_t MWND_Run();
void MWND_DrawFade();
int MWND_IsBusy();
int32_t MWND_GetDepth(const char* name);
const char* MWND_GetCurName();  // "" when no slot is current
void MWND_SetResult(int32_t value);
void MWND_Refresh(const char* name, int32_t mode);
void MWND_Close(const char* name);
void MWND_SaveSprites();
void MWND_RestoreSprites();
