// The entry of every test binary: the golden switch is checked before any test is chosen or run.
#include <gtest/gtest.h>

#include "tests/support/golden.h"

int main(int argc, char** argv) {
    support::UpdateGolden();  // a value not understood ends the binary here (exit code 2)
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
