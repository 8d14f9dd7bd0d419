// What the battle-script commands need from outside the battle engine, behind one narrow
// interface: the script interpreter's extension calls (handler, operands, result, suspension), the
// skip test of the text bar, the top-level mode switch and the menus' return code. The interpreter
// installs its calls with BSC_SetHost; until then the stand-in reads every operand as 0, asks the
// text bar whether text is skipped (BAR_SkipCheck) and records the rest (BTL_Record lines
// "ADV_Suspend" ...).
#pragma once
#include <cstdint>

using BSC_HANDLER = int (*)(uint32_t command);

struct BSC_HOST {
    void (*set_extension)(BSC_HANDLER handler);  // ADV_SetExtension
    void (*get_value)(int32_t* out);             // ADV_ExtGetValue: the next operand
    void (*skip)(int bytes);                     // ADV_ExtSkip
    void (*set_result)(int32_t value);           // ADV_ExtSetResult
    void (*suspend)();                           // ADV_Suspend, until the scenario resumes it
    void (*set_flag)(int32_t value);             // ADV_ExtSetFlag
    int (*skipping)();                           // BAR_SkipCheck: 1 while text is skipped this frame
    void (*set_mode)(int mode);                  // APP_SetMode
    void (*menu_return)(int code);               // MENU_SetReturnCode
};

// Installs the calls (null: back to the stand-in); every call of the commands goes through it.
void BSC_SetHost(const BSC_HOST* host);
const BSC_HOST& BSC_Host();

// BAR_SkipSet as the commands use it: value into *dest only while text is skipped.
void BSC_SkipSet(int32_t* dest, int32_t value);
