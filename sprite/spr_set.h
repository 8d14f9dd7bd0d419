// Animation sets: the ".spr" files with their images, patterns of parts and hit boxes, and sequences.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/display.h"
#include "platform/types.h"

constexpr int SPR_SETS = 32;
constexpr int SPR_MAX_IMAGES = 32;
constexpr int SPR_SEQUENCES = 128;
constexpr int SPR_HIT_BOXES = 16;
constexpr uint16_t SPR_NO_IMAGE = 0xFFFF;  // an image that failed to load

// One part of a pattern: a rectangle of an image placed relative to the object's anchor.
struct SPR_PART {
    uint16_t image;     // image id (the file's own index until loaded)
    uint16_t reserved0;
    RECT dest;          // relative to the anchor
    RECT src;           // in the image
    uint16_t flags;     // draw flags of the part (mirror and blend bits)
    uint16_t reserved1;
};
static_assert(sizeof(SPR_PART) == 40);

struct SPR_PATTERN {
    uint16_t part_count;
    uint16_t wait;       // ticks shown when stepping through a pattern range
    uint16_t reserved[2];
    uint16_t flip;       // bit 0 left-right, bit 1 up-down; XORed with the object's flags
    SPR_PART* parts;     // part_count records, null when there are none
    RECT hit[SPR_HIT_BOXES];
};

struct SPR_STEP {
    uint16_t pattern;
    uint16_t wait;
    uint8_t reserved[4];
};
static_assert(sizeof(SPR_STEP) == 8);

struct SPR_SEQ {
    uint16_t step_count;
    SPR_STEP* steps;     // null when step_count is 0
};

struct SPR_SET {
    uint16_t pattern_count;
    uint16_t image_count;
    uint16_t image_ids[SPR_MAX_IMAGES];  // in file order; SPR_NO_IMAGE when a picture failed
};

// Three parallel tables by set index; a set is free while its pattern pointer is null.
extern SPR_SET SPR_SET_TABLE[SPR_SETS];
extern SPR_PATTERN* SPR_PATTERN_TABLE[SPR_SETS];
extern SPR_SEQ SPR_SEQ_TABLE[SPR_SETS][SPR_SEQUENCES];

int SPR_FindFreeSet();  // the first free set, or -1
// Loads a ".spr" file into a free set (images from the file's own directory). 1, or 0 when the
// file cannot be read or is refused; a refused file leaves the set free and nothing allocated.
int SPR_Load(int set, const char* path, int video);
// The same over the file's bytes held in memory; path names the file (its directory and number).
int SPR_LoadBytes(int set, const char* path, const uint8_t* data, size_t size, int video);
void SPR_FreeSet(int set);  // nothing for a free set
// The pattern of a loaded set, or null.
const SPR_PATTERN* SPR_GetPattern(int set, int pattern);

// Draws every part of one pattern unscaled at (x + dest.left, y + dest.top), never mirrored, with
// the given draw flags and blend level and parameter. 1.
int SPR_DrawPattern(DDSurface* dst, int32_t x, int32_t y, int set, int pattern, uint32_t flags, uint16_t blend,
                    uint16_t blend_param);
