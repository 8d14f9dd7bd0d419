// The title subsystem as the shell meets it: the logo (mode 1), the title screen (mode 2), the
// ranking (mode 6) and the play kind.
#pragma once
#include <cstdint>

// What the title screen started: 0 story play, 1 scene replay, 2 another script.
extern int32_t TITLE_PlayKind;

// The logo plays "WAV\EARLYSTG.DAT" when it exists (a decide or cancel press or a click skips it)
// and hands over to the title a second after the movie ends; without the file, at its first update.
void LOGO_Main();
void LOGO_Draw();      // presents the frame
int LOGO_IsActive();   // 1 while the logo and opening movie run
// Closes a movie still open (the shutdown calls it).
void LOGO_Term();

void TITLE_Update();
void TITLE_Draw();     // the shell presents after it
// Ends the title screen: frees what its first update made (the shutdown calls it).
void TITLE_Term();

void RANK_Main();
void RANK_Draw();      // presents the frame
