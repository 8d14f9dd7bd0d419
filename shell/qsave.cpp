// The quick save/load panel, the newest-save mark and the rotating automatic saves.
#include "shell/qsave.h"

#include <cstdio>
#include <string>

#include "platform/files.h"
#include "scenario/snr_mode.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "services/sound/snd_game.h"
#include "shell/bar_notice.h"
#include "shell/msgbox.h"
#include "shell/mwnd_balloon.h"
#include "shell/sysdat.h"
#include "shell/thumb_bmp.h"
#include "shell/thumb_info.h"
#include "sprite/sp_object.h"
#include "title/title.h"

QSAVE_DATA_T QSAVE_DATA{};

namespace {
constexpr int kPriority = -1;
constexpr int32_t kWidth = 24;
constexpr int32_t kTipCode = 100;  // tooltip item of row r: 100 + r

// 上へスクロールします, 下へスクロールします, バーを固定します
const char* const kTipUp = "\x8f\xe3\x82\xd6\x83X\x83N\x83\x8d\x81[\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
const char* const kTipDown = "\x89\xba\x82\xd6\x83X\x83N\x83\x8d\x81[\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
const char* const kTipPin = "\x83o\x81[\x82\xf0\x8c\xc5\x92\xe8\x82\xb5\x82\xdc\x82\xb7";
// それ以上スクロールできません
const char* const kNoWheel = "\x82\xbb\x82\xea\x88\xc8\x8f\xe3\x83X\x83N\x83\x8d\x81[\x83\x8b\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// スクロールできません
const char* const kNoScroll = "\x83X\x83N\x83\x8d\x81[\x83\x8b\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// データがありません
const char* const kNoData = "\x83" "f\x81[\x83^\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
// ＡＵＴＯセーブ専用です
const char* const kAutoOnly = "\x82`\x82t\x82s\x82n\x83Z\x81[\x83u\x90\xea\x97p\x82\xc5\x82\xb7";
// ＡＵＴＯセーブしました
const char* const kAutoSaved = "\x82`\x82t\x82s\x82n\x83Z\x81[\x83u\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// The row under the pointer, or -1.
int RowAt(int32_t x, int32_t y) {
    if (x < 617 || x >= 640 || !BAR_DATA.menus_allowed) return -1;
    for (int r = 0; r < QSAVE_ROWS; ++r)
        if (y > QSAVE_RowY(r) && y <= QSAVE_RowY(r) + QSAVE_RowH(r)) return r;
    return -1;
}

// A refusal: the notice, and its code for the choice window while that is shown.
void Refuse(const char* text, int32_t priority, int32_t code) {
    BAR_Notice(text, 0, priority);
    if (BAR_DATA.choice_shown) QSAVE_DATA.choice_code = code;
}

// Scrolls the first row by `by`, clamped to 0..98; a clamp is refused with the notice.
void Scroll(int32_t by, const char* refusal, int32_t code) {
    int32_t first = QSAVE_DATA.first + by;
    if (first < 0 || first > QSAVE_LAST_FIRST) {
        first = first < 0 ? 0 : QSAVE_LAST_FIRST;
        Refuse(refusal, 0, code);
    }
    QSAVE_DATA.first = first;
}

// The slot panel beside the pointed slot row, or hidden.
void FollowRow() {
    const int32_t r = QSAVE_DATA.row;
    if (r >= 1 && r <= 10)
        THUMB_InfoShow(QSAVE_DATA.first + r - 1, 352, 20 + 36 * (r - 1));
    else
        THUMB_InfoHide();
}

// Orders two times of saving field by field; true when a is later.
bool Later(const SAVE_TIME& a, const SAVE_TIME& b) {
    const uint16_t ka[6] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
    const uint16_t kb[6] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (int i = 0; i < 6; ++i)
        if (ka[i] != kb[i]) return ka[i] > kb[i];
    return false;
}

void Slide(int32_t want_open) {
    BAR_Slide(&QSAVE_DATA.x, want_open ? QSAVE_OPEN_X : QSAVE_CLOSED_X, SYS_DATA.bar_instant == 1);
}
}  // namespace

int32_t QSAVE_RowY(int row) { return row <= 0 ? 0 : row <= 10 ? 28 + 40 * (row - 1) : row == 11 ? 428 : 456; }
int32_t QSAVE_RowH(int row) { return row == 0 || row == 11 ? 28 : row == 12 ? 24 : 40; }

void QSAVE_SlotRect(int32_t s, int32_t* x, int32_t* y) {
    *x = 24 + 48 * (s / 10);
    *y = 40 * (s % 10);
}

void QSAVE_PanelInit() {
    for (int r = 0; r < QSAVE_ROWS; ++r) {
        BAR_PARTS& p = QSAVE_DATA.rows[r];
        BAR_PartsInit(&p);
        p.x = QSAVE_CLOSED_X;
        p.y = QSAVE_RowY(r);
    }
    QSAVE_DATA.x = QSAVE_CLOSED_X;
    QSAVE_DATA.row = QSAVE_DATA.last_row = -1;
    QSAVE_DATA.last_x = QSAVE_DATA.last_y = -1;
    SYS_DATA.quick_pin = 0;
    QSAVE_PanelDraw();
}

void QSAVE_PanelFree() {
    for (BAR_PARTS& p : QSAVE_DATA.rows) BAR_PartsFree(&p);
}

void QSAVE_PanelStep() {
    if (TITLE_PlayKind == 1) return;
    QSAVE_DATA_T& q = QSAVE_DATA;
    BAR_DATA_T& b = BAR_DATA;
    const MouseFrame& m = MOUSE_FRAME;
    const int32_t mx = m.x, my = m.y;
    const bool on_edge = mx >= 617 && mx < 640;
    const bool moved = mx / 3 != q.last_x || my / 3 != q.last_y;
    const bool free = b.mode == 0 && !b.skipping;

    int32_t want = ((on_edge && my >= 1 && my < 480 && b.menus_allowed) || SYS_DATA.quick_pin == 1) && free && !b.lock;
    if (on_edge && b.mode == 0) {
        b.cursor_on_bar = 1;
    } else if (!q.keyboard) {
        q.row = -1;
        THUMB_InfoHide();
    }

    // Keys: right opens the panel on the up arrow; up and down move; left, right or the pointer
    // leaving ends the keyboard's hold.
    if (b.menus_allowed && free && !b.lock) {
        const uint16_t pressed = KEY_DATA.pressed, repeat = KEY_DATA.repeat;
        if (b.navigation == BAR_NAV_NONE) {
            if (pressed & KEY_RIGHT) {
                b.navigation = BAR_NAV_QUICK_KEYS;
                if (q.row < 0) q.row = 0;
                q.keyboard = 1;
            }
        } else if (b.navigation == BAR_NAV_QUICK_KEYS || b.navigation == BAR_NAV_QUICK_POINTER) {
            want = 1;
            if ((pressed & (KEY_LEFT | KEY_RIGHT)) || (moved && mx < 616)) {
                b.navigation = BAR_NAV_NONE;
                q.row = -1;
                THUMB_InfoHide();
            } else if (repeat & (KEY_UP | KEY_DOWN)) {
                q.row = (repeat & KEY_UP) ? (q.row + QSAVE_ROWS - 1) % QSAVE_ROWS : (q.row + 1) % QSAVE_ROWS;
                q.keyboard = 1;
            }
        }
    }

    int32_t wheel = 0;
    MOUSE_GetWheel(&wheel);
    if (!want) {
        if (q.x == QSAVE_OPEN_X) SP_SetVisible(q.mark.sprite, 0);
        Slide(0);
    } else {
        if (q.newest == -1) QSAVE_FindNewest();
        if (q.x == QSAVE_CLOSED_X) {
            // The panel starts to open: the screen is captured before it covers anything.
            q.wheel = wheel;
            q.last_row = -1;
            THUMB_Make();
        }
        Slide(1);
        if (free && wheel != q.wheel) {
            Scroll(wheel <= q.wheel ? 2 : -2, kNoWheel, 2);
            q.wheel = wheel;
            FollowRow();
        }
    }

    if (moved && (b.navigation == BAR_NAV_NONE || b.navigation == BAR_NAV_QUICK_POINTER)) {
        const int r = RowAt(mx, my);
        if (r >= 0) {
            q.row = r;
            b.navigation = BAR_NAV_QUICK_POINTER;
            q.keyboard = 0;
        } else if (b.navigation == BAR_NAV_QUICK_POINTER) {
            b.navigation = BAR_NAV_NONE;
            q.row = -1;
        }
    }

    if (q.row != q.last_row) {
        if (q.row >= 0) SE_PlaySys(46, 0);
        FollowRow();
        q.last_row = q.row;
    }

    if (b.navigation == BAR_NAV_QUICK_KEYS || b.navigation == BAR_NAV_QUICK_POINTER) {
        const uint16_t pressed = KEY_DATA.pressed;
        const bool slot_row = q.row >= 1 && q.row <= 10;
        if (((pressed & KEY_B) || (m.edge & 2)) && slot_row) {
            const int32_t slot = q.first + q.row - 1;
            if (SAVE_SlotExists(slot)) {
                SE_PlaySys(46, 0);
                q.chosen = slot;
                MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_LOAD);
                b.input_taken = 1;
            } else {
                Refuse(kNoData, 1, 4);
                SE_PlaySys(48, 0);
            }
        } else if ((pressed & KEY_A) || (m.edge & 1)) {
            if (m.edge & 1) q.row = RowAt(mx, my);
            if (q.row == 0) {
                SE_PlaySys(46, 0);
                Scroll(-1, kNoScroll, 1);
            } else if (q.row == 11) {
                SE_PlaySys(46, 0);
                Scroll(1, kNoScroll, 1);
            } else if (q.row == 12) {
                SE_PlaySys(46, 0);
                SYS_DATA.quick_pin = SYS_DATA.quick_pin ? 0 : 1;
            } else if (q.row >= 1 && q.row <= 10) {
                const int32_t slot = q.first + q.row - 1;
                if (slot < SAVE_AUTO_FIRST) {
                    SE_PlaySys(46, 0);
                    q.chosen = slot;
                    MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_SAVE);
                } else {
                    Refuse(kAutoOnly, 1, 3);
                    SE_PlaySys(48, 0);
                }
            }
        }
    }
    q.last_x = mx / 3;
    q.last_y = my / 3;
}

void QSAVE_PanelDraw() {
    QSAVE_DATA_T& q = QSAVE_DATA;
    BAR_DATA_T& b = BAR_DATA;
    const bool keys = b.navigation == BAR_NAV_QUICK_KEYS || b.navigation == BAR_NAV_QUICK_POINTER;
    // The tooltip waits a drawing; slot rows show the slot panel instead.
    if (b.tip_pending_quick >= 0 && b.tip_pending_quick == b.tip_item) {
        const int r = b.tip_pending_quick - kTipCode;
        const char* tip = r == 0 ? kTipUp : r == 11 ? kTipDown : kTipPin;
        MWND_TipShow(628, QSAVE_RowY(r) + QSAVE_RowH(r) / 2, "", "", tip);
        b.tip_pending_quick = -1;
    }
    if (SYS_DATA.help_on == 1 && b.mode == 0 && keys && !b.lock && q.row >= 0 && kTipCode + q.row != b.tip_item) {
        b.tip_item = kTipCode + q.row;
        if (q.row == 0 || q.row >= 11) {
            b.tip_pending_quick = b.tip_item;
        } else {
            b.tip_pending_quick = -1;
            MWND_TipHide();
        }
    }
    if (b.file_window) q.x = QSAVE_CLOSED_X;
    for (int r = 0; r < QSAVE_ROWS; ++r) {
        BAR_PARTS& p = q.rows[r];
        int32_t sx = 504, sy = 0;
        if (r == 0) sy = 320;
        else if (r == 11) sy = 348;
        else if (r == 12) sy = SYS_DATA.quick_pin ? 400 : 376;
        else QSAVE_SlotRect(q.first + r - 1, &sx, &sy);
        if (keys && r == q.row) sx -= 24;
        BAR_PartsSetRect(&p, sx, sy, kWidth, QSAVE_RowH(r));
        p.x = q.x;
        p.y = QSAVE_RowY(r);
        BAR_PartsDraw(&p, b.pmenu_image, kPriority);
    }
    if (b.menus_allowed && q.x == QSAVE_OPEN_X) QSAVE_DrawNewestMark(585, 36, 40, 10, q.first);
}

void QSAVE_Answer(int32_t answer) {
    QSAVE_DATA_T& q = QSAVE_DATA;
    if (answer == MSGBOX_QUICK_SAVE) {
        THUMB_InfoHide();
        // A save that was not written is refused; the writer has said why.
        if (SAVE_WriteSlot(q.chosen) == SAVE_WRITE_FAILED) {
            SE_PlaySys(48, 0);
            return;
        }
        q.newest = q.chosen;
        SE_PlaySys(51, 0);
    } else if (answer == MSGBOX_QUICK_LOAD) {
        THUMB_InfoHide();
        SNR_SetLoadSlot(SAVE_StorageSlot(q.chosen));
        BAR_DATA.bottom_y = BAR_HIDDEN_Y;
        q.x = QSAVE_CLOSED_X;
        q.mark.x = 641;
        SP_SetPos(q.mark.sprite, q.mark.x, q.mark.y);
        BAR_DATA.lock = 0;
        SNR_SetState(7);  // fade out and restart from the slot
    }
}

int32_t QSAVE_FindNewest() {
    int32_t best = -1;
    SAVE_TIME best_time{};
    for (int32_t s = 0; s < SAVE_AUTO_FIRST; ++s) {
        SAVE_INFO info;
        if (!SAVE_ReadInfo(s, &info)) continue;
        if (best < 0 || Later(info.time, best_time)) {
            best = s;
            best_time = info.time;
        }
    }
    QSAVE_DATA.newest = best;
    return best;
}

void QSAVE_SetNewest(int32_t slot) { QSAVE_DATA.newest = slot; }

void QSAVE_DrawNewestMark(int32_t x, int32_t y, int32_t pitch, int32_t count, int32_t first) {
    QSAVE_DATA_T& q = QSAVE_DATA;
    if (first == -1 || q.newest < first || q.newest > first + count - 1) {
        SP_SetVisible(q.mark.sprite, 0);
        return;
    }
    const int32_t c = q.blink;
    const int32_t w = c < 9 ? c : 16 - c;
    q.mark.x = x + w / 2;
    q.mark.y = y + (q.newest - first) * pitch;
    SP_SetPos(q.mark.sprite, q.mark.x, q.mark.y);
    SP_SetVisible(q.mark.sprite, 1);
    q.blink = (c + 1) % 16;
}

void QSAVE_MarkInit() {
    BAR_PARTS& m = QSAVE_DATA.mark;
    BAR_PartsInit(&m);
    BAR_PartsSetRect(&m, 272, 400, 28, 24);
    m.x = 641;
    BAR_PartsDraw(&m, BAR_DATA.pmenu_image, kPriority);
    SP_SetVisible(m.sprite, 0);
    QSAVE_DATA.blink = 0;
    QSAVE_DATA.newest = -1;
}

void QSAVE_MarkFree() { BAR_PartsFree(&QSAVE_DATA.mark); }

void BAR_QuickClose() {
    SP_SetVisible(QSAVE_DATA.mark.sprite, 0);
    THUMB_InfoHide();
    QSAVE_DATA.x = QSAVE_CLOSED_X;
    BAR_DATA.navigation = BAR_NAV_NONE;
}

namespace {
constexpr int kHeld = QSAVE_AUTO_SAVES;  // the place where the oldest waits ("ova10")

// The automatic save n's file with that extension.
std::string AutoName(int n, const char* ext) {
    char name[32];
    std::snprintf(name, sizeof name, "save\\ova%02d.%s", n, ext);
    return name;
}

// Moves automatic save `from` to place `to`, record and thumbnail. Moving on the record goes
// first, moving back the thumbnail: a move cut halfway always leaves the record one place above
// its picture, where Mend joins them. A file that is not there moves nothing; a file that is there
// and does not move stops the move, with the other one back: false. A move never replaces a file:
// a place still taken stops it before anything moves (a save the rotation keeps is never lost
// under another), and should the check be wrong the move itself refuses.
bool MoveAuto(int from, int to) {
    const char* const on[2] = {"sav", "dat"};
    const char* const back[2] = {"dat", "sav"};
    const char* const* ext = to > from ? on : back;
    for (int i = 0; i < 2; ++i) {
        const std::string a = AutoName(from, ext[i]), b = AutoName(to, ext[i]);
        if (plat::FileExists(a.c_str()) && plat::FileExists(b.c_str())) {
            SYS_DebugPrint("%s cannot be moved to %s: that place is taken", a.c_str(), b.c_str());
            return false;
        }
    }
    bool first_moved = false;
    for (int i = 0; i < 2; ++i) {
        const std::string a = AutoName(from, ext[i]), b = AutoName(to, ext[i]);
        if (plat::MoveFileNoReplace(a.c_str(), b.c_str())) {
            first_moved = true;
        } else if (plat::FileExists(a.c_str())) {
            SYS_DebugPrint("%s cannot be moved to %s", a.c_str(), b.c_str());
            // A move back that fails too leaves the record one place above its picture (Mend joins them).
            if (i == 1 && first_moved)
                plat::MoveFileNoReplace(AutoName(to, ext[0]).c_str(), AutoName(from, ext[0]).c_str());
            return false;
        }
    }
    return true;
}

void DropHeld() {
    for (const char* ext : {"sav", "dat"}) plat::DeleteFile(AutoName(kHeld, ext).c_str());
}

// Puts back what a killed automatic save left, so that the rotation keeps every save it would
// have kept: the saves close up over a gap (a held "ova10" too), a record that moved without its
// picture meets it again on the way, and an eleventh save (the killed one wrote the new save) is
// dropped. False when a file does not move: the rotation must not run then.
bool Mend() {
    int to = 0;
    for (int from = 0; from <= kHeld; ++from) {
        if (!plat::FileExists(AutoName(from, "sav").c_str())) continue;
        if (from != to) {
            // A picture where no record is belongs to the record above it only while that has none:
            // beside a record with its own it is no save's, and makes way.
            const std::string picture = AutoName(from, "dat"), gap_picture = AutoName(to, "dat");
            if (plat::FileExists(picture.c_str()) && plat::FileExists(gap_picture.c_str()))
                plat::DeleteFile(gap_picture.c_str());
            if (!MoveAuto(from, to)) return false;
        }
        ++to;
    }
    // Pictures beyond the last save belong to none; an eleventh save is the oldest a written save
    // left held.
    for (int n = to; n <= kHeld; ++n) plat::DeleteFile(AutoName(n, "dat").c_str());
    if (to > kHeld) DropHeld();
    return true;
}
}  // namespace

bool QSAVE_Rotate() {
    // Oldest first, each save with its thumbnail: a kill at any point leaves every save whole.
    for (int i = kHeld - 1; i >= 0; --i) {
        if (MoveAuto(i, i + 1)) continue;
        for (int j = i + 1; j < kHeld; ++j)
            if (!MoveAuto(j + 1, j)) break;  // the next automatic save closes what is left open
        return false;
    }
    return true;
}

void QSAVE_RotateEnd(int written) {
    if (written) {
        DropHeld();
        return;
    }
    // A move that fails stops here, before a later one replaces what it left: the next automatic
    // save closes the gap.
    for (int i = 1; i <= kHeld; ++i)
        if (!MoveAuto(i, i - 1)) return;
}

void QSAVE_AutoSave() {
    QSAVE_DATA_T& q = QSAVE_DATA;
    if (q.auto_request == 0) return;
    if ((!BAR_DATA.menus_allowed && SYS_DATA.quick_pin != 1) || BAR_DATA.lock) return;
    // What a killed save left is put back first, so the rotation drops only the oldest.
    const bool rotated = Mend() && QSAVE_Rotate();
    int written = 0;
    if (rotated) {
        THUMB_Make();
        written = SAVE_WriteSlot(SAVE_STORAGE_AUTO) != SAVE_WRITE_FAILED;
        QSAVE_RotateEnd(written);
    }
    // Only a save that was written says so; a failed one is not tried again (the writer said why).
    if (written && q.auto_request == 1)
        q.choice_autosave = 1;
    else if (written && q.auto_request == 2)
        BAR_Notice(kAutoSaved, 1, 1);
    if (!written) SYS_DebugPrint("automatic save not made; the older automatic saves stay where they were");
    q.skip_block = 0;
    q.auto_request = 0;
}
