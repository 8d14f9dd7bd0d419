// The in-game system bar: the screen-part record every screen uses, the bottom bar and the auto
// bar with their item tables, start-up and shutdown of the system UI, and the bar's common picture
// with the software cursor's objects.
#pragma once
#include <cstdint>

// One part cut from a parts picture and shown by a display object.
struct BAR_PARTS {
    int32_t x, y;        // screen position
    int32_t spare;       // never touched by the helpers
    int32_t sprite;      // display object, -1 none
    int32_t left, top, right, bottom;  // source rectangle; right and bottom exclusive
    int32_t user[7];     // for the owner; Init and Free clear the first two and the last two
};
static_assert(sizeof(BAR_PARTS) == 60);

// Position, rectangle and the owner's first two and last two fields cleared, no object; creates nothing.
void BAR_PartsInit(BAR_PARTS* part);
// Only for a part with an object: deletes it and clears what BAR_PartsInit clears.
void BAR_PartsFree(BAR_PARTS* part);
// Source rectangle := (x, y, x + w, y + h).
void BAR_PartsSetRect(BAR_PARTS* part, int32_t x, int32_t y, int32_t w, int32_t h);
// Scales the part's object by thousandths around the rectangle's centre.
void BAR_PartsScale(BAR_PARTS* part, int32_t sx, int32_t sy);
// (Re-)creates the part's still object from the picture at its position and rectangle, keeping
// the object's id and visibility; a part without an object takes a free id (none without the picture).
void BAR_PartsDraw(BAR_PARTS* part, int32_t image, int32_t priority);

constexpr int BAR_BOTTOM_PARTS = 11;  // ten buttons and the end piece
constexpr int BAR_AUTO_PARTS = 7;
constexpr int BAR_BOTTOM_ITEMS = 10;
constexpr int BAR_AUTO_ITEMS = 3;
constexpr int32_t BAR_SHOWN_Y = 456;
constexpr int32_t BAR_HIDDEN_Y = 480;
constexpr int32_t BAR_STEP = 6;  // pixels a frame while sliding

// Moves a sliding bar's coordinate toward target, BAR_STEP a frame or at once.
void BAR_Slide(int32_t* v, int32_t target, bool instant);

// Navigation of the bars and the quick panel.
constexpr int32_t BAR_NAV_NONE = 0;
constexpr int32_t BAR_NAV_KEYS = 1;         // keyboard on the bottom or auto bar
constexpr int32_t BAR_NAV_POINTER = 2;      // pointer on the bottom or auto bar
constexpr int32_t BAR_NAV_QUICK_KEYS = 3;   // keyboard on the quick panel
constexpr int32_t BAR_NAV_QUICK_POINTER = 4;

// Hot requests handed to the scenario mode.
constexpr int32_t BAR_HOT_STARTED = -1;  // auto or skip mode was started this frame
constexpr int32_t BAR_HOT_SAVE = 1, BAR_HOT_LOAD = 2, BAR_HOT_CONFIG = 3, BAR_HOT_LOG = 4, BAR_HOT_EVENT = 5;

// One button of a bar's item table.
struct BAR_ITEM {
    int32_t src_x, width, screen_x;
    const char* tip;  // Shift-JIS; null: no tooltip
};
extern const BAR_ITEM BAR_BOTTOM_TABLE[BAR_BOTTOM_PARTS];

// The bar's state; the scenario mode and the script read and write these directly.
struct BAR_DATA_T {
    int32_t mode;           // 0 none, 1 auto mode, 2 skip mode
    int32_t skipping;       // text is skipped this frame
    int32_t lock;           // text window hidden or a system window runs: no bar, no automatic save
    int32_t menus_allowed;  // the scenario mode allows system windows this frame
    int32_t hot_request;    // BAR_HOT_*, 0 none
    int32_t navigation;     // BAR_NAV_*
    // bottom bar
    int32_t bottom_y, bottom_item, bottom_last;
    BAR_PARTS bottom[BAR_BOTTOM_PARTS];
    // auto bar
    int32_t auto_y, auto_item, auto_last;
    BAR_PARTS autob[BAR_AUTO_PARTS];
    int32_t drag;    // knob drag offset, -1 none
    int32_t wobble;  // arrow wobble counter 0..7
    // shared
    int32_t last_x, last_y;  // last pointer position divided by 3, -1 none
    int32_t cursor_on_bar, bar_shown, input_taken, voice_ducked;
    int32_t replay_voice;  // -1 none
    int32_t tip_item;      // -1 none
    int32_t tip_pending_bottom, tip_pending_auto, tip_pending_quick;
    int32_t choice_shown;  // the choice window's plates are up
    int32_t file_window;   // a "file_load" or "file_save" window runs
    int32_t pointer_reset;  // the next step forgets the last pointer position
    int32_t pmenu_image;    // "bmp\quon\pmenu.bmp", -1 none
};
extern BAR_DATA_T BAR_DATA;

extern int32_t BAR_COMMON_IMAGE;  // "bmp\quon\common.bmp": cursor frames, particles, panel, mark
extern BAR_PARTS BAR_CURSOR;      // the software cursor's part and display object

// Start-up and shutdown of the system UI (bars, quick panel, notices, cursor pictures, slot
// panel, message box; the settings file is read at start-up and written at shutdown).
void BAR_Init();
void BAR_Term();
// The per-frame step in the scenario mode, before the scenario looks at the hot request.
void BAR_Update();
// The per-frame step in the battle mode: the bars slide out and stay out.
void BAR_BattleStep();
// Shows or hides the text window; lock follows the hidden state.
void BAR_WndToggle();
// Closes the quick panel and both bars at once and hides the tooltip.
void BAR_CloseAll();
// BAR_CloseAll, then lock (before a scripted sequence).
void BAR_Lock();

// The steps BAR_Update runs; 1 when the bottom bar acted.
int BAR_BottomStep();
void BAR_BottomDraw();
void BAR_AutoStep();
void BAR_AutoDraw();
void BAR_BottomInit();
void BAR_AutoInit();

// The common picture with the cursor's object (hidden) and its 16 particles, the slot panel and
// the cursor templates of the thumbnails; and their release.
void BAR_CommonInit();
void BAR_CommonFree();
