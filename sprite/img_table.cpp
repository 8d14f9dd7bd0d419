// The image table: load by stem with reference counts, blank images, saving across a display switch.
#include "sprite/img_table.h"

#include <cstring>

#include "display/blt_frame.h"
#include "platform/memory.h"

IMG_SLOT IMG_TABLE[IMG_SLOTS];

namespace {
uint32_t g_key = 0;
constexpr char kBlankStem[] = "CREATE !";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The stem of a path: after its last separator ('/' too, since the base directory uses it), cut
// at its last '.'. False when it does not fit a slot.
bool StemOf(const char* path, char (&stem)[IMG_STEM_SIZE]) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) name = p + 1;
    const char* dot = std::strrchr(name, '.');
    size_t n = dot ? size_t(dot - name) : std::strlen(name);
    if (n >= IMG_STEM_SIZE) return false;
    std::memcpy(stem, name, n);
    stem[n] = 0;
    return true;
}

int FirstFree() {
    for (int i = 0; i < IMG_SLOTS; ++i)
        if (IMG_TABLE[i].count == 0) return i;
    return -1;
}

int Take(int slot, DDSurface* surface, const char* stem) {
    DD_SetColorKey(surface, g_key);
    IMG_SLOT& s = IMG_TABLE[slot];
    std::memcpy(s.stem, stem, std::strlen(stem) + 1);  // fits: StemOf checked it
    s.surface = surface;
    s.saved = nullptr;
    s.count = 1;
    return slot;
}

using Loader = DDSurface* (*)(const char*, int, int, int, SYS_SIZE*);

int LoadWith(Loader load, const char* path, int video) {
    char stem[IMG_STEM_SIZE];
    if (!path || !StemOf(path, stem)) return -1;
    for (int i = 0; i < IMG_SLOTS; ++i) {
        if (IMG_TABLE[i].count && std::strcmp(IMG_TABLE[i].stem, stem) == 0) {
            ++IMG_TABLE[i].count;
            return i;
        }
    }
    int slot = FirstFree();
    if (slot < 0) return -1;
    DDSurface* s = load(path, 0, 0, video, nullptr);
    return s ? Take(slot, s, stem) : -1;
}

bool Valid(int id) { return id >= 0 && id < IMG_SLOTS; }
}  // namespace

int IMG_Load(const char* path, int video) { return LoadWith(GRP_LoadSurface, path, video); }

int IMG_LoadDat(const char* path, int video) { return LoadWith(GRP_LoadDatSurface, path, video); }

int IMG_Create(int width, int height, int video) {
    int slot = FirstFree();
    if (slot < 0) return -1;
    DDSurface* s = DD_CreateSurface(width, height, video ? DD_CAPS_VIDEO : DD_CAPS_SYSTEM);
    return s ? Take(slot, s, kBlankStem) : -1;
}

int IMG_Release(int id) {
    if (!Valid(id) || IMG_TABLE[id].count == 0) return 0;
    IMG_SLOT& s = IMG_TABLE[id];
    if (--s.count > 0) return 1;
    DD_ReleaseSurface(s.surface);
    plat::Free(s.saved);
    s = IMG_SLOT{};
    return 1;
}

int IMG_Free(int id) { return IMG_Release(id) ? -1 : id; }

int IMG_GetSizeId(int id, int32_t* width, int32_t* height) {
    DDSurface* s = IMG_Surface(id);
    DDSURFACEDESC2 d;
    if (!s || DD_GetSurfaceDesc(s, &d) != DD_OK) return -1;
    if (width) *width = int32_t(d.dwWidth);
    if (height) *height = int32_t(d.dwHeight);
    return id;
}

void IMG_GetSize(int id, int32_t* width, int32_t* height) { IMG_GetSizeId(id, width, height); }

void IMG_SetColorKey(uint32_t key) { g_key = key; }

// Only slots with a surface and no saved block are saved, so a second save never loses pixels.
void IMG_SaveAllSurfaces() {
    for (IMG_SLOT& s : IMG_TABLE) {
        if (!s.count || !s.surface || s.saved) continue;
        s.saved = DD_SaveSurface(s.surface);
        if (!s.saved) continue;  // kept on screen rather than lost
        DD_ReleaseSurface(s.surface);
        s.surface = nullptr;
    }
}

// Only slots holding a block are restored: a restore without a save leaves the pictures alone.
void IMG_RestoreAllSurfaces() {
    for (IMG_SLOT& s : IMG_TABLE) {
        if (!s.count || !s.saved) continue;
        if (DDSurface* n = DD_RestoreSurface(&s.saved)) s.surface = n;
    }
}

void IMG_ReleaseAllSurfaces() {
    for (IMG_SLOT& s : IMG_TABLE) {
        if (!s.count || !s.surface) continue;
        DD_ReleaseSurface(s.surface);
        s.surface = nullptr;
    }
}
