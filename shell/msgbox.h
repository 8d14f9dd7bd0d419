// The in-game Yes/No message box: one modal box at a time, owned by the caller that opened it.
#pragma once
#include <cstdint>

#include "shell/sys_bar.h"

// The owner of the box.
enum MSGBOX_KIND : int {
    MSGBOX_KIND_QUICK = 1,   // the quick save/load panel
    MSGBOX_KIND_CONFIG = 2,  // the configuration window
    MSGBOX_KIND_FILE = 3,    // the load and save windows
    MSGBOX_KIND_QUIT = 4,    // the close button and the title screen
};
// The question; the type is also the answer for Yes. The functions below take plain numbers, as
// a type outside 1..6 is answered at once.
enum MSGBOX_TYPE : int {
    MSGBOX_SAVE = 1,
    MSGBOX_LOAD = 2,
    MSGBOX_QUICK_SAVE = 3,
    MSGBOX_QUICK_LOAD = 4,
    MSGBOX_TO_TITLE = 5,
    MSGBOX_QUIT = 6,
};

// Parts of the box: frame, Yes, No and option-line highlights, check mark, question strip.
enum MSGBOX_PART { MSGBOX_FRAME, MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION, MSGBOX_CHECK, MSGBOX_TEXT, MSGBOX_PARTS };
extern BAR_PARTS MSGBOX_PART_TABLE[MSGBOX_PARTS];

// No box, owner 0, focus 0, not closing, the saved cursor-shown flag 1.
void MSGBOX_Reset();
// Nothing while a box is open. A type whose do-not-ask byte is set (or outside 1..6) shows
// nothing and is answered at the owner's next check.
void MSGBOX_Open(int kind, int type);
// The open type when a box is open and owned by `kind`, else 0.
int MSGBOX_IsOpen(int kind);
// The owner's per-frame step: 0 when no box of this kind is open, -2 while it is open, the type
// once for Yes, -1 once for No (after the buttons are released).
int MSGBOX_Check(int kind);
// Frees the picture and the parts and restores the cursor; the open type (0 when none). The box
// stays open until the owner's next check.
int MSGBOX_Close();
// Closes an open box for good (shutdown).
void MSGBOX_Term();
// Keyboard focus: 0 none, 1 Yes, 2 No, 3 option line.
int MSGBOX_GetFocus();
