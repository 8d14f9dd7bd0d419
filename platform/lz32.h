// The file expander: opens a file that is either plain or packed in the "SZDD" expander format and
// reads its expanded bytes. Names go through the platform's path resolver.
#pragma once
#include <cstdint>

// The open-file record the callers pass; only the size byte matters here.
struct OFSTRUCT {
    uint8_t cBytes = 136;
    uint8_t fFixedDisk = 0;
    uint16_t nErrCode = 0;
    uint16_t Reserved1 = 0, Reserved2 = 0;
    char szPathName[128] = {};
};
static_assert(sizeof(OFSTRUCT) == 136);

constexpr uint16_t OF_READ = 0;

// Negative results of the expander functions.
constexpr int32_t LZERROR_BADINHANDLE = -1;  // the file cannot be opened, or an unknown handle
constexpr int32_t LZERROR_READ = -3;         // a packed file ends before its expanded size
constexpr int32_t LZERROR_GLOBALLOC = -5;    // no memory for the expanded bytes
constexpr int32_t LZERROR_BADVALUE = -7;     // a negative count or a seek outside the file
constexpr int32_t LZERROR_UNKNOWNALG = -8;   // a packed file of a method other than 'A'

// Opens the file for reading; a handle >= 0 or a negative error. A packed file is expanded here,
// so a packed file cut short fails to open.
int32_t LZOpenFileA(const char* name, OFSTRUCT* of, uint16_t mode);
// Bytes read (fewer at the end of the file) or a negative error.
int32_t LZRead(int32_t handle, void* buffer, int32_t count);
// origin 0 = from the start, 1 = from the current position, 2 = from the end; new position or error.
int32_t LZSeek(int32_t handle, int32_t offset, int32_t origin);
void LZClose(int32_t handle);
