// The battle script's host calls, with the stand-in used until the interpreter installs its own.
#include "battle/bsc_host.h"

#include "battle/btl_common.h"
#include "shell/bar_skip.h"

namespace {
// Stand-in until the script interpreter and the shell install theirs: operands read 0, the rest is
// recorded; the skip test is the text bar's own.
void StandInExtension(BSC_HANDLER) { BTL_Record("ADV_SetExtension"); }
void StandInValue(int32_t* out) { *out = 0; }
void StandInSkip(int) {}
void StandInResult(int32_t v) { BTL_Record("ADV_ExtSetResult %d", v); }
void StandInSuspend() { BTL_Record("ADV_Suspend"); }
void StandInFlag(int32_t v) { BTL_Record("ADV_ExtSetFlag %d", v); }
int Skipping() { return BAR_SkipCheck(); }
void StandInMode(int mode) { BTL_Record("APP_SetMode %d", mode); }
void StandInMenuReturn(int code) { BTL_Record("MENU_SetReturnCode %d", code); }

constexpr BSC_HOST kStandIn = {StandInExtension, StandInValue,    StandInSkip, StandInResult,    StandInSuspend,
                               StandInFlag,      Skipping,        StandInMode, StandInMenuReturn};
const BSC_HOST* g_host = &kStandIn;
}  // namespace

void BSC_SetHost(const BSC_HOST* host) { g_host = host ? host : &kStandIn; }

const BSC_HOST& BSC_Host() { return *g_host; }

void BSC_SkipSet(int32_t* dest, int32_t value) {
    if (g_host->skipping()) *dest = value;
}
