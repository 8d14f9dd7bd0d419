// Helpers every battle module shares: the one random draw modulo n, the 16.16 copy of a whole value
// and its sums, bounded whole-file reads, and the record of calls that reach neighbouring
// subsystems (for tests and the battle rig).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// rand() mod n with the program's generator, as C's remainder gives it: 0..|n|-1 for a negative n,
// 0 for n = 0 (one draw either way keeps sequences aligned).
int32_t BTL_RandMod(int32_t n);
// The same draw, but 0 for any n below 1: the spreads whose rule has none then.
int32_t BTL_RandModPositive(int32_t n);

// The 16.16 copy of a whole value: the 32-bit shift, which wraps above 32,767 as the copies always have.
constexpr int32_t BTL_Fix16(int32_t v) { return int32_t(uint32_t(v) << 16); }
// A 16.16 value moved by a step: the 32-bit sum, which wraps past 32,767 like the copy.
constexpr int32_t BTL_Fix16Add(int32_t v16, int64_t step) { return int32_t(uint32_t(v16) + uint32_t(uint64_t(step))); }

// The whole file, when it opens and holds at most max_bytes; false otherwise (out is then empty).
bool BTL_ReadFile(const char* path, std::vector<uint8_t>& out, size_t max_bytes);

// What a reader of a damaged file left out, gathered while it reads and told in one debug line
// "<file>: <note>; <note>" at the end (nothing for a whole file).
class BTL_DropNote {
public:
    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Print(const char* file) const;

private:
    std::string text_;
};

// Recording of calls to stand-ins and seams: a line each ("HUD_PanelCreate 1 3") while on.
void BTL_RecordOn(bool on);
bool BTL_IsRecording();
void BTL_Record(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::vector<std::string>& BTL_Recorded();
