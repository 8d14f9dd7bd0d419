// Image table: sharing by stem, reuse of freed slots, a full table, refusals, and keeping every
// picture across a display re-creation.
#include <filesystem>

#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;

namespace {
using ImageTable = SpriteTest;

TEST_F(ImageTable, StemsAreSharedAndCountedAndFreedSlotsReused) {
    std::filesystem::create_directory(dir.File("sub"));
    Solid("face", 4, 3, 1);
    Solid("pic.v2", 2, 2, 1);  // the stem ends at the last dot
    Solid("abcdefghijklmnopqr", 2, 2, 1);  // 18 characters: no slot holds it
    support::WriteGrp(dir.File("sub/face.grp"), support::MakeGrp(16, 9, 9), true);
    EXPECT_EQ(IMG_Create(8, 8, 1), 0);
    const int id = IMG_Load(dir.File("face.bmp").c_str(), 0);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(IMG_Load(dir.File("sub\\face.grp").c_str(), 0), id);  // other folder and extension
    EXPECT_EQ(IMG_TABLE[id].count, 2);
    EXPECT_EQ(IMG_Load(dir.File("pic.v2.bmp").c_str(), 0), 2);
    EXPECT_STREQ(IMG_TABLE[2].stem, "pic.v2");
    for (const char* bad : {"missing.bmp", "abcdefghijklmnopqr.bmp"}) EXPECT_EQ(IMG_Load(dir.File(bad).c_str(), 0), -1);
    EXPECT_EQ(IMG_Create(0, 5, 0), -1);
    int32_t w = 0, h = 0;
    IMG_GetSize(id, &w, &h);
    EXPECT_EQ(w * 10 + h, 43);
    EXPECT_EQ(IMG_Release(id), 1);
    EXPECT_NE(IMG_TABLE[id].surface, nullptr);  // one user left
    EXPECT_EQ(IMG_Free(id), -1);
    EXPECT_EQ(IMG_TABLE[id].count, 0);
    EXPECT_STREQ(IMG_TABLE[id].stem, "");
    // Releasing what is not in use changes nothing (no count wraps).
    for (int bad : {-1, id, 7, IMG_SLOTS}) EXPECT_EQ(IMG_Release(bad), 0);
    EXPECT_EQ(IMG_TABLE[id].count, 0);
    EXPECT_EQ(IMG_Free(-1), -1);
    EXPECT_EQ(IMG_GetSizeId(id, &w, &h), -1);
    EXPECT_EQ(IMG_Create(4, 4, 0), id);  // the lowest free slot again
    EXPECT_STREQ(IMG_TABLE[id].stem, "CREATE !");
    EXPECT_EQ(IMG_Create(4, 4, 0), 3);   // blank images are never shared
}

TEST_F(ImageTable, AFullTableRefusesNewStemsAndStillSharesKnownOnes) {
    Solid("known", 2, 2, 1);
    Solid("fresh", 2, 2, 1);
    const int known = IMG_Load(dir.File("known.bmp").c_str(), 0);
    while (IMG_Create(1, 1, 0) >= 0) {
    }
    EXPECT_EQ(IMG_Load(dir.File("fresh.bmp").c_str(), 0), -1);
    EXPECT_EQ(IMG_Load(dir.File("known.bmp").c_str(), 0), known);
    EXPECT_EQ(IMG_TABLE[known].count, 2);
}

TEST_F(ImageTable, SaveAndRestoreKeepEveryPictureAndTargetsThatPointAtIt) {
    const int sys = IMG_Create(5, 3, 0), vid = IMG_Create(7, 2, 1);
    const int pic = IMG_Load(Picture("pic", 6, 4, [](int x, int y) { return uint16_t(x + 16 * y + 1); }).c_str(), 0);
    support::SetPixel(IMG_TABLE[vid].surface, 6, 1, Rgb(1, 2, 3));
    IMG_SetColorKey(0x1234);
    const int keyed = IMG_Create(2, 2, 0);
    IMG_SetColorKey(0);
    const auto before = support::ReadSurface(IMG_TABLE[pic].surface);
    DDSurface* kept = IMG_TABLE[pic].surface;
    IMG_RestoreAllSurfaces();  // without a save: nothing happens
    EXPECT_EQ(IMG_TABLE[pic].surface, kept);

    IMG_SaveAllSurfaces();
    IMG_SaveAllSurfaces();  // a second save keeps the first copy
    for (int id : {sys, vid, pic, keyed}) EXPECT_EQ(IMG_TABLE[id].surface, nullptr);
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    IMG_RestoreAllSurfaces();
    for (int id : {sys, vid, pic, keyed}) EXPECT_EQ(IMG_TABLE[id].saved, nullptr);
    EXPECT_EQ(IMG_TABLE[sys].surface->Width() * 10 + IMG_TABLE[sys].surface->Height(), 53);
    EXPECT_EQ(IMG_TABLE[vid].surface->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_NE(IMG_TABLE[sys].surface->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_EQ(support::ReadSurface(IMG_TABLE[pic].surface), before);
    DDCOLORKEY k;
    ASSERT_EQ(IMG_TABLE[keyed].surface->GetColorKey(DDCKEY_SRCBLT, &k), DD_OK);
    EXPECT_EQ(k.dwColorSpaceLowValue, 0x1234u);

    // Drawing aimed at the slot's surface field lands in the surface made by the restore.
    SP_SetRenderTarget(&IMG_TABLE[sys].surface);
    ASSERT_EQ(SP_CreateStill(0, 0, -5, 1, vid, nullptr), 1);
    SP_Draw(-1);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[sys].surface, 1, 2), Rgb(1, 2, 3));
    IMG_ReleaseAllSurfaces();
    EXPECT_EQ(IMG_TABLE[pic].count, 1);  // users stay
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
}
}  // namespace
