// The in-game message box: its parts over the game screen, focus and pointing, do-not-ask answers.
#include "shell/msgbox.h"

#include "services/fil_util.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/snd_game.h"
#include "shell/sysdat.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"

BAR_PARTS MSGBOX_PART_TABLE[MSGBOX_PARTS];

namespace {
constexpr uint32_t kLeft = 1, kRight = 2;
constexpr int kSoundPoint = 46, kSoundCancel = 48;

struct PartLayout {
    int32_t sx, sy, w, h;  // source rectangle in the picture
    int32_t x, y;          // screen position
    int priority;
};
// Type t's question strip is the t-th 22-pixel row from y 148 (filled in when the box opens).
constexpr PartLayout kLayout[MSGBOX_PARTS] = {
    {0, 0, 234, 112, 203, 184, -5},  {0, 112, 78, 18, 238, 236, -6}, {78, 112, 78, 18, 321, 236, -6},
    {0, 130, 185, 18, 226, 259, -8}, {185, 130, 17, 18, 246, 259, -7}, {0, 148, 201, 22, 218, 208, -7},
};

int g_type = 0;          // open type, 0 none
int g_kind = 0;          // owner
int g_auto = 0;          // non-zero: answered at once with this type
int g_focus = 0;         // 0 none, 1 Yes, 2 No, 3 option line
int g_hover = 0;
int g_closing = 0;       // an answer waits for the buttons to be released
int g_pending = -2;
int g_saved_shown = 1;   // the cursor's shown flag before the box
int32_t g_last_x = 0, g_last_y = 0;
int g_image = -1;

bool Hit(int part, int32_t x, int32_t y) {
    const PartLayout& l = kLayout[part];
    return x >= l.x && x < l.x + l.w && y >= l.y && y < l.y + l.h;
}

// The part under the pointer among Yes, No and the option line; 0 none.
int PartAt(int32_t x, int32_t y) {
    for (int p : {MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION})
        if (Hit(p, x, y)) return p;
    return 0;
}

void Show(int part, bool visible) { SP_SetVisible(MSGBOX_PART_TABLE[part].sprite, visible ? 1 : 0); }

uint8_t* NoConfirmByte(int type) {
    return type >= 1 && type <= 6 ? &SYS_DATA.no_confirm[type - 1] : nullptr;
}

void CreateParts(int type) {
    g_image = IMG_Load(FIL_MakePath("bmp\\quon\\msgbox.bmp"), 0);
    for (int i = 0; i < MSGBOX_PARTS; ++i) {
        BAR_PARTS& part = MSGBOX_PART_TABLE[i];
        const PartLayout& l = kLayout[i];
        BAR_PartsInit(&part);
        part.x = l.x;
        part.y = l.y;
        BAR_PartsSetRect(&part, l.sx, i == MSGBOX_TEXT ? l.sy + 22 * (type - 1) : l.sy, l.w, l.h);
        if (g_image < 0) continue;
        const int id = SP_FindFree();
        const RECT src{part.left, part.top, part.right, part.bottom};
        if (id >= 0 && SP_CreateStill(id, l.priority, l.x, l.y, g_image, &src)) part.sprite = id;
    }
    for (int p : {MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION, MSGBOX_CHECK}) Show(p, false);
}

// Moves the keyboard focus by the pressed direction keys, with the pointing sound for each.
void MoveFocus(uint16_t pressed) {
    struct Step {
        uint16_t key;
        int to[4];  // next focus from none, Yes, No, option line
    };
    static constexpr Step kSteps[4] = {
        {0x8, {2, 2, 1, 3}},  // right
        {0x4, {1, 2, 1, 3}},  // left
        {0x1, {3, 3, 3, 1}},  // up
        {0x2, {1, 3, 3, 1}},  // down
    };
    for (const Step& s : kSteps) {
        if (!(pressed & s.key)) continue;
        g_focus = s.to[g_focus];
        SE_PlaySys(kSoundPoint, 0);
    }
}

void Finish() {
    g_type = 0;
    g_closing = 0;
}
}  // namespace

void MSGBOX_Reset() {
    g_type = g_kind = g_auto = g_focus = g_hover = g_closing = 0;
    g_pending = -2;
    g_saved_shown = 1;
}

void MSGBOX_Open(int kind, int type) {
    if (g_type != 0) return;
    g_type = type;
    g_kind = kind;
    g_focus = 0;
    g_closing = 0;
    g_pending = -2;
    g_auto = type;
    const uint8_t* no_confirm = NoConfirmByte(type);
    if (!no_confirm || *no_confirm) return;
    g_auto = 0;
    g_saved_shown = MOUSE_IsCursorShown();
    MOUSE_ShowCursor(1);
    CreateParts(type);
    g_hover = 0;
    g_last_x = MOUSE_FRAME.x;
    g_last_y = MOUSE_FRAME.y;
}

int MSGBOX_IsOpen(int kind) { return g_type != 0 && g_kind == kind ? g_type : 0; }

int MSGBOX_GetFocus() { return g_focus; }

int MSGBOX_Check(int kind) {
    if (g_type == 0 || g_kind != kind) return 0;
    const KeyData& k = KEY_DATA;
    const MouseFrame& m = MOUSE_FRAME;
    if (g_closing) {
        if ((k.held & (KEY_A | KEY_B)) || (m.buttons & (kLeft | kRight))) return -2;
        Finish();
        return g_pending;
    }
    if (g_auto) {
        const int answer = g_auto;
        Finish();
        g_auto = 0;
        return answer;
    }

    // Pointing.
    if (g_focus && (m.x != g_last_x || m.y != g_last_y)) g_focus = 0;
    const int under = PartAt(m.x, m.y);
    if (g_focus) {
        for (int p : {MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION}) Show(p, p == g_focus);
    } else {
        for (int p : {MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION}) Show(p, p == under);
        if (under == 0) {
            MOUSE_SetCursorMode(0);
        } else if (under != g_hover) {
            SE_PlaySys(kSoundPoint, 0);
            MOUSE_SetCursorMode(1);
        }
        g_hover = under;
    }

    const bool decide = (k.pressed & KEY_A) || (m.edge & kLeft);
    if (!decide) {
        MoveFocus(k.pressed);
    } else {
        SE_PlaySys(kSoundPoint, 0);
        const int target = g_focus ? g_focus : under;
        if (target == MSGBOX_OPTION) {
            uint8_t* b = NoConfirmByte(g_type);
            if (b) {
                *b = *b ? 0 : 1;
                Show(MSGBOX_CHECK, *b != 0);
            }
        } else if (target == MSGBOX_YES) {
            const int answer = MSGBOX_Close();
            Finish();
            return answer;
        } else if (target == MSGBOX_NO) {
            MSGBOX_Close();
            g_pending = -1;
            g_closing = 1;
        }
    }

    if ((k.pressed & KEY_B) || (m.edge & kRight)) {
        SE_PlaySys(kSoundCancel, 0);
        MSGBOX_Close();
        g_pending = -1;
        g_closing = 1;
    }
    g_last_x = m.x;
    g_last_y = m.y;
    return -2;
}

int MSGBOX_Close() {
    if (g_type == 0) return 0;
    for (BAR_PARTS& part : MSGBOX_PART_TABLE) BAR_PartsFree(&part);
    g_image = IMG_Free(g_image);
    MOUSE_ShowCursor(g_saved_shown);
    return g_type;
}

void MSGBOX_Term() {
    MSGBOX_Close();
    Finish();
    g_auto = 0;
}
