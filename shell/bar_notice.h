// The system bar's music-title notice, which the game sound interface calls for every track.
#pragma once

// Shows the notice for the Shift-JIS title (nothing while the settings switch it off).
void BAR_MusicNotice(const char* text);
