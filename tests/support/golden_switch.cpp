// The switch that rewrites the golden files, read by every test binary as it starts.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "tests/support/golden.h"

namespace support {
bool UpdateGolden() {
    const std::string v = plat::Env("ORV_UPDATE_GOLDEN");
    if (v.empty() || v == "0" || v == "1") return v == "1";
    std::fprintf(stderr, "ORV_UPDATE_GOLDEN=\"%s\" is not understood (use 0 or 1)\n", v.c_str());
    std::exit(2);
}
}  // namespace support
