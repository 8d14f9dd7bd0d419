// Files, the base directory and path join, debug output, frame rate, rectangle helpers.
#pragma once
#include <cstdint>

#include "platform/files.h"
#include "platform/types.h"
#include "platform/window.h"

constexpr int FIL_PATH_MAX = 260;

// The directory current at start-up, ending in a path separator.
extern char FIL_BaseDir[FIL_PATH_MAX];

using FIL_HANDLE = plat::File*;  // null is the invalid handle

int FIL_GetExt(const char* name, char** out);
int32_t FIL_GetSize(const char* name);
void* FIL_LoadFile(const char* name);
void* FIL_ReadPart(const char* name, uint32_t offset, uint32_t count);
int FIL_SaveFile(const char* name, const void* data, uint32_t count);
int FIL_WriteFile(const char* name, const void* data, uint32_t count);
void FIL_DeleteFile(const char* name);
FIL_HANDLE FIL_CreateWrite(const char* name);
int FIL_Write(FIL_HANDLE handle, const void* data, uint32_t count, uint32_t* written);
int FIL_Close(FIL_HANDLE handle);
void FIL_FreeBlock(void* block);  // frees a block returned by the readers

int FIL_InitBaseDir();
const char* FIL_MakePath(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The debug print and FIL_MakePath format by the platform's wvsprintf rules (platform/format.h):
// %s %c %d %i %u %x %X with h or l, flags, width and precision; no %zu, %lld, %p or floats.
void SYS_DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SYS_DebugPrintNoCrlf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int SYS_DebugLog(const char* format, ...);
void SYS_DebugStartHook();
void SYS_DebugFrameHook();

int32_t SYS_GetFps();
// The frame counter back to its start: not started, no rate yet (tests start from it).
void SYS_ResetFps();

struct SYS_SIZE {
    int32_t a = 0, b = 0;
};

int SYS_SetRect(RECT* rect, int32_t left, int32_t top, int32_t right, int32_t bottom);
int SYS_SetRectWH(RECT* rect, int32_t x, int32_t y, int32_t width, int32_t height);
int SYS_CopyRect(RECT* dest, const RECT* src);
int SYS_OffsetRect(RECT* rect, int32_t dx, int32_t dy);
void SYS_SetPoint(SYS_SIZE* pair, int32_t a, int32_t b);
int SYS_IntersectRect(RECT* out, const RECT* a, const RECT* b);
int SYS_PtInRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x, int32_t y);
int SYS_RectOverlap(int32_t l1, int32_t t1, int32_t r1, int32_t b1, int32_t l2, int32_t t2, int32_t r2, int32_t b2);
int SYS_ClientRectToScreen(plat::Window* window, RECT* rect);
void SYS_ClientToScreenRect(plat::Window* window, RECT* rect);
uint32_t* SYS_SetRGBA(uint32_t* out, uint8_t c0, uint8_t c1, uint8_t c2, uint8_t c3);
uint32_t SYS_MakeLong(uint32_t* out, uint16_t low, uint16_t high);
int SYS_GetDigits(int32_t value);
