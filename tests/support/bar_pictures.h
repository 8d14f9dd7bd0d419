// Pictures of the system bar for tests and the sample data: the parts picture "pmenu" (bar
// buttons, slider, quick panel rows, newest mark), the common picture (cursor looks, slot panel
// frame, music mark) and the default thumbnails.
#pragma once
#include <cstdint>
#include <string>

#include "tests/support/grp_writer.h"

namespace support {

// 555 colour of a 5-bit-per-channel triple.
constexpr uint16_t Bar555(int r, int g, int b) { return uint16_t(r << 10 | g << 5 | b); }

// Colours the bar pictures are filled with, so that tests can find each part on the screen.
uint16_t BarItemColour(int item, bool lit);  // bottom bar button 0..10
uint16_t BarSlotColour(int slot, bool lit);  // quick panel slot picture 0..109
constexpr uint16_t kBarPanelColour = Bar555(6, 10, 20);   // slot panel frame
constexpr uint16_t kBarMarkColour = Bar555(31, 28, 0);    // newest-save mark
constexpr uint16_t kBarMusicMark = Bar555(0, 31, 20);     // music-title mark

GrpPicture BarPartsPicture();
GrpPicture BarCommonPicture();
// A 112 x 80 thumbnail picture filled with one colour and framed in white.
GrpPicture ThumbPicture(uint16_t fill);
constexpr uint16_t kThumbDefault = Bar555(8, 8, 8), kThumbDevelop = Bar555(24, 12, 0), kThumbClear = Bar555(0, 20, 8);

// Writes pmenu, common, thumb, thumbe and thumbc as ".grp" files into <root>/Bmp/quon.
bool WriteBarPictures(const std::string& root);
}  // namespace support
