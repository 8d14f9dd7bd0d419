// Every battle test starts from a clean slate, whatever ran before it in a shuffled order: no
// buttons held or remembered, no call record, the generator's start seed, the battle's globals at
// their start and no pool left behind.
#include <gtest/gtest.h>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/list_pool.h"
#include "platform/random.h"
#include "services/key_button.h"

namespace {

class CleanSlate : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        KEY_DATA = KeyData{};
        KEY_InitDefault();
        MOUSE_FRAME = MouseFrame{};
        BTL_RecordOn(false);
        BTL_Recorded().clear();
        plat::Srand(1);
        BTL_ResetGlobals();
        LIST_Term();
        LIST_CURRENT = LIST_CURRENT_DATA{};
    }
};

// Registered before main runs, so it comes before every test of the binary.
const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CleanSlate);
    return true;
}();

}  // namespace
