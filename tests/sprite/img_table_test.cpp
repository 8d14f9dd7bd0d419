// Image table: sharing by stem, reuse of freed slots, a full table, refusals, and keeping every
// picture across a display re-creation.
#include <filesystem>

#include "sprite/sp_object.h"
#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;

namespace {
using ImageTable = SpriteTest;

TEST_F(ImageTable, OneStemIsOneSlotWhateverItsFolderOrExtension) {
    std::filesystem::create_directory(dir.File("sub"));
    const std::string a = Solid("face", 4, 3, Rgb(31, 0, 0));
    support::WriteGrp(dir.File("sub/face.grp"), support::MakeGrp(16, 9, 9), true);
    const int id = IMG_Load(a.c_str(), 0);
    ASSERT_GE(id, 0);
    EXPECT_STREQ(IMG_TABLE[id].stem, "face");
    EXPECT_EQ(IMG_Load(dir.File("sub\\face.grp").c_str(), 0), id);  // the other file is never read
    EXPECT_EQ(IMG_TABLE[id].count, 2);
    int32_t w = 0, h = 0;
    IMG_GetSize(id, &w, &h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(IMG_Release(id), 1);
    EXPECT_NE(IMG_TABLE[id].surface, nullptr);
    EXPECT_EQ(IMG_Free(id), -1);  // the last user frees the slot
    EXPECT_EQ(IMG_TABLE[id].count, 0);
    EXPECT_EQ(IMG_TABLE[id].surface, nullptr);
    EXPECT_STREQ(IMG_TABLE[id].stem, "");
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
}

TEST_F(ImageTable, TheStemEndsAtTheLastDot) {
    Solid("pic.v2", 2, 2, 1);
    Solid("pic", 2, 2, 1);
    const int a = IMG_Load(dir.File("pic.v2.bmp").c_str(), 0), b = IMG_Load(dir.File("pic.bmp").c_str(), 0);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(a, b);
    EXPECT_STREQ(IMG_TABLE[a].stem, "pic.v2");
}

TEST_F(ImageTable, RefusalsLeaveTheSlotFree) {
    Solid("abcdefghijklmnopq", 2, 2, 1);    // 17 characters: fits
    Solid("abcdefghijklmnopqr", 2, 2, 1);   // 18: does not
    EXPECT_EQ(IMG_Load(dir.File("missing.bmp").c_str(), 0), -1);
    EXPECT_EQ(IMG_Load(dir.File("abcdefghijklmnopqr.bmp").c_str(), 0), -1);
    EXPECT_EQ(IMG_TABLE[0].count, 0);
    EXPECT_EQ(IMG_Load(dir.File("abcdefghijklmnopq.bmp").c_str(), 0), 0);
    EXPECT_EQ(IMG_Create(0, 5, 0), -1);
    // Releasing what is not in use changes nothing and says so.
    EXPECT_EQ(IMG_Release(-1), 0);
    EXPECT_EQ(IMG_Release(7), 0);
    EXPECT_EQ(IMG_Release(IMG_SLOTS), 0);
    EXPECT_EQ(IMG_TABLE[7].count, 0);
    EXPECT_EQ(IMG_Free(-1), -1);
    EXPECT_EQ(IMG_Free(7), 7);
    int32_t w = -5, h = -5;
    IMG_GetSize(7, &w, &h);
    EXPECT_EQ(w, -5);
    EXPECT_EQ(IMG_GetSizeId(7, &w, &h), -1);
    EXPECT_EQ(IMG_GetSizeId(0, &w, &h), 0);
    EXPECT_EQ(w, 2);
}

TEST_F(ImageTable, FreedSlotsAreReusedLowestFirstAndBlanksAreNeverShared) {
    const int a = IMG_Create(8, 8, 0), b = IMG_Create(8, 8, 1), c = IMG_Create(8, 8, 0);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 2);
    EXPECT_STREQ(IMG_TABLE[b].stem, "CREATE !");
    EXPECT_EQ(IMG_TABLE[a].surface->Caps() & DDSCAPS_SYSTEMMEMORY, DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(IMG_TABLE[b].surface->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    IMG_Release(b);
    IMG_Release(a);
    Solid("x", 2, 2, 1);
    EXPECT_EQ(IMG_Load(dir.File("x.bmp").c_str(), 0), 0);
    EXPECT_EQ(IMG_Create(4, 4, 0), 1);
    EXPECT_EQ(IMG_Create(4, 4, 0), 3);
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
    ASSERT_GE(pic, 0);
    support::SetPixel(IMG_TABLE[vid].surface, 6, 1, Rgb(1, 2, 3));
    IMG_SetColorKey(0x1234);
    const int keyed = IMG_Create(2, 2, 0);
    IMG_SetColorKey(0);
    const auto before = support::ReadSurface(IMG_TABLE[pic].surface);

    IMG_SaveAllSurfaces();
    IMG_SaveAllSurfaces();  // a second save keeps the first copy
    for (int id : {sys, vid, pic, keyed}) {
        EXPECT_EQ(IMG_TABLE[id].surface, nullptr);
        EXPECT_NE(IMG_TABLE[id].saved, nullptr);
    }
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    IMG_RestoreAllSurfaces();
    for (int id : {sys, vid, pic, keyed}) {
        ASSERT_NE(IMG_TABLE[id].surface, nullptr);
        EXPECT_EQ(IMG_TABLE[id].saved, nullptr);
    }
    EXPECT_EQ(IMG_TABLE[sys].surface->Width(), 5);
    EXPECT_EQ(IMG_TABLE[vid].surface->Height(), 2);
    EXPECT_EQ(IMG_TABLE[vid].surface->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_NE(IMG_TABLE[sys].surface->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[vid].surface, 6, 1), Rgb(1, 2, 3));
    EXPECT_EQ(support::ReadSurface(IMG_TABLE[pic].surface), before);
    DDCOLORKEY k;
    ASSERT_EQ(IMG_TABLE[keyed].surface->GetColorKey(DDCKEY_SRCBLT, &k), DD_OK);
    EXPECT_EQ(k.dwColorSpaceLowValue, 0x1234u);
    ASSERT_EQ(IMG_TABLE[pic].surface->GetColorKey(DDCKEY_SRCBLT, &k), DD_OK);
    EXPECT_EQ(k.dwColorSpaceLowValue, 0u);

    // A restore without a save leaves the pictures as they are.
    DDSurface* kept = IMG_TABLE[pic].surface;
    IMG_RestoreAllSurfaces();
    EXPECT_EQ(IMG_TABLE[pic].surface, kept);

    // Drawing aimed at the slot's surface field lands in the surface made by the restore.
    IMG_SaveAllSurfaces();
    IMG_RestoreAllSurfaces();
    SP_SetRenderTarget(&IMG_TABLE[sys].surface);
    ASSERT_EQ(SP_CreateStill(0, 0, -5, 1, vid, nullptr), 1);
    SP_Draw(-1);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[sys].surface, 1, 2), Rgb(1, 2, 3));

    IMG_ReleaseAllSurfaces();
    EXPECT_EQ(IMG_TABLE[pic].surface, nullptr);
    EXPECT_EQ(IMG_TABLE[pic].count, 1);  // users stay
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
}
}  // namespace
