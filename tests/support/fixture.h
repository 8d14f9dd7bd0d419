// Helpers for tests: a fresh headless display, temporary directories, surfaces filled from pixels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/dd_display.h"
#include "platform/headless/headless.h"

namespace support {

// Resets the headless platform and opens a windowed 640 x 480 x 16 display on it.
// Destroys the window and releases the display when it goes out of scope.
class HeadlessDisplay {
public:
    explicit HeadlessDisplay(const headless::Config& config = {}, int width = 640, int height = 480);
    ~HeadlessDisplay();
    bool ok = false;
    plat::Window* window = nullptr;
};

// A fresh empty directory, removed with its contents at the end; the current directory moves
// into it while the object lives.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_, old_cwd_;
};

// A fresh per-user configuration directory (XDG_CONFIG_HOME) while the object lives, so that the
// registry file and the instance lock of a test never meet the player's; the current directory
// stays where it is.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;
    const std::string& path() const { return path_; }
    // A file of the program's directory in it ("orvant/<name>").
    std::string File(const std::string& name) const { return path_ + "/orvant/" + name; }

private:
    std::string path_, old_;
    bool had_ = false;
};

// 16-bit surface helpers.
DDSurface* MakeSurface(int w, int h, const std::vector<uint16_t>& pixels = {});
std::vector<uint16_t> ReadSurface(DDSurface* s);
uint16_t PixelAt(DDSurface* s, int x, int y);
void SetPixel(DDSurface* s, int x, int y, uint16_t v);
void SetKey0(DDSurface* s);  // colour key 0, as the image loaders set it

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
}  // namespace support
