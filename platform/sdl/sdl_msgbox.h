// A message box the SDL backend draws itself (internal to platform/sdl/).
#pragma once
#include <SDL.h>

#include <string>

namespace plat::sdl {
// Shows the box until a button, Return or Space (OK) or Escape (Cancel; OK when it is alone) answers, the
// box is closed (as Escape) or the program is asked to end (as Escape). -1 when it cannot be
// drawn (no font or no window).
int DrawnMessageBox(const std::string& text_utf8, const std::string& caption_utf8, bool ok_cancel);
}  // namespace plat::sdl
