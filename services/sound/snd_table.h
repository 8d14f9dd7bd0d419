// Table files of the game's sound content (music table, voice database, bark table, bonus
// codes): text, one record a line, fields separated by blanks or tabs, '#' starts a comment
// line; a malformed line is skipped with a debug line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Largest table file read.
constexpr int32_t SND_TABLE_MAX_BYTES = 1 << 20;

// The file's bytes (through the base directory); empty when missing or larger than the limit.
std::vector<char> SND_ReadTable(const char* name);

// One line split into its first `count` fields and the rest of the line after them (leading
// blanks removed, trailing blanks and the line end cut). False when fewer fields are present
// or the line holds a NUL byte.
bool SND_SplitLine(std::string_view line, size_t count, std::string_view* fields, std::string_view* rest);

// A decimal integer in min..max filling the whole field.
bool SND_ParseInt(std::string_view field, int64_t min, int64_t max, int64_t* out);

// Calls fn(line number from 1, line) for every line that is neither blank nor a comment.
template <class Fn>
void SND_ForEachLine(std::string_view text, Fn fn) {
    int number = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line[first] == '#') continue;
        fn(number, line);
    }
}

// The debug line for a skipped line of a table file.
void SND_TableSkip(const char* table, int line);
