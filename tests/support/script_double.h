// The script interpreter as the battle-script commands see it, for tests: operands fed from a list,
// and the results, suspensions, flags, skipped bytes and screen changes recorded; and a builder that
// turns a scene's commands into their operand lists.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "battle/bsc_host.h"

namespace support {

struct ScriptCommand {
    uint32_t command;
    std::vector<int32_t> operands;
};

// Commands in order, each with its operands as the interpreter would evaluate them.
class ScriptBuilder {
public:
    ScriptBuilder& Cmd(uint32_t command, std::vector<int32_t> operands = {});
    const std::vector<ScriptCommand>& Commands() const { return commands_; }

private:
    std::vector<ScriptCommand> commands_;
};

// Installs itself as the battle script's host while it lives (one at a time).
class ScriptHost {
public:
    ScriptHost();
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Runs one command through the installed handler (mBSC_Command when none was installed): its
    // yield flag. Operands left unread, or read past the list, count in `misread`.
    int Run(uint32_t opcode_minus_128, const std::vector<int32_t>& operands = {});
    // Runs each command in turn; the yield flags.
    std::vector<int> Run(const ScriptBuilder& script);

    std::deque<int32_t> operands;
    int reads = 0, misread = 0, skipped_bytes = 0, suspends = 0;
    bool skipping = false;
    std::vector<int32_t> results, flags;
    std::vector<int> modes, menu_returns;
    BSC_HANDLER handler = nullptr;
};

}  // namespace support
