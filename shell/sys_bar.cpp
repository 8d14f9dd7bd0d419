// The in-game system bar: screen parts, the bottom bar and the auto bar, the per-frame steps in
// the scenario and battle modes, and start-up and shutdown of the system UI.
#include "shell/sys_bar.h"

#include "display/dd_display.h"
#include "scenario/snr_mode.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/snd_game.h"
#include "services/sound/voice_bark.h"
#include "services/sound/voice_db.h"
#include "shell/bar_link.h"
#include "shell/bar_notice.h"
#include "shell/msgbox.h"
#include "shell/mwnd_balloon.h"
#include "shell/qsave.h"
#include "shell/sysdat.h"
#include "shell/thumb_bmp.h"
#include "shell/thumb_info.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "title/title.h"

int32_t BAR_COMMON_IMAGE = -1;
BAR_PARTS BAR_CURSOR{0, 0, 0, -1, 0, 0, 0, 0, {}};
BAR_DATA_T BAR_DATA{};

// バーを固定します, ウィンドウを閉じます, 音声を再生します, 過去ログを表示します,
// オートモードへ移行します, スキップモードへ移行します, セーブメニューを開きます,
// ロードメニューを開きます, シナリオマップを開きます, 設定メニューを開きます
const BAR_ITEM BAR_BOTTOM_TABLE[BAR_BOTTOM_PARTS] = {
    {28, 28, 172, "\x83o\x81[\x82\xf0\x8c\xc5\x92\xe8\x82\xb5\x82\xdc\x82\xb7"},
    {56, 32, 200, "\x83" "E\x83" "B\x83\x93\x83h\x83" "E\x82\xf0\x95\xc2\x82\xb6\x82\xdc\x82\xb7"},
    {88, 32, 232, "\x89\xb9\x90\xba\x82\xf0\x8d\xc4\x90\xb6\x82\xb5\x82\xdc\x82\xb7"},
    {120, 32, 264, "\x89\xdf\x8b\x8e\x83\x8d\x83O\x82\xf0\x95\x5c\x8e\xa6\x82\xb5\x82\xdc\x82\xb7"},
    {152, 32, 296, "\x83I\x81[\x83g\x83\x82\x81[\x83h\x82\xd6\x88\xda\x8ds\x82\xb5\x82\xdc\x82\xb7"},
    {184, 32, 328, "\x83X\x83L\x83" "b\x83v\x83\x82\x81[\x83h\x82\xd6\x88\xda\x8ds\x82\xb5\x82\xdc\x82\xb7"},
    {216, 64, 360, "\x83Z\x81[\x83u\x83\x81\x83j\x83\x85\x81[\x82\xf0\x8aJ\x82\xab\x82\xdc\x82\xb7"},
    {280, 64, 424, "\x83\x8d\x81[\x83h\x83\x81\x83j\x83\x85\x81[\x82\xf0\x8aJ\x82\xab\x82\xdc\x82\xb7"},
    {344, 64, 488, "\x83V\x83i\x83\x8a\x83I\x83}\x83" "b\x83v\x82\xf0\x8aJ\x82\xab\x82\xdc\x82\xb7"},
    {408, 64, 552, "\x90\xdd\x92\xe8\x83\x81\x83j\x83\x85\x81[\x82\xf0\x8aJ\x82\xab\x82\xdc\x82\xb7"},
    {472, 25, 616, nullptr},
};

namespace {
// Auto bar parts: source x, y, width, priority; the screen x of the knob and arrows follow it.
struct AutoPart {
    int32_t src_x, src_y, width, priority, screen_x;
    const char* tip;
};
// バーを固定します, オートモードを終了します, オートモードの速度を変更します
const AutoPart kAuto[BAR_AUTO_PARTS] = {
    {28, 448, 28, 0, 364, "\x83o\x81[\x82\xf0\x8c\xc5\x92\xe8\x82\xb5\x82\xdc\x82\xb7"},
    {54, 448, 32, 0, 392, "\x83I\x81[\x83g\x83\x82\x81[\x83h\x82\xf0\x8fI\x97\xb9\x82\xb5\x82\xdc\x82\xb7"},
    {495, 448, 18, -1, 0,
     "\x83I\x81[\x83g\x83\x82\x81[\x83h\x82\xcc\x91\xac\x93x\x82\xf0\x95\xcf\x8dX\x82\xb5\x82\xdc\x82\xb7"},
    {0, 400, 191, 0, 424, nullptr},
    {191, 400, 26, 0, 615, nullptr},
    {217, 400, 17, -1, 0, nullptr},
    {255, 400, 17, -1, 0, nullptr},
};
constexpr int kKnob = 2, kTrack = 3, kLeftArrow = 5, kRightArrow = 6;
constexpr int32_t kAutoTip = 20;  // tooltip item of auto bar part i: 20 + i
constexpr int32_t kRowY = 448, kLitY = 424;
// 回想中はできません
const char* const kNotInReplay = "\x89\xf1\x91z\x92\x86\x82\xcd\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";

bool InBottomZone(int32_t x, int32_t y) { return y >= 457 && y <= 479 && x > 172 && x <= 616; }

int32_t KnobMin() { return BAR_DATA.autob[kTrack].x + 28; }
int32_t KnobMax() { return BAR_DATA.autob[kTrack].x + 147; }
int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Slides a bar's y toward shown (456) or hidden (480).
void SlideY(int32_t& y, bool shown, bool instant) { BAR_Slide(&y, shown ? BAR_SHOWN_Y : BAR_HIDDEN_Y, instant); }

bool PointerMoved() {
    return MOUSE_FRAME.x / 3 != BAR_DATA.last_x || MOUSE_FRAME.y / 3 != BAR_DATA.last_y;
}
void RememberPointer() {
    BAR_DATA.last_x = MOUSE_FRAME.x / 3;
    BAR_DATA.last_y = MOUSE_FRAME.y / 3;
}

// The bottom bar's button under the pointer, or -1.
int BottomItemAt(int32_t x, int32_t y) {
    if (y < 457 || y > 479 || !BAR_DATA.menus_allowed) return -1;
    for (int i = 0; i < BAR_BOTTOM_ITEMS; ++i) {
        const BAR_ITEM& it = BAR_BOTTOM_TABLE[i];
        if (x > it.screen_x && x <= it.screen_x + it.width) return i;
    }
    return -1;
}

// The auto bar's item under the pointer: pin, stop, or the knob and its track; -1 none.
int AutoItemAt(int32_t x, int32_t y) {
    if (y < 457 || y > 479 || !BAR_DATA.menus_allowed) return -1;
    for (int i = 0; i <= kTrack; ++i) {
        const BAR_PARTS& p = BAR_DATA.autob[i];
        if (x > p.x && x <= p.x + kAuto[i].width) return i == kTrack ? kKnob : i;
    }
    return -1;
}

void HideTip() {
    BAR_DATA.tip_item = -1;
    MWND_TipHide();
}

// The keys of a bar with `items` buttons: down starts keyboard navigation; while it runs the bar
// stays up (also in the frame it ends), up or down or a moved pointer end it, and left and right
// move with wrap-around. 1 when navigation holds the bar up this frame.
bool BarKeys(int32_t& item, int items) {
    BAR_DATA_T& b = BAR_DATA;
    const uint16_t pressed = KEY_DATA.pressed, repeat = KEY_DATA.repeat;
    if (b.navigation == BAR_NAV_KEYS || b.navigation == BAR_NAV_POINTER) {
        if (PointerMoved() || (pressed & (KEY_UP | KEY_DOWN))) b.navigation = BAR_NAV_NONE;
        if (repeat & KEY_LEFT) item = item <= 0 ? items - 1 : item - 1;
        if (repeat & KEY_RIGHT) item = item < 0 || item >= items - 1 ? 0 : item + 1;
        return true;
    }
    if (b.navigation == BAR_NAV_NONE && (pressed & KEY_DOWN)) {
        b.navigation = BAR_NAV_KEYS;
        if (item < 0) item = 0;
        return true;
    }
    return false;
}

bool BarNavigation() { return BAR_DATA.navigation == BAR_NAV_KEYS || BAR_DATA.navigation == BAR_NAV_POINTER; }

// The pointer on a bar: a move or a click points the item under it (`at`), a newly pointed item
// sounds, and a click or the decide key on the navigated bar picks the item (a click re-reads it).
// True when an item is to be carried out.
bool BarPointer(int32_t& item, int32_t& last, int (*at)(int32_t, int32_t), bool click) {
    BAR_DATA_T& b = BAR_DATA;
    const MouseFrame& m = MOUSE_FRAME;
    if ((PointerMoved() || click) && (b.navigation == BAR_NAV_NONE || b.navigation == BAR_NAV_POINTER)) {
        item = at(m.x, m.y);
        b.navigation = item >= 0 ? BAR_NAV_POINTER : BAR_NAV_NONE;
    }
    if (item != last) {
        if (item >= 0) SE_PlaySys(46, 0);
        last = item;
    }
    if (!BarNavigation() || !((KEY_DATA.pressed & KEY_A) || click)) return false;
    if (click) item = at(m.x, m.y);
    return true;
}

// The auto bar's rows that slide (pin, stop, knob, track, end piece) stand at y.
void SetAutoRowY(int32_t y) {
    for (int i = 0; i <= 4; ++i) BAR_DATA.autob[i].y = y;
}

void CreateParts(BAR_PARTS* parts, int n) {
    for (int i = 0; i < n; ++i) BAR_PartsInit(&parts[i]);
}

// A still object of the common picture's rectangle at (x, y) and priority; -1 without the picture.
void CommonPart(BAR_PARTS& part, int32_t priority, int32_t x, int32_t y) {
    part.sprite = -1;
    if (!IMG_Surface(BAR_COMMON_IMAGE)) return;
    part.sprite = SP_FindFree();
    const RECT src{part.left, part.top, part.right, part.bottom};
    if (part.sprite >= 0 && !SP_CreateStill(part.sprite, priority, x, y, BAR_COMMON_IMAGE, &src)) part.sprite = -1;
}
}  // namespace

// ---- screen parts ----

void BAR_PartsInit(BAR_PARTS* part) {
    part->x = part->y = 0;
    part->sprite = -1;
    part->left = part->top = part->right = part->bottom = 0;
    part->user[0] = part->user[1] = part->user[5] = part->user[6] = 0;
}

void BAR_PartsFree(BAR_PARTS* part) {
    if (part->sprite < 0) return;
    SP_Delete(part->sprite);
    BAR_PartsInit(part);
}

void BAR_PartsSetRect(BAR_PARTS* part, int32_t x, int32_t y, int32_t w, int32_t h) {
    part->left = x;
    part->top = y;
    part->right = x + w;
    part->bottom = y + h;
}

void BAR_PartsScale(BAR_PARTS* part, int32_t sx, int32_t sy) {
    const int32_t w = part->right - part->left, h = part->bottom - part->top;
    SP_SetScale(part->sprite, sx * 256 / 1000, sy * 256 / 1000);
    SP_SetPos(part->sprite, int32_t(part->x - w / 2.0 * (sx / 1000.0 - 1)), int32_t(part->y - h / 2.0 * (sy / 1000.0 - 1)));
}

void BAR_PartsDraw(BAR_PARTS* part, int32_t image, int32_t priority) {
    if (!IMG_Surface(image)) return;
    const SP_OBJ* o = SP_Get(part->sprite);
    const int visible = o ? o->visible : 1;
    if (!o) part->sprite = SP_FindFree();
    const RECT src{part->left, part->top, part->right, part->bottom};
    if (part->sprite >= 0 && SP_CreateStill(part->sprite, priority, part->x, part->y, image, &src))
        SP_SetVisible(part->sprite, visible);
    else if (!o)
        part->sprite = -1;
}

void BAR_Slide(int32_t* v, int32_t target, bool instant) {
    const int32_t d = target - *v;
    *v = instant || (d >= -BAR_STEP && d <= BAR_STEP) ? target : *v + (d > 0 ? BAR_STEP : -BAR_STEP);
}

// ---- bottom bar ----

void BAR_BottomInit() {
    BAR_DATA_T& b = BAR_DATA;
    CreateParts(b.bottom, BAR_BOTTOM_PARTS);
    b.bottom_y = BAR_HIDDEN_Y;
    b.bottom_item = b.bottom_last = -1;
    SYS_DATA.bar_pin = 0;
    BAR_BottomDraw();
}

int BAR_BottomStep() {
    BAR_DATA_T& b = BAR_DATA;
    const MouseFrame& m = MOUSE_FRAME;
    const bool zone = InBottomZone(m.x, m.y);
    const bool instant = SYS_DATA.bar_instant == 1;
    // The choice window keeps the bar away unless it is pointed at or pinned.
    if (b.choice_shown && !zone && SYS_DATA.bar_pin != 1) {
        if (b.navigation != BAR_NAV_QUICK_KEYS && b.navigation != BAR_NAV_QUICK_POINTER) b.navigation = BAR_NAV_NONE;
        SlideY(b.bottom_y, false, false);
        BAR_BottomDraw();
        return 0;
    }
    if (b.pointer_reset) {
        b.last_x = b.last_y = -1;
        b.pointer_reset = 0;
    }
    const bool free = b.mode == 0 && !b.skipping;
    bool want = ((zone && b.menus_allowed) || SYS_DATA.bar_pin == 1) && free && !b.lock;
    if (zone && b.mode == 0 && TITLE_PlayKind == 0) b.cursor_on_bar = 1;
    if (b.menus_allowed && free && !b.lock && BarKeys(b.bottom_item, BAR_BOTTOM_ITEMS)) want = true;

    if (want) {
        b.bar_shown = 1;
        if (b.bottom_y == BAR_HIDDEN_Y) b.bottom_last = -1;
    }
    SlideY(b.bottom_y, want, instant);

    b.hot_request = 0;
    if (!free) return 0;

    if (BarPointer(b.bottom_item, b.bottom_last, BottomItemAt, (m.edge & 1) != 0)) {
        const int item = b.bottom_item;
        switch (item) {
            case 0:
                SE_PlaySys(46, 0);
                SYS_DATA.bar_pin = SYS_DATA.bar_pin ? 0 : 1;
                break;
            case 1:
                if (b.choice_shown) {
                    SE_PlaySys(48, 0);
                } else {
                    SE_PlaySys(47, 0);
                    BAR_WndToggle();
                }
                break;
            case 2:
                if (b.replay_voice >= 0) VOICE_PlayId(b.replay_voice);
                break;
            case 3:
                SE_PlaySys(46, 0);
                b.hot_request = BAR_HOT_LOG;
                break;
            case 4:
                SE_PlaySys(52, 0);
                b.mode = 1;
                b.hot_request = BAR_HOT_STARTED;
                break;
            case 5:
                SE_PlaySys(52, 0);
                MOUSE_SetCursorMode(0);
                b.mode = 2;
                b.hot_request = BAR_HOT_STARTED;
                break;
            case 6:
            case 7:
            case 8:
                if (TITLE_PlayKind == 1) {
                    // Refused: nothing opens, so the bar stays and the notice is not cut.
                    BAR_Notice(kNotInReplay, 0, 0);
                    return 1;
                } else {
                    VOICE_PlayBonus(item);
                    SE_PlaySys(46, 0);
                    b.hot_request = item == 6 ? BAR_HOT_SAVE : item == 7 ? BAR_HOT_LOAD : BAR_HOT_EVENT;
                    if (item == 6) THUMB_Make();
                }
                break;
            case 9:
                b.hot_request = BAR_HOT_CONFIG;
                VOICE_PlayBonus(9);
                SE_PlaySys(46, 0);
                break;
            default:
                return 0;  // a click beside the buttons
        }
        if (item >= 3) {
            // A system window opens: everything of the bar leaves at once.
            b.navigation = BAR_NAV_NONE;
            HideTip();
            b.bottom_y = BAR_HIDDEN_Y;
            QSAVE_DATA.x = QSAVE_CLOSED_X;
            SP_SetVisible(QSAVE_DATA.mark.sprite, 0);
            MOUSE_ShowCursor(0);
            BAR_NoticeClear();
        }
        return 1;
    }
    RememberPointer();
    return 0;
}

void BAR_BottomDraw() {
    BAR_DATA_T& b = BAR_DATA;
    const bool nav = BarNavigation();
    // A tooltip shows a drawing after its item was pointed, once the bar stands.
    if (b.tip_pending_bottom >= 0 && b.tip_pending_bottom == b.tip_item && b.bottom_y < 457) {
        const BAR_ITEM& it = BAR_BOTTOM_TABLE[b.tip_pending_bottom];
        if (it.tip) MWND_TipShow(it.screen_x + it.width / 2, 464, "", "", it.tip);
        b.tip_pending_bottom = -1;
    }
    if (SYS_DATA.help_on == 1 && b.mode == 0 && nav && !b.lock && b.bottom_item >= 0 && b.bottom_item != b.tip_item) {
        b.tip_item = b.bottom_item;
        b.tip_pending_bottom = b.bottom_item;
    }
    for (int i = 0; i < BAR_BOTTOM_PARTS; ++i) {
        const BAR_ITEM& it = BAR_BOTTOM_TABLE[i];
        BAR_PARTS& p = b.bottom[i];
        const int32_t sx = i == 0 && SYS_DATA.bar_pin == 1 ? 0 : it.src_x;
        BAR_PartsSetRect(&p, sx, nav && i == b.bottom_item ? kLitY : kRowY, it.width, 24);
        p.x = it.screen_x;
        p.y = b.bottom_y;
        BAR_PartsDraw(&p, b.pmenu_image, 0);
    }
}

// ---- auto bar ----

void BAR_AutoInit() {
    BAR_DATA_T& b = BAR_DATA;
    CreateParts(b.autob, BAR_AUTO_PARTS);
    b.auto_y = BAR_HIDDEN_Y;
    b.auto_item = b.auto_last = -1;
    b.drag = -1;
    b.wobble = 0;
    for (int i = 0; i < BAR_AUTO_PARTS; ++i) {
        b.autob[i].x = kAuto[i].screen_x;
        b.autob[i].y = BAR_HIDDEN_Y;
    }
    b.autob[kKnob].x = KnobMin();
    SYS_DATA.auto_bar_pin = 0;
    BAR_AutoDraw();
}

void BAR_AutoStep() {
    BAR_DATA_T& b = BAR_DATA;
    const MouseFrame& m = MOUSE_FRAME;
    BAR_PARTS& knob = b.autob[kKnob];
    const bool instant = SYS_DATA.bar_instant == 1;
    b.autob[kLeftArrow].y = b.autob[kRightArrow].y = BAR_HIDDEN_Y;

    if (b.drag == -1) {
        const bool zone = m.y >= 457 && m.y <= 479 && m.x > 364 && m.x <= 615;
        bool want = (zone || SYS_DATA.auto_bar_pin == 1) && b.mode == 1 && !b.lock;
        if (zone && b.mode == 1) b.cursor_on_bar = 1;
        if (b.mode == 1 && b.menus_allowed && !b.skipping && !b.lock && BarKeys(b.auto_item, BAR_AUTO_ITEMS)) want = true;
        if (want) {
            if (b.auto_y == BAR_HIDDEN_Y) {
                b.auto_last = -1;
                knob.x = b.autob[1].x + 64 + SYS_DATA.auto_wait * 120 / 100;
            }
            b.bar_shown = 1;
        }
        SlideY(b.auto_y, want, instant);
        SetAutoRowY(b.auto_y);

        if (b.mode == 1) {
            const bool click = (m.edge & 1) != 0;
            if (BarPointer(b.auto_item, b.auto_last, AutoItemAt, click)) {
                if (b.auto_item == 0) {
                    SE_PlaySys(46, 0);
                    SYS_DATA.auto_bar_pin = SYS_DATA.auto_bar_pin ? 0 : 1;
                } else if (b.auto_item == 1) {
                    SE_PlaySys(47, 0);
                    b.mode = 0;
                    b.skipping = 0;
                } else if (b.auto_item == kKnob) {
                    // A click on the track beside the knob puts the knob under the pointer first.
                    if (click && (m.x < knob.x || m.x > knob.x + 19)) knob.x = Clamp(m.x - 9, KnobMin(), KnobMax());
                    b.drag = m.x - knob.x;
                    if (b.drag == -1) b.drag = 0;
                }
            }
            RememberPointer();
        }
    }

    if (b.drag != -1) {
        const uint16_t held = KEY_DATA.held;
        if (m.buttons & 1) {
            knob.x = m.x - b.drag;
        } else if (held & KEY_A) {
            if (held & KEY_LEFT) knob.x -= 4;
            if (held & KEY_RIGHT) knob.x += 4;
            b.autob[kLeftArrow].y = b.autob[kRightArrow].y = BAR_SHOWN_Y;
        }
        knob.x = Clamp(knob.x, KnobMin(), KnobMax());
        SYS_DATA.auto_wait = uint8_t((knob.x - KnobMin()) * 100 / 120);
        if (!(m.buttons & 1) && !(held & KEY_A)) b.drag = -1;
    }
    b.autob[kLeftArrow].x = knob.x - 19;
    b.autob[kRightArrow].x = knob.x + 15;
}

void BAR_AutoDraw() {
    BAR_DATA_T& b = BAR_DATA;
    const bool nav = BarNavigation();
    if (b.tip_pending_auto >= 0 && b.tip_pending_auto == b.tip_item && b.auto_y < 457) {
        const int i = b.tip_pending_auto - kAutoTip;
        if (kAuto[i].tip) MWND_TipShow(b.autob[i].x + kAuto[i].width / 2, 464, "", "", kAuto[i].tip);
        b.tip_pending_auto = -1;
    }
    if (SYS_DATA.help_on == 1 && b.mode == 1 && nav && !b.lock && b.auto_item >= 0 && kAutoTip + b.auto_item != b.tip_item) {
        b.tip_item = kAutoTip + b.auto_item;
        b.tip_pending_auto = b.tip_item;
    }
    const int32_t c = b.wobble;
    const int32_t o = c <= 4 ? c : 8 - c;
    b.wobble = (c + 1) % 8;
    for (int i = 0; i < BAR_AUTO_PARTS; ++i) {
        const AutoPart& a = kAuto[i];
        BAR_PARTS& p = b.autob[i];
        const int32_t sx = i == 0 && SYS_DATA.auto_bar_pin == 1 ? 0 : a.src_x;
        const int32_t sy = i <= kKnob && nav && i == b.auto_item ? kLitY : a.src_y;
        BAR_PartsSetRect(&p, sx, sy, a.width, 24);
        const int32_t x = p.x;
        if (i == kLeftArrow) p.x = x + o;
        if (i == kRightArrow) p.x = x + 4 - o;
        BAR_PartsDraw(&p, b.pmenu_image, a.priority);
        p.x = x;
    }
}

// ---- the whole bar ----

void BAR_Update() {
    BAR_DATA_T& b = BAR_DATA;
    // Voices duck the music and the effects to 8/10 while they play.
    if (VOICE_IsPlaying() && !b.voice_ducked) {
        if (SYS_DATA.duck_music) BGM_SetVolume(SYS_DATA.vol_music * 8 / 10);
        if (SYS_DATA.duck_se) SE_SetVolume(SYS_DATA.vol_se * 8 / 10);
        b.voice_ducked = SYS_DATA.duck_music || SYS_DATA.duck_se;
    } else if (!VOICE_IsPlaying() && b.voice_ducked) {
        SE_SetVolume(SYS_DATA.vol_se);
        BGM_SetVolume(SYS_DATA.vol_music);
        b.voice_ducked = 0;
    }

    const int answer = MSGBOX_Check(MSGBOX_KIND_QUICK);
    if (answer == -2) return;
    if (answer == -1) THUMB_InfoHide();
    if (answer == MSGBOX_QUICK_SAVE || answer == MSGBOX_QUICK_LOAD) {
        QSAVE_Answer(answer);
        return;
    }

    b.cursor_on_bar = b.input_taken = b.bar_shown = 0;
    if (TITLE_PlayKind != 2) {
        const int acted = BAR_BottomStep();
        BAR_BottomDraw();
        if (!acted) {
            BAR_AutoStep();
            BAR_AutoDraw();
        }
        if (!b.file_window) QSAVE_PanelStep();
        QSAVE_PanelDraw();
        if (SYS_DATA.help_on == 1) {
            if (b.tip_item >= 0 && (b.navigation == BAR_NAV_NONE || b.hot_request != 0)) HideTip();
            MWND_TipStep();
        }
    }
    if (b.navigation != BAR_NAV_NONE) b.input_taken = 1;
    if (b.menus_allowed && !b.skipping && !b.lock) MOUSE_SetCursorMode(b.cursor_on_bar);
}

void BAR_BattleStep() {
    BAR_DATA_T& b = BAR_DATA;
    if (!b.file_window) THUMB_InfoHide();
    if (QSAVE_DATA.x >= QSAVE_CLOSED_X && b.bottom_y >= BAR_HIDDEN_Y && b.auto_y >= BAR_HIDDEN_Y && b.tip_item < 0) return;
    SlideY(b.bottom_y, false, false);
    SlideY(b.auto_y, false, false);
    SetAutoRowY(b.auto_y);
    BAR_Slide(&QSAVE_DATA.x, QSAVE_CLOSED_X, false);
    BAR_BottomDraw();
    BAR_AutoDraw();
    QSAVE_PanelDraw();
    HideTip();
    SP_SetVisible(QSAVE_DATA.mark.sprite, 0);
}

void BAR_WndToggle() {
    const int shown = BAR_TextWindowShown() ? 0 : 1;
    BAR_SetTextWindowShown(shown);
    BAR_DATA.lock = shown ? 0 : 1;
    if (!shown && BAR_DATA.tip_item >= 0) HideTip();
}

void BAR_CloseAll() {
    BAR_DATA_T& b = BAR_DATA;
    BAR_QuickClose();
    QSAVE_PanelDraw();
    b.bottom_y = b.auto_y = BAR_HIDDEN_Y;
    SetAutoRowY(BAR_HIDDEN_Y);
    BAR_BottomDraw();
    BAR_AutoDraw();
    HideTip();
}

void BAR_Lock() {
    BAR_CloseAll();
    BAR_DATA.lock = 1;
}

void BAR_Init() {
    BAR_DATA_T& b = BAR_DATA;
    b = BAR_DATA_T{};
    b.pmenu_image = IMG_Load(FIL_MakePath("bmp\\quon\\pmenu.bmp"), 0);
    b.menus_allowed = 1;
    b.tip_item = b.tip_pending_bottom = b.tip_pending_auto = b.tip_pending_quick = -1;
    b.last_x = b.last_y = -1;
    b.replay_voice = -1;
    QSAVE_DATA = QSAVE_DATA_T{};  // QSAVE_MarkInit sets newest to -1
    BAR_BottomInit();
    BAR_AutoInit();
    QSAVE_PanelInit();
    LOG_Alloc();
    EVT_Init();
    SYSDAT_Read();
    BAR_CommonInit();
    BAR_NoticeInit();
    QSAVE_MarkInit();
    MSGBOX_Reset();
}

void BAR_Term() {
    BAR_DATA_T& b = BAR_DATA;
    MSGBOX_Term();
    b.pmenu_image = IMG_Free(b.pmenu_image);
    for (BAR_PARTS& p : b.bottom) BAR_PartsFree(&p);
    for (BAR_PARTS& p : b.autob) BAR_PartsFree(&p);
    QSAVE_PanelFree();
    LOG_Free();
    EVT_Term();
    SYSDAT_Write();
    BAR_NoticeFree();
    QSAVE_MarkFree();
    BAR_CommonFree();
    FIL_DeleteFile(FIL_MakePath("WAV\\VOICE\\voice.wav"));
}

// ---- the common picture ----

void BAR_CommonInit() {
    BAR_COMMON_IMAGE = IMG_Load(FIL_MakePath("bmp\\quon\\common.bmp"), 0);
    BAR_CURSOR = BAR_PARTS{320, 240, 0, -1, 0, 0, 0, 0, {}};
    BAR_PartsSetRect(&BAR_CURSOR, 0, 112, 32, 26);
    CommonPart(BAR_CURSOR, -10, 640, 0);
    SP_SetVisible(BAR_CURSOR.sprite, 0);
    for (BAR_PARTS& p : MOUSE_PARTICLE) {
        p = BAR_PARTS{0, 480, 0, -1, 0, 0, 0, 0, {}};
        BAR_PartsSetRect(&p, 32, 170, 8, 8);
        CommonPart(p, -11, 0, 480);
    }
    THUMB_InfoInit();
    THUMB_InitTemplates(BAR_COMMON_IMAGE);
}

void BAR_CommonFree() {
    BAR_CURSOR.sprite = SP_Free(BAR_CURSOR.sprite);
    for (BAR_PARTS& p : MOUSE_PARTICLE) p.sprite = SP_Free(p.sprite);
    THUMB_InfoFree();
    BAR_COMMON_IMAGE = IMG_Free(BAR_COMMON_IMAGE);
}
