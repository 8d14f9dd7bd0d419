// The test double of the script interpreter and the script builder.
#include "tests/support/script_double.h"

#include "battle/bsc_command.h"

namespace support {
namespace {
ScriptHost* g_current = nullptr;

void SetExtension(BSC_HANDLER h) { g_current->handler = h; }
void GetValue(int32_t* out) {
    ScriptHost& h = *g_current;
    ++h.reads;
    if (h.operands.empty()) {
        ++h.misread;
        *out = 0;
        return;
    }
    *out = h.operands.front();
    h.operands.pop_front();
}
void Skip(int n) { g_current->skipped_bytes += n; }
void SetResult(int32_t v) { g_current->results.push_back(v); }
void Suspend() { ++g_current->suspends; }
void SetFlag(int32_t v) { g_current->flags.push_back(v); }
int Skipping() { return g_current->skipping ? 1 : 0; }
void SetMode(int m) { g_current->modes.push_back(m); }
void MenuReturn(int c) { g_current->menu_returns.push_back(c); }

constexpr BSC_HOST kDouble = {SetExtension, GetValue, Skip, SetResult, Suspend, SetFlag, Skipping, SetMode, MenuReturn};
}  // namespace

ScriptBuilder& ScriptBuilder::Cmd(uint32_t command, std::vector<int32_t> operands) {
    commands_.push_back({command, std::move(operands)});
    return *this;
}

ScriptHost::ScriptHost() {
    g_current = this;
    BSC_SetHost(&kDouble);
}

ScriptHost::~ScriptHost() {
    BSC_SetHost(nullptr);
    g_current = nullptr;
}

int ScriptHost::Run(uint32_t command, const std::vector<int32_t>& ops) {
    operands.assign(ops.begin(), ops.end());
    const int yield = (handler ? handler : mBSC_Command)(command);
    misread += int(operands.size());
    operands.clear();
    return yield;
}

std::vector<int> ScriptHost::Run(const ScriptBuilder& script) {
    std::vector<int> yields;
    for (const ScriptCommand& c : script.Commands()) yields.push_back(Run(c.command, c.operands));
    return yields;
}

}  // namespace support
