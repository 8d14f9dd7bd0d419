// Program entry: the platform starts (environment, backend), the game runs, the platform ends.
#include <cstdio>

#include "platform/platform.h"
#include "shell/app_main.h"

int main() {
    if (!plat::Init()) {
        std::fprintf(stderr, "orvant: no platform backend could start\n");
        return 1;
    }
    const int code = WinMain();
    const int end = plat::Shutdown();
    return code != 0 ? code : end;
}
