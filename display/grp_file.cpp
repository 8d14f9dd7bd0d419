// Readers of ".grp" pictures and Windows bitmap files, bounded by the bytes the files hold.
#include "display/grp_file.h"

#include <cstring>

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/lz32.h"
#include "platform/memory.h"
#include "services/fil_util.h"

namespace {
using plat::Get16;
using plat::Get32;

void OpenError(const char* name, int code) { SYS_DebugPrintNoCrlf("%s:Open error %d\n", name, code); }

bool ReadGrpBody(plat::File& f, const char* name, GRP_IMAGE* image) {
    uint8_t head[GRP_HEADER_SIZE];
    if (f.Read(head, sizeof head) != sizeof head) return SYS_DebugPrint("%s: header cut short", name), false;
    if (head[0] != 'G' || head[1] != 'R') return SYS_DebugPrint("%s: not a picture file", name), false;
    uint8_t kind = head[2];
    image->bpp = Get16(head + 3);
    image->width = Get32(head + 5);
    image->height = Get32(head + 9);
    if (image->bpp != 8 && image->bpp != 16 && image->bpp != 24)
        return SYS_DebugPrint("%s: unsupported depth %u", name, image->bpp), false;
    int64_t size = f.Size();
    uint64_t left = size > int64_t(GRP_HEADER_SIZE) ? uint64_t(size) - GRP_HEADER_SIZE : 0;
    uint64_t limit = kind == GRP_KIND_LZ ? LZ_MaxExpansion(left) : left;
    uint64_t pixels = 0, payload = 0;
    bool overflow = __builtin_mul_overflow(uint64_t(image->width), uint64_t(image->height), &pixels) ||
                    __builtin_mul_overflow(pixels, uint64_t(image->bpp >> 3), &payload);
    if (!overflow && image->bpp == 8) overflow = __builtin_add_overflow(payload, GRP_PALETTE_SIZE, &payload);
    if (overflow || payload > limit || payload > SIZE_MAX / 2)
        return SYS_DebugPrint("%s: size %u x %u does not fit the file", name, image->width, image->height), false;
    // An empty picture still owns a block (its loader then finds no surface to create).
    image->pixels = static_cast<uint8_t*>(plat::AllocZero(size_t(payload) + 1));
    if (!image->pixels) return SYS_DebugPrint("%s: out of memory", name), false;
    if (kind == GRP_KIND_LZ) {
        if (!LZ_Read(&f, image->pixels, size_t(payload), nullptr)) return false;
    } else if (f.Read(image->pixels, size_t(payload)) != payload) {
        return SYS_DebugPrint("%s: pixels cut short", name), false;
    }
    if (image->bpp == 8) image->palette = image->pixels + pixels;
    return true;
}

int ReadBitmap(const char* name, void** dib, size_t* size, const char* ext) {
    if (!dib) return 0;
    *dib = nullptr;
    if (!GRP_HasExt(name, ext)) return 0;
    OFSTRUCT of;
    int32_t h = LZOpenFileA(FIL_MakePath("%s", name), &of, OF_READ);
    if (h < 0) return OpenError(name, h), 0;
    int ok = 0;
    uint8_t head[GRP_BITMAP_FILE_HEADER];
    int32_t total = LZSeek(h, 0, 2);
    if (total < 0 || LZSeek(h, 0, 0) != 0 || LZRead(h, head, sizeof head) != int32_t(sizeof head)) {
        SYS_DebugPrint("%s: bitmap header cut short", name);
    } else {
        uint32_t file_size = Get32(head + 2);
        uint64_t have = uint64_t(total) - GRP_BITMAP_FILE_HEADER;
        if (file_size < GRP_BITMAP_FILE_HEADER + GRP_BITMAP_INFO_HEADER || file_size - GRP_BITMAP_FILE_HEADER > have) {
            SYS_DebugPrint("%s: file size %u does not match the %d bytes present", name, file_size, total);
        } else {
            size_t n = file_size - GRP_BITMAP_FILE_HEADER;
            void* block = plat::AllocZero(n);
            GRP_DIB_LAYOUT layout;
            if (!block) {
                SYS_DebugPrint("%s: out of memory", name);
            } else if (LZRead(h, block, int32_t(n)) != int32_t(n)) {
                SYS_DebugPrint("%s: bitmap cut short", name);
                plat::Free(block);
            } else if (!GRP_DibLayout(block, n, &layout)) {
                SYS_DebugPrint("%s: bitmap header, colours or rows do not fit the file", name);
                plat::Free(block);
            } else {
                *dib = block;
                if (size) *size = n;
                ok = 1;
            }
        }
    }
    LZClose(h);
    return ok;
}
}  // namespace

int GRP_ReadGrp(const char* name, GRP_IMAGE* image) {
    if (!image || !GRP_HasExt(name, ".grp")) return 0;
    *image = GRP_IMAGE{};
    plat::File f;
    if (!f.Open(name, plat::File::Mode::Read)) return OpenError(name, -1), 0;
    if (ReadGrpBody(f, name, image)) return 1;
    GRP_FreeImage(image);
    return 0;
}

bool GRP_HasExt(const char* name, const char* ext) {
    if (!name) return false;
    size_t n = std::strlen(name);
    return n >= 4 && std::strcmp(name + n - 4, ext) == 0;
}

void GRP_FreeImage(GRP_IMAGE* image) {
    if (!image) return;
    plat::Free(image->pixels);
    *image = GRP_IMAGE{};
}

namespace {
bool ReadBmp8Body(plat::File& f, const char* name, GRP_BMP8* image) {
    uint8_t head[GRP_BITMAP_FILE_HEADER + GRP_BITMAP_INFO_HEADER];
    if (f.Read(head, sizeof head) != sizeof head) return SYS_DebugPrint("%s: bitmap header cut short", name), false;
    const uint32_t offset = Get32(head + 10);
    const int32_t width = int32_t(Get32(head + 18)), height = int32_t(Get32(head + 22));
    if (Get16(head + 28) != 8) return SYS_DebugPrint("%s: not an 8-bit bitmap", name), false;
    // The colour table fills the bytes up to the pixel offset, in whole entries; it is skipped.
    if (offset < sizeof head || width < 0 || height < 0)
        return SYS_DebugPrint("%s: pixel offset %u or size %d x %d out of range", name, offset, width, height), false;
    const uint64_t table = uint64_t(offset - sizeof head) / 4 * 4, pixels = uint64_t(width) * uint64_t(height);
    const int64_t size = f.Size();
    if (size < 0 || table + pixels > uint64_t(size) - sizeof head)
        return SYS_DebugPrint("%s: colour table or pixels past the end of the file", name), false;
    image->pixels = static_cast<uint8_t*>(plat::AllocZero(size_t(pixels) + 1));
    if (!image->pixels) return SYS_DebugPrint("%s: out of memory", name), false;
    image->width = width;
    image->height = height;
    return f.Seek(sizeof head + table) && f.Read(image->pixels, size_t(pixels)) == pixels;
}
}  // namespace

int GRP_ReadBmp8(GRP_BMP8* image, const char* name) {
    if (!image) return 0;
    *image = GRP_BMP8{};
    plat::File f;
    if (!name || !f.Open(name, plat::File::Mode::Read)) return OpenError(name ? name : "", -1), 0;
    if (ReadBmp8Body(f, name, image)) return 1;
    plat::Free(image->pixels);
    *image = GRP_BMP8{};
    return 0;
}

int GRP_ReadDat(const char* name, void** dib, size_t* size) { return ReadBitmap(name, dib, size, ".dat"); }
int GRP_ReadBmp(const char* name, void** dib, size_t* size) { return ReadBitmap(name, dib, size, ".bmp"); }

int GRP_DibLayout(const void* dib, size_t size, GRP_DIB_LAYOUT* out) {
    auto* p = static_cast<const uint8_t*>(dib);
    if (!p || !out || size < GRP_BITMAP_INFO_HEADER) return 0;
    uint32_t header = Get32(p);
    int32_t width = int32_t(Get32(p + 4)), height = int32_t(Get32(p + 8));
    uint16_t bits = Get16(p + 14);
    uint32_t compression = Get32(p + 16), used = Get32(p + 32);
    if (header < GRP_BITMAP_INFO_HEADER || header > size) return 0;
    if (width <= 0 || height == 0 || height == INT32_MIN) return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
    if (compression != GRP_BI_RGB && !(compression == GRP_BI_BITFIELDS && (bits == 16 || bits == 32))) return 0;
    uint64_t table_bytes;
    uint32_t count = 0;
    if (compression == GRP_BI_BITFIELDS) {
        table_bytes = 12;
    } else {
        count = used ? used : (bits <= 8 ? 1u << bits : 0);
        table_bytes = uint64_t(count) * 4;
    }
    uint64_t rows_at = uint64_t(header) + table_bytes;
    uint64_t stride = ((uint64_t(width) * bits + 31) & ~uint64_t(31)) / 8;
    uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    if (rows_at > size || stride > UINT32_MAX || stride * rows > size - rows_at) return 0;
    out->width = width;
    out->height = int32_t(rows);
    out->bottom_up = height > 0;
    out->bits = bits;
    out->compression = compression;
    out->colours = count ? p + header : nullptr;
    out->colour_count = count;
    out->rows = p + rows_at;
    out->stride = uint32_t(stride);
    return 1;
}
