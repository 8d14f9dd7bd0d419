// Renders the sample fonts from an outline font with FreeType (a developer tool only: the game
// reads nothing but the ".fnt" files written from this).
#pragma once
#include <string>

#include "tests/support/fnt_writer.h"

namespace sample {
// Every half-width and full-width glyph the index reaches, in cells of `size` pixels (half-width
// cells size / 2 wide), one bit per pixel. False when the font file cannot be read.
bool RenderFont(const std::string& ttf_path, int size, support::Font& out, std::string& error);
}  // namespace sample
