// The program's LZ77 block: readers into a caller's buffer or a new one, and the greedy writer.
//
// Block layout (little-endian): U unpacked size, N token count, ceil(N / 8) flag bytes (bit i of
// byte i / 8 set = token i is a match), D data size, D bytes of tokens. A literal is one byte; a
// match is a 16-bit v: distance (v >> 5) + 1, length (v & 31) + 1, copied byte by byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "services/fil_util.h"

// Longest match and farthest distance the format can express.
constexpr uint32_t LZ_MAX_LENGTH = 32;
constexpr uint32_t LZ_MAX_DISTANCE = 2048;

// Reads one block at the file's position into dest, which holds `capacity` bytes. U is stored
// through size_out (when given) as soon as it is read. A block that would expand past U or the
// capacity, read past its token data, copy from before the output, or whose sizes exceed the
// rest of the file is refused (0). The file is left after the block on success.
int LZ_Read(FIL_HANDLE file, void* dest, size_t capacity, uint32_t* size_out);

// Reads one block into a new zero-filled buffer (plat::Free / FIL_FreeBlock frees it). On
// failure *out is null and nothing stays allocated.
int LZ_ReadAlloc(FIL_HANDLE file, void** out, uint32_t* size_out);

// Compresses size bytes of src and writes one block. 0 when a write fails.
int LZ_Write(FIL_HANDLE file, const void* src, const uint32_t* size);

// ---- the same codec over memory ----

// Appends the block for src to `block` (the bytes LZ_Write writes).
void LZ_Encode(const uint8_t* src, uint32_t size, std::vector<uint8_t>& block);

// Runs n tokens over the flag and data bytes into out (u bytes). 0 on any token that would
// write past u, read past d data bytes or copy from before the start of out.
int LZ_Expand(const uint8_t* flags, uint32_t n, const uint8_t* data, uint32_t d, uint8_t* out, uint32_t u);

// Decodes the block at the start of `len` bytes into dest (capacity bytes); *used receives the
// block's length. Same refusals as LZ_Read.
int LZ_Decode(const uint8_t* block, size_t len, uint8_t* dest, size_t capacity, uint32_t* size_out, size_t* used);

// Largest number of bytes a block of `bytes` bytes can expand to (every token a 2-byte match of 32).
inline uint64_t LZ_MaxExpansion(uint64_t bytes) { return bytes * (LZ_MAX_LENGTH / 2); }
