// The entry of every test binary: the game's variables are cleared and the golden switch is checked
// before any test is chosen or run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/golden.h"

extern char** environ;

namespace {
// The game's variables (every ORV_ variable but ./test's own three, and SDL's), as
// tools/check_vars.sh clears them for ./test and the screen step: a caller's ORV_FRAMES or
// SDL_AUDIODRIVER must not reach a test or the program a test starts (the screen step runs its tests
// with SDL_VIDEODRIVER=dummy exported). A test that needs one sets it.
void ClearGameVariables() {
    std::vector<std::string> names;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "ORV_TEST_SEED" || name == "ORV_FUZZ_SECONDS" || name == "ORV_UPDATE_GOLDEN") continue;
        if (name.rfind("ORV_", 0) == 0 || name.rfind("SDL_", 0) == 0) names.push_back(name);
    }
    for (const std::string& name : names) unsetenv(name.c_str());  // not while environ is walked
}
}  // namespace

int main(int argc, char** argv) {
    ClearGameVariables();
    support::UpdateGolden();  // a value not understood ends the binary here (exit code 2)
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
