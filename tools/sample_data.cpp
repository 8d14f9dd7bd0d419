// Writes a small synthetic data directory that the game can start in.
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sample_data DIRECTORY\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path root(argv[1]);
    std::error_code ec;
    for (const char* dir : {"save", "Bmp", "Wav", "WAV/Voice", "Music", "Dat", "script"}) {
        fs::create_directories(root / dir, ec);
        if (ec) {
            std::fprintf(stderr, "sample_data: cannot create %s: %s\n", (root / dir).c_str(), ec.message().c_str());
            return 1;
        }
    }
    return 0;
}
