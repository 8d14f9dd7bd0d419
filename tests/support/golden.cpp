// Golden frames stored as compressed RGB PNG files (libpng).
#include "tests/support/golden.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "display/dd_display.h"
#include "platform/platform.h"

#ifndef ORV_SOURCE_DIR
#error "ORV_SOURCE_DIR names the source tree"
#endif

namespace support {
namespace {
struct Rgb {
    int w = 0, h = 0;
    std::vector<uint8_t> bytes;  // rows of red, green, blue
};

Rgb FromSurface(DDSurface* s) {
    Rgb out{s->Width(), s->Height(), {}};
    std::vector<uint32_t> row(size_t(out.w));
    for (int y = 0; y < out.h; ++y) {
        plat::Convert16To32(reinterpret_cast<const uint16_t*>(s->Memory() + size_t(y) * s->Pitch()), row.data(), out.w,
                            DD_Is565(s->Format().dwGBitMask));
        for (uint32_t p : row) out.bytes.insert(out.bytes.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    }
    return out;
}

bool Write(const std::string& path, const Rgb& img) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (png && info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_IHDR(png, info, uint32_t(img.w), uint32_t(img.h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        for (int y = 0; y < img.h; ++y) png_write_row(png, &img.bytes[size_t(y) * img.w * 3]);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

bool Read(const std::string& path, Rgb& img) {
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&im, path.c_str())) return false;
    im.format = PNG_FORMAT_RGB;
    img.w = int(im.width);
    img.h = int(im.height);
    img.bytes.resize(PNG_IMAGE_SIZE(im));
    const bool ok = png_image_finish_read(&im, nullptr, img.bytes.data(), 0, nullptr) != 0;
    png_image_free(&im);
    return ok;
}
}  // namespace

bool ReadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels) {
    Rgb img;
    if (!Read(path, img)) return false;
    *width = img.w;
    *height = img.h;
    pixels->resize(size_t(img.w) * img.h);
    for (size_t i = 0; i < pixels->size(); ++i)
        (*pixels)[i] = uint32_t(img.bytes[3 * i]) << 16 | uint32_t(img.bytes[3 * i + 1]) << 8 | img.bytes[3 * i + 2];
    return true;
}

namespace {
std::string Compare(const std::string& name, const Rgb& actual) {
    const std::string path = std::string(ORV_SOURCE_DIR) + "/tests/" + name + ".png";
    if (UpdateGolden()) return Write(path, actual) ? "" : "cannot write " + path;
    Rgb expected;
    if (!Read(path, expected)) return "no golden frame " + path + " (ORV_UPDATE_GOLDEN=1 writes it)";
    if (expected.w != actual.w || expected.h != actual.h) return "size differs from " + path;
    size_t differ = 0;
    for (size_t i = 0; i < actual.bytes.size(); i += 3)
        differ += actual.bytes[i] != expected.bytes[i] || actual.bytes[i + 1] != expected.bytes[i + 1] ||
                  actual.bytes[i + 2] != expected.bytes[i + 2];
    if (differ == 0) return "";
    const std::string out = (std::filesystem::temp_directory_path() / "orv_golden" / (name + ".actual.png")).string();
    Write(out, actual);
    return std::to_string(differ) + " pixels differ from " + path + "; drawn frame in " + out;
}
}  // namespace

std::string CheckGolden(const std::string& name, DDSurface* surface) { return Compare(name, FromSurface(surface)); }

std::string CheckGoldenFile(const std::string& name, const std::string& png_path) {
    Rgb actual;
    if (!Read(png_path, actual)) return "cannot read " + png_path;
    return Compare(name, actual);
}
}  // namespace support
